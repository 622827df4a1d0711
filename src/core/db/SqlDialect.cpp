#include "db/SqlDialect.h"

#include <QDateTime>
#include <QSqlQuery>

namespace palomex {

namespace {
const QString kNocase = QStringLiteral("palomex_nocase");

// The first column of every row of a catalogue query about one table.
QStringList namesOf(const QSqlDatabase& db, const QString& sql, const QString& table) {
    QSqlQuery q(db);
    q.prepare(sql);
    q.addBindValue(table);
    QStringList names;
    if (q.exec()) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}
} // namespace

QString SqlDialect::quote(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString SqlDialect::quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& n : names)
        quoted << quote(n);
    return quoted.join(QLatin1Char(','));
}

QString SqlDialect::placeholders(qsizetype count) {
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

QString SqlDialect::insertInto(const QString& table, const QStringList& columns) {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quote(table), quotedList(columns), placeholders(columns.size()));
}

void bindValues(QSqlQuery& query, const QVariantList& values) {
    for (const QVariant& v : values)
        query.addBindValue(v);
}

QVariantList emptyTextsNotNull(QVariantList values) {
    for (QVariant& v : values) {
        if (v.typeId() == QMetaType::QString && v.toString().isNull())
            v = QString(QLatin1String(""));
    }
    return values;
}

QString SqlDialect::createTable(const TableSchema& schema) const {
    QStringList parts;
    for (const Column& c : schema.columns) {
        QString def = quote(c.name) + QLatin1Char(' ') + columnType(c);
        if (c.type == ColumnType::Text) {
            if (!typeLimitsWidth())
                def += QStringLiteral(" CHECK (length(%1) <= %2)").arg(quote(c.name)).arg(c.width);
            if (!c.zeroLength)
                def += QStringLiteral(" CHECK (%1 <> '')").arg(quote(c.name));
        }
        parts << def;
    }
    if (!schema.primaryKey.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(quote(schema.primaryKey));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quote(schema.name), parts.join(QLatin1String(", ")));
}

QStringList SqlDialect::createIndexes(const TableSchema& schema) const {
    QStringList statements;
    for (const TableIndex& index : schema.indexes) {
        QStringList quoted;
        QString name = schema.name;
        for (const QString& c : index.columns) {
            quoted << quote(c);
            name += QLatin1Char('_') + c;
        }
        QString statement =
            QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                .arg(quote(name), quote(schema.name), quoted.join(QLatin1String(", ")));
        if (!index.condition.isEmpty())
            statement += QStringLiteral(" WHERE ") + index.condition;
        statements << statement;
    }
    return statements;
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
    return namesOf(db, QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), table);
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
    return namesOf(db,
                   QStringLiteral("SELECT a.attname FROM pg_attribute a "
                                  "JOIN pg_class c ON c.oid = a.attrelid "
                                  "JOIN pg_namespace n ON n.oid = c.relnamespace "
                                  "WHERE c.relname = ? AND n.nspname = current_schema() "
                                  "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
                   table);
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

QString SqliteDialect::likeCondition(const QString& expr) const {
    return expr + QStringLiteral(" LIKE ? ESCAPE '\\'");
}

QString SqliteDialect::regexCondition(const QString& expr) const {
    return expr + QStringLiteral(" REGEXP ?");
}

QString SqliteDialect::regexPattern(const QString& anchoredRegex) const {
    return QStringLiteral("(?is)") + anchoredRegex;
}

QString SqliteDialect::leadingNumber(const QString& expr) const {
    // SQLite's cast takes the longest numeric prefix, as the old val() did.
    return QStringLiteral("CAST(%1 AS REAL)").arg(expr);
}

// The case-insensitive collation admits no pattern matching on the server, so the
// patterns match under the database's default collation, without regard to case.
// The columns' own collation is not deterministic, which LIKE refuses; ICU's root
// collation folds case beyond ASCII whatever locale the server was set up with.
QString PostgresDialect::likeCondition(const QString& expr) const {
    return QStringLiteral("(%1 COLLATE \"und-x-icu\") ILIKE ? ESCAPE '\\'").arg(expr);
}

QString PostgresDialect::regexCondition(const QString& expr) const {
    return QStringLiteral("(%1 COLLATE \"und-x-icu\") ~* ?").arg(expr);
}

// The server's expressions match newlines with "." already.
QString PostgresDialect::regexPattern(const QString& anchoredRegex) const {
    return anchoredRegex;
}

// Leading blanks, a sign and digits with an optional decimal point, as the
// embedded engine's cast reads them; no number gives 0.
QVariant PostgresDialect::timeOfDay(const QTime& time) const {
    return QDateTime(QDate(1899, 12, 30), time);
}

QString PostgresDialect::leadingNumber(const QString& expr) const {
    return QStringLiteral("COALESCE(CAST(substring(%1 COLLATE \"default\" FROM "
                          "'^\\s*([+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+))') AS double precision), 0)")
        .arg(expr);
}

} // namespace palomex
