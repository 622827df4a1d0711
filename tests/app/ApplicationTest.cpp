#include "ui/app/Application.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "db/LabelStore.h"
#include "db/NveLock.h"
#include "entry/Catalogue.h"
#include "log/PrintLog.h"
#include "ui/admin/UserWindow.h"
#include "ui/entry/MainWindow.h"
#include "ui/layout/LayoutEditor.h"
#include "ui/output/PrintCommands.h"
#include "ui/scan/ScanWindow.h"

#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;
using palomex::test::TempAppData;

namespace {

struct AppFixture : ::testing::Test {
    TempAppData appData;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;

    void startApp() {
        app = std::make_unique<Application>(prompter, true);
        ASSERT_TRUE(app->start());
    }
};

} // namespace

TEST_F(AppFixture, FirstStartStoresTheStandardLabelAndTheNextReopensTheLastOne) {
    startApp();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].endsWith(
        QStringLiteral(" neue Etiketten wurden hinzugefügt (Benutzer \"Etiketten\").")));
    EXPECT_EQ(app->mainWindow().windowTitle(), QStringLiteral("Frachtmarker EAN 128 - "));
    const auto standard =
        LabelStore(app->database(), app->labelTable()).load(QStringLiteral("Standardetikett"));
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->label.format, LabelFormat::Small);
    EXPECT_EQ(standard->label.anzahlNVEs, QStringLiteral("1"));
    ASSERT_TRUE(app->mainWindow().loadLabel(QStringLiteral("Standardetikett")));
    EXPECT_TRUE(app->exitRoutine());
    app.reset();
    prompter.shown.clear();
    startApp();
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(app->mainWindow().currentLabelName(), QStringLiteral("Standardetikett"));
}

TEST_F(AppFixture, QtsOwnButtonsSpeakTheCaptionLanguage) {
    startApp();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
    app.reset();
    Settings(iniPath()).writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("Sprache"),
                                    1000);
    startApp();
    EXPECT_EQ(app->mainWindow().windowTitle(), QStringLiteral("Freight Marker EAN 128 - "));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    Settings(iniPath()).writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("Sprache"), 0);
    app.reset();
    startApp(); // the other tests speak German
}

TEST_F(AppFixture, CommandLineAnswers) {
    startApp();
    prompter.shown.clear();
    struct Case {
        const char* line;
        std::optional<int> code;
        const char* message; // start of the message shown, or empty for none
    };
    const Case cases[] = {
        {"?", 0, "Gültige Übergabeparameter: "},
        {"/?", 0, "Gültige Übergabeparameter: "},
        {"nimm 'Beispiel Palette'", 2, "1. Parameter \"nimm\" ist unbekannter Befehl."},
        {"print Gibtsnicht", 3, "Etikett \"Gibtsnicht\" wurde nicht gefunden"},
        {"print Beispiel", 3, "Etikett \"Beispiel\" wurde nicht gefunden"},
        // A value its box cannot hold is refused, not cut to fit.
        {"open standardetikett - - - 12345", 4, "Die Anzahl der Etiketten pro NVE muss"},
        {"open standardetikett 4012345 - 3 - L-9 - - - - - - - - - \"Zeile\\nzwei\"", std::nullopt,
         ""},
        {"fileprint /nicht/da.txt", 1, "Falscher Parameter, aufgerufen wurde: "},
    };
    for (const Case& c : cases) {
        prompter.shown.clear();
        EXPECT_EQ(app->processCommandLine(CommandRequest(QString::fromUtf8(c.line))), c.code)
            << c.line;
        if (*c.message) {
            ASSERT_EQ(prompter.shown.size(), 1) << c.line;
            EXPECT_TRUE(prompter.shown[0].startsWith(QString::fromUtf8(c.message)))
                << prompter.shown[0].toStdString();
        } else {
            EXPECT_TRUE(prompter.shown.isEmpty()) << c.line;
        }
    }
    const Label l = app->mainWindow().label();
    EXPECT_EQ(l.name, QStringLiteral("Standardetikett"))
        << "a label found without regard to case is opened under its stored name";
    EXPECT_EQ(l.nveBasis, QStringLiteral("4012345"));
    EXPECT_EQ(l.anzahlNVEs, QStringLiteral("3"));
    EXPECT_EQ(l.fields[0].content, QStringLiteral("L-9"));
    EXPECT_EQ(l.extras[0].text, QStringLiteral("Zeile\r\nzwei"));
}

TEST_F(AppFixture, StartFailsWithTheStartupErrorBoxOnAForeignDatabase) {
    palomex::test::writeFile(appData.file(QStringLiteral("Palomex.mdb")),
                             QByteArray("no database"));
    app = std::make_unique<Application>(prompter, true);
    EXPECT_FALSE(app->start());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral("Fehler: 3343,   Modul: Form1.Load\n")))
        << prompter.shown[0].toStdString();
}

// A user moving from the Windows program starts with its Access file as Palomex.mdb.
TEST_F(AppFixture, AccessDatabaseIsTakenOverWhenTheUserAgrees) {
    const QString fruit =
        QDir(qEnvironmentVariable("PALOMEX_TESTDATA")).filePath(QStringLiteral("fruit.mdb"));
    if (!QFileInfo::exists(fruit))
        GTEST_SKIP() << "test file not fetched (tools/fetch-test-data)";
    const QByteArray original = palomex::test::readFile(fruit);
    palomex::test::writeFile(appData.file(QStringLiteral("Palomex.mdb")), original);

    prompter.willAnswer(Answer::No);
    app = std::make_unique<Application>(prompter, true);
    EXPECT_FALSE(app->start()) << "declined: the Access file is refused, not touched";
    EXPECT_EQ(palomex::test::readFile(appData.file(QStringLiteral("Palomex.mdb"))), original);

    prompter.shown.clear();
    prompter.willAnswer(Answer::Yes);
    startApp();
    ASSERT_GE(prompter.shown.size(), 2);
    EXPECT_TRUE(prompter.shown[0].contains(
        QStringLiteral("ist eine Access-Datenbank des Windows-Programms")));
    const QString kept = appData.file(QStringLiteral("Palomex (Access).mdb"));
    EXPECT_TRUE(prompter.shown.join('\n').contains(kept));
    EXPECT_EQ(palomex::test::readFile(kept), original);
    EXPECT_TRUE(app->database().hasTable(QStringLiteral("Etiketten")));
    EXPECT_TRUE(app->database().hasTable(QStringLiteral("HöchstNVE")));
    EXPECT_TRUE(palomex::test::readFile(appData.file(QStringLiteral("Palomex.mdb")))
                    .startsWith("SQLite format 3"));
}

TEST_F(AppFixture, NextNveFollowsTheStoredNumberAndEndsAutomaticMode) {
    startApp();
    {
        const auto held = lockNveBase(app->database(), QStringLiteral("40123456"), 41);
        held->release(41);
    }
    MainWindow& w = app->mainWindow();
    auto* autoNve = w.findChild<QAction*>(QStringLiteral("autoNVEmenu"));
    auto* next = w.findChild<QAction*>(QStringLiteral("neuNVEmenu"));
    auto* running = w.findChild<QLineEdit*>(QStringLiteral("NVE_LaufNr"));
    const Settings settings(iniPath());
    autoNve->trigger();
    EXPECT_EQ(settings.number(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE")), 1);
    EXPECT_FALSE(running->isEnabled()) << "automatic mode takes the number from the table";

    const struct {
        const char* base;
        const char* entry;
    } cases[] = {
        {"40 12 34 56", "000000042"}, // fills the base to 17 digits within the nine places
        {"4012345", "1"},             // a base never printed with starts at 1, unpadded
    };
    for (const auto& c : cases) {
        Label l = w.label();
        l.nveBasis = QString::fromUtf8(c.base);
        w.showLabel(l);
        next->trigger();
        EXPECT_EQ(w.label().nveLaufNr, QString::fromLatin1(c.entry)) << c.base;
    }
    EXPECT_FALSE(autoNve->isChecked());
    EXPECT_TRUE(running->isEnabled());
    EXPECT_EQ(settings.number(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE")), 0);

    prompter.shown.clear();
    Label bad = w.label();
    bad.nveBasis = QStringLiteral("40-12");
    w.showLabel(bad);
    next->trigger();
    EXPECT_EQ(
        prompter.shown,
        QStringList{"Die NVE-Basisnummer darf nur Ziffern und Leerzeichen enthalten: \"40-12\""});
}

TEST_F(AppFixture, AnOpenLayoutEditorFollowsTheLabelTheWindowOpens) {
    startApp();
    MainWindow& w = app->mainWindow();
    ASSERT_TRUE(w.loadLabel(QStringLiteral("Standardetikett")));
    Label other = w.label();
    other.name = QStringLiteral("K2");
    other.height -= 20;
    other.elements[element::Sender].left += 10;
    LabelStore(app->database(), QStringLiteral("Etiketten")).save(other);
    w.findChild<QAction*>(QStringLiteral("etiklaymenu"))->trigger();

    ASSERT_TRUE(w.loadLabel(QStringLiteral("K2")));
    auto* height = app->layoutEditor().findChild<QSpinBox*>(QStringLiteral("Hoehe"));
    ASSERT_NE(height, nullptr);
    EXPECT_EQ(height->value(), other.height);
    height->setValue(other.height - 5);
    EXPECT_EQ(w.label().height, other.height - 5) << "the window prints what the editor shows";
    EXPECT_TRUE(app->session().changed()) << "and the save question knows of it";
    EXPECT_EQ(w.label().elements[element::Sender].left, other.elements[element::Sender].left)
        << "the layout of the label opened before was written into this one";

    // The editor's reset goes back to this label as stored, and stays open on it.
    QTest::mouseClick(app->layoutEditor().findChild<QWidget*>(QStringLiteral("Zuruecksetzen")),
                      Qt::LeftButton);
    EXPECT_EQ(height->value(), other.height);
    EXPECT_EQ(w.label().height, other.height);
}

TEST_F(AppFixture, ANewUserClearsTheFormAndGetsTheLabelsSavedFromThenOn) {
    startApp();
    MainWindow& w = app->mainWindow();
    ASSERT_TRUE(w.loadLabel(QStringLiteral("Standardetikett")));
    Label changed = w.label();
    changed.parties[0].text = QStringLiteral("Lager Nord");
    w.showLabel(changed);
    UserWindow& users = app->userWindow();
    users.setNameAsker([](const QString&) { return QStringLiteral("Lager"); });
    prompter.willAnswer(Answer::No); // not to be saved for the old user
    users.newUser();
    EXPECT_TRUE(w.currentLabelName().isEmpty());
    EXPECT_TRUE(w.label().parties[0].text.isEmpty());

    w.setCurrentLabelName(QStringLiteral("Palette Lager"));
    ASSERT_TRUE(w.saveLabel());
    const auto rows = [&](const char* table) {
        QSqlQuery q(app->database().connection());
        q.exec(QStringLiteral(R"(SELECT count(*) FROM "%1" WHERE "EtikName" = 'Palette Lager')")
                   .arg(QString::fromUtf8(table)));
        return q.next() ? q.value(0).toInt() : -1;
    };
    EXPECT_EQ(rows("Lager"), 1);
    EXPECT_EQ(rows("Etiketten"), 0);
}

// A scanner that sends "#" for the start FNC1 and "@" for a separator: its first
// character opens the scan module, Enter distributes the scan into the rows.
TEST_F(AppFixture, AScanTypedIntoTheWindowFillsTheRowsByIdentifier) {
    const Settings settings(iniPath());
    settings.write(QStringLiteral("Scannen"), QStringLiteral("FNC1_Identifier"),
                   QStringLiteral("#"));
    settings.write(QStringLiteral("Scannen"), QStringLiteral("FNC1_Trenner"), QStringLiteral("@"));
    startApp();
    prompter.shown.clear();
    MainWindow& w = app->mainWindow();
    const Catalogue& catalogue = Catalogue::forLanguage(0);
    Label l = w.label();
    l.fields[1].identifier = catalogue.find(u"01")->text;
    l.fields[2].identifier = catalogue.find(u"10")->text;
    w.showLabel(l);
    auto* base = w.findChild<QLineEdit*>(QStringLiteral("NVE_Basis"));
    const QString baseBefore = base->text();
    const struct {
        const char* scan;
        const char* gtin;
        const char* batch;
        const char* message;   // start of the message, empty for none
        const char* typedInto; // the control that has the focus when the scanner types
    } cases[] = {
        {"#010401234512345710LOT-7", "04012345123457", "LOT-7", "", "NVE_Basis"},
        {"#010409999900001510B2@7777", "04099999000015", "B2",
         "Unbekannter Datenbezeichner: ", "NVE_Basis"},
        {"#010401234512345710LOT-8", "04012345123457", "LOT-8", "", "ZusatzText0"},
        {"#010401234512345710LOT-9", "04012345123457", "LOT-9", "", "Check1_0"},
    };
    for (const auto& c : cases) {
        prompter.shown.clear();
        auto* control = w.findChild<QWidget*>(QString::fromLatin1(c.typedInto));
        ASSERT_NE(control, nullptr) << c.typedInto;
        // The whole scan at once, before the module could come to the front: every
        // character after the first is the scanner's.
        QTest::keyClicks(control, QString::fromLatin1(c.scan));
        ScanWindow& scan = app->scanWindow();
        ASSERT_TRUE(scan.isVisible()) << "the scanner's first character opens the module";
        EXPECT_EQ(scan.buffer(), QString::fromLatin1(c.scan)) << c.typedInto;
        EXPECT_EQ(base->text(), baseBefore) << "and no character reaches the window";
        EXPECT_TRUE(w.label().extras[0].text.isEmpty()) << c.typedInto;
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_FALSE(scan.isVisible());
        EXPECT_EQ(w.label().fields[1].content, QString::fromLatin1(c.gtin)) << c.scan;
        EXPECT_EQ(w.label().fields[2].content, QString::fromLatin1(c.batch)) << c.scan;
        if (*c.message) {
            ASSERT_EQ(prompter.shown.size(), 1) << c.scan;
            EXPECT_TRUE(prompter.shown[0].startsWith(QString::fromUtf8(c.message)));
            EXPECT_EQ(prompter.titles.last(), QStringLiteral("Fehler beim Scannen von GS1 128"));
        } else {
            EXPECT_TRUE(prompter.shown.isEmpty()) << c.scan;
        }
    }
    EXPECT_TRUE(app->session().changed());

    // The marks of the barcode data reach no control of the window.
    for (const char* name : {"DIText2", "ZusatzText0", "AbsEmpfText0", "NVE_Basis"}) {
        auto* control = w.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        const Label before = w.label();
        QTest::keyClicks(control, QStringLiteral("|'µ¡¥"));
        const Label after = w.label();
        EXPECT_EQ(after.fields[2].content, before.fields[2].content) << name;
        EXPECT_EQ(after.extras[0].text, before.extras[0].text) << name;
        EXPECT_EQ(after.parties[0].text, before.parties[0].text) << name;
        EXPECT_EQ(after.nveBasis, before.nveBasis) << name;
    }
}

// "PDF Export" on a machine without any PDF printer: the built-in writer, the
// NVEs reserved and logged like a printed run, ESC with its question.
TEST_F(AppFixture, PdfExportWithoutAPdfPrinterWritesTheFileItselfAndEscapeStopsIt) {
    app = std::make_unique<Application>(prompter, false);
    ASSERT_TRUE(app->start());
    setLoggingEnabled(Settings(iniPath()), true);
    MainWindow& w = app->mainWindow();
    ASSERT_TRUE(w.loadLabel(QStringLiteral("Beispiel Palette")));
    Label l = w.label();
    l.nveBasis = QStringLiteral("4012345");
    l.nveLaufNr = QStringLiteral("1");
    l.anzahlNVEs = QStringLiteral("4");
    w.showLabel(l);
    const QString pdf = appData.file(QStringLiteral("export.pdf"));
    QString proposed;
    app->printCommands().setFileChooser([&](const QString& p) {
        proposed = p;
        return pdf;
    });
    prompter.shown.clear();
    prompter.willAnswer(Answer::Yes);
    QCoreApplication::postEvent(&w,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w.findChild<QAction*>(QStringLiteral("PDFmenu"))->trigger();
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/Beispiel Palette.pdf")));
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("Druck abbrechen ?")});
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QStringLiteral("Pages:           1")))
        << "ESC before the first label: that label counts, the run ends";
    EXPECT_EQ(storedHighest(app->database(), QStringLiteral("4012345")), 1);
    QSqlQuery q(app->database().connection());
    q.exec(QStringLiteral(R"(SELECT "von_NVE", "bis_NVE", "Etikett" FROM "Protokoll")"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("40123450000000001"));
    EXPECT_EQ(q.value(2).toString(), QStringLiteral("Beispiel Palette"));
}

TEST_F(AppFixture, BatchManagementListsThePrintedBatchesWithTheLabelsBatchSelected) {
    Settings(iniPath()).write(QStringLiteral("Einstellungen"), QStringLiteral("DB_Charge"),
                              QStringLiteral("(10)"));
    startApp();
    for (const char* batch : {"A-1", "B-2", "C-3"}) {
        LogEntry e;
        e.vonNve = e.bisNve = QStringLiteral("34012345000000100");
        e.identifierEntries[3] = QStringLiteral("(10)");
        e.contents[3] = QString::fromUtf8(batch);
        ASSERT_FALSE(appendLogRow(app->database(), e));
    }
    MainWindow& w = app->mainWindow();
    Label l = w.label();
    l.fields[4].identifier = Catalogue::forLanguage(0).find(u"10")->text;
    l.fields[4].content = QStringLiteral("B-2");
    w.showLabel(l);
    w.findChild<QAction*>(QStringLiteral("chargenmenu"))->trigger();
    QListWidget* own = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QStringLiteral("Chargenverwaltung"))
            own = top->findChild<QListWidget*>(QStringLiteral("Combo1"));
    }
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(own->count(), 3);
    ASSERT_NE(own->currentItem(), nullptr);
    EXPECT_EQ(own->currentItem()->text(), QStringLiteral("B-2"));
}
