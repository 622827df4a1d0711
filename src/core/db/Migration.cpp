#include "db/Migration.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "db/DatabaseStrings.h"

#include <QMetaType>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <functional>

namespace palomex {

namespace {

[[noreturn]] void fail(const QString& text) {
    throw AppError(err::DatabaseFailure, QStringLiteral("Datenbank"), text);
}

// Our own tables keep their declared widths; a table the program does not know
// (an old scratch table, say) gets its columns from the engine's description.
TableSchema schemaFor(const Database& source, const QString& name) {
    for (const TableSchema& schema : sharedTableSchemas()) {
        if (schema.name == name)
            return schema;
    }
    const QStringList columns = source.columnNames(name);
    if (columns.value(0) == QLatin1String("EtikName") && columns.size() == 70)
        return labelTableSchema(name);
    TableSchema schema{name, {}, {}};
    const QSqlRecord record = source.connection().record(SqlDialect::quote(name));
    for (const QString& c : columns) {
        const QMetaType type = record.field(c).metaType();
        ColumnType kind = ColumnType::Text;
        if (type.id() == QMetaType::Int || type.id() == QMetaType::LongLong)
            kind = ColumnType::Long;
        else if (type.id() == QMetaType::QDateTime || type.id() == QMetaType::QDate)
            kind = ColumnType::DateTime;
        schema.columns.push_back({c, kind, 255, true});
    }
    return schema;
}

qint64 countRows(const QSqlDatabase& db, const QString& table) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(SqlDialect::quote(table))) ||
        !q.next())
        return -1;
    return q.value(0).toLongLong();
}

qint64 copyRows(const Database& source, Database& target, const TableSchema& schema) {
    QStringList quoted, marks;
    for (const Column& c : schema.columns) {
        quoted << SqlDialect::quote(c.name);
        marks << QStringLiteral("?");
    }
    const QString table = SqlDialect::quote(schema.name);
    QSqlQuery rows(source.connection());
    rows.setForwardOnly(true);
    // The embedded engine gives rows in the order they were added; keep it.
    const QString order =
        source.dialect().isServer() ? QString() : QStringLiteral(" ORDER BY rowid");
    if (!rows.exec(QStringLiteral("SELECT %1 FROM %2%3").arg(quoted.join(u','), table, order)))
        fail(caption(dbmsg::CopyFailed).arg(schema.name, rows.lastError().text()));
    QSqlQuery insert(target.connection());
    insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(table, quoted.join(u','), marks.join(u',')));
    qint64 read = 0;
    while (rows.next()) {
        ++read;
        for (int i = 0; i < static_cast<int>(schema.columns.size()); ++i)
            insert.bindValue(i, rows.value(i));
        if (!insert.exec())
            fail(caption(dbmsg::CopyFailed)
                     .arg(schema.name, target.failure(insert.lastError()).text()));
    }
    return read;
}

} // namespace

std::vector<CopiedTable> copyToServer(const Database& source, const QString& targetUri) {
    if (!Database::isServerUri(targetUri))
        fail(caption(dbmsg::TargetNotServer).arg(targetUri));
    std::unique_ptr<Database> target = Database::open(targetUri);
    const QStringList present = target->tables();
    if (!present.isEmpty())
        fail(caption(dbmsg::TargetNotEmpty).arg(targetUri, present.first()));

    QSqlDatabase db = target->connection();
    if (!db.transaction())
        throw target->failure(db.lastError());
    std::vector<CopiedTable> copied;
    try {
        for (const QString& name : source.tables()) {
            const TableSchema schema = schemaFor(source, name);
            QSqlQuery create(db);
            if (!create.exec(target->dialect().createTable(schema)))
                fail(caption(dbmsg::CopyFailed)
                         .arg(name, target->failure(create.lastError()).text()));
            const qint64 read = copyRows(source, *target, schema);
            const qint64 inSource = countRows(source.connection(), name);
            const qint64 written = countRows(db, name);
            if (written != read || inSource != read)
                fail(caption(dbmsg::CountMismatch).arg(name).arg(inSource).arg(written));
            copied.push_back({name, written});
        }
        if (!db.commit())
            throw target->failure(db.lastError());
    } catch (...) {
        db.rollback();
        throw;
    }
    return copied;
}

bool migrateDatabase(const Database& source, const QString& targetUri,
                     const std::function<void(const QString&)>& report) {
    try {
        const std::vector<CopiedTable> copied = copyToServer(source, targetUri);
        qint64 rows = 0;
        for (const CopiedTable& t : copied) {
            report(caption(dbmsg::MigrateLine).arg(t.name).arg(t.rows));
            rows += t.rows;
        }
        // The password stays out of what is shown.
        const QString shown = QUrl(targetUri).toString(QUrl::RemovePassword);
        report(caption(dbmsg::Migrated).arg(copied.size()).arg(rows).arg(shown));
        return true;
    } catch (const AppError& e) {
        report(caption(msg::ErrorBox).arg(e.number()).arg(e.module(), e.text()).trimmed());
        return false;
    }
}

int migrateCommand(const QString& sourcePath, const QString& targetUri,
                   const std::function<void(const QString&)>& report) {
    try {
        const std::unique_ptr<Database> source = Database::open(sourcePath);
        return migrateDatabase(*source, targetUri, report) ? 0 : 1;
    } catch (const AppError& e) {
        report(caption(msg::ErrorBox).arg(e.number()).arg(e.module(), e.text()).trimmed());
        return 1;
    }
}

} // namespace palomex
