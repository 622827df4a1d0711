#pragma once
// The table HöchstNVE: per base number the highest running number printed. This
// module is the only code that writes the table; no other code may. Every writer
// holds the base's reservation while it writes, re-reads the row under the engine's
// write exclusion first, and never lowers a number somebody else raised, so a number
// once recorded is never handed out again.

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

// The HöchstNVE row of one base number held for a print run: locked, read once,
// advanced as labels are printed, released with the last printed number. One
// implementation per engine; a competing holder of the base is refused at once.
class NveLock {
public:
    virtual ~NveLock() = default; // abandons: what was recorded stays, the lock goes

    // The highest running number stored for the base when the lock was taken.
    std::optional<qint64> highest() const { return atLock_; }
    // Whether the base had no row before this lock added it.
    bool createdRow() const { return created_; }
    // Stores n as the highest number when the row holds less, durably, keeping the
    // lock; numbers recorded so are ones this holder takes ahead.
    void recordPrinted(qint64 n);
    // Stores a running number as another database wrote it (leading zeros kept)
    // when it is higher than the row's, or the row was made for it.
    void recordText(const QString& running);
    // Stores the last printed number (nothing: none was printed) and unlocks. The
    // numbers this holder recorded ahead and did not print are given back, unless
    // somebody raised the row meanwhile; never below the number stored when the
    // lock was taken.
    void release(std::optional<qint64> lastPrinted);

protected:
    // Called by the constructors of the engines once the row is held; created when
    // they added it.
    void held(std::optional<qint64> inRow, bool created) {
        atLock_ = inRow;
        created_ = created;
    }
    // Starts a write: re-reads the row so that nobody else changes it until
    // endWrite(), and returns what it holds.
    virtual std::optional<qint64> beginWrite() = 0;
    virtual void writeRow(const QString& stored) = 0;
    // Makes the write durable; the row stays held.
    virtual void endWrite() = 0;
    // Ends the last write, which unlock() follows at once; by default as endWrite().
    virtual void endLastWrite() { endWrite(); }
    // Ends the reservation after the last write.
    virtual void unlock() = 0;

private:
    // Writes text (the number n) when it raises the row, when mayLower and the row
    // still holds what this holder took ahead, or when overwrite; true when written.
    // The last write is the one before unlock().
    bool write(qint64 n, const QString& text, bool mayLower, bool overwrite = false,
               bool last = false);

    std::optional<qint64> atLock_;
    std::optional<qint64> ownAhead_; // the number this holder wrote last
    bool created_ = false;
};

// Locks the row of base (digits, no blanks) on the database's engine, creating it
// with startNumber when the base has none. Throws AppError RecordLocked with the
// engine's text when another holder has the base.
std::unique_ptr<NveLock> lockNveBase(const Database& db, const QString& base, qint64 startNumber);

// The highest running number stored for base, read without locking anything.
std::optional<qint64> storedHighest(const Database& db, const QString& base);

// What höchst_NVE did with a number.
enum class HighestChange { Added, Raised, Unchanged };

// höchst_NVE: records the running number (a text of digits) as the highest of base
// (digits, no blanks) when it is higher than the stored one, under the base's
// reservation. Throws AppError RecordLocked while a print run holds the base,
// FieldTooSmall when the number does not fit, and a clear AppError for a text that
// is no number.
HighestChange recordHighest(const Database& db, const QString& base, const QString& running);

// A row an administrator types into the table by hand: a new base, or a higher
// number of a base, recorded as recordHighest does. A lower number is refused with
// a clear AppError, as it would hand out printed NVEs again.
HighestChange editHighestByHand(const Database& db, const QString& base, const QString& running);

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
// The same for a running number given as text, which is kept as it is.
QString storedRunningNumber(const QString& running);
// The number a stored text stands for; nothing for an empty or unreadable text.
std::optional<qint64> runningNumberOf(const QString& stored);

} // namespace palomex
