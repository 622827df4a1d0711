// The schema and label table operations, run on every engine under test.

#include "TestDatabases.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"

#include <gtest/gtest.h>

namespace palomex::test {
namespace {

class EngineSchema : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (!engineAvailable(GetParam()))
            GTEST_SKIP() << "PALOMEX_TEST_PG is not set";
        scratch = std::make_unique<ScratchDatabase>(GetParam());
        db = scratch->open();
    }

    std::unique_ptr<ScratchDatabase> scratch;
    std::unique_ptr<Database> db;
};

TEST_P(EngineSchema, TablesAreListedInCreationOrderAndAnUpgradeLeavesThemAlone) {
    // Created out of alphabetical order, so an alphabetical listing would show.
    ASSERT_TRUE(db->machNeuBenutzer("Zentrale"));
    ASSERT_TRUE(db->machNeuBenutzer(table::Etiketten));
    db->update(QString());
    ASSERT_TRUE(exec(*db, R"(INSERT INTO "HöchstNVE" ("NVE_Basis", "NVE_LaufNr") VALUES (?, ?))",
                     {"4012345", "17"}));
    db.reset();
    db = scratch->open(); // a second start on the same database
    db->update(QString());
    EXPECT_EQ(db->tables(),
              (QStringList{"Zentrale", "Etiketten", "HöchstNVE", "Protokoll", "Chargen"}));
    EXPECT_EQ(db->labelTables(), (QStringList{"Zentrale", "Etiketten"}));
    EXPECT_EQ(firstValue(*db, R"(SELECT count(*) FROM "HöchstNVE")"), "1");
    for (const TableSchema& schema :
         {labelTableSchema("Etiketten"), hoechstNveSchema(), protokollSchema(), chargenSchema()}) {
        QStringList expected;
        for (const Column& c : schema.columns)
            expected << c.name;
        EXPECT_EQ(db->columnNames(schema.name), expected) << schema.name.toStdString();
    }
}

TEST_P(EngineSchema, UserTablesOfAnyNameHoldLabelsOfUniqueNames) {
    const QStringList names{"Müller", "O'Brien", "Lager.Süd", "Halle \"3\"", "Straße 5"};
    for (const QString& n : names)
        EXPECT_TRUE(db->machNeuBenutzer(n)) << n.toStdString();
    EXPECT_EQ(db->labelTables(), names);
    // A table named like the default user but of another layout is no user.
    ASSERT_TRUE(exec(*db, R"(CREATE TABLE "Etiketten" ("Name" integer))"));
    EXPECT_EQ(db->labelTables(), names);
    EXPECT_TRUE(db->hasTable(table::Etiketten));
    EXPECT_EQ(db->currentLabelTable("Etiketten"), names.first());
    EXPECT_EQ(db->currentLabelTable("lager.süd"), "Lager.Süd");
    EXPECT_FALSE(db->machNeuBenutzer("Müller")) << "exists already";

    // Label names are unique within a user, found without regard to case.
    const QString insert = R"(INSERT INTO %1 ("EtikName", "Etikformat") VALUES (?, ?))";
    const QString mueller = insert.arg(SqlDialect::quote("Müller"));
    ASSERT_TRUE(exec(*db, mueller, {"Palette Groß", 1}));
    EXPECT_FALSE(exec(*db, mueller, {"PALETTE GROß", 2}));
    EXPECT_FALSE(exec(*db, mueller, {"palette groß", 3}));
    // Another user may hold a label of the same name.
    EXPECT_TRUE(exec(*db, insert.arg(SqlDialect::quote("O'Brien")), {"palette groß", 4}));
    EXPECT_EQ(firstValue(*db, R"(SELECT "Etikformat" FROM "Müller" WHERE "EtikName" = ?)",
                         {"PALETTE GROß"}),
              "1");
    // Accents are not case: these are different names.
    EXPECT_TRUE(exec(*db, mueller, {"Palette Gross", 5}));
}

struct RowCase {
    const char* what;
    QString column;
    QVariant value;
    bool accepted;
};

TEST_P(EngineSchema, ColumnWidthsAndEmptyTextRules) {
    ASSERT_TRUE(db->machNeuBenutzer(table::Etiketten));
    const std::vector<RowCase> cases{
        {"data identifier at its width", "DBCombo0", "(4001)", true},
        {"data identifier one over", "DBCombo0", "(4001)x", false},
        {"umlauts count as one character", "DBBez0", QString(50, QChar(u'ä')), true},
        {"caption one over", "DBBez0", QString(51, QChar(u'ä')), false},
        {"empty text where allowed", "DIText0", "", true},
        {"empty count refused", "AnzahlNVEs", "", false},
        {"count of four digits", "AnzahlNVEs", "9999", true},
        {"count of five", "AnzahlNVEs", "99999", false},
    };
    int n = 0;
    for (const RowCase& c : cases) {
        const QString name = QStringLiteral("Fall %1").arg(++n);
        const QString insert = R"(INSERT INTO "Etiketten" ("EtikName", %1) VALUES (?, ?))";
        EXPECT_EQ(exec(*db, insert.arg(SqlDialect::quote(c.column)), {name, c.value}), c.accepted)
            << c.what;
        EXPECT_EQ(
            firstValue(*db, R"(SELECT count(*) FROM "Etiketten" WHERE "EtikName" = ?)", {name}),
            c.accepted ? "1" : "0")
            << c.what;
    }
}

TEST_P(EngineSchema, SeedLabelsAreImportedOnceAndARowThatDoesNotFitIsSkipped) {
    ASSERT_TRUE(db->machNeuBenutzer(table::Etiketten));
    // A seed of an older layout, without width limits and with a column we lack.
    const ScratchDatabase seedFile(Engine::Sqlite);
    const QString seedPath = seedFile.path();
    {
        const auto seed = seedFile.open();
        ASSERT_TRUE(exec(
            *seed, R"(CREATE TABLE "Etiketten" ("EtikName" TEXT, "DBCombo0" TEXT, "Alt" TEXT))"));
        ASSERT_TRUE(exec(*seed, R"(INSERT INTO "Etiketten" VALUES ('Erstes', '(00)', 'x'), )"
                                R"(('Zu lang', '(00)(01)(02)', 'x'), ('Drittes', '(01)', 'x'))"));
    }
    EXPECT_EQ(db->update(seedPath), 2);
    EXPECT_EQ(firstValue(*db, R"(SELECT "DBCombo0" FROM "Etiketten" WHERE "EtikName" = 'Drittes')"),
              "(01)");
    EXPECT_EQ(firstValue(*db, R"(SELECT count(*) FROM "Etiketten")"), "2");
    EXPECT_EQ(db->update(seedPath), 0);
}

TEST_P(EngineSchema, PatternsAndLeadingNumbersReadTheSameOnEveryEngine) {
    db->update(QString());
    for (const char* sender :
         {"Müller GmbH", "MÜLLER Transporte", "Meier 50%", "12,5 kg", "  7a", "x9", ""})
        ASSERT_TRUE(exec(*db, R"(INSERT INTO "Protokoll" ("Absender") VALUES (?))",
                         {QString::fromUtf8(sender)}));
    const SqlDialect& d = db->dialect();
    const QString column = SqlDialect::quote("Absender");
    struct Case {
        QString condition;
        QString value;
        const char* expected; // matching senders, by count
    };
    const std::vector<Case> cases{
        {d.likeCondition(column), "m%", "3"},
        {d.likeCondition(column), "%gmbh", "1"},
        {d.likeCondition(column), "%50\\%", "1"},
        {d.likeCondition(column), "%", "7"},
        {d.regexCondition(column), d.regexPattern("^mÜ"), "2"}, // case beyond ASCII
        {d.regexCondition(column), d.regexPattern("^m.*(gmbh|transporte)$"), "2"},
        {d.regexCondition(column), d.regexPattern("^[0-9]"), "1"},
        {d.leadingNumber(column) + " = ?", "12", "1"},
        {d.leadingNumber(column) + " = ?", "7", "1"},
        {d.leadingNumber(column) + " = ?", "0", "5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            firstValue(*db, R"(SELECT count(*) FROM "Protokoll" WHERE )" + c.condition, {c.value}),
            c.expected)
            << c.condition.toStdString() << " with " << c.value.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineSchema, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return engineName(info.param); });

} // namespace
} // namespace palomex::test
