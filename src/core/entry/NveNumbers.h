#pragma once
// An NVE is a base number (the sender's number range) followed by a running number
// padded with zeros to 17 digits together, then the modulo-10 check digit.

#include "output/PrintRun.h"

#include <QString>
#include <optional>

namespace palomex {

class Database;
class NveLock;

inline constexpr int kNveDigits = 17;
inline constexpr int kMaxBaseDigits = 10;
// The characters a label keeps of the typed base, blanks included.
inline constexpr int kBaseColumnWidth = 12;

// The base as typed without the blanks that group its digits for reading.
QString baseDigits(const QString& typedBase);
// Whether the typed base holds only digits and blanks, and at most ten digits.
bool baseAcceptable(const QString& typedBase);
// Whether the typed running number is a number: digits, with blanks around them at most.
bool runningAcceptable(const QString& typedRunning);
// The base once its field is left: a base grouped by blanks ends with one where the
// label has room for it, so the running number printed after it stands apart.
QString baseOnLeaving(const QString& typedBase);
// The question asked when the base field is left with more than ten digits; nothing
// while it has at most ten.
std::optional<QString> baseTooLongQuestion(const QString& typedBase);
// The number of NVEs once its field is left: "1" for anything that is not a whole
// number of at least 1, as no run prints fewer.
QString nveCountOnLeaving(const QString& typed);
// Running number n as the text that fills the base to 17 digits; empty when base and
// number together are longer, or n is negative.
QString runningNumberText(const QString& typedBase, qint64 n);
// Running number n as the entry box and the label table keep it: padded as on
// the label where the nine places allow, else the bare number.
QString runningNumberEntry(const QString& typedBase, qint64 n);
// Why base and n do not make an NVE: the digits in all and the base as typed with n.
QString tooLongMessage(const QString& typedBase, qint64 n);

// The running number of the next NVE of the base as typed: one above the highest
// stored for it, 1 when none is stored.
qint64 nextRunningNumber(const Database& db, const QString& typedBase);

// The NVEs of one base for a print run. With a lock, the numbers taken ahead are
// recorded through it; without one (the preview) nothing is recorded.
class BaseNveRange final : public NveRange {
public:
    BaseNveRange(const QString& typedBase, NveLock* lock);

    QString withoutCheckDigit(qint64 r) const override;
    QString composed(qint64 r) const override;
    void recordAhead(qint64 r) override;
    // The NVE with its check digit.
    QString printed(qint64 r) const;

private:
    QString typedBase_;
    NveLock* lock_;
};

} // namespace palomex
