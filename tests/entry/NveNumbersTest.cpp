#include "entry/NveNumbers.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(NveNumbers, BaseAndRunningNumberMakeSeventeenDigits) {
    const struct {
        const char* base;
        qint64 running;
        const char* nve; // the 17 digits, empty when they cannot be formed
    } cases[] = {
        {"4012345", 42, "40123450000000042"},
        {"401 23 45", 42, "40123450000000042"},
        {"4012345678", 1234567, "40123456781234567"},
        {"4012345678", 12345678, ""},
        {"", 1, "00000000000000001"},
        {"4012345", 0, "40123450000000000"},
        {"4012345", -1, ""},
        {"40123456789", 1, ""}, // eleven digits
        {"40123x5", 1, ""},     // a letter
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
    // The label's text line keeps the base as typed.
    EXPECT_EQ(BaseNveRange("40 12 345", nullptr).composed(21), "40 12 3450000000021");
    EXPECT_EQ(BaseNveRange("40 12 345", nullptr).composed(123456789012), QString());
    // The published example of a serial shipping container code.
    EXPECT_EQ(BaseNveRange("1061414", nullptr).printed(1123456789).right(1), "7");
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

// The base counts its digits only; grouped by blanks it ends with one once left.
TEST(NveNumbers, BaseAndCountAsTheirFieldsAreLeft) {
    const struct {
        const char* base;
        bool acceptable;
        const char* left;
        bool tooLong;
    } cases[] = {
        {"4012345678", true, "4012345678", false},
        {"40 12345678", true, "40 12345678 ", false},
        {"401 2 ", true, "401 2 ", false},
        {"40123456789", false, "40123456789", true},
        {"4012 3456789", false, "4012 3456789", true},
        {"4,012345678", false, "4,012345678", false},
        {"", true, "", false},
        {"401 234 5678", true, "401 234 5678", false}, // the column is full
    };
    for (const auto& c : cases) {
        const QString base = QString::fromUtf8(c.base);
        EXPECT_EQ(baseAcceptable(base), c.acceptable) << c.base;
        EXPECT_EQ(baseOnLeaving(base), QString::fromUtf8(c.left)) << c.base;
        EXPECT_EQ(baseTooLongQuestion(base).has_value(), c.tooLong) << c.base;
    }
    EXPECT_EQ(baseTooLongQuestion("40123456789"),
              QStringLiteral("Die NVE-Basisnummer darf maximal 10 Ziffern enthalten.\n\n"
                             "Möchten Sie die Hilfe zu NVE ansehen?\n"));
    for (const auto& [typed, left] : {std::pair{"0", "1"},
                                      {"", "1"},
                                      {"-3", "1"},
                                      {"1,5", "1"},
                                      {"x", "1"},
                                      {"12", "12"},
                                      {" 7", " 7"}})
        EXPECT_EQ(nveCountOnLeaving(typed), QString::fromLatin1(left)) << typed;
}
