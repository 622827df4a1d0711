#include "db/SqlDialect.h"

#include <QStringList>

namespace palomex {

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

QString SqlDialect::createTable(const TableSpec& spec) const {
    QStringList parts;
    for (const Column& c : spec.columns) {
        QString def = quote(c.name) + QLatin1Char(' ') + columnType(c);
        if (c.type == ColumnType::Text) {
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

QStringList SqlDialect::createIndexes(const TableSpec& spec) const {
    QStringList statements;
    for (const std::vector<QString>& columns : spec.indexes) {
        QStringList quoted;
        QString name = spec.name;
        for (const QString& c : columns) {
            quoted << quote(c);
            name += QLatin1Char('_') + c;
        }
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                          .arg(quote(name), quote(spec.name), quoted.join(QLatin1String(", ")));
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

} // namespace palomex
