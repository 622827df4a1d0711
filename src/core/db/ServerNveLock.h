#pragma once
// The HöchstNVE row of one base number held for a print run on a server database.

#include "app/AppError.h"
#include "db/Database.h"
#include "db/NveLock.h"

#include <QSqlQuery>
#include <QString>
#include <optional>

namespace palomex {

// Holds the row locked (SELECT ... FOR UPDATE NOWAIT) on a connection of its own, so
// the rest of the program's work is not inside the reservation's transaction. A
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
    std::optional<qint64> beginWrite() override;
    void writeRow(const QString& stored) override;
    // Commits while keeping the row locked.
    void endWrite() override;
    void unlock() override;

    QSqlQuery run(const QString& sql, const QVariantList& values = {});
    void exec(const QString& sql, const QVariantList& values = {});
    // The number of rows of the base, locked; refused at once when somebody else
    // holds one, or waiting for them.
    int lockRow(bool wait = false);
    void unlockBase();
    void abandon(); // rolls back, unlocks and closes the connection

    const Database& db_;
    QString base_;
    QString connectionName_;
    std::optional<qint64> highest_; // what the row holds now
    bool held_ = false;             // the base's session lock
};

} // namespace palomex
