#pragma once
// The HöchstNVE row of one base number held for a print run: locked, read once,
// advanced as labels are printed, released with the last printed number. One
// implementation per engine; a competing run on the same base is refused at once.

#include "db/Database.h"

#include <QSqlQuery>
#include <QString>
#include <memory>
#include <optional>

namespace palomex {

namespace err {
// The number users know for a record locked by another workstation.
inline constexpr int RecordLocked = 3260;
// "The field is too small to accept the amount of data".
inline constexpr int FieldTooSmall = 3163;
} // namespace err

class NveLock {
public:
    virtual ~NveLock() = default; // abandons: what was recorded stays, the lock goes

    // The highest running number stored for the base when the lock was taken.
    virtual std::optional<qint64> highest() const = 0;
    // Stores n as the highest number (when higher) durably, keeping the lock.
    virtual void recordPrinted(qint64 n) = 0;
    // Stores the last printed number and unlocks. The stored number may go down to
    // lastPrinted again when the run ended before the numbers it had recorded ahead,
    // since no other run can have used them meanwhile; never below the number stored
    // when the lock was taken.
    virtual void release(qint64 lastPrinted) = 0;
};

// Locks the row of base (digits, no blanks) on the database's engine, creating it
// with startNumber when the base has none. Throws AppError RecordLocked with the
// engine's text when another run holds the base.
std::unique_ptr<NveLock> lockNveBase(const Database& db, const QString& base, qint64 startNumber);

// The highest running number stored for base, read without locking anything.
std::optional<qint64> storedHighest(const Database& db, const QString& base);

// The statements on the base's rows both engines share; "?" are the base (and the
// number): adds the row when the base has none (base, number, base), reads the
// stored numbers (base), and stores a number (number, base).
QString insertMissingBaseSql();
QString selectBaseSql();
QString updateBaseSql();

// The rows a selectBaseSql() query found and the highest number among them.
struct BaseRows {
    int count = 0;
    std::optional<qint64> highest;
};
BaseRows readBaseRows(QSqlQuery& query);

// The text a running number is stored as; throws a clear AppError when the column
// cannot hold it, so that a number is refused before its label is printed.
QString storedRunningNumber(qint64 n);
// The number a stored text stands for; nothing for an empty or unreadable text.
std::optional<qint64> runningNumberOf(const QString& stored);

} // namespace palomex
