#pragma once
// The HöchstNVE row of one base number held for a print run on the embedded database.

#include "db/NveLock.h"

#include <QSqlQuery>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace palomex {

// SQLite has no row locks, and a write transaction held for the run would lock the
// whole file: the log, label saving and every other base, in every process, would
// wait for the run to end. So the base is reserved by a lock on one byte of a lock
// file beside the database, one byte per base so that bases never block each other,
// taken without waiting. The kernel drops the lock when its holder dies, however it
// dies, so a killed program never leaves a base blocked; on a shared folder the file
// system's lock service does the same for a workstation that goes away. The lock
// belongs to the open file (not to the process, as classic POSIX locks do), so two
// runs within one program exclude each other as well.
//
// The numbers are written on a connection of its own, each write a transaction that
// re-reads the row under the database's write lock first, durable when it returns:
// recordPrinted() before a label is drawn means a run cut short can leave a gap,
// never a repeat.
class EmbeddedNveLock final : public NveLock {
public:
    // Locks base (digits, no blanks), creating its row with startNumber when the
    // base has none. Throws AppError RecordLocked when another run holds it.
    EmbeddedNveLock(const Database& db, const QString& base, qint64 startNumber);
    ~EmbeddedNveLock() override;
    EmbeddedNveLock(const EmbeddedNveLock&) = delete;
    EmbeddedNveLock& operator=(const EmbeddedNveLock&) = delete;

    // The file holding the locks of every base of the database at path. It is named
    // after the database file itself, symbolic links resolved, so that every path
    // that reaches one file (a link, another mount of the folder) reaches one lock.
    static QString lockFilePath(const QString& databasePath);
    // Opens that file, not inherited by programs this one starts (they would hold its
    // locks on). Throws a clear AppError naming it when it cannot be used.
    static int openLockFile(const QString& databasePath);
    // Sets, changes or drops (F_UNLCK) the descriptor's lock on len bytes from
    // `from` (len 0: to any end); false, errno set, when another holder's lock is in
    // the way or the file system has no working locks.
    static bool lockBytes(int fd, short type, off_t from, off_t len);
    // The error for a lock file the file system does not lock (errno error).
    static AppError lockFileUnusable(const QString& databasePath, int error);

private:
    std::optional<qint64> beginWrite() override;
    void writeRow(const QString& stored) override;
    void endWrite() override;
    void unlock() override { abandon(); }

    void lockBase();
    QSqlQuery run(const QString& sql, const QVariantList& values = {});
    int readRow();  // the number of rows of the base
    void abandon(); // closes the connection, then drops the lock

    const Database& db_;
    QString base_;
    QString connectionName_;
    int lockFile_ = -1;
    std::optional<qint64> highest_; // what the row held when last read
};

} // namespace palomex
