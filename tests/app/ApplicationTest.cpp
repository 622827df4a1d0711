#include "ui/app/Application.h"
#include "app/Paths.h"
#include "db/LabelStore.h"
#include "db/NveLock.h"
#include "entry/Catalogue.h"
#include "ui/admin/UserWindow.h"
#include "ui/app/EscapeWatch.h"
#include "ui/app/SettingsDialog.h"
#include "ui/app/Twips.h"
#include "ui/entry/MainWindow.h"
#include "ui/layout/LayoutEditor.h"
#include "ui/log/LogWindow.h"
#include "ui/output/PrintCommands.h"
#include "ui/scan/ScanWindow.h"

#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
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
    ASSERT_TRUE(app->mainWindow().loadLabel(QStringLiteral("Standardetikett")));
    EXPECT_TRUE(app->exitRoutine());
    app.reset();
    prompter.shown.clear();
    startApp();
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(app->mainWindow().currentLabelName(), QStringLiteral("Standardetikett"));
}

// The language and the font size chosen in the settings dialog reach every window
// at once; those that were open stay open. Qt's own buttons follow, and so do the
// identifiers and designations of a new label, but not what the user typed.
TEST_F(AppFixture, EveryWindowFollowsTheLanguageAndTheFontSize) {
    Settings(iniPath()).writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("Sprache"),
                                    1000);
    startApp();
    MainWindow& w = app->mainWindow();
    Label typed = w.label();
    typed.fields[3].identifier = Catalogue::forLanguage(1000).find(u"3102")->text;
    typed.extras[2].caption = QStringLiteral("Hinweis");
    w.showLabel(typed);
    for (const char* command : {"Protoansehmenu", "chargenmenu", "datenimportmenu"})
        w.findChild<QAction*>(QString::fromLatin1(command))->trigger();
    const auto shown = [](const char* window) -> QWidget* {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String(window) && top->isVisible())
                return top;
        return nullptr;
    };
    const auto shownTitle = [&shown](const char* window) {
        const QWidget* top = shown(window);
        return top ? top->windowTitle() : QString();
    };
    // Placed half past the screen's bottom right corner, each comes back onto it whole.
    for (const char* window : {"Chargenverwaltung", "Datenimport"}) {
        QWidget* top = shown(window);
        ASSERT_TRUE(top) << window;
        const QRect area = top->screen()->availableGeometry();
        top->move(area.bottomRight() - QPoint(top->width(), top->height()) / 2);
        QCoreApplication::processEvents();
        EXPECT_EQ(top->frameGeometry().bottomRight(), area.bottomRight()) << window;
    }
    const struct {
        const char* language; // the option chosen
        int offset;
        const char* tab;    // the dialog's first tab
        const char* detail; // a check box of the log window
        const char* yes;
        const char* preview;  // a menu command of the main window
        const char* sender;   // a designation of the new label
        int fontSize, points; // list index of the dialog font size, and the size
        const char* batches;  // the titles of the batch and data import windows
        const char* import;
    } cases[] = {{"Englisch", 1000, "Page", "Detailed list", "&Yes", "Pre&view", "Sender", 5, 12,
                  "Batch management", "Import data from external files"},
                 {"Deutsch", 0, "Seite", "Detaillierte Liste", "&Ja", "&Voransicht", "Absender", 0,
                  7, "Chargenverwaltung", "Daten aus externen Dateien importieren"}};
    for (const auto& c : cases) {
        w.findChild<QAction*>(QStringLiteral("einstellmenu"))->trigger();
        SettingsDialog& dialog = app->settingsDialog();
        dialog.findChild<QRadioButton*>(QString::fromLatin1(c.language))->setChecked(true);
        dialog.findChild<QComboBox*>(QStringLiteral("Prog_Schriftgroesse"))
            ->setCurrentIndex(c.fontSize);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
        EXPECT_EQ(app->settingsDialog().tabs()->tabText(0), QString::fromUtf8(c.tab));
        EXPECT_FALSE(app->settingsDialog().isVisible());
        ASSERT_TRUE(app->logWindow().isVisible()) << c.language;
        EXPECT_EQ(app->logWindow().findChild<QCheckBox*>(QStringLiteral("Check2"))->text(),
                  QString::fromUtf8(c.detail));
        EXPECT_EQ(shownTitle("Chargenverwaltung"), QString::fromUtf8(c.batches));
        EXPECT_EQ(shownTitle("Datenimport"), QString::fromUtf8(c.import));
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8(c.yes));
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("voransichtmenu"))->text(),
                  QString::fromUtf8(c.preview));
        const Label l = w.label();
        EXPECT_EQ(l.fields[3].identifier, Catalogue::forLanguage(c.offset).find(u"3102")->text);
        EXPECT_EQ(l.parties[0].caption, QString::fromUtf8(c.sender));
        EXPECT_EQ(l.extras[2].caption, QStringLiteral("Hinweis"));
        w.findChild<QAction*>(QStringLiteral("openmenu"))->trigger();
        auto* list = w.findChild<QListWidget*>(QStringLiteral("List1"));
        EXPECT_EQ(list->font().pointSize(), c.points);
        list->window()->close();
    }
}

TEST_F(AppFixture, CommandLineAnswers) {
    startApp();
    prompter.shown.clear();
    const struct {
        const char* line;
        std::optional<int> code;
        const char* message; // start of the message shown, or empty for none
    } cases[] = {
        {"/?", 0, "Gültige Übergabeparameter: "},
        {"nimm 'Beispiel Palette'", 2,
         "1. Parameter \"nimm\" ist unbekannter Befehl.\n\nAufgerufen wurde:\n"
         "Palomex.exe nimm \"Beispiel Palette\""},
        {"print Beispiel", 3, "Etikett \"Beispiel\" wurde nicht gefunden"},
        // A value its box cannot hold is refused, not cut to fit.
        {"open standardetikett - - - 12345", 4, "Die Anzahl der Etiketten pro NVE muss"},
        {"open standardetikett 4012345 - 3 - L-9 - - - - - - - - - \"Zeile\\nzwei\"", std::nullopt,
         ""},
        {"fileprint /nicht/da.txt", 1, "Falscher Parameter, aufgerufen wurde: "},
    };
    for (const auto& c : cases) {
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
    const QString kept = appData.file(QStringLiteral("Palomex (Access).mdb"));
    EXPECT_TRUE(prompter.shown.join('\n').contains(kept));
    EXPECT_EQ(palomex::test::readFile(kept), original);
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
    const Settings settings(iniPath());
    autoNve->trigger();
    EXPECT_EQ(settings.number(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE")), 1);

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
    EXPECT_EQ(settings.number(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE")), 0);
}

TEST_F(AppFixture, AnOpenLayoutEditorFollowsTheLabelTheWindowOpens) {
    startApp();
    MainWindow& w = app->mainWindow();
    ASSERT_TRUE(w.loadLabel(QStringLiteral("Standardetikett")));
    Label other = w.label();
    other.name = QStringLiteral("K2");
    other.height -= 20;
    LabelStore(app->database(), QStringLiteral("Etiketten")).save(other);
    w.findChild<QAction*>(QStringLiteral("etiklaymenu"))->trigger();

    ASSERT_TRUE(w.loadLabel(QStringLiteral("K2")));
    auto* height = app->layoutEditor().findChild<QSpinBox*>(QStringLiteral("Hoehe"));
    EXPECT_EQ(height->value(), other.height);
    height->setValue(other.height - 5);
    EXPECT_EQ(w.label().height, other.height - 5) << "the window prints what the editor shows";
    EXPECT_TRUE(app->session().changed()) << "and the save question knows of it";
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
    EXPECT_TRUE(
        LabelStore(app->database(), QStringLiteral("Lager")).load(QStringLiteral("Palette Lager")));
    EXPECT_FALSE(LabelStore(app->database(), QStringLiteral("Etiketten"))
                     .load(QStringLiteral("Palette Lager")));
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
        const char* batch;
        const char* typedInto; // the control that has the focus when the scanner types
    } cases[] = {{"#010401234512345710LOT-7", "LOT-7", "NVE_Basis"},
                 {"#010401234512345710LOT-9", "LOT-9", "Check1_0"}};
    for (const auto& c : cases) {
        auto* control = w.findChild<QWidget*>(QString::fromLatin1(c.typedInto));
        ASSERT_NE(control, nullptr) << c.typedInto;
        // The whole scan at once, before the module could come to the front: every
        // character after the first is the scanner's.
        QTest::keyClicks(control, QString::fromLatin1(c.scan));
        ScanWindow& scan = app->scanWindow();
        ASSERT_TRUE(scan.isVisible()) << "the scanner's first character opens the module";
        EXPECT_EQ(scan.buffer(), QString::fromLatin1(c.scan)) << c.typedInto;
        EXPECT_EQ(base->text(), baseBefore) << "and no character reaches the window";
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_FALSE(scan.isVisible());
        EXPECT_EQ(w.label().fields[1].content, QStringLiteral("04012345123457")) << c.scan;
        EXPECT_EQ(w.label().fields[2].content, QString::fromLatin1(c.batch)) << c.scan;
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_TRUE(app->session().changed());
    // The marks of the barcode data reach no control of the window.
    QTest::keyClicks(w.findChild<QWidget*>(QStringLiteral("DIText2")), QStringLiteral("|'µ¡¥"));
    EXPECT_EQ(w.label().fields[2].content, QStringLiteral("LOT-9"));
}

// "PDF Export" on a machine without any PDF printer: the built-in writer, the
// NVEs reserved and logged like a printed run, ESC with its question.
TEST_F(AppFixture, PdfExportWithoutAPdfPrinterWritesTheFileItselfAndEscapeStopsIt) {
    app = std::make_unique<Application>(prompter, false);
    ASSERT_TRUE(app->start());
    MainWindow& w = app->mainWindow();
    ASSERT_TRUE(w.loadLabel(QStringLiteral("Beispiel Palette")));
    Label l = w.label();
    l.nveBasis = QStringLiteral("4012345");
    l.nveLaufNr = QStringLiteral("1");
    l.anzahlNVEs = QStringLiteral("4");
    w.showLabel(l);
    const QString pdf = appData.file(QStringLiteral("export.pdf"));
    QString proposed;
    app->printCommands().setFileChooser([&](const QString& p) { return proposed = p, pdf; });
    prompter.shown.clear();
    prompter.willAnswer(Answer::Yes);
    QCoreApplication::postEvent(&w,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w.findChild<QAction*>(QStringLiteral("PDFmenu"))->trigger();
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/Beispiel Palette.pdf")));
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("Druck abbrechen ?")});
    EXPECT_EQ(test::pdfPages(pdf, 50).size(), 1u)
        << "ESC before the first label: that label counts, the run ends";
    EXPECT_EQ(storedHighest(app->database(), QStringLiteral("4012345")), 1);
}

// The format option stores the format, shows its rows and sizes the window to them,
// from the NVE alone to ten rows; the next start shows the stored format.
TEST_F(AppFixture, TheLabelFormatIsStoredSizesTheWindowAndComesBackAtStart) {
    startApp();
    MainWindow& w = app->mainWindow();
    w.show();
    w.resize(1500, 1200); // as large as a user may have left it
    // The tallest rows: a date with its days and format, a running number with its step.
    Label l = w.label();
    l.fields[0] = {Catalogue::forLanguage(0).find(u"15")->text, QStringLiteral("MHD"), {}, true};
    l.fields[2] = {Catalogue::forLanguage(0).find(u"10")->text, QStringLiteral("Charge"),
                   QStringLiteral("LOT 1"), true, 1};
    w.showLabel(l);
    const QString rows[] = {QString(), QStringLiteral("1234"), QStringLiteral("0123456789")};
    const QSize twips[] = {{9780, 4250}, {9780, 6100}, {12200, 6880}}; // width, height
    for (const int format : {2, 1, 0}) {
        w.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(format))->click();
        QCoreApplication::processEvents();
        // Exactly: a window that needs more room for its fields cannot get this small.
        EXPECT_EQ(std::pair(w.width(), w.height()),
                  std::pair(fromTwips(twips[format].width()), fromTwips(twips[format].height())))
            << format;
        // An additional text enlarged and shrunk again leaves the window as it was.
        if (format > 0) {
            const QSize before = w.size();
            auto* enlarge = w.findChild<QToolButton*>(QStringLiteral("Command4_1"));
            enlarge->click();
            QTest::qWait(20); // the layouts pass the taller text up in turns
            EXPECT_GT(w.height(), before.height()) << format;
            enlarge->click();
            QTest::qWait(20);
            EXPECT_EQ(w.size(), before) << format;
        }
        EXPECT_EQ(Settings(iniPath()).number(QStringLiteral("Einstellungen"),
                                             QStringLiteral("Etikettenformat")),
                  format);
        for (int row = 0; row < 10; ++row)
            EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("DIText%1").arg(row))->isVisible(),
                      rows[format].contains(QString::number(row)))
                << format << " row " << row;
        EXPECT_EQ(w.findChild<QWidget*>(QStringLiteral("ZusatzText2"))->isVisible(), format > 0);
    }
    app.reset();
    startApp();
    EXPECT_TRUE(
        app->mainWindow().findChild<QRadioButton*>(QStringLiteral("Option1_0"))->isChecked());
    EXPECT_EQ(app->mainWindow().label().format, LabelFormat::NveOnly);
}

// The help menu opened with the mouse offers the topic of the field that has the focus.
TEST_F(AppFixture, TheHelpMenuKeepsTheFocusedFieldsTopic) {
    startApp();
    MainWindow& w = app->mainWindow();
    Label l = w.label();
    l.fields[1].identifier = Catalogue::forLanguage(0).find(u"15")->text;
    l.fields[1].caption = QStringLiteral("MHD");
    w.showLabel(l);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* help = w.findChild<QMenu*>(QStringLiteral("hilfemenu"));
    for (const auto& [field, topic] : {std::pair{"DIText1", "Hilfe zu MHD (DB 15)"},
                                       {"NVE_Basis", "Aufbau der NVE"},
                                       {"AbsEmpfText0", "Allgemein"}}) {
        w.findChild<QWidget*>(QString::fromLatin1(field))->setFocus();
        QTest::mouseClick(w.menuBar(), Qt::LeftButton, {},
                          w.menuBar()->actionGeometry(help->menuAction()).center());
        EXPECT_TRUE(help->isVisible()) << field;
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("hilfethemamenu"))->text(),
                  QString::fromUtf8(topic));
        help->hide();
    }
}

// A run's own question takes its answers as the window system delivers them: a key or
// click arrives at the box's window before its widgets. Input to other windows is held
// back meanwhile, and ESC there is noted for the run.
TEST(EscapeWatchTest, TheRunsOwnQuestionTakesRealInputAndNothingElseDoes) {
    QLineEdit other;
    other.setObjectName(QStringLiteral("other"));
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    EscapeWatch watch;
    QTest::keyClick(other.windowHandle(), Qt::Key_A);
    QTest::keyClick(other.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_TRUE(watch.pressed());
    for (const bool byMouse : {false, true}) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                        QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(box.windowHandle(), &held);
        EXPECT_TRUE(box.isVisible()) << "a held ESC answers nothing";
        QAbstractButton* no = box.button(QMessageBox::No);
        if (byMouse)
            QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {},
                              no->mapTo(&box, no->rect().center()));
        else
            QTest::keyClick(box.windowHandle(), Qt::Key_Return);
        EXPECT_FALSE(box.isVisible()) << byMouse;
        EXPECT_EQ(box.result(), byMouse ? QMessageBox::No : QMessageBox::Yes);
    }
    EXPECT_FALSE(watch.pressed());
}
