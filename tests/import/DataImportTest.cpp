// The data import run: labels from each kind of sample file, overwriting and
// creating, computed fields, the automatic field forms, and rows that fail.

#include "import/DataImport.h"
#include "app/Captions.h"
#include "import/ImportStrings.h"
#include "support/TestSupport.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

// Readable failure output.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace palomex {
namespace {

QString dataFile(const QString& name) {
    return qEnvironmentVariable("PALOMEX_SOURCE_DIR") + QStringLiteral("/tests/data/") + name;
}

ImportTable textTable(const char* text) {
    return parseDelimitedText(QByteArray(text));
}

struct ImportFixture : test::DatabaseFixture {
    LabelStore store{db, opened.labelTable};
    test::ScriptedPrompter prompter;
    const QDateTime now{QDate(2026, 12, 6), QTime(9, 30)};
    Label templ;
    ImportPlan plan;

    void SetUp() override {
        templ.name = QStringLiteral("Vorlage");
        templ.parties[0].text = QStringLiteral("Absender GmbH\nHafenstraße 1");
        templ.parties[1].text = QStringLiteral("wird ersetzt");
        templ.fields[0].identifier = QStringLiteral("(400) Auftragsnummer des Kunden");
        templ.fields[0].content = QStringLiteral("vorher");
        templ.extras[0].text = QStringLiteral("fest");
        store.save(templ);
        plan.templateName = templ.name;
        plan.current = templ;
        plan.mappings[mapping::Name] = QStringLiteral("[Name]");
    }

    ImportOutcome run(const ImportTable& table) {
        DataImport importer(store, prompter);
        return importer.run(table, plan, now);
    }
    // The label as stored, its data field contents in their stored text.
    Label stored(const QString& name) {
        const auto l = store.load(name);
        EXPECT_TRUE(l.has_value()) << name.toStdString();
        return l ? l->label : Label{};
    }
    int labelCount() { return static_cast<int>(store.names().size()); }
};

struct Sample {
    const char* file;
    const char* table; // empty: the table the source proposes
    const char* secondCustomer;
    bool hasDate;
};

class ImportsSample : public ImportFixture, public ::testing::WithParamInterface<Sample> {};

TEST_P(ImportsSample, OneLabelPerRowWithComputedFields) {
    const Sample s = GetParam();
    const auto source = openImportSource(dataFile(QString::fromUtf8(s.file)));
    const QString table = *s.table ? QString::fromUtf8(s.table) : source->preferredTable();
    plan.mappings[2] = QStringLiteral("[Kunde]");
    plan.mappings[mapping::FirstField] = QStringLiteral("@[Menge] * 2");
    plan.mappings[mapping::FirstField + 1] = QStringLiteral("[Menge]");
    if (s.hasDate)
        plan.mappings[mapping::FirstField + 2] = QStringLiteral("@DateAdd(\"d\", 14, [Datum])");

    const ImportOutcome out = run(source->read(table));
    ASSERT_FALSE(out.error) << out.error->text.toStdString();
    EXPECT_EQ(out.created, 2);
    EXPECT_EQ(out.overwritten, 0);
    EXPECT_TRUE(out.failures.empty()) << out.failures.front().detail.toStdString();
    EXPECT_EQ(labelCount(), 3);

    const Label a = stored(QStringLiteral("Etikett A"));
    EXPECT_EQ(a.parties[1].text, QStringLiteral("Bauer"));
    EXPECT_EQ(a.fields[0].content, QStringLiteral("24"));
    EXPECT_EQ(a.fields[1].content, QStringLiteral("12"));
    // What no box names comes from the template.
    EXPECT_EQ(a.parties[0].text, templ.parties[0].text);
    EXPECT_EQ(a.extras[0].text, QStringLiteral("fest"));

    const Label b = stored(QStringLiteral("Etikett B"));
    EXPECT_EQ(b.parties[1].text, QString::fromUtf8(s.secondCustomer));
    EXPECT_EQ(b.fields[0].content, QStringLiteral("5")) << "2,5 read with its decimal comma";
    EXPECT_EQ(b.fields[1].content, QStringLiteral("2,5"));
    if (s.hasDate) {
        EXPECT_EQ(a.fields[2].content, QStringLiteral("20.12.2026"));
        EXPECT_EQ(b.fields[2].content, QStringLiteral("14.02.2027"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ImportsSample,
    ::testing::Values(Sample{"lieferungen.txt", "", "Müller; Söhne", false},
                      Sample{"lieferungen.csv", "", "Müller & Söhne", true},
                      Sample{"lieferungen.xls", "Lieferungen", "Müller & Söhne", true},
                      Sample{"lieferungen.xlsx", "Lieferungen", "Müller & Söhne", true},
                      Sample{"lieferungen.mdb", "Lieferungen", "Müller & Söhne", true}));

TEST_F(ImportFixture, ExistingNamesAreOverwrittenAndOthersCreated) {
    Label old = templ;
    old.name = QStringLiteral("Meier");
    old.parties[0].text = QStringLiteral("eigener Absender");
    old.fields[3].content = QStringLiteral("bleibt nicht");
    store.save(old);
    Label other = templ;
    other.name = QStringLiteral("Andere");
    other.parties[1].text = QStringLiteral("unberührt");
    store.save(other);
    const Label otherBefore = stored(other.name);
    const Label templateBefore = stored(templ.name);

    plan.mappings[2] = QStringLiteral("[Ort]");
    // The second "meier" overwrites the label the first row wrote.
    const ImportOutcome out = run(textTable("Name;Ort\nMeier;Köln\nSchulz;Bonn\nmeier;Trier\n"));
    ASSERT_FALSE(out.error);
    EXPECT_EQ(out.overwritten, 2);
    EXPECT_EQ(out.created, 1);
    EXPECT_EQ(labelCount(), 4);

    const Label meier = stored(QStringLiteral("Meier"));
    EXPECT_EQ(meier.parties[1].text, QStringLiteral("Trier"));
    EXPECT_EQ(meier.parties[0].text, templ.parties[0].text) << "the template's value";
    EXPECT_EQ(meier.fields[3].content, QString());
    EXPECT_EQ(stored(QStringLiteral("Andere")), otherBefore);
    EXPECT_EQ(stored(QStringLiteral("Vorlage")), templateBefore);

    EXPECT_EQ(importReport(out, plan),
              QStringLiteral("Mit den Daten des Etiketts \"Vorlage\" wurden: \n3 Datensätze der "
                             "Importdatei bearbeitet.\nBei: 2 Datensätzen wurden vorhandene "
                             "Etiketten überschrieben und\n1 neues Etikett hinzugefügt."));
}

TEST(ImportReport, CountsHintAndSkippedRows) {
    ImportPlan plan;
    plan.templateName = QStringLiteral("V");
    plan.mappings[0] = QStringLiteral("[Name]");
    const QString head =
        QStringLiteral("Mit den Daten des Etiketts \"V\" wurden: \n%1 Datensätze der "
                       "Importdatei bearbeitet.\n");
    const QString hint = QStringLiteral(
        "\nHinweis: für den Import neuer Etiketten muss die Spalte \"[Name]\" der Importdatei "
        "eindeutige neue Namen für die neuen Etiketten enthalten.");
    const struct {
        int rows, created, overwritten;
        QString expected;
    } cases[] = {
        {4, 4, 0, head.arg(4) + QStringLiteral("Es wurden 4 neue Etiketten hinzugefügt.")},
        {1, 0, 1,
         head.arg(1) +
             QStringLiteral("Bei: 1 Datensatz wurden vorhandene Etiketten überschrieben und\n"
                            "0 neue Etiketten hinzugefügt.") +
             hint},
        {5, 0, 2,
         head.arg(2) +
             QStringLiteral("Bei: 2 Datensätzen wurden vorhandene Etiketten überschrieben und\n"
                            "0 neue Etiketten hinzugefügt.") +
             hint + QStringLiteral("\n3 Datensätze der Importdatei wurden nicht importiert.")},
    };
    for (const auto& c : cases) {
        ImportOutcome out;
        out.rows = c.rows;
        out.created = c.created;
        out.overwritten = c.overwritten;
        EXPECT_EQ(importReport(out, plan), c.expected);
    }
}

TEST_F(ImportFixture, AFailingExpressionMarksItsFieldAndTheRunGoesOn) {
    plan.mappings[mapping::FirstField] = QStringLiteral("@[Menge] * 2");
    const ImportOutcome out = run(textTable("Name;Menge\nA;1,5\nB;viel\nC;3\n"));
    ASSERT_FALSE(out.error);
    EXPECT_EQ(out.created, 3);
    EXPECT_EQ(stored(QStringLiteral("A")).fields[0].content, QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("B")).fields[0].content, caption(msg::ExprInvalid));
    EXPECT_EQ(stored(QStringLiteral("C")).fields[0].content, QStringLiteral("6"));
    ASSERT_EQ(out.failures.size(), 1u);
    // The place is that of the operator in the expression as typed, not in the
    // text the row's value was put into.
    EXPECT_EQ(out.failures[0].detail,
              QStringLiteral("Laufzeitfehler an Stelle 9: ") + caption(msg::ExprTypeMismatch));
    EXPECT_TRUE(importReport(out, plan).endsWith(
        QStringLiteral("In 1 Datensätzen konnte ein Ausdruck nicht berechnet werden, zuerst in "
                       "Datensatz 2, Feld \"DIText0\": Laufzeitfehler an Stelle 9: ") +
        caption(msg::ExprTypeMismatch)));
}

struct FailingRow {
    const char* what;
    const char* table; // row 2 fails; its name "Fest" is a stored label
    int box;
    const char* mapping;
    int number;
    const char* text; // what the message says after "Datensatz 2: "
};

class StopsAtAFailingRow : public ImportFixture,
                           public ::testing::WithParamInterface<FailingRow> {};

TEST_P(StopsAtAFailingRow, WithItsRowAndLeavesItsLabelAsItWas) {
    const FailingRow c = GetParam();
    Label fest = templ;
    fest.name = QStringLiteral("Fest");
    fest.parties[1].text = QStringLiteral("vorher");
    store.save(fest);
    const Label festBefore = stored(fest.name);
    QSqlQuery(db.connection())
        .exec(QStringLiteral("CREATE TRIGGER nein BEFORE UPDATE ON \"Etiketten\" "
                             "WHEN NEW.\"AbsEmpfText1\" = 'gesperrt' "
                             "BEGIN SELECT RAISE(ABORT, 'Zeile gesperrt'); END"));
    plan.mappings[2] = QStringLiteral("[Ort]");
    plan.mappings[static_cast<size_t>(c.box)] = QString::fromUtf8(c.mapping);

    const ImportOutcome out = run(textTable(c.table));
    ASSERT_TRUE(out.error) << c.what;
    EXPECT_EQ(out.error->number, c.number) << c.what;
    // The engine may add its own words to a refusal.
    EXPECT_TRUE(
        out.error->text.startsWith(QStringLiteral("Datensatz 2: ") + QString::fromUtf8(c.text)))
        << c.what << ": " << out.error->text.toStdString();
    EXPECT_EQ(out.error->mapping, QString::fromUtf8(c.mapping)) << c.what;
    EXPECT_EQ(out.created, 1) << c.what;
    EXPECT_EQ(out.skipped(), 2) << c.what;
    EXPECT_EQ(stored(QStringLiteral("Fest")), festBefore) << c.what;
    EXPECT_FALSE(store.load(QStringLiteral("Danach"))) << c.what;
    EXPECT_TRUE(store.load(QStringLiteral("Davor"))) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StopsAtAFailingRow,
    ::testing::Values(
        FailingRow{
            "not a count", "Name;Ort;Anzahl\nDavor;A;1\nFest;B;zwei\nDanach;C;3\n",
            mapping::AnzahlProNVE, "[Anzahl]", 3421,
            "\"zwei\" ist keine Anzahl (eine ganze Zahl ab 1) für \"Anzahl Etiketten pro NVE:\"."},
        FailingRow{"short line", "Name;Ort;Anzahl\nDavor;A;1\nFest;B\nDanach;C;3\n",
                   mapping::AnzahlNVEs, "[Anzahl]", 3265,
                   "Die Zeile endet vor der Spalte \"Anzahl\"."},
        FailingRow{"empty name", "Name;Ort\nDavor;A\n;B\nDanach;C\n", mapping::Name, "[Name]", 3022,
                   "Der Etikettenname darf nicht leer sein."},
        FailingRow{"refused by the database", "Name;Ort\nDavor;A\nFest;gesperrt\nDanach;C\n",
                   mapping::FirstExtra, "", 3022, "Zeile gesperrt"}));

// An unknown column and a missing template stop the run before its first label.
TEST_F(ImportFixture, StopsBeforeTheFirstLabel) {
    plan.mappings[mapping::FirstField] = QStringLiteral("[Anzahl]");
    ImportOutcome out = run(textTable("Name;Ort\nA;1\nB;2\n"));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(importErrorText(*out.error),
              QStringLiteral("Fehler: 3265\nDatensatz 1: Die Importdatei hat keine Spalte "
                             "\"Anzahl\". ---> [Anzahl]"));
    EXPECT_EQ(out.skipped(), 2);
    plan.mappings[mapping::FirstField].clear();
    plan.templateName = QStringLiteral("Gibt es nicht");
    out = run(textTable("Name\nA\n"));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number, 3021);
    EXPECT_TRUE(out.error->text.contains(QStringLiteral("\"Gibt es nicht\"")));
    EXPECT_EQ(labelCount(), 1);
}

TEST_F(ImportFixture, AutomaticFieldFormsFollowTheMainWindow) {
    // Row 0 counts a running number in steps of 5, row 1 a date in format 2; row 6
    // has no automatic controls, so its tick does not count.
    plan.current.fields[0] = {QStringLiteral("(10) Charge ©"), {}, {}, true, 5, 0};
    plan.current.fields[1] = {QStringLiteral("(15) Mindesthaltbarkeit †"), {}, {}, true, 0, 2};
    plan.current.fields[6] = {QStringLiteral("(10) Charge ©"), {}, {}, true, 5, 0};
    plan.current.fields[2] = {QStringLiteral("(15) Mindesthaltbarkeit †"), {}, {}, false, 3, 1};
    // The main window shows the template, so the stored identifiers are the same.
    for (int k : {0, 1, 2, 6})
        templ.fields[static_cast<size_t>(k)].identifier =
            plan.current.fields[static_cast<size_t>(k)].identifier;
    store.save(templ);
    for (int k : {0, 1, 2, 6})
        plan.mappings[static_cast<size_t>(mapping::FirstField + k)] = QStringLiteral("[Wert]");
    plan.mappings[mapping::FirstExtra] = daysFromTodayText(3);
    plan.mappings[mapping::FirstExtra + 1] = daysFromTodayText(-6);

    const ImportOutcome out = run(textTable("Name;Wert\nTage;14\nDatum;24.12.2026\nText;bald\n"));
    ASSERT_FALSE(out.error);
    const struct {
        const char* name;
        const char* running; // field 0
        const char* date;    // field 1
        const char* plain;   // fields 2 and 6
    } rows[] = {
        {"Tage", "1|5|14", "1|14|2", "14"},
        {"Datum", "1|5|24.12.2026", "24.12.2026", "24.12.2026"},
        {"Text", "1|5|bald", "bald", "bald"},
    };
    for (const auto& r : rows) {
        const Label l = stored(QString::fromUtf8(r.name));
        EXPECT_EQ(l.fields[0].content.toStdString(), r.running) << r.name;
        EXPECT_EQ(l.fields[1].content.toStdString(), r.date) << r.name;
        EXPECT_EQ(l.fields[2].content.toStdString(), r.plain) << r.name;
        EXPECT_EQ(l.fields[6].content.toStdString(), r.plain) << r.name;
        EXPECT_EQ(l.extras[0].text, QStringLiteral("09.12.2026"));
        EXPECT_EQ(l.extras[1].text, QStringLiteral("30.11.2026"));
    }
}

TEST(ParseMapping, Forms) {
    using K = FieldMapping::Kind;
    const struct {
        QString text;
        K kind;
        QString value;
        int days;
    } cases[] = {
        {QStringLiteral(" [Kunde Nr] "), K::Column, QStringLiteral("Kunde Nr"), 0},
        {QStringLiteral("[A] & [B]"), K::Expression, QStringLiteral("[A] & [B]"), 0},
        {daysFromTodayText(14), K::DaysFromToday, {}, 14},
        {QStringLiteral("Heute + 7 Tage"), K::DaysFromToday, {}, 7},
        {QStringLiteral("Heute + x Tage"), K::Expression, QStringLiteral("Heute + x Tage"), 0},
    };
    for (const auto& c : cases) {
        const FieldMapping m = parseMapping(c.text);
        EXPECT_EQ(m.kind, c.kind) << c.text.toStdString();
        EXPECT_EQ(m.text, c.value) << c.text.toStdString();
        EXPECT_EQ(m.days, c.days) << c.text.toStdString();
    }
    EXPECT_EQ(daysFromTodayText(3), QStringLiteral("Heute + \u00a03 Tage"));
}

// An identifier is named once, with the caption only where it says more; a box the
// label leaves unnamed is named in the caption language, never by its column.
TEST(MappingCaptions, FromTheLabelShownInTheCaptionLanguage) {
    test::CaptionsRestorer restorer;
    Label shown;
    shown.parties[0].caption.clear();
    shown.parties[1].caption = QStringLiteral("Kunde");
    shown.extras[2].caption.clear();
    shown.fields[0] = {
        QStringLiteral("(10)   Charge |©A…20"), QStringLiteral("Charge"), {}, false, 0, 0};
    shown.fields[1].identifier = QStringLiteral("(400) Auftrag |A…30");
    shown.fields[2].caption = QStringLiteral(" Notiz ");
    shown.fields[4] = {
        QStringLiteral("(10) Charge |©A…20"), QStringLiteral("Los"), {}, false, 0, 0};
    const struct {
        int language;
        int box;
        const char* expected;
    } cases[] = {
        {0, mapping::Name, "Etikettenname"},
        {0, mapping::FirstParty, "Absender"},
        {0, mapping::FirstParty + 1, "Kunde"},
        {0, mapping::FirstField, "(10) Charge"},
        {0, mapping::FirstField + 1, "(400) Auftrag"},
        {0, mapping::FirstField + 2, "Notiz"},
        {0, mapping::FirstField + 3, "Datenfeld 3"},
        {0, mapping::FirstField + 4, "(10) Charge - Los"},
        {0, mapping::FirstExtra, "Zusatztext 0"},
        {0, mapping::NveBasis, "NVE Basisnummer"},
        {0, mapping::AnzahlProNVE, "Anzahl Etiketten pro NVE:"},
        {1000, mapping::Name, "Label name"},
        {1000, mapping::FirstParty, "Sender"},
        {1000, mapping::FirstField, "(10) Charge"},
        {1000, mapping::FirstField + 9, "Data field 9"},
        {1000, mapping::FirstExtra + 2, "Additional text 2"},
        {1000, mapping::NveLaufNr, "NVE serial no."},
    };
    for (const auto& c : cases) {
        Captions::global().setOffset(c.language);
        EXPECT_EQ(mappingCaptions(shown)[static_cast<size_t>(c.box)], QString::fromUtf8(c.expected))
            << c.language << "/" << c.box;
    }
}

// The last expression of a box is offered again in its list.
TEST(ImportChoices, LastExpressionsAreKept) {
    test::TempAppData appData;
    const Settings settings(iniPath());
    saveLastExpression(settings, 7, QStringLiteral("[A] & vbcrlf"));
    saveImportChoices(settings, loadImportChoices(settings));
    EXPECT_EQ(loadImportChoices(settings).expressions[7], QStringLiteral("[A] & vbcrlf"));
}

} // namespace
} // namespace palomex
