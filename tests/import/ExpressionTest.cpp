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

// Column values go in as quoted texts, so that quotes in them and unknown or
// unfinished parts give a result or the invalid-expression text, never a crash.
TEST(HolAusdruck, SubstitutesTheRowAndEvaluates) {
    const struct {
        const char* expression;
        const char* result; // nullptr: the invalid-expression text
    } cases[] = {
        {"@[Kunde] & \" / \" & Left([Auftrag], 6)", "Bauer / 4711-0"},
        {"[Name] & [Ort", "Meier"},
        {"CDate([Lieferdatum]) + 14", "14.12.2026"},
        {"DateDiff(\"d\", [Lieferdatum], Date)", "6"},
        {"[Zitat]", "Er sagte \"ja\""},
        {"Len([Leer])", "0"},
        {"", ""},
        {"@  ", ""},
        {"[Kunde] &", nullptr},
        {"[Unbekannt] & 1", nullptr},
        {"Left([Kunde]", nullptr},
    };
    script::Environment env;
    env.now = QDateTime(QDate(2026, 12, 6), QTime(9, 0));
    for (const auto& c : cases) {
        const ExpressionResult r = holAusdruck(QString::fromUtf8(c.expression), rowOf(kRow), env);
        EXPECT_EQ(r.valid, c.result != nullptr) << c.expression << ": " << r.detail.toStdString();
        EXPECT_EQ(r.text, c.result ? QString::fromUtf8(c.result) : caption(msg::ExprInvalid))
            << c.expression;
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
