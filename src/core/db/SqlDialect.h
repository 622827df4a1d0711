#pragma once
// What differs between the database engines: driver, column types, table listing.

#include "db/Schema.h"

#include <QString>
#include <memory>

namespace palomex {

class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    virtual QString driver() const = 0;
    // Non-system tables of the database in the engine's stable order (creation order).
    virtual QString listTablesQuery() const = 0;
    virtual QString columnType(const Column& column) const = 0;

    QString createTable(const TableSpec& spec) const;

    // Identifiers in double quotation marks: table and column names carry umlauts,
    // user names may carry anything.
    static QString quote(const QString& name);
};

// Embedded default. Text compares without case, as label names always did; widths
// and the zero-length rule are enforced by CHECK constraints so an over-long value
// is refused instead of silently stored.
class SqliteDialect final : public SqlDialect {
public:
    QString driver() const override { return QStringLiteral("QSQLITE"); }
    QString listTablesQuery() const override;
    QString columnType(const Column& column) const override;
};

} // namespace palomex
