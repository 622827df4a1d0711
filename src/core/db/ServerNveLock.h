#pragma once
// The HöchstNVE row of one base number held for a print run on a server database.

#include "app/AppError.h"
#include "db/Database.h"
#include "db/NveLock.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <optional>

namespace palomex {

// Holds the row locked (SELECT ... FOR UPDATE NOWAIT) on a connection apart from the
// program's, so the rest of the program's work is not inside the reservation's
// transaction; the database keeps that connection for the next reservation. A
// session lock on the base number spans the moments between transactions, so a
// competing run is refused at once throughout. The server drops both locks when the
// client dies; recordPrinted() makes a number durable before it is printed, so a
// run cut short never leads to a number being issued again.
class ServerNveLock final : public NveLock {
public:
    // Locks the row of base (digits, no blanks), creating it with startNumber when
    // the base has none. Throws AppError RecordLocked with the server's text when
    // another run holds it, and the database's failure() when the server is gone.
    ServerNveLock(const Database& db, const QString& base, qint64 startNumber);
    ~ServerNveLock() override;
    ServerNveLock(const ServerNveLock&) = delete;
    ServerNveLock& operator=(const ServerNveLock&) = delete;

private:
    struct Statements;

    std::optional<qint64> beginWrite() override;
    void writeRow(const QString& stored) override;
    // Commits while keeping the row locked.
    void endWrite() override;
    // Leaves the write to the commit of unlock(), which follows.
    void endLastWrite() override {}
    void unlock() override;

    QSqlDatabase connection() const;
    Statements& statements();
    // pg_try_advisory_lock on the base; false when somebody else holds it.
    bool takeBase();
    QSqlQuery& run(QSqlQuery& prepared, const QVariantList& values);
    void exec(const QString& sql);
    [[noreturn]] void fail(const QSqlError& error);
    // The number of rows of the base, locked; refused at once when somebody else
    // holds one, or waiting for them.
    int lockRow(bool wait = false);
    void unlockBase();
    void abandon(); // rolls back, unlocks and gives the connection back

    const Database& db_;
    QString base_;
    Database::ReservationConnection connection_;
    std::optional<qint64> highest_; // what the row holds now
    bool held_ = false;             // the base's session lock
};

} // namespace palomex
