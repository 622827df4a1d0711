#include "log/LogExport.h"

#include "app/Captions.h"
#include "app/TextCodec.h"
#include "db/Database.h"
#include "db/DropConnection.h"
#include "log/LogListing.h"
#include "log/LogStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

namespace palomex {

namespace {

ExportResult failure(const QString& path, const QString& why, int number = 0) {
    return {false, 0,
            caption(logmsg::ExportFailed).arg(number).arg(QDir::toNativeSeparators(path), why)};
}

// Opens the filter's query; an unusable filter or a refused statement gives the reason.
std::optional<QString> openQuery(Database& db, LogFilter& filter, QSqlQuery& query) {
    const LogQuery lq = selectstring(db, filter);
    if (!lq.error.isEmpty())
        return lq.error;
    query.setForwardOnly(true);
    query.prepare(lq.sql);
    bindValues(query, lq.params);
    if (!query.exec())
        return query.lastError().text();
    return std::nullopt;
}

} // namespace

ExportResult exportLogText(Database& db, LogFilter& filter, const QString& path, TextExport kind,
                           TextEncoding encoding) {
    QSqlQuery query(db.connection());
    if (auto why = openQuery(db, filter, query))
        return failure(path, *why);
    const QString quote = kind == TextExport::Semicolon ? QStringLiteral("\"") : QString();
    const QString separator =
        kind == TextExport::Semicolon ? QStringLiteral("\"; ") : QStringLiteral("\t");
    const auto field = [&](QString v) {
        v.replace(QLatin1String("\r\n"), QStringLiteral("¶ "))
            .replace(QLatin1Char('\n'), QStringLiteral("¶ "));
        // A quote inside a quoted value is doubled, so CSV readers keep the value whole.
        if (!quote.isEmpty())
            v.replace(quote, quote + quote);
        return quote + v + separator;
    };
    QString text;
    const QSqlRecord columns = query.record();
    for (int i = 0; i < columns.count(); ++i)
        text += field(columns.fieldName(i));
    text += QStringLiteral("\r\n");
    int rows = 0;
    while (query.next()) {
        const QSqlRecord r = query.record();
        for (int i = 0; i < r.count(); ++i)
            text += field(formatLogValue(r.value(i), r.fieldName(i)));
        text += QStringLiteral("\r\n");
        ++rows;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return failure(path, out.errorString());
    out.write(encoding == TextEncoding::Windows1252 ? encodeCp1252(text)
                                                    : QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    if (!out.commit())
        return failure(path, out.errorString());
    return {true, rows, caption(logmsg::FileCreated).arg(QDir::toNativeSeparators(path))};
}

ExportResult exportLogDatabase(Database& db, LogFilter& filter, const QString& path,
                               const QString& tableName) {
    QSqlQuery query(db.connection());
    if (auto why = openQuery(db, filter, query))
        return failure(path, *why);

    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return failure(path, caption(msg::DbFolderMissing).arg(path));
    const bool existed = target.exists();
    // The whole table is one transaction: the target gets all of it or stays as it
    // was. The program's own database takes the table through its own connection,
    // which reads the log at the same time; a file is never replaced under a
    // connection that has it open.
    const bool ownDatabase =
        existed && target.canonicalFilePath() == QFileInfo(db.path()).canonicalFilePath();
    static std::atomic<int> counter{0};
    const QString connection = QStringLiteral("palomex-export-%1").arg(++counter);
    QString error;
    int rows = 0;
    {
        QSqlDatabase out = db.connection();
        if (!ownDatabase) {
            out = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            out.setDatabaseName(path);
            if (!out.open())
                error = out.lastError().text();
        }
        if (error.isEmpty()) {
            const QSqlRecord columns = query.record();
            QStringList defs, marks;
            for (int i = 0; i < columns.count(); ++i) {
                const QString name = columns.fieldName(i);
                const bool isDate =
                    name == QLatin1String("Datum") || name == QLatin1String("Uhrzeit");
                defs << SqlDialect::quote(name) +
                            (isDate ? QStringLiteral(" DATETIME") : QStringLiteral(" TEXT"));
                marks << QStringLiteral("?");
            }
            QSqlQuery w(out);
            if (!w.exec(QStringLiteral("BEGIN IMMEDIATE")) ||
                !w.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                            .arg(SqlDialect::quote(tableName), defs.join(", ")))) {
                error = w.lastError().text();
            } else {
                w.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                              .arg(SqlDialect::quote(tableName), marks.join(',')));
                while (error.isEmpty() && query.next()) {
                    for (int i = 0; i < columns.count(); ++i)
                        w.bindValue(i, query.value(i));
                    if (!w.exec())
                        error = w.lastError().text();
                    ++rows;
                }
            }
            QSqlQuery end(out);
            if (error.isEmpty() && !end.exec(QStringLiteral("COMMIT")))
                error = end.lastError().text();
            if (!error.isEmpty())
                end.exec(QStringLiteral("ROLLBACK"));
        }
    }
    if (!ownDatabase)
        dropConnection(connection);
    if (!error.isEmpty()) {
        if (!existed)
            QFile::remove(path);
        return failure(path, error);
    }
    return {true, rows,
            caption(logmsg::TableCreated).arg(QDir::toNativeSeparators(path), tableName)};
}

ExportResult logRowsClipboardText(Database& db, LogFilter& filter, QString& text) {
    QSqlQuery query(db.connection());
    if (auto why = openQuery(db, filter, query))
        return {false, 0, why.value()};
    QStringList names;
    const QSqlRecord columns = query.record();
    for (int i = 0; i < columns.count(); ++i)
        names << columns.fieldName(i);
    text = names.join(QLatin1Char('\t'));
    int rows = 0;
    while (query.next()) {
        text += QStringLiteral("\r\n");
        const QSqlRecord r = query.record();
        for (int i = 0; i < r.count(); ++i) {
            QString v = formatLogValue(r.value(i), r.fieldName(i));
            v.replace(QLatin1String("\r\n"), QLatin1String(" "))
                .replace(QLatin1Char('\n'), QLatin1Char(' '))
                .remove(QLatin1Char('\t'));
            text += v + QLatin1Char('\t');
        }
        ++rows;
    }
    return {true, rows, caption(logmsg::RowsCopied).arg(rows)};
}

} // namespace palomex
