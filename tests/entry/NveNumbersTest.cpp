#include "entry/NveNumbers.h"
#include "db/Database.h"
#include "db/NveLock.h"

#include <QTemporaryDir>

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <vector>

using namespace palomex;

namespace {

// The modulo-10 check digit worked out digit by digit: from the right, weights 3, 1,
// 3, ...; the digit brings the sum up to a multiple of ten.
QChar referenceCheckDigit(const QString& digits) {
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits.at(i).unicode() - '0') * weight;
        weight = 4 - weight;
    }
    return QChar(u'0' + (10 - sum % 10) % 10);
}

// Records what a range hands to its lock.
class RecordingLock : public NveLock {
public:
    std::vector<qint64> recorded;

private:
    std::optional<qint64> beginWrite() override {
        return recorded.empty() ? std::nullopt : std::optional(recorded.back());
    }
    void writeRow(const QString& stored) override { recorded.push_back(stored.toLongLong()); }
    void endWrite() override {}
    void unlock() override {}
};

} // namespace

TEST(NveNumbers, BaseAndRunningNumberMakeSeventeenDigits) {
    const struct {
        const char* base;
        qint64 running;
        const char* nve; // the 17 digits, empty when they cannot be formed
    } cases[] = {
        {"4012345", 42, "40123450000000042"},
        {"401 23 45", 42, "40123450000000042"},
        {"401 23 45 ", 42, "40123450000000042"},
        {"4012345678", 1234567, "40123456781234567"},
        {"4012345678", 12345678, ""},
        {"", 1, "00000000000000001"},
        {"4012345", 0, "40123450000000000"},
        {"4012345", -1, ""},
        {"40123456789", 1, ""}, // eleven digits
        {"40123x5", 1, ""},     // a letter
        {"0000000", 9, "00000000000000009"},
    };
    for (const auto& c : cases) {
        const BaseNveRange range(QString::fromUtf8(c.base), nullptr);
        const QString nve = QString::fromLatin1(c.nve);
        EXPECT_EQ(range.withoutCheckDigit(c.running), nve) << c.base << " + " << c.running;
        const QString printed = range.printed(c.running);
        if (nve.isEmpty()) {
            EXPECT_TRUE(printed.isEmpty()) << c.base << " + " << c.running;
        } else {
            EXPECT_EQ(printed, nve + referenceCheckDigit(nve)) << c.base << " + " << c.running;
        }
    }
}

TEST(NveNumbers, CheckDigitAgreesWithTheWorkedOutOneForManyNumbers) {
    // The published example of a serial shipping container code.
    EXPECT_EQ(BaseNveRange("1061414", nullptr).printed(1123456789).right(1), "7");
    QRandomGenerator random(20261206);
    for (int i = 0; i < 2000; ++i) {
        const int baseLength = static_cast<int>(random.bounded(kMaxBaseDigits + 1));
        QString base;
        for (int d = 0; d < baseLength; ++d)
            base += QChar(u'0' + random.bounded(10));
        const qint64 running = static_cast<qint64>(random.bounded(static_cast<quint64>(9'999'999)));
        const QString printed = BaseNveRange(base, nullptr).printed(running);
        ASSERT_EQ(printed.size(), kNveDigits + 1) << base.toStdString() << " + " << running;
        EXPECT_EQ(printed.right(1).at(0), referenceCheckDigit(printed.left(kNveDigits)))
            << printed.toStdString();
    }
}

TEST(NveNumbers, RunningNumberTextFillsTheBaseOrIsRefusedWithTheDigitsCounted) {
    const struct {
        const char* base;
        qint64 running;
        const char* text;
        int digitsInAll;
    } cases[] = {
        {"4012345", 42, "0000000042", 17},      {"40 12 345", 42, "0000000042", 17},
        {"4012345678", 1234567, "1234567", 17}, {"4012345678", 12345678, "", 18},
        {"40 12 34 56 78", 123456789, "", 19},
    };
    for (const auto& c : cases) {
        const QString base = QString::fromUtf8(c.base);
        EXPECT_EQ(runningNumberText(base, c.running), QString::fromLatin1(c.text)) << c.base;
        if (*c.text == '\0') {
            EXPECT_EQ(tooLongMessage(base, c.running),
                      QStringLiteral("Die NVE muss genau 17 Stellen haben,\nSie haben insgesamt "
                                     "%1 Stellen eingegeben:\n\n%2%3")
                          .arg(c.digitsInAll)
                          .arg(base)
                          .arg(c.running))
                << c.base;
        }
    }
}

TEST(NveNumbers, BaseRulesCountDigitsOnly) {
    const struct {
        const char* base;
        bool acceptable;
    } cases[] = {
        {"4012345678", true}, {"40 12 34 56 78", true}, {"40123456789", false},
        {"", true},           {"40-12", false},         {"4012 34567 89", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(baseAcceptable(QString::fromUtf8(c.base)), c.acceptable) << c.base;
}

TEST(NveNumbers, NumbersTakenAheadGoToTheLockAndTheLabelKeepsTheTypedBase) {
    RecordingLock lock;
    BaseNveRange range("40 12 345", &lock);
    range.recordAhead(17);
    range.recordAhead(21);
    EXPECT_EQ(lock.recorded, (std::vector<qint64>{17, 21}));
    EXPECT_EQ(range.composed(21), QStringLiteral("40 12 3450000000021"));
    EXPECT_EQ(range.composed(123456789012), QString());
    BaseNveRange preview("4012345", nullptr);
    preview.recordAhead(5); // records nothing and must not fail
}

TEST(NveNumbers, NextRunningNumberFollowsTheHighestStoredForTheBase) {
    QTemporaryDir dir;
    const auto db = Database::open(dir.filePath("labels.db"));
    db->update(QString());
    lockNveBase(*db, "4012345", 0)->release(41);
    lockNveBase(*db, "4099999", 0)->release(7);
    const struct {
        const char* typedBase;
        qint64 next;
    } cases[] = {
        {"4012345", 42}, {"401 23 45", 42}, {"4099999", 8}, {"4011111", 1}, {"04012345", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextRunningNumber(*db, QString::fromUtf8(c.typedBase)), c.next) << c.typedBase;
}
