#pragma once
// The open label database: one Qt SQL connection, its engine dialect, and the
// operations on the schema (tables, label tables, upgrade, scratch table). The
// database is an embedded file, or a shared one on a server when the path is a
// connection URI (postgresql://user@host:port/dbname).

#include "app/AppError.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace palomex {

class Database {
public:
    // Opens the database at path, creating an empty one when no file is there.
    // A file that is not a database of ours is refused with an AppError naming the
    // path, and left as it was. A connection URI opens the server database it names;
    // without a password in the URI the client library takes it from PGPASSWORD or
    // ~/.pgpass.
    static std::unique_ptr<Database> open(const QString& path);
    static bool isServerUri(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }

    // Exchanges the open databases, so that every holder of this object uses the
    // other one from now on (a new database path, a compacted file).
    void swap(Database& other) noexcept;
    // The program's connection. A server connection that was lost is opened again
    // here, so the program works on once the server is back.
    QSqlDatabase connection() const;
    const SqlDialect& dialect() const { return *dialect_; }

    // False when the server cannot be reached (after one attempt to reconnect).
    bool reachable() const;
    // The error to report for a failed statement: "Datenbank nicht erreichbar: "
    // with the server's text when the connection is gone, else the engine's text.
    AppError failure(const QSqlError& error) const;
    // The same for a statement on a separate connection.
    AppError failure(const QSqlError& error, const QSqlDatabase& on) const;
    // A further connection of its own to the same database, already open, for work
    // that must not share the program's transaction (the NVE reservation). The
    // caller closes it and removes it by name. Throws failure() when it cannot open.
    QSqlDatabase openSeparateConnection(const QString& name) const;
    // The server connection of the NVE reservations: one kept open for the next
    // reservation once given back, with what the reservation prepared on it, so a run
    // pays for neither a new server session nor preparing its statements again. A
    // further one is opened while the kept one is in use. Used on the thread that
    // opened the database.
    struct ReservationConnection {
        QString name;
        std::shared_ptr<void> prepared; // dropped before the connection closes
    };
    // Throws failure() when no connection can be opened.
    ReservationConnection takeReservationConnection() const;
    // Keeps the connection when reusable (no transaction, no lock of its own left),
    // else closes it.
    void giveBackReservationConnection(ReservationConnection connection, bool reusable) const;
    // Whether a connection to the server was lost (always false when embedded).
    bool connectionLost(const QSqlDatabase& db) const;
    // Column names of a table in their order.
    QStringList columnNames(const QString& table) const;

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
    bool createTable(const TableSchema& schema);
    // Adds the secondary indexes of the shared tables that a database lacks.
    void ensureIndexes();
    // Creates a user's label table.
    bool machNeuBenutzer(const QString& name) { return createTable(labelTableSchema(name)); }
    // Schema upgrade: creates the shared tables that are missing and their indexes, then adds the
    // labels of the seed database whose names "Etiketten" does not hold yet.
    // Returns the number of labels added. Failing steps are skipped.
    int update(const QString& seedPath);

    // Exclusive use of an embedded database, as compaction needs it: afterwards no
    // other connection, in this program or another, opens the file or reserves an
    // NVE base until endExclusiveUse(). The reason when another one has it open or
    // holds a reservation; the database is then left as it was.
    std::optional<QString> takeExclusiveUse();
    void endExclusiveUse();
    // Closes this connection, runs whileClosed (which may replace the file) and opens
    // the file at the same path again; the engine's text when it cannot.
    std::optional<QString> reopenAfter(const std::function<void()>& whileClosed);

    // The table in which this workstation builds its log query results.
    static QString scratchTableName();
    void dropScratchTable();

private:
    Database(QString path, std::unique_ptr<SqlDialect> dialect, QString connectionName);
    static std::unique_ptr<Database> openServer(const QString& uri);
    void closeConnection();
    int importSeedLabels(const QString& seedPath);

    QString path_;
    std::unique_ptr<SqlDialect> dialect_;
    QString connectionName_;
    mutable QString lastConnectError_; // the server's text of the last failed reconnect
    mutable std::optional<ReservationConnection> idleReservationConnection_;
    // An embedded database is marked in use, for as long as it is open, by a shared
    // lock in the file of its NVE reservations; compaction takes it exclusively.
    int useLock_ = -1;
};

} // namespace palomex
