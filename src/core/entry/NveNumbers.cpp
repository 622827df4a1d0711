#include "entry/NveNumbers.h"

#include "app/Captions.h"
#include "db/NveLock.h"
#include "entry/NveStrings.h"
#include "output/Gs1Encoder.h"

#include <algorithm>

namespace palomex {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool allDigits(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), isDigit);
}

int digitCount(const QString& text) {
    return int(std::count_if(text.cbegin(), text.cend(), isDigit));
}

} // namespace

QString baseDigits(const QString& typedBase) {
    QString digits = typedBase;
    digits.remove(QLatin1Char(' '));
    return digits;
}

bool baseAcceptable(const QString& typedBase) {
    const QString digits = baseDigits(typedBase);
    return digits.size() <= kMaxBaseDigits && allDigits(digits);
}

QString baseOnLeaving(const QString& typedBase) {
    const QChar blank(u' ');
    const bool closing = typedBase.contains(blank) && !typedBase.endsWith(blank) &&
                         typedBase.size() < kBaseColumnWidth;
    return closing ? typedBase + blank : typedBase;
}

std::optional<QString> baseTooLongQuestion(const QString& typedBase) {
    if (digitCount(typedBase) <= kMaxBaseDigits)
        return std::nullopt;
    return caption(nvemsg::BaseTooLong) + QStringLiteral("\n\n") + caption(nvemsg::AskNveHelp) +
           QLatin1Char('\n');
}

QString nveCountOnLeaving(const QString& typed) {
    bool ok = false;
    return typed.trimmed().toInt(&ok) >= 1 && ok ? typed : QStringLiteral("1");
}

bool runningAcceptable(const QString& typedRunning) {
    const QString number = typedRunning.trimmed();
    return !number.isEmpty() && allDigits(number);
}

QString runningNumberText(const QString& typedBase, qint64 n) {
    const int room = kNveDigits - static_cast<int>(baseDigits(typedBase).size());
    const QString s = QString::number(n);
    if (n < 0 || s.size() > room)
        return {};
    return s.rightJustified(room, QLatin1Char('0'));
}

QString runningNumberEntry(const QString& typedBase, qint64 n) {
    constexpr int kEntryPlaces = 9;
    const QString padded = runningNumberText(typedBase, n);
    return !padded.isEmpty() && padded.size() <= kEntryPlaces ? padded : QString::number(n);
}

QString tooLongMessage(const QString& typedBase, qint64 n) {
    const QString s = QString::number(n);
    return caption(nvemsg::TooLong).arg(baseDigits(typedBase).size() + s.size()).arg(typedBase + s);
}

qint64 nextRunningNumber(const Database& db, const QString& typedBase) {
    return storedHighest(db, baseDigits(typedBase)).value_or(0) + 1;
}

BaseNveRange::BaseNveRange(const QString& typedBase, NveLock* lock)
    : typedBase_(typedBase), lock_(lock) {}

QString BaseNveRange::withoutCheckDigit(qint64 r) const {
    if (!baseAcceptable(typedBase_))
        return {};
    const QString running = runningNumberText(typedBase_, r);
    return running.isEmpty() ? QString() : baseDigits(typedBase_) + running;
}

QString BaseNveRange::printed(qint64 r) const {
    const QString digits = withoutCheckDigit(r);
    return digits.isEmpty() ? QString() : digits + gs1CheckDigit(digits);
}

QString BaseNveRange::composed(qint64 r) const {
    return withoutCheckDigit(r).isEmpty() ? QString()
                                          : typedBase_ + runningNumberText(typedBase_, r);
}

void BaseNveRange::recordAhead(qint64 r) {
    if (lock_)
        lock_->recordPrinted(r);
}

} // namespace palomex
