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

// Values, operators, string and date functions, as a German user's system shows them.
INSTANTIATE_TEST_SUITE_P(
    Language, Evaluates,
    ::testing::Values(
        Case{"\"say \"\"hi\"\"\"", "say \"hi\""}, Case{".25", "0,25"}, Case{"false", "Falsch"},
        Case{"UndeclaredName", ""}, Case{"1/3", "0,333333333333333"}, Case{"-2 ^ 2", "-4"},
        Case{"7.5 \\ 2", "4"}, Case{"\"1.234,5\" * 2", "2469"},
        Case{"\"x\" & 1.5 & True", "x1,5Wahr"}, Case{"1 + 2 & 3", "33"},
        Case{"\"10\" = 10", "Wahr"}, Case{"3 >= 3 And 2 < 1", "Falsch"}, Case{"Empty + 1", "1"},
        Case{"TXT1.Text", "[A] & 1"}, Case{"Asc(\"€\")", "128"},
        Case{"InStr(6, \"a-b-c-d\", \"-\")", "6"}, Case{"UCase(\"straße\")", "STRAßE"},
        Case{"Mid(\"Palette\", 2, 3)", "ale"}, Case{"Replace(\"abc\", \"\", \"x\")", "abc"},
        Case{"\"[\" & RTrim(\"  a \") & \"]\"", "[  a]"}, Case{"Round(\"2,125\", 2)", "2,12"},
        Case{"Now", "06.12.2026 14:05:30"}, Case{"Date - DateSerial(2026, 1, 1)", "339"},
        Case{"DateSerial(2026, 3, 0)", "28.02.2026"},
        Case{"DateAdd(\"m\", 1, \"31.01.2026\")", "28.02.2026"},
        Case{"DateAdd(\"h\", 12, Date)", "06.12.2026 12:00:00"},
        Case{"DateDiff(\"m\", \"31.01.2026\", \"01.02.2026\")", "1"},
        Case{"DateDiff(\"ww\", \"05.12.2026\", \"06.12.2026\")", "1"},
        Case{"DatePart(\"ww\", \"04.01.2026\")", "2"},
        Case{"\"06.12.2026\" < \"07.01.2026\"", "Wahr"},
        Case{"CDate(\"06.12.2026\") < CDate(\"07.01.2026\")", "Falsch"},
        Case{"#2/1/26# + 1", "02.02.2026"}, Case{"#2026-12-31 8:30#", "31.12.2026 08:30:00"}));

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
    SyntaxAndRuntime, Fails,
    ::testing::Values(ErrorCase{"", true, 1}, ErrorCase{"1 +", true, 4},
                      ErrorCase{"\"open", true, 1}, ErrorCase{"Left(\"a\", 1", true, 12},
                      ErrorCase{"1 + #2/30/2026#", true, 5}, ErrorCase{"#31.12.2026#", true, 1},
                      ErrorCase{"CreateObject(\"WScript.Shell\").Run \"rm\"", true, 35},
                      ErrorCase{"1 / 0", false, 3}, ErrorCase{"\"abc\" * 2", false, 7},
                      ErrorCase{"Mid(\"abc\", 0)", false, 1}, ErrorCase{"Left(\"a\")", false, 1},
                      ErrorCase{"DateAdd(\"x\", 1, Date)", false, 1},
                      ErrorCase{"Month(\"kein Datum\")", false, 1},
                      ErrorCase{"CreateObject(\"Scripting.FileSystemObject\")", false, 1},
                      ErrorCase{"Ausdr.Font", false, 6}, ErrorCase{"10 ^ 400", false, 4}));

// Nesting, string growth, steps and source length stop with an error instead of
// exhausting the stack, the memory or the time.
TEST(ScriptLimits, AreRefusedNotExhausted) {
    const auto nested = [](int n) {
        return QString(n, QLatin1Char('(')) + QLatin1Char('1') + QString(n, QLatin1Char(')'));
    };
    EXPECT_TRUE(evaluate(nested(50)).ok);
    EXPECT_FALSE(evaluate(nested(5000)).ok);
    script::Limits limits;
    limits.maxStringLength = 1000;
    QString doubling = QStringLiteral("\"ab\"");
    for (int i = 0; i < 30; ++i)
        doubling = QStringLiteral("Replace(%1, \"a\", \"aa\")").arg(doubling);
    for (const QString& src :
         {QStringLiteral("Space(1001)"), QStringLiteral("Space(600) & Space(600)"),
          QStringLiteral("String(2e9, \"x\")"), doubling})
        EXPECT_FALSE(evaluate(src, {}, limits).ok) << src.left(40).toStdString();
    EXPECT_TRUE(evaluate(QStringLiteral("Space(1000)"), {}, limits).ok);
    QString sum = QStringLiteral("1");
    for (int i = 0; i < 60; ++i)
        sum += QStringLiteral(" + 1");
    limits.maxSteps = 100;
    EXPECT_FALSE(evaluate(sum, {}, limits).ok);
    limits.maxSteps = 1000;
    EXPECT_EQ(script::toText(evaluate(sum, {}, limits).value), QStringLiteral("61"));
    limits.maxSourceLength = 10;
    EXPECT_FALSE(evaluate(QStringLiteral("\"0123456789\""), {}, limits).ok);
}

} // namespace
} // namespace palomex
