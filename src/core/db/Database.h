#pragma once
// The open label database: one Qt SQL connection, its engine dialect, and the
// operations on the schema (tables, label tables, upgrade, scratch table).

#include "db/Schema.h"
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

namespace palomex {

class Database {
public:
    // Opens the database at path, creating an empty one when no file is there.
    // A file that is not a database of ours is refused with an AppError naming the
    // path, and left as it was.
    static std::unique_ptr<Database> open(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }

    // Exchanges the open databases, so that every holder of this object uses the
    // other one from now on (a new database path, a compacted file).
    void swap(Database& other) noexcept;
    QSqlDatabase connection() const { return QSqlDatabase::database(connectionName_); }
    const SqlDialect& dialect() const { return *dialect_; }

    // Non-system tables in the engine's order.
    QStringList tables() const;
    // Tables whose first column is EtikName, in the same order.
    QStringList labelTables() const;
    bool hasTable(const QString& name) const;
    // The table that becomes current for a stored user name: that name when it is a
    // label table, else the first label table (empty when there is none).
    QString currentLabelTable(const QString& benutzername) const;

    // Creates the table with its indexes; false when the engine refuses (for
    // instance, it exists).
    bool createTable(const TableSpec& spec);
    // Adds the secondary indexes of the shared tables that a database lacks.
    void ensureIndexes();
    // Creates a user's label table.
    bool machNeuBenutzer(const QString& name) { return createTable(labelTableSpec(name)); }
    // Schema upgrade: creates the shared tables that are missing and their indexes, then adds the
    // labels of the seed database whose names "Etiketten" does not hold yet.
    // Returns the number of labels added. Failing steps are skipped.
    int update(const QString& seedPath);

    // The table in which this workstation builds its log query results.
    static QString scratchTableName();
    void dropScratchTable();

private:
    Database(QString path, std::unique_ptr<SqlDialect> dialect, QString connectionName);
    void closeConnection();
    int importSeedLabels(const QString& seedPath);

    QString path_;
    std::unique_ptr<SqlDialect> dialect_;
    QString connectionName_;
};

} // namespace palomex
