#include "db/ServerNveLock.h"

#include "db/SqlDialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace palomex {

namespace {

const QString kLockNotAvailable = QStringLiteral("55P03");

QString nextName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("palomex-nve-lock-%1").arg(++counter);
}

// 64-bit key of the base's session lock; other bases never share it in practice.
const QString kSessionKey = QStringLiteral("hashtextextended('HöchstNVE:' || ?, 0)");

} // namespace

ServerNveLock::ServerNveLock(const Database& db, const QString& base, qint64 startNumber)
    : db_(db), base_(base), connectionName_(nextName()) {
    db_.openSeparateConnection(connectionName_);
    try {
        QSqlQuery q =
            run(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(kSessionKey), {base_});
        if (!q.next() || !q.value(0).toBool())
            throw AppError(err::RecordLocked, QStringLiteral("HöchstNVE"),
                           QStringLiteral("could not obtain lock on row in relation \"%1\"")
                               .arg(table::HoechstNVE));
        held_ = true;
        exec(QStringLiteral("BEGIN"));
        // The row is created under the base's session lock, so two runs never add
        // two rows for one base.
        const bool create = lockRow() == 0;
        if (create) {
            exec(insertMissingBaseSql(), {base_, storedRunningNumber(startNumber), base_});
            lockRow();
        }
        held(highest_, create);
    } catch (...) {
        abandon();
        throw;
    }
}

ServerNveLock::~ServerNveLock() {
    abandon();
}

void ServerNveLock::abandon() {
    if (held_) {
        try {
            exec(QStringLiteral("ROLLBACK"));
            unlockBase();
        } catch (const AppError&) {
            // The server is gone, and the locks with it.
        }
    }
    {
        QSqlDatabase c = QSqlDatabase::database(connectionName_, false);
        c.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

// Closing the session would drop the lock too, but only once the server has noticed;
// the next run of this very workstation may come sooner.
void ServerNveLock::unlockBase() {
    exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kSessionKey), {base_});
    held_ = false;
}

QSqlQuery ServerNveLock::run(const QString& sql, const QVariantList& values) {
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    bool ok = false;
    if (values.isEmpty()) {
        ok = q.exec(sql); // transaction control cannot be prepared
    } else if (q.prepare(sql)) {
        for (const QVariant& v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok) {
        if (q.lastError().nativeErrorCode() == kLockNotAvailable)
            throw AppError(err::RecordLocked, QStringLiteral("HöchstNVE"),
                           q.lastError().databaseText());
        throw db_.failure(q.lastError(), QSqlDatabase::database(connectionName_, false));
    }
    return q;
}

void ServerNveLock::exec(const QString& sql, const QVariantList& values) {
    run(sql, values);
}

int ServerNveLock::lockRow(bool wait) {
    QSqlQuery q = run(selectBaseSql() + (wait ? QStringLiteral(" FOR UPDATE")
                                              : QStringLiteral(" FOR UPDATE NOWAIT")),
                      {base_});
    const BaseRows rows = readBaseRows(q);
    highest_ = rows.highest;
    return rows.count;
}

// The row has been locked since the last read, so what it holds is current.
std::optional<qint64> ServerNveLock::beginWrite() {
    return highest_;
}

void ServerNveLock::writeRow(const QString& stored) {
    exec(updateBaseSql(), {stored, base_});
}

void ServerNveLock::endWrite() {
    exec(QStringLiteral("COMMIT"));
    exec(QStringLiteral("BEGIN"));
    // A writer outside the program may have slipped in between; its number counts.
    lockRow(true);
}

void ServerNveLock::unlock() {
    exec(QStringLiteral("COMMIT"));
    unlockBase();
}

} // namespace palomex
