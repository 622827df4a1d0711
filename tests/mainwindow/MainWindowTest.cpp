#include "ui/entry/MainWindow.h"
#include "app/Captions.h"
#include "db/LabelSession.h"
#include "support/TestSupport.h"
#include "ui/app/Application.h"
#include "ui/db/LabelListDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;
using palomex::test::TempAppData;

namespace {

void press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &down);
}

// Types like a user: every character a key press on the focused widget.
void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    for (QChar c : text) {
        if (c == QLatin1Char('\n'))
            press(w, Qt::Key_Return, QStringLiteral("\r"));
        else
            press(w, c.toUpper().unicode(), QString(c));
    }
}

const QStringList kEntries = {QString(), QStringLiteral("(01)   GTIN|N14¤"),
                              QStringLiteral("(10)   Charge|©X…20µ"),
                              QStringLiteral("(15)   Mindesthaltbarkeit|†N6")};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Captions::global().setOffset(0);
        QDir().mkpath(app.dataFolder());
        db = Database::open(app.file(QStringLiteral("Palomex.mdb")));
        db->machNeuBenutzer(table::Etiketten);
        store = std::make_unique<LabelStore>(*db, table::Etiketten);
        settings = std::make_unique<Settings>(app.file(QStringLiteral("Palomex.ini")));
        session = std::make_unique<LabelSession>(
            *store, *settings, prompter, [this](const QString&) { return nameAnswer; },
            [](const QString& code) {
                for (const QString& e : kEntries) {
                    if (e.startsWith(code, Qt::CaseInsensitive))
                        return e;
                }
                return QString();
            });
        window.setIdentifierEntries(kEntries);
        dialog = std::make_unique<LabelListDialog>(
            *store, *settings, prompter, [this](const QString& n) { window.loadLabel(n); },
            &window);
        window.attach(session.get(), dialog.get());
        window.setExitHandler([this] { return session->readyToLeave(); });
        window.show();
        QApplication::setActiveWindow(&window);
    }
    template <typename T> T* child(const char* name) {
        T* w = window.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TempAppData app;
    std::unique_ptr<Database> db;
    std::unique_ptr<LabelStore> store;
    std::unique_ptr<Settings> settings;
    ScriptedPrompter prompter;
    std::optional<QString> nameAnswer;
    std::unique_ptr<LabelSession> session;
    MainWindow window;
    std::unique_ptr<LabelListDialog> dialog;
};

} // namespace

TEST_F(MainWindowTest, TypedFieldsMakeTheLabel) {
    typeInto(child<QLineEdit>("NVE_Basis"), QStringLiteral("40 12345"));
    typeInto(child<QLineEdit>("NVE_LaufNr"), QStringLiteral("0000017"));
    typeInto(child<QPlainTextEdit>("AbsEmpfText0"), QStringLiteral("Müller\nHamburg"));
    child<QLineEdit>("ZusatzBez1")->clear();
    typeInto(child<QLineEdit>("ZusatzBez1"), QStringLiteral("Hinweis"));
    auto* list = child<QComboBox>("DBCombo2");
    list->setCurrentIndex(2);
    child<QLineEdit>("DIText2")->setEnabled(true);
    typeInto(child<QLineEdit>("DIText2"), QStringLiteral("L-7"));
    const Label l = window.label();
    EXPECT_EQ(l.nveBasis, QStringLiteral("40 12345"));
    EXPECT_EQ(l.nveLaufNr, QStringLiteral("0000017"));
    EXPECT_EQ(l.parties[0].text, QStringLiteral("Müller\r\nHamburg"));
    EXPECT_EQ(l.extras[1].caption, QStringLiteral("Hinweis"));
    EXPECT_EQ(l.fields[2].identifier, kEntries[2]);
    EXPECT_EQ(l.fields[2].content, QStringLiteral("L-7"));
    EXPECT_TRUE(session->changed());
}

TEST_F(MainWindowTest, BoxesKeepTheirInputWithinTheColumnWidths) {
    const struct {
        const char* box;
        int width;
    } cases[] = {{"NVE_Basis", 12}, {"NVE_LaufNr", 9}, {"AnzahlNVEs", 4},
                 {"DIText0", 50},   {"DBBez3", 50},    {"ZusatzBez2", 80}};
    for (const auto& c : cases) {
        auto* e = child<QLineEdit>(c.box);
        e->setEnabled(true);
        e->clear();
        typeInto(e, QString(c.width + 5, QLatin1Char('7')));
        EXPECT_EQ(e->text().size(), c.width) << c.box;
    }
    auto* extra = child<QPlainTextEdit>("ZusatzText0");
    typeInto(extra, QString(90, QLatin1Char('x')));
    EXPECT_EQ(window.label().extras[0].text.size(), 80);
}

TEST_F(MainWindowTest, EnterMovesToTheNextField) {
    auto* basis = child<QLineEdit>("NVE_Basis");
    basis->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), basis);
    press(basis, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_NE(QApplication::focusWidget(), basis);
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>("NVE_LaufNr"));
    EXPECT_EQ(window.topicHelpPage(), QStringLiteral("NVE.htm"));
}

TEST_F(MainWindowTest, FormatChoosesTheRowsShown) {
    const struct {
        const char* option;
        std::vector<int> rows;
        bool extras;
    } cases[] = {
        {"Option1_0", {}, false},
        {"Option1_1", {1, 2, 3, 4}, true},
        {"Option1_2", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true},
    };
    for (const auto& c : cases) {
        child<QRadioButton>(c.option)->click();
        for (int i = 0; i < 10; ++i) {
            const bool expected = std::find(c.rows.begin(), c.rows.end(), i) != c.rows.end();
            const QByteArray name = "DIText" + QByteArray::number(i);
            EXPECT_EQ(child<QLineEdit>(name.constData())->isVisibleTo(&window), expected)
                << c.option << " row " << i;
        }
        EXPECT_EQ(child<QPlainTextEdit>("ZusatzText2")->isVisibleTo(&window), c.extras);
    }
    EXPECT_EQ(window.label().format, LabelFormat::Large);
}

TEST_F(MainWindowTest, ShownLabelComesBackUnchanged) {
    Label l;
    l.name = QStringLiteral("Kunde");
    l.format = LabelFormat::Large;
    l.nveBasis = QStringLiteral("4012345");
    l.anzahlNVEs = QStringLiteral("12");
    l.anzahlProNVE = 3;
    l.parties[1] = {QStringLiteral("An"), QStringLiteral("Dupont\r\nLyon")};
    l.fields[3] = {
        kEntries[1], QStringLiteral("GTIN"), QStringLiteral("4012345678901"), false, 0, 0};
    l.extras[2] = {QStringLiteral("Z"), QStringLiteral("zerbrechlich")};
    l.elements[element::NveLine].left = 12.5;
    window.showLabel(l);
    EXPECT_EQ(window.label(), l);
    EXPECT_EQ(window.windowTitle(), caption(msg::Title) + QStringLiteral(" - Kunde"));
}

TEST_F(MainWindowTest, SaveQuestionOnCloseWithChanges) {
    settings->writeFlag(QStringLiteral("Einstellungen"), QStringLiteral("SpeichernFrage"), true);
    nameAnswer = QStringLiteral("Beim Schließen");
    typeInto(child<QLineEdit>("NVE_Basis"), QStringLiteral("4012345"));
    prompter.willAnswer(Answer::Cancel);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(prompter.shown.size(), 1);
    prompter.willAnswer(Answer::Yes);
    EXPECT_TRUE(window.close());
    const auto stored = store->load(QStringLiteral("Beim Schließen"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->label.nveBasis, QStringLiteral("4012345"));
}

TEST_F(MainWindowTest, NoQuestionWithoutChanges) {
    settings->writeFlag(QStringLiteral("Einstellungen"), QStringLiteral("SpeichernFrage"), true);
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(MainWindowTest, SaveNewAndOpenThroughTheCommands) {
    nameAnswer = QStringLiteral("Erstes");
    typeInto(child<QPlainTextEdit>("AbsEmpfText1"), QStringLiteral("Lyon"));
    child<QAction>("savemenu")->trigger();
    EXPECT_EQ(window.currentLabelName(), QStringLiteral("Erstes"));
    child<QAction>("neumenu")->trigger();
    EXPECT_TRUE(window.currentLabelName().isEmpty());
    EXPECT_TRUE(window.label().parties[1].text.isEmpty());
    child<QAction>("openmenu")->trigger();
    ASSERT_TRUE(dialog->isVisible());
    ASSERT_TRUE(dialog->select(QStringLiteral("Erstes")));
    dialog->openSelected();
    EXPECT_EQ(window.currentLabelName(), QStringLiteral("Erstes"));
    EXPECT_EQ(window.label().parties[1].text, QStringLiteral("Lyon"));
}

TEST_F(MainWindowTest, OldRowsLoadWithANoteInTheStatusBar) {
    QSqlQuery q(db->connection());
    ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO \"Etiketten\" (\"EtikName\", \"Etikformat\", "
                                      "\"AnzahlNVEs\") VALUES ('Alt', 'x', '1')")));
    ASSERT_TRUE(window.loadLabel(QStringLiteral("Alt")));
    EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("Etikformat")));
    EXPECT_FALSE(window.loadLabel(QStringLiteral("Fehlt")));
}

TEST_F(MainWindowTest, LaterFunctionsAreListedButNotYetUsable) {
    for (const char* name : {"printmenu", "PDFmenu", "voransichtmenu", "etiklaymenu", "autoNVEmenu",
                             "neuNVEmenu", "barcodemenu", "Protoansehmenu", "chargenmenu"}) {
        auto* a = child<QAction>(name);
        EXPECT_FALSE(a->isEnabled()) << name;
        EXPECT_FALSE(a->text().isEmpty()) << name;
    }
    MainWindow detached;
    for (const char* name : {"neumenu", "openmenu", "savemenu", "delmenu"}) {
        EXPECT_TRUE(child<QAction>(name)->isEnabled()) << name;
        EXPECT_FALSE(detached.findChild<QAction*>(name)->isEnabled()) << name;
    }
}

TEST_F(MainWindowTest, EnglishCaptionsAtTheOffset) {
    const struct {
        const char* action;
        const char* german;
        const char* english;
    } cases[] = {{"savemenu", "&Speichern", "&Save"}, {"printmenu", "&Drucken...", "&Print..."}};
    for (int offset : {1000, 0}) {
        Captions::global().setOffset(offset);
        window.applyCaptions();
        for (const auto& c : cases)
            EXPECT_EQ(child<QAction>(c.action)->text(),
                      QString::fromUtf8(offset ? c.english : c.german));
        EXPECT_EQ(child<QAction>("savemenu")->toolTip(),
                  offset ? QStringLiteral("Save current label")
                         : QStringLiteral("Aktuelles Etikett speichern"));
    }
}

TEST(ApplicationLabels, FirstStartStoresTheStandardLabelAndReopensTheLastOne) {
    TempAppData app;
    ScriptedPrompter prompter;
    {
        Application first(prompter, true);
        ASSERT_TRUE(first.start());
        LabelStore store(first.database(), first.labelTable());
        const auto standard = store.load(QStringLiteral("Standardetikett"));
        ASSERT_TRUE(standard);
        EXPECT_EQ(standard->label.format, LabelFormat::Small);
        EXPECT_EQ(standard->label.anzahlNVEs, QStringLiteral("1"));
        EXPECT_TRUE(first.mainWindow().currentLabelName().isEmpty());
        ASSERT_TRUE(first.mainWindow().loadLabel(QStringLiteral("Standardetikett")));
        EXPECT_TRUE(first.exitRoutine());
    }
    Application second(prompter, true);
    ASSERT_TRUE(second.start());
    EXPECT_EQ(second.mainWindow().currentLabelName(), QStringLiteral("Standardetikett"));
}

TEST(ApplicationLabels, OpenCommandFillsTheFieldsFromItsParameters) {
    TempAppData app;
    ScriptedPrompter prompter;
    Application a(prompter, true);
    ASSERT_TRUE(a.start());
    const CommandRequest request(QStringLiteral(
        "open standardetikett 4012345 - 3 - L-9 - - - - - - - - - \"Zeile\\nzwei\""));
    EXPECT_FALSE(a.processCommandLine(request).has_value());
    const Label l = a.mainWindow().label();
    EXPECT_EQ(l.name, QStringLiteral("Standardetikett"));
    EXPECT_EQ(l.nveBasis, QStringLiteral("4012345"));
    EXPECT_EQ(l.anzahlNVEs, QStringLiteral("3"));
    EXPECT_EQ(l.fields[0].content, QStringLiteral("L-9"));
    EXPECT_EQ(l.extras[0].text, QStringLiteral("Zeile\r\nzwei"));
    EXPECT_EQ(a.processCommandLine(CommandRequest(QStringLiteral("open Fehlt"))), 3);
}
