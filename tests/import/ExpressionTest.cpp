// Import expressions: column substitution, the invalid-expression result and
// the editor's insertion rule.

#include "import/Expression.h"
#include "app/Captions.h"
#include "import/ImportStrings.h"

#include <QHash>
#include <gtest/gtest.h>

namespace palomex {
namespace {

ColumnLookup rowOf(const QHash<QString, QString>& values) {
    return [values](const QString& column) -> std::optional<QString> {
        if (!values.contains(column))
            return std::nullopt;
        return values.value(column);
    };
}

const QHash<QString, QString> kRow = {
    {QStringLiteral("Kunde"), QStringLiteral("Bauer")},
    {QStringLiteral("Auftrag"), QStringLiteral("4711-0815")},
    {QStringLiteral("Name"), QStringLiteral("Meier")},
    {QStringLiteral("Menge"), QStringLiteral("2,5")},
    {QStringLiteral("Lieferdatum"), QStringLiteral("30.11.2026")},
    {QStringLiteral("Zitat"), QStringLiteral("Er sagte \"ja\"")},
    {QStringLiteral("Leer"), QString()},
};

struct Case {
    const char* expression;
    const char* script; // after substitution; nullptr when a column is unknown
    const char* result; // nullptr: the invalid-expression text
};

class Substitutes : public ::testing::TestWithParam<Case> {};

TEST_P(Substitutes, AndEvaluates) {
    const Case c = GetParam();
    const QString expression = QString::fromUtf8(c.expression);
    const auto script = substituteColumns(
        expression.startsWith(QLatin1Char('@')) ? expression.mid(1) : expression, rowOf(kRow));
    if (c.script) {
        ASSERT_TRUE(script.has_value()) << c.expression;
        EXPECT_EQ(script->toStdString(), c.script);
    } else {
        EXPECT_FALSE(script.has_value()) << c.expression;
    }
    script::Environment env;
    env.now = QDateTime(QDate(2026, 12, 6), QTime(9, 0));
    const ExpressionResult r = holAusdruck(expression, rowOf(kRow), env);
    if (c.result) {
        EXPECT_TRUE(r.valid) << c.expression << ": " << r.detail.toStdString();
        EXPECT_EQ(r.text.toStdString(), c.result);
    } else {
        EXPECT_FALSE(r.valid);
        EXPECT_EQ(r.text, caption(msg::ExprInvalid));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Substitutes,
    ::testing::Values(
        Case{"[Kunde] & \" / \" & Left([Auftrag], 6)",
             "\"Bauer\" & \" / \" & Left(\"4711-0815\", 6)", "Bauer / 4711-0"},
        Case{"@[Kunde] & \" / \" & Left([Auftrag], 6)",
             "\"Bauer\" & \" / \" & Left(\"4711-0815\", 6)", "Bauer / 4711-0"},
        Case{"[Name]", "\"Meier\"", "Meier"}, Case{"[Ort", "Ort", ""},
        Case{"[Name] & [Ort", "\"Meier\" & Ort", "Meier"}, Case{"[Menge] * 2", "\"2,5\" * 2", "5"},
        Case{"CDate([Lieferdatum]) + 14", "CDate(\"30.11.2026\") + 14", "14.12.2026"},
        Case{"DateDiff(\"d\", [Lieferdatum], Date)", "DateDiff(\"d\", \"30.11.2026\", Date)", "6"},
        Case{"[Zitat]", "\"Er sagte \"\"ja\"\"\"", "Er sagte \"ja\""},
        Case{"Len([Leer])", "Len(\"\")", "0"}, Case{"[Kunde] &", "\"Bauer\" &", nullptr},
        Case{"[Unbekannt] & 1", nullptr, nullptr},
        Case{"Left([Kunde]", "Left(\"Bauer\"", nullptr}));

TEST(HolAusdruck, EmptyExpressionGivesEmptyValidText) {
    for (const char* e : {"", "@", "   ", "@  "}) {
        const ExpressionResult r = holAusdruck(QString::fromUtf8(e), rowOf(kRow));
        EXPECT_TRUE(r.valid) << e;
        EXPECT_TRUE(r.text.isEmpty()) << e;
    }
}

struct InsertCase {
    const char* text;
    int selStart;
    int selEnd;
    const char* piece;
    const char* expected;
    int caret;
};

class Inserts : public ::testing::TestWithParam<InsertCase> {};

TEST_P(Inserts, JoinsWithOneOperator) {
    const InsertCase c = GetParam();
    const Insertion r =
        addText(QString::fromUtf8(c.text), c.selStart, c.selEnd, QString::fromUtf8(c.piece));
    EXPECT_EQ(r.text.toStdString(), c.expected);
    EXPECT_EQ(r.caret, c.caret);
}

INSTANTIATE_TEST_SUITE_P(Editor, Inserts,
                         ::testing::Values(InsertCase{"[A]", 3, 3, "vbcrlf", "[A] & vbcrlf", 12},
                                           InsertCase{"[A]", 0, 0, "vbtab", "vbtab & [A]", 5},
                                           InsertCase{"", 0, 0, "[B]", "[B]", 3},
                                           InsertCase{"[A] & [C]", 4, 4, "[B]", "[A] & [B] & [C]",
                                                      9},
                                           InsertCase{"[A] & [C]", 6, 9, "[B]", "[A] & [B]", 9},
                                           InsertCase{"[A]  ", 5, 5, "&", "[A]", 3},
                                           InsertCase{"[A] &", 5, 5, "\" \"", "[A] & \" \"", 9}));

TEST(FinishedExpression, DropsTrailingOperator) {
    EXPECT_EQ(finishedExpression(QStringLiteral(" [A] & vbcrlf & ")),
              QStringLiteral("[A] & vbcrlf"));
    EXPECT_EQ(finishedExpression(QStringLiteral("[A]")), QStringLiteral("[A]"));
    EXPECT_EQ(finishedExpression(QStringLiteral("&")), QString());
}

} // namespace
} // namespace palomex
