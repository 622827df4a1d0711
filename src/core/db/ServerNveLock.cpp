#include "db/ServerNveLock.h"

#include "db/SqlDialect.h"

#include <QSqlError>
#include <QSqlQuery>

namespace palomex {

namespace {

const QString kLockNotAvailable = QStringLiteral("55P03");

// 64-bit key of the base's session lock; other bases never share it in practice.
const QString kSessionKey = QStringLiteral("hashtextextended('HöchstNVE:' || ?, 0)");

} // namespace

// The statements a reservation runs, prepared once on a kept connection: a run then
// costs one exchange with the server per statement.
struct ServerNveLock::Statements {
    explicit Statements(const QSqlDatabase& c)
        : tryLock(c), unlock(c), lockRow(c), lockRowWaiting(c), update(c) {
        tryLock.prepare(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(kSessionKey));
        unlock.prepare(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kSessionKey));
        lockRow.prepare(selectBaseSql() + QStringLiteral(" FOR UPDATE NOWAIT"));
        lockRowWaiting.prepare(selectBaseSql() + QStringLiteral(" FOR UPDATE"));
        update.prepare(updateBaseSql());
    }
    QSqlQuery tryLock, unlock, lockRow, lockRowWaiting, update;
};

ServerNveLock::ServerNveLock(const Database& db, const QString& base, qint64 startNumber)
    : db_(db), base_(base), connection_(db.takeReservationConnection()) {
    try {
        if (!takeBase())
            throw AppError(err::RecordLocked, QStringLiteral("HöchstNVE"),
                           QStringLiteral("could not obtain lock on row in relation \"%1\"")
                               .arg(table::HoechstNVE));
        held_ = true;
        exec(QStringLiteral("BEGIN"));
        // The row is created under the base's session lock, so two runs never add
        // two rows for one base.
        const bool create = lockRow() == 0;
        if (create) {
            QSqlQuery insert(connection());
            insert.prepare(insertMissingBaseSql());
            run(insert, {base_, storedRunningNumber(startNumber), base_});
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

QSqlDatabase ServerNveLock::connection() const {
    return QSqlDatabase::database(connection_.name, false);
}

ServerNveLock::Statements& ServerNveLock::statements() {
    if (!connection_.prepared)
        connection_.prepared = std::make_shared<Statements>(connection());
    return *std::static_pointer_cast<Statements>(connection_.prepared);
}

// The connection was kept from an earlier run and the server may have ended it
// since (a restart); nothing is held yet, so it is opened once more and asked again.
bool ServerNveLock::takeBase() {
    QSqlQuery* q = &statements().tryLock;
    q->bindValue(0, base_);
    if (!q->exec()) {
        QSqlDatabase c = connection();
        if (!db_.connectionLost(c))
            throw db_.failure(q->lastError(), c);
        connection_.prepared.reset();
        c.close();
        if (!c.open())
            throw db_.failure(c.lastError(), c);
        q = &run(statements().tryLock, {base_});
    }
    return q->next() && q->value(0).toBool();
}

void ServerNveLock::abandon() {
    bool clean = !held_;
    if (held_) {
        try {
            exec(QStringLiteral("ROLLBACK"));
            unlockBase();
            clean = true;
        } catch (const AppError&) {
            // The server is gone, and the locks with it.
        }
    }
    const bool reusable = clean && !db_.connectionLost(connection());
    db_.giveBackReservationConnection(std::move(connection_), reusable);
}

// Closing the session would drop the lock too, but only once the server has noticed;
// the next run of this very workstation may come sooner.
void ServerNveLock::unlockBase() {
    run(statements().unlock, {base_});
    held_ = false;
}

QSqlQuery& ServerNveLock::run(QSqlQuery& q, const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        fail(q.lastError());
    return q;
}

// Transaction control, which cannot be prepared.
void ServerNveLock::exec(const QString& sql) {
    QSqlQuery q(connection());
    if (!q.exec(sql))
        fail(q.lastError());
}

void ServerNveLock::fail(const QSqlError& error) {
    if (error.nativeErrorCode() == kLockNotAvailable)
        throw AppError(err::RecordLocked, QStringLiteral("HöchstNVE"), error.databaseText());
    throw db_.failure(error, connection());
}

int ServerNveLock::lockRow(bool wait) {
    Statements& s = statements();
    const BaseRows rows = readBaseRows(run(wait ? s.lockRowWaiting : s.lockRow, {base_}));
    highest_ = rows.highest;
    return rows.count;
}

// The row has been locked since the last read, so what it holds is current.
std::optional<qint64> ServerNveLock::beginWrite() {
    return highest_;
}

void ServerNveLock::writeRow(const QString& stored) {
    run(statements().update, {stored, base_});
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
