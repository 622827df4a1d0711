#include "TestDatabases.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "db/InitialLayout.h"
#include "db/LabelSession.h"
#include "db/LabelStrings.h"
#include "db/NveLock.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;
using palomex::test::TempAppData;

namespace {

class LabelStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(app.dataFolder());
        db = Database::open(app.file("Palomex.mdb"));
        ASSERT_TRUE(db->machNeuBenutzer(table::Etiketten));
        store = std::make_unique<LabelStore>(*db, table::Etiketten);
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
};

} // namespace

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

namespace {

// Turns a stored code into an entry carrying the running-number marker.
const QString kEntry = " Charge|©X…20";

class SessionTest : public LabelStoreTest {
protected:
    void SetUp() override {
        LabelStoreTest::SetUp();
        settings = std::make_unique<Settings>(app.file("Palomex.ini"));
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

    ScriptedPrompter prompter;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<LabelSession> session;
    std::optional<QString> nameAnswer;
    QStringList proposals;
};

} // namespace

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
        if (c.answer) {
            prompter.willAnswer(*c.answer);
        }
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
}
