#include "db/NveLock.h"

#include "app/Captions.h"
#include "db/EmbeddedNveLock.h"
#include "db/Schema.h"
#include "db/ServerNveLock.h"
#include "entry/NveNumbers.h"
#include "entry/NveStrings.h"

#include <QSqlQuery>

namespace palomex {

namespace {

int runningNumberWidth() {
    for (const Column& c : hoechstNveSchema().columns) {
        if (c.name == QLatin1String("NVE_LaufNr"))
            return c.width;
    }
    return 0;
}

QString lockedTable() {
    return SqlDialect::quote(table::HoechstNVE);
}

} // namespace

bool NveLock::write(qint64 n, const QString& text, bool mayLower, bool overwrite, bool last) {
    const std::optional<qint64> inRow = beginWrite();
    const bool raises = !inRow || *inRow < n;
    // Only numbers this holder took ahead itself come back; a row somebody else
    // raised since (an import, another installation's numbers) keeps its number.
    const bool givesBack = mayLower && ownAhead_ && inRow == ownAhead_ && n < *inRow;
    const bool writes = raises || givesBack || overwrite;
    if (writes)
        writeRow(text);
    if (last)
        endLastWrite();
    else
        endWrite();
    return writes;
}

void NveLock::recordPrinted(qint64 n) {
    if (write(n, storedRunningNumber(n), false))
        ownAhead_ = n;
}

void NveLock::recordText(const QString& running) {
    const QString text = storedRunningNumber(running);
    write(*runningNumberOf(text), text, false, created_);
}

void NveLock::release(std::optional<qint64> lastPrinted) {
    std::optional<qint64> keep = lastPrinted;
    if (atLock_ && (!keep || *keep < *atLock_))
        keep = atLock_;
    if (keep)
        write(*keep, storedRunningNumber(*keep), true, false, true);
    unlock();
}

std::unique_ptr<NveLock> lockNveBase(const Database& db, const QString& base, qint64 startNumber) {
    if (db.dialect().isServer())
        return std::make_unique<ServerNveLock>(db, base, startNumber);
    return std::make_unique<EmbeddedNveLock>(db, base, startNumber);
}

HighestChange recordHighest(const Database& db, const QString& base, const QString& running) {
    const qint64 n = *runningNumberOf(storedRunningNumber(running)); // refused before locking
    const auto lock = lockNveBase(db, base, n);
    const std::optional<qint64> before = lock->highest();
    lock->recordText(running);
    lock->release(std::nullopt);
    if (lock->createdRow())
        return HighestChange::Added;
    return before && *before >= n ? HighestChange::Unchanged : HighestChange::Raised;
}

HighestChange editHighestByHand(const Database& db, const QString& base, const QString& running) {
    const HighestChange change = recordHighest(db, base, running);
    const std::optional<qint64> stored = storedHighest(db, base);
    if (change == HighestChange::Unchanged && stored && *stored > *runningNumberOf(running))
        throw AppError(err::FieldTooSmall, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::OnlyRaised).arg(*stored));
    return change;
}

std::optional<qint64> storedHighest(const Database& db, const QString& base) {
    QSqlQuery q(db.connection());
    q.prepare(selectBaseSql());
    q.addBindValue(base);
    if (!q.exec())
        throw db.failure(q.lastError());
    return readBaseRows(q).highest;
}

BaseRows readBaseRows(QSqlQuery& query) {
    BaseRows rows;
    for (; query.next(); ++rows.count) {
        const std::optional<qint64> n = runningNumberOf(query.value(0).toString());
        if (n && (!rows.highest || *n > *rows.highest))
            rows.highest = n;
    }
    return rows;
}

QString insertMissingBaseSql() {
    return QStringLiteral("INSERT INTO %1 (\"NVE_Basis\", \"NVE_LaufNr\") SELECT ?, ? "
                          "WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE \"NVE_Basis\" = ?)")
        .arg(lockedTable());
}

QString selectBaseSql() {
    return QStringLiteral("SELECT \"NVE_LaufNr\" FROM %1 WHERE \"NVE_Basis\" = ?")
        .arg(lockedTable());
}

QString updateBaseSql() {
    return QStringLiteral("UPDATE %1 SET \"NVE_LaufNr\" = ? WHERE \"NVE_Basis\" = ?")
        .arg(lockedTable());
}

QString storedRunningNumber(qint64 n) {
    if (n < 0)
        throw AppError(err::FieldTooSmall, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::RunningNotNumber).arg(n));
    return storedRunningNumber(QString::number(n));
}

QString storedRunningNumber(const QString& running) {
    const QString text = running.trimmed();
    static const int width = runningNumberWidth();
    if (!runningAcceptable(text))
        throw AppError(err::FieldTooSmall, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::RunningNotNumber).arg(running));
    if (text.size() > width)
        throw AppError(err::FieldTooSmall, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::NumberTooWide).arg(text).arg(width));
    return text;
}

std::optional<qint64> runningNumberOf(const QString& stored) {
    bool ok = false;
    const qint64 n = stored.trimmed().toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

} // namespace palomex
