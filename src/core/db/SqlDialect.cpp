#include "db/SqlDialect.h"

#include <QSqlQuery>

namespace palomex {

namespace {
const QString kNocase = QStringLiteral("palomex_nocase");
}

QString SqlDialect::quote(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString SqlDialect::createTable(const TableSpec& spec) const {
    QStringList parts;
    for (const Column& c : spec.columns) {
        QString def = quote(c.name) + QLatin1Char(' ') + columnType(c);
        if (c.type == ColumnType::Text) {
            if (!typeLimitsWidth())
                def += QStringLiteral(" CHECK (length(%1) <= %2)").arg(quote(c.name)).arg(c.width);
            if (!c.zeroLength)
                def += QStringLiteral(" CHECK (%1 <> '')").arg(quote(c.name));
        }
        parts << def;
    }
    if (!spec.primaryKey.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(quote(spec.primaryKey));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quote(spec.name), parts.join(QLatin1String(", ")));
}

QString SqliteDialect::listTablesQuery() const {
    return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                          "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
}

QString SqliteDialect::columnType(const Column& column) const {
    switch (column.type) {
    case ColumnType::Text:
        return QStringLiteral("TEXT COLLATE NOCASE");
    case ColumnType::Long:
        return QStringLiteral("INTEGER");
    case ColumnType::DateTime:
        return QStringLiteral("DATETIME");
    }
    return {};
}

// The driver's own record() splits a name at a dot, which user names may contain.
QStringList SqliteDialect::columnNames(const QSqlDatabase& db, const QString& table) const {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"));
    q.addBindValue(table);
    QStringList names;
    if (q.exec()) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}

// Tables of the connection's own schema; their oids grow with each creation, which
// gives the creation order the embedded engine lists in.
QString PostgresDialect::listTablesQuery() const {
    return QStringLiteral("SELECT c.relname FROM pg_class c "
                          "JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE c.relkind IN ('r', 'p') AND n.nspname = current_schema() "
                          "ORDER BY c.oid");
}

QString PostgresDialect::columnType(const Column& column) const {
    switch (column.type) {
    case ColumnType::Text:
        return QStringLiteral("varchar(%1) COLLATE %2").arg(column.width).arg(kNocase);
    case ColumnType::Long:
        return QStringLiteral("integer");
    case ColumnType::DateTime:
        return QStringLiteral("timestamp");
    }
    return {};
}

// The driver's own record() also folds unquoted names to lower case.
QStringList PostgresDialect::columnNames(const QSqlDatabase& db, const QString& table) const {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT a.attname FROM pg_attribute a "
                             "JOIN pg_class c ON c.oid = a.attrelid "
                             "JOIN pg_namespace n ON n.oid = c.relnamespace "
                             "WHERE c.relname = ? AND n.nspname = current_schema() "
                             "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"));
    q.addBindValue(table);
    QStringList names;
    if (q.exec()) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}

// Case-insensitive but accent-sensitive, like the embedded engine's NOCASE.
QStringList PostgresDialect::schemaPrerequisites() const {
    return {
        QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_collation "
                       "WHERE collname = '%1' AND collnamespace = current_schema()::regnamespace) "
                       "THEN CREATE COLLATION %1 (provider = icu, "
                       "locale = 'und-u-ks-level2', deterministic = false); END IF; END $$")
            .arg(kNocase)};
}

} // namespace palomex
