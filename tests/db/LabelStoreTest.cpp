#include "TestDatabases.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "db/InitialLayout.h"
#include "db/LabelPicking.h"
#include "db/LabelRecord.h"
#include "db/LabelSession.h"
#include "db/LabelStrings.h"
#include "db/NveLock.h"
#include "support/TestSupport.h"
#include "ui/db/LabelListDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;
using namespace palomex::test;

namespace {

// A few catalogue entries in the catalogue's own form: code, description, format.
const QStringList kCatalogue = {
    QString(),
    "(00)   NVE|N18¤",
    "(01)   GTIN|N14¤",
    "(10)   Charge|©X…20µ",
    "(15)   Mindesthaltbarkeit|†N6",
    "(3102) Nettogewicht kg|‡N6",
    "(422)  Ursprungsland|®N3",
};

QString lookUp(const QString& code) {
    for (const QString& e : kCatalogue) {
        if (e.startsWith(code, Qt::CaseInsensitive))
            return e;
    }
    return kCatalogue.first();
}

LabelRow emptyRow() {
    LabelRow row;
    for (const QString& c : labelColumns())
        row[c] = QString();
    return row;
}

// A label with every part set to unusual but legal values.
Label unusualLabel() {
    Label l;
    l.name = R"(Ä'b"c%_ü ß — 50% «x»)";
    l.format = LabelFormat::Large;
    l.height = 210;
    l.logoFile = "/home/lager/Logos/Firma Ölmühle.bmp";
    l.logo = {1.5, 2, 30.5, 12};
    l.nveBasis = "40 12345 67";
    l.nveLaufNr = "000000123";
    l.anzahlNVEs = "9999";
    l.anzahlProNVE = 3;
    l.parties[0] = {"Absender:", "Müller & Söhne\r\nHauptstr. 1"};
    l.parties[1] = {"Empfänger", "Dupont «Lyon»\r\n69000 Lyon"};
    l.fields[0] = {kCatalogue[4], "MHD", {}, true, 30, 2};
    l.fields[1] = {kCatalogue[3], "Charge", "000123", true, 1, 0};
    l.fields[2] = {kCatalogue[5], "Netto", "12¸5·0¯€", false, 0, 0};
    l.fields[3] = {kCatalogue[3], "Los", "A-17", false, 0, 0};
    l.fields[4] = {kCatalogue[6], "Land", "276", false, 0, 0};
    l.fields[5] = {kCatalogue[4], "Datum", "1.7.24", false, 0, 0};
    l.fields[7] = {kCatalogue[2], QString(50, QChar(u'ö')), "*4012345678901¥µ", false, 0, 0};
    l.extras[0] = {"Hinweis", "† ‡ ¤ © ® µ ¥ · ¸ ¯"};
    l.extras[2] = {QString(80, QLatin1Char('x')), "Zeile 1\r\nZeile 2"};
    for (int e = 0; e < element::FirstHorizontalLine; ++e) {
        l.elements[e].left = 0.5 * e + 1.5;
        l.elements[e].top = 100 - e;
        l.elements[e].setState(8 + e, 0);
    }
    l.elements[element::FirstField + 1].state = "12|24|Horz";
    l.elements[element::NveLine].state = "12|24|SSCC";
    for (int j = 0; j < 10; ++j) {
        LayoutElement& e = l.elements[element::FirstHorizontalLine + j];
        e.left = 57.1 + j;
        e.top = 110.1 + j;
        (j <= 5 ? e.width : e.height) = 46.5 - j;
    }
    return l;
}

class LabelStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(app.dataFolder());
        db = Database::open(app.file("Palomex.mdb"));
        ASSERT_TRUE(db->machNeuBenutzer(table::Etiketten));
        store = std::make_unique<LabelStore>(*db, table::Etiketten);
        settings = std::make_unique<Settings>(app.file("Palomex.ini"));
    }
    int rowCount() { return test::firstValue(*db, R"(SELECT count(*) FROM "Etiketten")").toInt(); }
    Label labelNamed(const QString& name, const QString& receiver = "Lyon") {
        Label l;
        l.name = name;
        l.parties[1].text = receiver;
        return l;
    }

    TempAppData app;
    std::unique_ptr<Database> db;
    std::unique_ptr<LabelStore> store;
    std::unique_ptr<Settings> settings;
    ScriptedPrompter prompter;
};

// Turns a stored code into an entry carrying the running-number marker.
const QString kEntry = " Charge|©X…20";

class SessionTest : public LabelStoreTest {
protected:
    void SetUp() override {
        LabelStoreTest::SetUp();
        session = std::make_unique<LabelSession>(
            *store, *settings, prompter,
            [this](const QString& proposed) {
                proposals << proposed;
                return nameAnswer;
            },
            [](const QString& code) { return code.isEmpty() ? code : code + kEntry; });
    }
    void setFlag(const char* key, bool on) {
        settings->writeFlag("Einstellungen", QString::fromUtf8(key), on);
    }

    std::unique_ptr<LabelSession> session;
    std::optional<QString> nameAnswer;
    QStringList proposals;
};

void press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &down);
}

class DialogTest : public LabelStoreTest {
protected:
    void SetUp() override {
        LabelStoreTest::SetUp();
        for (const char* n : {"Alpha", "Lager 2", "O'Neil", "Zebra", "Lager"})
            store->save(labelNamed(QString::fromUtf8(n)));
        dialog = std::make_unique<LabelListDialog>(*store, *settings, prompter,
                                                   [this](const QString& n) { opened << n; });
    }

    std::unique_ptr<LabelListDialog> dialog;
    QStringList opened;
};

} // namespace

// Each part in its column as stored since the first version, and read back unchanged.
TEST(LabelRecord, UnusualLabelRoundTripsThroughKnownColumnEncodings) {
    const LabelRow row = encodeLabel(unusualLabel());
    const struct {
        const char* column;
        QString text;
    } cases[] = {
        {"Etikformat", "2"},
        {"EtikHöhe", "210"},
        {"Logo_PosXY", "1.5|2|30.5|12"},
        {"Linien", "57.1|110.1|46.5|58.1|111.1|45.5|59.1|112.1|44.5|60.1|113.1|"
                   "43.5|61.1|114.1|42.5|62.1|115.1|41.5|63.1|116.1|40.5|64.1|"
                   "117.1|39.5|65.1|118.1|38.5|66.1|119.1|37.5|"},
        {"AbsEmpf0_PosXY", "1.5|100|8|0"},
        {"DB1_PosXY", "3|97|12|24|Horz"},
        {"NVE_PosXY", "9.5|84|12|24|SSCC"},
        {"KleinNVE_PosXY", "9|85|23|0"},
        {"Barcode2_PosXY", "11|81|27|0"},
        {"DBCombo0", "(15)"},
        {"DBCombo2", "(3102)"},
        {"DBCombo6", QString()},
        {"DIText0", " 1| 30| 2"},
        {"DIText1", " 1| 1|000123"},
        {"DIText3", "A-17"},   // box not ticked: the text itself
        {"DIText5", "1.7.24"}, // date typed by hand
        {"AnzahlNVEs", "9999"},
        {"AnzahlProNVE", "3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(row.value(QString::fromUtf8(c.column)).toString(), c.text) << c.column;
    EXPECT_EQ(row.size(), labelColumns().size());
    for (const QString& c : labelColumns())
        EXPECT_TRUE(row.contains(c)) << qPrintable(c);
    const DecodedLabel back = decodeLabel(row, lookUp);
    EXPECT_TRUE(back.notes.isEmpty()) << back.notes.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(back.label == unusualLabel());
}

// Whether field row 4 stands at left and top with that state; with no left given,
// where a new label has it.
bool placed(const Label& l, double left = -1, double top = 0, const char* state = "12|24") {
    const Label fresh = storedNewLabel(l.format);
    const LayoutElement& e = l.fieldElement(4);
    const LayoutElement& f = fresh.fieldElement(4);
    return left < 0 ? e.left == f.left && e.top == f.top && e.state == f.state
                    : e.left == left && e.top == top && e.state == QLatin1String(state);
}

TEST(LabelRecord, HandWrittenValuesLoadToTheirMeaning) {
    const struct {
        const char* column;
        QVariant stored;
        std::function<bool(const Label&)> holds;
    } cases[] = {
        {"DB4_PosXY", "40|12", [](const Label& l) { return placed(l, 40, 12); }},
        {"DB4_PosXY", "35,5|12|12|24|0",
         [](const Label& l) { return placed(l, 35.5, 12, "12|24|0"); }},
        {"DB4_PosXY", "35.5|12|8|9|Horz|rest",
         [](const Label& l) { return placed(l, 35.5, 12, "8|9|Horz"); }},
        {"DB4_PosXY", "1.234,5|3|8", [](const Label& l) { return placed(l, 1234.5, 3); }},
        // Unreadable or missing: the place of a new label.
        {"DB4_PosXY", "7", [](const Label& l) { return placed(l); }},
        {"AnzahlNVEs", "0", [](const Label& l) { return l.anzahlNVEs == "1"; }},
        {"AnzahlNVEs", QVariant(), [](const Label& l) { return l.anzahlNVEs == "1"; }},
        {"AnzahlNVEs", "25", [](const Label& l) { return l.anzahlNVEs == "25"; }},
        {"AnzahlProNVE", 0, [](const Label& l) { return l.anzahlProNVE == 1; }},
        {"Etikformat", 7, [](const Label& l) { return l.format == LabelFormat::Small; }},
        {"Etikformat", 0, [](const Label& l) { return l.format == LabelFormat::NveOnly; }},
        {"Logo_PosXY", "10|20",
         [](const Label& l) {
             const LayoutRect fresh = storedNewLabel(l.format).logo;
             return l.logo == LayoutRect{10, 20, fresh.width, fresh.height};
         }},
        {"Linien", "1|2|3|4|5",
         [](const Label& l) {
             return l.elements[20].left == 1 && l.elements[20].width == 3 &&
                    l.elements[21].top == 5 &&
                    l.elements[21].width == storedNewLabel(l.format).elements[21].width;
         }},
        {"DBCombo3", "(3102)",
         [](const Label& l) { return l.fields[3].identifier == kCatalogue[5]; }},
        {"DBCombo3", "(00", [](const Label& l) { return l.fields[3].identifier == kCatalogue[1]; }},
        {"DBCombo3", "(99)", [](const Label& l) { return l.fields[3].identifier.isEmpty(); }},
    };
    for (const auto& c : cases) {
        LabelRow row = emptyRow();
        row[QString::fromUtf8(c.column)] = c.stored;
        EXPECT_TRUE(c.holds(decodeLabel(row, lookUp).label))
            << c.column << " = " << c.stored.toString().toStdString();
    }
}

TEST(LabelRecord, AutomaticValueColumnsLoadIntoTheirControls) {
    const struct {
        const char* identifier;
        const char* stored;
        bool autoValue;
        int days, format;
        const char* content;
    } cases[] = {
        {"(15)", " 0| 5| 4", false, 5, 4, ""},
        {"(15)", " 1| 30| 42", true, 30, 0, ""}, // format index out of range
        {"(10)", " 1| 10", true, 10, 0, ""},
        {"(3102)", "1|2|3", false, 0, 0, "1|2|3"}, // no marker: plain text
    };
    for (const auto& c : cases) {
        LabelRow row = emptyRow();
        row["DBCombo5"] = QString::fromUtf8(c.identifier);
        row["DIText5"] = QString::fromUtf8(c.stored);
        const DataField f = decodeLabel(row, lookUp).label.fields[5];
        EXPECT_EQ(f.autoValue, c.autoValue) << c.stored;
        EXPECT_EQ(f.days, c.days) << c.stored;
        EXPECT_EQ(f.dateFormat, c.format) << c.stored;
        EXPECT_EQ(f.content, QString::fromUtf8(c.content)) << c.stored;
    }
    // Rows 6 to 9 have no controls: the encoded text stays the content either way.
    LabelRow row = emptyRow();
    row["DBCombo8"] = "(15)";
    row["DIText8"] = " 1| 30| 2";
    EXPECT_EQ(decodeLabel(row, lookUp).label.fields[8].content, " 1| 30| 2");
    Label l;
    l.fields[6] = {kCatalogue[4], {}, "x", true, 5, 1};
    l.fields[2] = {kCatalogue[5], {}, "12,5", true, 5, 1}; // identifier without marker
    row = encodeLabel(l);
    EXPECT_EQ(row.value("DIText6").toString() + row.value("DIText2").toString(), "x12,5");
}

TEST(LabelRecord, OlderRowsLoadWithDefaultsAndNotes) {
    const struct {
        const char* what;
        std::function<void(LabelRow&)> damage;
        const char* noteNames;
    } cases[] = {
        {"no position columns",
         [](LabelRow& r) {
             for (const QString& c : labelColumns()) {
                 if (c.endsWith(QLatin1String("_PosXY")) || c == QLatin1String("Linien"))
                     r.remove(c);
             }
         },
         "NVE_PosXY"},
        {"text in a number column", [](LabelRow& r) { r["Etikformat"] = "groß"; }, "Etikformat"},
        {"text in a day count",
         [](LabelRow& r) {
             r["DBCombo0"] = "(15)";
             r["DIText0"] = " 1| dreißig| 2";
         },
         "DIText0"},
        {"only the name",
         [](LabelRow& r) {
             r = {{"EtikName", "Alt"}};
         },
         "AnzahlProNVE"},
    };
    for (const auto& c : cases) {
        LabelRow row = encodeLabel(Label{});
        c.damage(row);
        const DecodedLabel d = decodeLabel(row, lookUp);
        EXPECT_TRUE(d.notes.join(QLatin1Char(' ')).contains(QString::fromUtf8(c.noteNames)))
            << c.what << ": " << d.notes.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(d.label.elements[element::NveLine].state, LayoutElement::kDefaultState) << c.what;
    }
}

TEST_F(LabelStoreTest, AwkwardNamesAreStoredAndFoundAsTyped) {
    const QString names[] = {
        "O'Brien",
        R"("Kunde" 7)",
        "50% Rabatt_",
        "Größe Ü; DROP TABLE x;--",
        QString(255, QChar(u'ä')),
        " führendes Leerzeichen",
        "[Etiketten]",
        "a?b*c",
    };
    for (const QString& n : names)
        EXPECT_FALSE(store->save(labelNamed(n, n.left(20) + " Empfänger"))) << "a new row";
    // Saved again under another case: the row is replaced in place, named as saved last.
    EXPECT_TRUE(store->save(labelNamed("O'BRIEN", "O'Brien Empfänger")));
    EXPECT_EQ(store->load("o'brien")->label.name, "O'BRIEN");
    EXPECT_TRUE(store->save(labelNamed("O'Brien", "O'Brien Empfänger")));
    EXPECT_EQ(rowCount(), static_cast<int>(std::size(names)));
    for (const QString& n : names) {
        const auto loaded = store->load(n);
        ASSERT_TRUE(loaded) << n.toStdString();
        EXPECT_EQ(loaded->label.name, n);
        EXPECT_EQ(loaded->label.parties[1].text, n.left(20) + " Empfänger");
    }
    EXPECT_FALSE(store->load("50%"));
    EXPECT_FALSE(store->load("O_Brien"));
    EXPECT_EQ(store->names().size(), static_cast<qsizetype>(std::size(names)));
}

TEST_F(LabelStoreTest, RefusedLabelsNameTheReasonAndStoreNothing) {
    const struct {
        const char* what;
        std::function<void(Label&)> make;
        int message;
    } cases[] = {
        {"empty name", [](Label& l) { l.name.clear(); }, msg::NameEmpty},
        {"name of 256", [](Label& l) { l.name = QString(256, QLatin1Char('n')); },
         msg::NameTooLong},
        {"content of 51", [](Label& l) { l.fields[3].content = QString(51, QLatin1Char('7')); },
         msg::TextTooLong},
        {"base of 13", [](Label& l) { l.nveBasis = "1234567890123"; }, msg::TextTooLong},
        {"identifier code of 7", [](Label& l) { l.fields[0].identifier = "(12345) x"; },
         msg::TextTooLong},
    };
    for (const auto& c : cases) {
        Label l = labelNamed("Neu");
        c.make(l);
        const QString text = test::thrownBy([&] { store->save(l); }).text();
        EXPECT_TRUE(text.startsWith(caption(c.message).section(QLatin1Char('%'), 0, 0)))
            << c.what << ": " << text.toStdString();
        EXPECT_EQ(rowCount(), 0) << c.what;
    }
}

TEST_F(LabelStoreTest, AFailedWriteLeavesTheStoredRowAsItWas) {
    store->save(labelNamed("Fest", "vorher"));
    QSqlQuery(db->connection())
        .exec("CREATE TRIGGER nein BEFORE UPDATE ON \"Etiketten\" "
              "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");
    EXPECT_THROW(store->save(labelNamed("Fest", "nachher")), AppError);
    EXPECT_EQ(store->load("Fest")->label.parties[1].text, "vorher");
    // The connection is usable afterwards: no transaction was left open.
    store->save(labelNamed("Zweites"));
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(LabelStoreTest, RowsOfATableWithFewerColumnsLoadWithNotesAndSaveWhatFits) {
    ASSERT_TRUE(test::exec(*db, R"(CREATE TABLE "Alt" ("EtikName" TEXT PRIMARY KEY, )"
                                R"("Etikformat" INTEGER, "DBCombo0" TEXT, "DIText0" TEXT))"));
    ASSERT_TRUE(test::exec(*db, R"(INSERT INTO "Alt" VALUES ('Alt 1', 'zwei', '(10)', 'L-7'))"));
    LabelStore old(*db, "Alt");
    auto loaded = old.load("Alt 1");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->label.fields[0].content, "L-7");
    EXPECT_GT(loaded->notes.size(), 60) << "a note for each missing column";
    loaded->label.fields[0].content = "L-8";
    old.save(loaded->label);
    EXPECT_EQ(old.load("Alt 1")->label.fields[0].content, "L-8");
}

TEST_F(SessionTest, ANewLabelIsNamedOnSaveAndANewNameCancelledKeepsTheOld) {
    nameAnswer = "Kunde Ölmühle";
    session->label().nveBasis = "4012345";
    session->label().fields[0].caption = QString(51, QLatin1Char('x'));
    session->markChanged();
    // A label that cannot be stored shows why and stays unnamed and changed.
    EXPECT_FALSE(session->save());
    EXPECT_TRUE(session->name().isEmpty());
    EXPECT_TRUE(session->changed());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains("DBBez0"));
    session->label().fields[0].caption.clear();
    EXPECT_TRUE(session->save());
    EXPECT_EQ(proposals, (QStringList{QString(), QString()}));
    EXPECT_FALSE(session->changed());
    EXPECT_EQ(store->load("Kunde Ölmühle")->label.nveBasis, "4012345");
    EXPECT_TRUE(session->save()); // named now: no question
    EXPECT_EQ(proposals.size(), 2);
    for (const std::optional<QString>& answer :
         {std::optional<QString>(), std::optional(QString())}) {
        nameAnswer = answer;
        session->markChanged();
        EXPECT_FALSE(session->saveUnderNewName());
        EXPECT_EQ(session->name(), "Kunde Ölmühle");
        EXPECT_TRUE(session->changed());
    }
    EXPECT_EQ(proposals.last(), "Kunde Ölmühle");
    EXPECT_EQ(rowCount(), 1);
}

TEST_F(SessionTest, SavingRecordsTheRunningNumberAsUsedAndNeverLowersIt) {
    db->update(QString());
    const struct {
        const char* base;
        const char* running;
        bool heldByARun;
        std::optional<qint64> stored; // for base 4012345 afterwards
    } cases[] = {
        {"401 23 45", "000000042", false, 42},
        {"4012345", "7", false, 42},
        {"4012345", "", false, 42},
        {"4012345", "50", true, 42},
        {"4012345", "51", false, 51},
    };
    for (const auto& c : cases) {
        session->label().nveBasis = QString::fromUtf8(c.base);
        session->label().nveLaufNr = QString::fromUtf8(c.running);
        std::unique_ptr<NveLock> run;
        if (c.heldByARun)
            run = lockNveBase(*db, "4012345", 0);
        EXPECT_TRUE(session->saveAs("Lager")) << c.running;
        run.reset();
        EXPECT_EQ(storedHighest(*db, "4012345"), c.stored) << c.running;
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(SessionTest, SaveQuestionFollowsSettingChangeAndAnswer) {
    const struct {
        bool settingOn, changed;
        std::optional<Answer> answer;
        SaveAnswer result;
        bool stored, changedAfter;
    } cases[] = {
        {false, true, std::nullopt, SaveAnswer::NotAsked, false, true},
        {true, false, std::nullopt, SaveAnswer::NotAsked, false, false},
        {true, true, Answer::Yes, SaveAnswer::Yes, true, false},
        {true, true, Answer::No, SaveAnswer::No, false, true},
        {true, true, Answer::Cancel, SaveAnswer::Cancel, false, true},
    };
    for (const auto& c : cases) {
        session->saveAs("Frage");
        session->label().parties[0].text = "geändert";
        if (c.changed)
            session->markChanged();
        setFlag("SpeichernFrage", c.settingOn);
        prompter.shown.clear();
        if (c.answer)
            prompter.willAnswer(*c.answer);
        EXPECT_EQ(session->askToSave(), c.result);
        EXPECT_EQ(prompter.shown.size(), c.answer ? 1 : 0);
        if (c.answer) {
            EXPECT_EQ(prompter.shown[0], "Möchten Sie die Änderungen in Etikett "
                                         "\"Frage\" speichern ?");
        }
        EXPECT_EQ(store->load("Frage")->label.parties[0].text == "geändert", c.stored);
        EXPECT_EQ(session->changed(), c.changedAfter);
        session->label().parties[0].text.clear();
        session->saveAs("Frage");
    }
}

TEST_F(SessionTest, AutomaticSaveOnlyWhenSwitchedOn) {
    session->saveAs("Auto");
    for (bool on : {false, true}) {
        setFlag("AutoSpeichern", on);
        session->label().nveLaufNr = on ? "2" : "1";
        session->markChanged();
        session->autoSave();
        EXPECT_EQ(store->load("Auto")->label.nveLaufNr.isEmpty(), !on);
    }
}

TEST_F(SessionTest, OpenAndClear) {
    Label l = storedNewLabel(LabelFormat::Large);
    l.name = "Voll";
    l.nveBasis = "4012345";
    l.nveLaufNr = "77";
    l.anzahlNVEs = "5";
    l.anzahlProNVE = 2;
    l.logoFile = "/tmp/logo.png";
    l.parties[0] = {"Von", "Lager"};
    l.fields[1] = {"(10)" + kEntry, "Charge", "A", true, 2, 0};
    l.extras[1] = {"Hinweis", "zerbrechlich"};
    l.elements[element::NveLine].left = 33;
    store->save(l);

    EXPECT_FALSE(session->open("fehlt"));
    ASSERT_TRUE(session->open("voll"));
    EXPECT_TRUE(session->label() == l);

    session->markChanged();
    session->clear();
    EXPECT_FALSE(session->changed());
    // A new label takes over the base, the captions, format and layout of the one before.
    Label expected = storedNewLabel(LabelFormat::Large);
    expected.nveBasis = l.nveBasis;
    expected.parties[0].caption = "Von";
    expected.extras[1].caption = "Hinweis";
    expected.elements = l.elements;
    EXPECT_TRUE(session->label() == expected);
    // In English the designations a new label brought along become English.
    Captions::global().setOffset(1000);
    session->clear();
    Captions::global().setOffset(0);
    const Captions& texts = Captions::global();
    expected.parties[1].caption = texts.raw(1000 + msg::ReceiverDesignation);
    for (const int i : {0, 2})
        expected.extras[i].caption =
            texts.raw(1000 + msg::ExtraDesignation).replace("%1", QString::number(i));
    EXPECT_TRUE(session->label() == expected) << session->label().parties[1].caption.toStdString();
}

// The other counts are asked through the dialog below.
TEST(LabelPicking, DeletingTheOnlyLabelAsksForAll) {
    EXPECT_EQ(deleteQuestion(1, 1), "Soll alle Etikett gelöscht werden ?");
}

TEST_F(DialogTest, ListsByNameAndSelectsTheCurrentLabel) {
    dialog->load(LabelListDialog::Mode::Open, "Zebra");
    QStringList shown;
    for (int i = 0; i < dialog->list()->count(); ++i)
        shown << dialog->list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"Alpha", "Lager", "Lager 2", "O'Neil", "Zebra"}));
    EXPECT_EQ(dialog->selectedNames(), QStringList{"Zebra"});
    EXPECT_EQ(dialog->windowTitle(), "Etikett öffnen");
}

// Typed letters find the first name beginning with them; the caption shows them in
// the found name's spelling; Backspace takes one back.
TEST_F(DialogTest, TypingSearchesAndShowsTheBufferInTheCaption) {
    dialog->load(LabelListDialog::Mode::Open, {});
    dialog->show();
    const struct {
        const char* typed;
        const char* buffer;
        QStringList selected;
    } steps[] = {
        {"la", "La", {"Lager"}},
        {"\b", "L", {"Lager"}},
        {"x", "Lx", {}},
        {"\bager ", "Lager ", {"Lager 2"}},
        {"\b\b\b\b\b\bo'", "O'", {"O'Neil"}},
    };
    for (const auto& s : steps) {
        for (const QChar c : QString::fromUtf8(s.typed))
            c == u'\b' ? press(dialog->list(), Qt::Key_Backspace)
                       : press(dialog->list(), c.toUpper().unicode(), QString(c));
        EXPECT_EQ(dialog->windowTitle(), "Etikett öffnen  " + QString::fromUtf8(s.buffer));
        EXPECT_EQ(dialog->selectedNames(), s.selected) << s.typed;
    }
    press(dialog->list(), Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{"O'Neil"});
}

TEST_F(DialogTest, DeleteAsksAndRemovesOnlyTheSelection) {
    const struct {
        Answer answer;
        QStringList selected;
        const char* question;
        int left;
    } cases[] = {
        {Answer::Cancel, {"Alpha", "O'Neil"}, "Soll 2 Etiketten gelöscht werden ?", 5},
        {Answer::Ok, {"Alpha", "O'Neil"}, "Soll 2 Etiketten gelöscht werden ?", 3},
        {Answer::Ok, {"Zebra"}, "Soll 1 Etikett gelöscht werden ?", 2},
        {Answer::Ok, {"Lager", "Lager 2"}, "Soll alle Etiketten gelöscht werden ?", 0},
    };
    for (const auto& c : cases) {
        dialog->load(LabelListDialog::Mode::Delete, {});
        for (int i = 0; i < dialog->list()->count(); ++i) {
            QListWidgetItem* item = dialog->list()->item(i);
            item->setSelected(c.selected.contains(item->text()));
        }
        prompter.shown.clear();
        prompter.willAnswer(c.answer);
        press(dialog->list(), Qt::Key_Delete);
        EXPECT_EQ(prompter.shown, QStringList{QString::fromUtf8(c.question)});
        EXPECT_EQ(store->names().size(), c.left);
        for (const QString& n : c.selected)
            EXPECT_EQ(store->load(n).has_value(), c.answer != Answer::Ok) << n.toStdString();
    }
}
