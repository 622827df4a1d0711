// The expression language: values, operators, functions, limits and errors.

#include "import/Script.h"
#include "import/Expression.h"

#include <gtest/gtest.h>

namespace palomex {
namespace {

using script::Environment;
using script::evaluate;

Environment fixedClock() {
    Environment env;
    env.now = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 30)); // a Sunday
    env.expressionText = QStringLiteral("[A] & 1");
    return env;
}

struct Case {
    const char* source;
    const char* expected;
};

class Evaluates : public ::testing::TestWithParam<Case> {};

TEST_P(Evaluates, ToText) {
    const Case c = GetParam();
    const script::Outcome out = evaluate(QString::fromUtf8(c.source), fixedClock());
    ASSERT_TRUE(out.ok) << c.source << ": " << out.describe().toStdString();
    EXPECT_EQ(script::toText(out.value).toStdString(), c.expected) << c.source;
}

INSTANTIATE_TEST_SUITE_P(
    Literals, Evaluates,
    ::testing::Values(Case{"\"Bauer\"", "Bauer"}, Case{"\"say \"\"hi\"\"\"", "say \"hi\""},
                      Case{"3.5", "3,5"}, Case{"1e3", "1000"}, Case{".25", "0,25"},
                      Case{"True", "Wahr"}, Case{"false", "Falsch"}, Case{"UndeclaredName", ""},
                      Case{"1e15", "1E+15"}, Case{"1/3", "0,333333333333333"}));

INSTANTIATE_TEST_SUITE_P(
    Operators, Evaluates,
    ::testing::Values(Case{"1 + 2 * 3", "7"}, Case{"(1 + 2) * 3", "9"}, Case{"-2 ^ 2", "-4"},
                      Case{"2 ^ 3 ^ 2", "64"}, Case{"7 \\ 2", "3"}, Case{"7 Mod 3", "1"},
                      Case{"7.5 \\ 2", "4"}, Case{"10 / 4", "2,5"}, Case{"\"a\" + \"b\"", "ab"},
                      Case{"\"2,5\" + 1", "3,5"}, Case{"\"1.234,5\" * 2", "2469"},
                      Case{"1 & 2", "12"}, Case{"\"x\" & 1.5 & True", "x1,5Wahr"},
                      Case{"1 + 2 & 3", "33"}, Case{"\"10\" = 10", "Wahr"},
                      Case{"\"abc\" < \"abd\"", "Wahr"}, Case{"2 <> 2", "Falsch"},
                      Case{"3 >= 3 And 2 < 1", "Falsch"}, Case{"Not 1 = 2", "Wahr"},
                      Case{"True Or False", "Wahr"}, Case{"True Xor True", "Falsch"},
                      Case{"6 And 3", "2"}, Case{"Empty + 1", "1"}, Case{"TXT1.Text", "[A] & 1"},
                      Case{"Ausdr.Text & \"!\"", "!"}));

INSTANTIATE_TEST_SUITE_P(
    Strings, Evaluates,
    ::testing::Values(
        Case{"Asc(\"A\")", "65"}, Case{"Asc(\"€\")", "128"}, Case{"Chr(65) & Chr(228)", "Aä"},
        Case{"InStr(\"4711-0815\", \"-\")", "5"}, Case{"InStr(6, \"a-b-c-d\", \"-\")", "6"},
        Case{"InStr(\"abc\", \"x\")", "0"}, Case{"LCase(\"ÄBC\")", "äbc"},
        Case{"UCase(\"straße\")", "STRAßE"}, Case{"Left(\"4711-0815\", 6)", "4711-0"},
        Case{"Left(\"ab\", 10)", "ab"}, Case{"Right(\"4711-0815\", 4)", "0815"},
        Case{"Mid(\"Palette\", 2, 3)", "ale"}, Case{"Mid(\"Palette\", 4)", "ette"},
        Case{"Mid(\"ab\", 5)", ""}, Case{"Len(\"Kühlkette\")", "9"}, Case{"Len(12.5)", "4"},
        Case{"Replace(\"a-b-c\", \"-\", \"/\")", "a/b/c"},
        Case{"Replace(\"abc\", \"\", \"x\")", "abc"}, Case{"\"[\" & Space(3) & \"]\"", "[   ]"},
        Case{"String(3, \"xy\")", "xxx"}, Case{"String(2, 66)", "BB"},
        Case{"\"[\" & Trim(\"  a b  \") & \"]\"", "[a b]"},
        Case{"\"[\" & LTrim(\"  a \") & \"]\"", "[a ]"},
        Case{"\"[\" & RTrim(\"  a \") & \"]\"", "[  a]"},
        Case{"Trim(vbTab & \"a\") = vbtab & \"a\"", "Wahr"},
        Case{"Len(\"a\" & vbcrlf & \"b\")", "4"}, Case{"Round(2.5)", "2"}, Case{"Round(3.5)", "4"},
        Case{"Round(\"2,125\", 2)", "2,12"}, Case{"Round(-1.6)", "-2"}));

INSTANTIATE_TEST_SUITE_P(
    Dates, Evaluates,
    ::testing::Values(
        Case{"Date", "06.12.2026"}, Case{"Time", "14:05:30"}, Case{"Now", "06.12.2026 14:05:30"},
        Case{"Date + 14", "20.12.2026"}, Case{"Date - 7", "29.11.2026"},
        Case{"Date - DateSerial(2026, 1, 1)", "339"}, Case{"DateSerial(2024, 2, 30)", "01.03.2024"},
        Case{"DateSerial(2026, 13, 1)", "01.01.2027"}, Case{"DateSerial(2026, 3, 0)", "28.02.2026"},
        Case{"DateAdd(\"m\", 1, \"31.01.2026\")", "28.02.2026"},
        Case{"DateAdd(\"d\", -1, \"01.03.2024\")", "29.02.2024"},
        Case{"DateAdd(\"yyyy\", 1, \"29.02.2024\")", "28.02.2025"},
        Case{"DateAdd(\"h\", 12, Date)", "06.12.2026 12:00:00"},
        Case{"DateAdd(\"ww\", 2, \"2026-12-06\")", "20.12.2026"},
        Case{"DateDiff(\"d\", \"01.12.2026\", Date)", "5"},
        Case{"DateDiff(\"m\", \"31.01.2026\", \"01.02.2026\")", "1"},
        Case{"DateDiff(\"yyyy\", \"31.12.2025\", \"01.01.2026\")", "1"},
        Case{"DateDiff(\"d\", Date, \"01.12.2026\")", "-5"},
        Case{"DateDiff(\"ww\", \"05.12.2026\", \"06.12.2026\")", "1"},
        Case{"DateDiff(\"h\", \"06.12.2026 10:59\", \"06.12.2026 11:00\")", "1"},
        Case{"DatePart(\"yyyy\", Date)", "2026"}, Case{"DatePart(\"q\", \"15.08.2026\")", "3"},
        Case{"DatePart(\"w\", Date)", "1"}, Case{"DatePart(\"y\", \"01.02.2026\")", "32"},
        Case{"DatePart(\"ww\", \"01.01.2026\")", "1"},
        Case{"DatePart(\"ww\", \"04.01.2026\")", "2"}, Case{"Day (Date)", "6"},
        Case{"Month(\"6.12.26\")", "12"}, Case{"Year(\"6.12.26\")", "2026"},
        Case{"Hour(Time)", "14"}, Case{"Minute(Time)", "5"}, Case{"Second(\"08:09:10\")", "10"},
        Case{"CDate(\"06.12.2026\") + 1", "07.12.2026"},
        Case{"\"06.12.2026\" < \"07.01.2026\"", "Wahr"},
        Case{"CDate(\"06.12.2026\") < CDate(\"07.01.2026\")", "Falsch"},
        Case{"#12/31/2026#", "31.12.2026"}, Case{"#2/1/26# + 1", "02.02.2026"},
        Case{"#2026-12-31 8:30#", "31.12.2026 08:30:00"}, Case{"Day(#3/4/2026#)", "4"}));

struct ErrorCase {
    const char* source;
    bool syntax;
    int position;
};

class Fails : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Fails, WithPosition) {
    const ErrorCase c = GetParam();
    const script::Outcome out = evaluate(QString::fromUtf8(c.source), fixedClock());
    ASSERT_FALSE(out.ok) << c.source << " gave " << script::toText(out.value).toStdString();
    EXPECT_EQ(out.syntax, c.syntax) << c.source << ": " << out.describe().toStdString();
    EXPECT_EQ(out.position, c.position) << c.source << ": " << out.describe().toStdString();
    EXPECT_TRUE(out.describe().contains(QString::number(c.position)));
    EXPECT_FALSE(out.message.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, Fails,
    ::testing::Values(ErrorCase{"", true, 1}, ErrorCase{"1 +", true, 4},
                      ErrorCase{"\"open", true, 1}, ErrorCase{"Left(\"a\", 1", true, 12},
                      ErrorCase{"(1 + 2", true, 7}, ErrorCase{"1 2", true, 3},
                      ErrorCase{"a $ b", true, 3}, ErrorCase{"\"a\" & & \"b\"", true, 7},
                      ErrorCase{"x.", true, 3}, ErrorCase{"1 + #2/30/2026#", true, 5},
                      ErrorCase{"#31.12.2026#", true, 1}, ErrorCase{"#12/31/2026", true, 1},
                      ErrorCase{"CreateObject(\"WScript.Shell\").Run \"rm\"", true, 35}));

INSTANTIATE_TEST_SUITE_P(
    Runtime, Fails,
    ::testing::Values(ErrorCase{"1 / 0", false, 3}, ErrorCase{"5 Mod 0", false, 3},
                      ErrorCase{"\"abc\" * 2", false, 7}, ErrorCase{"Left(\"abc\", -1)", false, 1},
                      ErrorCase{"Mid(\"abc\", 0)", false, 1}, ErrorCase{"Asc(\"\")", false, 1},
                      ErrorCase{"Chr(300)", false, 1}, ErrorCase{"Len()", false, 1},
                      ErrorCase{"Len", false, 1}, ErrorCase{"Left(\"a\")", false, 1},
                      ErrorCase{"DateAdd(\"d\", 1)", false, 1},
                      ErrorCase{"DateAdd(\"x\", 1, Date)", false, 1},
                      ErrorCase{"Month(\"kein Datum\")", false, 1},
                      ErrorCase{"CreateObject(\"Scripting.FileSystemObject\")", false, 1},
                      ErrorCase{"Shell(\"ls\")", false, 1}, ErrorCase{"Ausdr.Font", false, 6},
                      ErrorCase{"Date + 1e9", false, 6}, ErrorCase{"10 ^ 400", false, 4}));

TEST(ScriptLimits, DeepNestingIsRefusedNotOverflowingTheStack) {
    const QString deep =
        QString(5000, QLatin1Char('(')) + QLatin1Char('1') + QString(5000, QLatin1Char(')'));
    const auto out = evaluate(deep);
    ASSERT_FALSE(out.ok);
    EXPECT_TRUE(out.syntax);
    // A moderate nesting is fine.
    const QString ok =
        QString(50, QLatin1Char('(')) + QLatin1Char('1') + QString(50, QLatin1Char(')'));
    EXPECT_TRUE(evaluate(ok).ok);
}

TEST(ScriptLimits, StringGrowthIsBounded) {
    script::Limits limits;
    limits.maxStringLength = 1000;
    for (const char* src : {"Space(1001)", "String(5000, \"x\")", "Space(600) & Space(600)",
                            "Replace(Space(501), \" \", \"ab\")", "String(2e9, \"x\")"}) {
        const auto out = evaluate(QString::fromUtf8(src), {}, limits);
        EXPECT_FALSE(out.ok) << src << " gave length " << script::toText(out.value).size();
    }
    EXPECT_TRUE(evaluate(QStringLiteral("Space(1000)"), {}, limits).ok);
    // Doubling through nested replacements stops at the bound instead of growing.
    QString doubling = QStringLiteral("\"ab\"");
    for (int i = 0; i < 30; ++i)
        doubling = QStringLiteral("Replace(%1, \"a\", \"aa\")").arg(doubling);
    EXPECT_FALSE(evaluate(doubling, {}, limits).ok);
}

TEST(ScriptLimits, StepsAndSourceLengthAreBounded) {
    script::Limits limits;
    limits.maxSteps = 100;
    QString sum = QStringLiteral("1");
    for (int i = 0; i < 60; ++i)
        sum += QStringLiteral(" + 1");
    EXPECT_FALSE(evaluate(sum, {}, limits).ok);
    limits.maxSteps = 1000;
    const auto out = evaluate(sum, {}, limits);
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(script::toText(out.value), QStringLiteral("61"));
    limits.maxSourceLength = 10;
    EXPECT_FALSE(evaluate(QStringLiteral("\"0123456789\""), {}, limits).ok);
}

} // namespace
} // namespace palomex
