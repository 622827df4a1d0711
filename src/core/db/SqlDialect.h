#pragma once
// What differs between the database engines: driver, column types, table listing.

#include "db/Schema.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
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

    QString createTable(const TableSpec& spec) const;

    // Identifiers in double quotation marks: table and column names carry umlauts,
    // user names may carry anything.
    static QString quote(const QString& name);

protected:
    // Whether the column type itself refuses over-long text.
    virtual bool typeLimitsWidth() const = 0;
};

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

protected:
    bool typeLimitsWidth() const override { return true; }
};

} // namespace palomex
