#include "ui/entry/MainWindow.h"
#include "app/Captions.h"
#include "db/LabelSession.h"
#include "support/TestSupport.h"
#include "ui/db/LabelListDialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;
using palomex::test::TempAppData;

namespace {

// Types like a user: every character a key press on the focused widget, keyed as
// X11 reports it (by the character where it has no key of its own).
void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    for (QChar c : text) {
        const bool enter = c == QLatin1Char('\n');
        QKeyEvent down(QEvent::KeyPress, enter ? int(Qt::Key_Return) : c.toUpper().unicode(),
                       Qt::NoModifier, enter ? QStringLiteral("\r") : QString(c));
        QCoreApplication::sendEvent(w, &down);
    }
}

// Remembers the icon of every message besides what the scripted prompter keeps.
struct IconPrompter : ScriptedPrompter {
    std::vector<Icon> icons;
    Answer ask(const QString& text, Buttons buttons, Icon icon) override {
        icons.push_back(icon);
        return ScriptedPrompter::ask(text, buttons, icon);
    }
};

const QStringList kEntries = {QString(), QStringLiteral("(01) GTIN der Handelseinheit |¤N=14"),
                              QStringLiteral("(10) Losnummer / Chargennummer |©A…20"),
                              QStringLiteral("(15) Mindesthaltbarkeitsdatum |†=6"),
                              QStringLiteral("(422) Ursprungsland des Produktes |®µN=3")};

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
    IconPrompter prompter;
    std::optional<QString> nameAnswer;
    std::unique_ptr<LabelSession> session;
    MainWindow window;
    std::unique_ptr<LabelListDialog> dialog;
};

} // namespace

// Picks entry e in the list of a row as a click does and leaves the list.
void choose(QComboBox* list, int e, QWidget* next) {
    list->setFocus();
    list->setCurrentIndex(e);
    emit list->activated(e);
    next->setFocus();
}

TEST_F(MainWindowTest, LeavingAChosenIdentifierSetsTheCaptionOrReportsADuplicate) {
    auto* content = child<QLineEdit>("DIText2");
    content->setEnabled(true);
    content->setText(QStringLiteral("alt"));
    prompter.willAnswer(Answer::No); // the designation hint is not wanted again
    choose(child<QComboBox>("DBCombo2"), 2, child<QLineEdit>("NVE_Basis"));
    EXPECT_EQ(child<QLineEdit>("DBBez2")->text(), QStringLiteral("Losnummer / Chargennummer"));
    EXPECT_TRUE(child<QLineEdit>("DBBez2")->hasFocus()) << "offered for renaming at once";
    EXPECT_TRUE(content->text().isEmpty()) << "a new identifier starts with an empty content";
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral(
        "Die Feldbezeichnung für: \n»Losnummer / Chargennummer«\nkann geändert werden")));
    EXPECT_FALSE(settings->flag(QStringLiteral("Einstellungen"), QStringLiteral("ComboHinweis")));

    prompter.shown.clear();
    auto* other = child<QLineEdit>("DIText3");
    other->setEnabled(true);
    other->setText(QStringLiteral("bleibt"));
    choose(child<QComboBox>("DBCombo3"), 2, child<QLineEdit>("NVE_Basis"));
    EXPECT_EQ(prompter.shown,
              QStringList{"Doppelte Datenbezeichner:\n\n(10) Losnummer / Chargennummer\n\n"
                          "Bitte wählen Sie einen anderen Datenbezeichner."});
    EXPECT_EQ(other->text(), QStringLiteral("bleibt"));

    prompter.shown.clear();
    choose(child<QComboBox>("DBCombo3"), 0, child<QLineEdit>("NVE_Basis"));
    choose(child<QComboBox>("DBCombo4"), 0, child<QLineEdit>("NVE_Basis"));
    EXPECT_TRUE(prompter.shown.isEmpty()) << "the blank entry twice is no duplicate";
    EXPECT_FALSE(child<QLineEdit>("DIText4")->isEnabled());

    // Going on to the content by a click or Tab: typing goes there, not into the designation.
    for (const auto& [row, entry, click] : {std::tuple{1, 3, true}, {4, 1, false}}) {
        auto* list = child<QComboBox>(qPrintable("DBCombo" + QString::number(row)));
        auto* field = child<QLineEdit>(qPrintable("DIText" + QString::number(row)));
        list->setFocus();
        list->setCurrentIndex(entry);
        emit list->activated(entry);
        if (click)
            QTest::mouseClick(field, Qt::LeftButton);
        else
            QTest::keyClick(list, Qt::Key_Tab);
        EXPECT_TRUE(field->hasFocus()) << row;
        QTest::keyClicks(field, QStringLiteral("12"));
        EXPECT_EQ(field->text(), QStringLiteral("12")) << row;
    }
}

TEST_F(MainWindowTest, F9OffersTheValuesStoredForTheIdentifier) {
    for (const QString gtin : {"4012345123456", "4099999000001"}) {
        Label stored;
        stored.name = gtin;
        stored.fields[3] = {QStringLiteral("(01)"), {}, gtin};
        store->save(stored);
    }
    auto* list = child<QComboBox>("DBCombo1");
    list->setCurrentIndex(1);
    emit list->activated(1);
    auto* content = child<QLineEdit>("DIText1");
    content->setEnabled(true);
    content->setFocus();
    QTest::keyClick(content, Qt::Key_F9);
    auto* values = child<QComboBox>("Combo2_1");
    ASSERT_EQ(values->count(), 2);
    EXPECT_EQ(values->itemText(0), QStringLiteral("4012345123456"));
    values->hidePopup();
    emit values->activated(1);
    EXPECT_EQ(content->text(), QStringLiteral("4099999000001"));
}

TEST_F(MainWindowTest, AFieldLeftWithWhatNoBarcodeTakesSaysSoAndTheHelpFollowsTheField) {
    const struct {
        int entry;
        const char* text;
        bool asked; // a date question, answered Yes: the entry goes
        const char* page;
        const char* told = nullptr; // a message, the entry stays
    } cases[] = {
        {3, "30.02.27", true, "Datumsangaben.htm"},
        {2, "30.02.27", false, "Fortlaufende_Nummer.htm"},
        {2, "LOT 7", false, "Fortlaufende_Nummer.htm", "das Zeichen \" \""},
        {1, "04012345678902", false, "EAN_Handelseinheit.htm",
         "eingegeben ist 2, richtig wäre 1: \"04012345678902\""},
    };
    for (const auto& c : cases) {
        prompter.shown.clear();
        if (c.asked)
            prompter.willAnswer(Answer::Yes);
        auto* list = child<QComboBox>("DBCombo4");
        list->setCurrentIndex(c.entry);
        emit list->activated(c.entry);
        auto* content = child<QLineEdit>("DIText4");
        content->setText(QString::fromLatin1(c.text));
        content->setFocus();
        EXPECT_EQ(window.topicHelpPage(), QString::fromLatin1(c.page)) << c.text;
        child<QLineEdit>("AnzNVE")->setFocus();
        EXPECT_EQ(prompter.shown.size(), c.asked || c.told ? 1 : 0) << c.text;
        EXPECT_EQ(content->hasFocus(), c.asked) << "Yes hands the field back to be typed again";
        child<QLineEdit>("AnzNVE")->setFocus();
        if (c.told) {
            EXPECT_TRUE(prompter.shown.value(0).contains(QString::fromUtf8(c.told))) << c.text;
        }
        EXPECT_EQ(content->text().isEmpty(), c.asked) << "Yes deletes the entry";
    }
    // The date question and the content messages all carry the critical icon.
    EXPECT_EQ(std::count(prompter.icons.begin(), prompter.icons.end(), Icon::Critical), 3);
}

TEST_F(MainWindowTest, SenderTextsComeFromStoredLabelsByListOrAsTyped) {
    for (const QString text : {"Müller GmbH\r\nHamburg", "Maier AG\r\nMünchen"}) {
        Label stored;
        stored.name = text.section(QLatin1Char('\n'), 1); // the town: Hamburg comes first
        stored.parties[0].text = text;
        store->save(stored);
    }
    auto* text = child<QPlainTextEdit>("AbsEmpfText0");
    text->setFocus();
    QTest::keyClick(text, Qt::Key_F9);
    auto* list = child<QComboBox>("AbsEmpfCombo0");
    ASSERT_EQ(list->count(), 2);
    list->hidePopup();
    emit list->activated(0);
    EXPECT_EQ(window.label().parties[0].text, QStringLiteral("Müller GmbH\r\nHamburg"));

    settings->writeFlag(QStringLiteral("Einstellungen"), QStringLiteral("Autovervollständigen"),
                        true);
    text->clear();
    QTest::keyClicks(text, QStringLiteral("mai"));
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Maier AG\nMünchen"));
    EXPECT_EQ(text->textCursor().selectedText(), QStringLiteral("er AG\u2029München"))
        << "the completed rest is selected";
    QTest::keyClicks(text, QStringLiteral("x"));
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Maix")) << "typing on replaces the rest";

    auto* designation = child<QLineEdit>("AbsEmpfBez1");
    QTest::mouseDClick(designation, Qt::LeftButton, {}, QPoint(4, designation->height() / 2));
    EXPECT_EQ(designation->cursorPosition(), designation->text().size());
    EXPECT_FALSE(designation->hasSelectedText()) << "a double click adds, it selects no word";
}

TEST_F(MainWindowTest, TheLogoShowsAndGoesOnlyWhenTheUserAgrees) {
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString file = app.file(QStringLiteral("logo.png"));
    ASSERT_TRUE(picture.save(file));
    Label l = window.label();
    l.logoFile = file;
    window.showLabel(l);
    auto* logo = child<QLabel>("Image1");
    EXPECT_FALSE(logo->pixmap().isNull());
    for (const Answer answer : {Answer::Cancel, Answer::Ok}) {
        prompter.shown.clear();
        prompter.willAnswer(answer);
        QTest::mouseClick(logo, Qt::RightButton);
        EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("Möchten Sie das Logo löschen ?")});
        EXPECT_EQ(window.label().logoFile.isEmpty(), answer == Answer::Ok);
    }
    EXPECT_TRUE(logo->pixmap().isNull());
    EXPECT_TRUE(session->changed());
}

TEST_F(MainWindowTest, ColoursAndFocusFollowTheSettings) {
    SettingsRecord record;
    record.hintergrundfarbe = 13303807; // CAFFFF: blue CA, green and red FF
    record.feldfarbe = 0x00E0FF;
    record.felderMarkier = 2;
    window.applyLook(record);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xCA));
    auto* designation = child<QLineEdit>("DBBez1");
    EXPECT_EQ(designation->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xCA))
        << "a designation looks like a label on the window";
    auto* base = child<QLineEdit>("NVE_Basis");
    EXPECT_EQ(base->palette().color(QPalette::Base), QColor(0xFF, 0xE0, 0x00));
    base->setText(QStringLiteral("4012345"));
    child<QLineEdit>("AnzahlNVEs")->setFocus();
    base->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(base->cursorPosition(), 7);
    EXPECT_FALSE(base->hasSelectedText());
}

TEST_F(MainWindowTest, DigitsTypedIntoTheListFindTheIdentifier) {
    auto* list = child<QComboBox>("DBCombo2");
    list->setFocus();
    const struct {
        const char* keys;
        int entry;
    } steps[] = {{"1", 2}, {"5", 3}, {"\b", 2}, {"\b0", 1}};
    for (const auto& s : steps) {
        QTest::keyClicks(list, QString::fromLatin1(s.keys)); // "\b" is Backspace
        EXPECT_EQ(list->currentIndex(), s.entry) << s.keys;
    }
    EXPECT_TRUE(child<QCheckBox>("Check1_2")->isHidden()) << "(01) has no automatic value";
    // In the open list the digits mark the entry, and Enter chooses it.
    auto* open = child<QComboBox>("DBCombo3");
    open->setFocus();
    open->showPopup();
    QTest::keyClicks(open->view(), QStringLiteral("15"));
    QTest::keyClick(open->view(), Qt::Key_Return);
    EXPECT_EQ(open->currentIndex(), 3);
    EXPECT_FALSE(child<QCheckBox>("Check1_3")->isHidden()) << "(15) offers today + days";
}

TEST_F(MainWindowTest, BoxesDropKeysTheyCannotTakeAndStopAtTheirColumnWidth) {
    const QString sevens(90, u'7');
    const struct {
        const char* box;
        int entry; // identifier of row 1, -1 for a box without one
        QString typed;
        QString kept;
        bool pasted = false; // put in at once, as by the clipboard
        const char* told = nullptr;
    } cases[] = {
        {"NVE_Basis", -1, "40a1 2", "401 2"},
        {"AnzahlNVEs", -1, "1x2", "12"},
        {"DIText1", 1, "12a3", "123"},
        {"DIText1", 2, "L·…", "L¸·"}, // AltGr + "," and "." as X11 reports them in German
        {"NVE_LaufNr", -1, sevens, sevens.left(9)},
        {"DBBez3", -1, sevens, sevens.left(50)},
        // A paste is refused whole where typing would have dropped a key of it.
        {"DIText1", 1, "12ab", "", true, "sind nur Ziffern erlaubt: \"12ab\""},
        {"DIText1", 2, "CHARGE-2026-XYZ-0123456789-LONG", "", true,
         "sind höchstens 20 Zeichen möglich: \"CHARGE-2026-XYZ-0123456789-LONG\""},
        {"DIText1", 2, "LOT 7@", "", true, "ist das Zeichen \"@\" nicht möglich"},
        {"DIText1", 2, "CHARGE-2026-XYZ-0123", "CHARGE-2026-XYZ-0123", true},
        {"DIText1", 3, "31.12.2026", "31.12.2026", true},
    };
    for (const auto& c : cases) {
        if (c.entry >= 0) {
            child<QComboBox>("DBCombo1")->setCurrentIndex(c.entry);
            emit child<QComboBox>("DBCombo1")->activated(c.entry);
        }
        auto* e = child<QLineEdit>(c.box);
        e->setEnabled(true);
        e->clear();
        prompter.shown.clear();
        if (c.pasted) {
            QApplication::clipboard()->setText(c.typed);
            e->setFocus();
            e->paste();
            EXPECT_EQ(session->label().fields[1].content == c.typed, c.kept == c.typed)
                << "the label takes a paste only when the field does";
        } else {
            typeInto(e, c.typed);
        }
        EXPECT_EQ(e->text(), c.kept) << c.box << " " << c.typed.toStdString();
        ASSERT_EQ(prompter.shown.size(), c.told ? 1 : 0) << c.typed.toStdString();
        if (c.told) {
            EXPECT_TRUE(prompter.shown[0].contains(QString::fromUtf8(c.told)))
                << prompter.shown[0].toStdString();
        }
    }
    // Typing stops at the identifier's own length first; pasted text at the column.
    auto* content = child<QLineEdit>("DIText0");
    content->setText(QString(60, QLatin1Char('x')));
    EXPECT_EQ(content->text().size(), 50);
    auto* extra = child<QPlainTextEdit>("ZusatzText0");
    typeInto(extra, QString(90, QLatin1Char('x')));
    EXPECT_EQ(window.label().extras[0].text.size(), 80);
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
    l.fields[4] = {kEntries[4], QStringLiteral("Land"), QStringLiteral("040")};
    l.extras[2] = {QStringLiteral("Z"), QStringLiteral("zerbrechlich")};
    l.elements[element::NveLine].left = 12.5;
    window.showLabel(l);
    EXPECT_EQ(window.label(), l);
    EXPECT_TRUE(child<QComboBox>("Combo_Länderliste4")->currentText().startsWith(u"040"));
    EXPECT_EQ(window.windowTitle(), caption(msg::Title) + QStringLiteral(" - Kunde"));
}

TEST_F(MainWindowTest, LabelsAreSavedAndOpenedThroughTheCommands) {
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

    // An old row loads with a note in the status bar.
    QSqlQuery q(db->connection());
    ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO \"Etiketten\" (\"EtikName\", \"Etikformat\", "
                                      "\"AnzahlNVEs\") VALUES ('Alt', 'x', '1')")));
    ASSERT_TRUE(window.loadLabel(QStringLiteral("Alt")));
    EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("Etikformat")));
    EXPECT_FALSE(window.loadLabel(QStringLiteral("Fehlt")));
}

TEST_F(MainWindowTest, NveFieldsAreSetRightWhenLeft) {
    const struct {
        const char* box;
        const char* typed;
        std::optional<Answer> answer; // to the question about too many digits
        const char* kept;
    } cases[] = {
        {"NVE_Basis", "40 12345", {}, "40 12345 "},
        {"NVE_Basis", "401234567890", Answer::No, "401234567890"},
        {"NVE_Basis", "40123 456789", Answer::Cancel, ""},
        {"AnzahlNVEs", "0", {}, "1"},
    };
    for (const auto& c : cases) {
        prompter.shown.clear();
        if (c.answer)
            prompter.willAnswer(*c.answer);
        auto* box = child<QLineEdit>(c.box);
        box->clear();
        typeInto(box, QString::fromLatin1(c.typed));
        child<QLineEdit>("AnzNVE")->setFocus();
        EXPECT_EQ(box->text(), QString::fromLatin1(c.kept)) << c.typed;
        ASSERT_EQ(prompter.shown.size(), c.answer ? 1 : 0) << c.typed;
        if (c.answer) {
            EXPECT_TRUE(box->hasFocus()) << c.typed;
        }
    }
    EXPECT_EQ(session->label().anzahlNVEs, QStringLiteral("1")) << "every edit reaches the label";
    EXPECT_TRUE(session->changed());
}

TEST_F(MainWindowTest, TodayPlusDaysShowsItsDateInTheContentField) {
    auto* list = child<QComboBox>("DBCombo2");
    list->setCurrentIndex(3);
    emit list->activated(3);
    auto* content = child<QLineEdit>("DIText2");
    auto* check = child<QCheckBox>("Check1_2");
    const QDate today = QDate::currentDate();
    check->click();
    EXPECT_EQ(content->text(), today.toString(QStringLiteral("d.M.yy")));
    child<QSpinBox>("Tage2")->setValue(10);
    EXPECT_EQ(content->text(), today.addDays(10).toString(QStringLiteral("d.M.yy")));
    content->setFocus();
    content->selectAll();
    QTest::keyClicks(content, QStringLiteral("1"));
    EXPECT_FALSE(check->isChecked()) << "a typed date ends the automatic one";
    check->click();
    QApplication::clipboard()->setText(QStringLiteral("24.12.2026"));
    content->selectAll();
    content->paste();
    EXPECT_FALSE(check->isChecked()) << "so does a pasted one";
    EXPECT_EQ(window.label().fields[2].content, QStringLiteral("24.12.2026"));
}

// Each entry of a menu, and each menu of the bar, has a letter of its own, in both languages.
TEST_F(MainWindowTest, MenuLettersDoNotClash) {
    for (const int language : {0, 1000}) {
        Captions::global().setOffset(language);
        window.applyCaptions();
        QList<QWidget*> menus{window.menuBar()};
        for (QMenu* m : window.findChildren<QMenu*>())
            menus << m;
        for (const QWidget* menu : std::as_const(menus)) {
            QString letters;
            for (const QAction* a : menu->actions()) {
                const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
                if (amp < 0)
                    continue;
                const QChar letter = a->text().at(amp + 1).toLower();
                EXPECT_FALSE(letters.contains(letter)) << language << " " << qPrintable(a->text());
                letters += letter;
            }
        }
    }
}
