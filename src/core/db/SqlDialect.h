#pragma once
// What differs between the database engines: driver, column types, table listing.

#include "db/Schema.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <QVariantList>
#include <memory>

namespace palomex {

class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    virtual QString driver() const = 0;
    // True for an engine behind a network connection that can go away.
    virtual bool isServer() const = 0;
    // Non-system tables of the database in the engine's stable order (creation order).
    virtual QString listTablesQuery() const = 0;
    virtual QString columnType(const Column& column) const = 0;
    // Column names of a table in their order; empty when there is no such table.
    virtual QStringList columnNames(const QSqlDatabase& db, const QString& table) const = 0;
    // Statements that must have run before the first table is created.
    virtual QStringList schemaPrerequisites() const { return {}; }
    // "<expr> <op> ?" matching without regard to case: a LIKE pattern with "\\" as
    // escape character, or an anchored regular expression as regexPattern returns it.
    virtual QString likeCondition(const QString& expr) const = 0;
    virtual QString regexCondition(const QString& expr) const = 0;
    virtual QString regexPattern(const QString& anchoredRegex) const = 0;
    // The numeric value of the leading digits of a text column, 0 for none.
    virtual QString leadingNumber(const QString& expr) const = 0;
    // A time of day as a date/time column takes it.
    virtual QVariant timeOfDay(const QTime& time) const { return time; }

    QString createTable(const TableSchema& schema) const;
    // One statement per secondary index, each a no-op when the index exists.
    QStringList createIndexes(const TableSchema& schema) const;

    // Identifiers in double quotation marks: table and column names carry umlauts,
    // user names may carry anything.
    static QString quote(const QString& name);
    static QString quotedList(const QStringList& names); // "a","b"
    static QString placeholders(qsizetype count);        // ?,?,?
    // INSERT INTO table (columns) VALUES (?, ...)
    static QString insertInto(const QString& table, const QStringList& columns);

protected:
    // Whether the column type itself refuses over-long text.
    virtual bool typeLimitsWidth() const = 0;
};

void bindValues(QSqlQuery& query, const QVariantList& values);
// Qt binds a null QString as NULL. Texts the program composes (filters, log
// fields) that happen to be empty must stay texts, or comparisons become unknown.
QVariantList emptyTextsNotNull(QVariantList values);

// Embedded default. Text compares without case, as label names always did; widths
// and the zero-length rule are enforced by CHECK constraints so an over-long value
// is refused instead of silently stored.
class SqliteDialect final : public SqlDialect {
public:
    QString driver() const override { return QStringLiteral("QSQLITE"); }
    bool isServer() const override { return false; }
    QString listTablesQuery() const override;
    QString columnType(const Column& column) const override;
    QStringList columnNames(const QSqlDatabase& db, const QString& table) const override;
    QString likeCondition(const QString& expr) const override;
    QString regexCondition(const QString& expr) const override;
    QString regexPattern(const QString& anchoredRegex) const override;
    QString leadingNumber(const QString& expr) const override;

protected:
    bool typeLimitsWidth() const override { return false; }
};

// A shared database on a server. Text columns use a case-insensitive collation so
// that label names compare and stay unique without regard to case, as they do in
// the embedded engine.
class PostgresDialect final : public SqlDialect {
public:
    QString driver() const override { return QStringLiteral("QPSQL"); }
    bool isServer() const override { return true; }
    QString listTablesQuery() const override;
    QString columnType(const Column& column) const override;
    QStringList columnNames(const QSqlDatabase& db, const QString& table) const override;
    QStringList schemaPrerequisites() const override;
    QString likeCondition(const QString& expr) const override;
    QString regexCondition(const QString& expr) const override;
    QString regexPattern(const QString& anchoredRegex) const override;
    QString leadingNumber(const QString& expr) const override;
    // A timestamp column takes no bare time: the day zero of the date columns
    // carries it, as the time-only values of older databases do.
    QVariant timeOfDay(const QTime& time) const override;

protected:
    bool typeLimitsWidth() const override { return true; }
};

} // namespace palomex
