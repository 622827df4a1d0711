#include "ui/log/LogWindow.h"
#include "entry/Catalogue.h"
#include "log/PrintLog.h"

#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct LogWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    LogWindow window{*opened.database, settings, prompter};
    QString chosen;

    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            LogEntry e;
            e.vonNve = e.bisNve = QStringLiteral("3401234500000010%1").arg(i);
            e.identifierEntries[0] = QStringLiteral("(10)");
            e.contents[0] = QStringLiteral("LOT%1").arg(i);
            e.zusatz[2] = QStringLiteral("Zerbrechlich");
            ASSERT_FALSE(appendLogRow(*opened.database, e));
        }
        window.setFileChooser(
            [this](const QString&, const QString&, const QString&) { return chosen; });
        window.setCatalogue(Catalogue::forLanguage(0));
        window.open();
    }

    template <typename W> W* child(const char* name) {
        W* w = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Runs the output whose entry in the output list is text.
    void output(const char* text) {
        auto* box = child<QComboBox>("Ausgabe");
        const int i = box->findText(QString::fromUtf8(text));
        ASSERT_GE(i, 0) << text;
        box->setCurrentIndex(i);
        QTest::mouseClick(child<QPushButton>("Ausgeben"), Qt::LeftButton);
    }
};

} // namespace

TEST_F(LogWindowFixture, OutputChoicesWriteTheChosenFiles) {
    chosen = QDir(appData.root()).filePath(QStringLiteral("log.csv"));
    output("im Textformat exportieren (Semikolon)");
    EXPECT_EQ(test::readFile(chosen).count("\r\n"), 4) << "the column names and three runs";
    EXPECT_EQ(window.lines().value(1), QStringLiteral("Die Datei:"));
    EXPECT_EQ(settings.get(QStringLiteral("Protokoll"), QStringLiteral("Exportdatei")), chosen);

    chosen = QDir(appData.root()).filePath(QStringLiteral("liste.pdf"));
    output("in PDF Datei ausgeben");
    EXPECT_TRUE(test::pdfText(chosen).contains(QStringLiteral("34012345000000102")));

    chosen.clear(); // a cancelled file dialog writes nothing
    output("im Textformat exportieren (Tabulator)");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(LogWindowFixture, FollowsTheCaptionLanguageAndShowsTheAdditionalTextCaptions) {
    test::CaptionsRestorer restorer;
    auto* box = child<QComboBox>("Combo4");
    box->setCurrentText(QStringLiteral("(10) Los"));
    Captions::global().setOffset(1000);
    window.setCatalogue(Catalogue::forLanguage(1000)); // as after a change of the settings
    EXPECT_GE(box->findText(QStringLiteral("(10) Batch or Lot Number"), Qt::MatchStartsWith), 0);
    EXPECT_EQ(box->currentText(), QStringLiteral("(10) Los"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Log of printed labels"));
    EXPECT_EQ(child<QComboBox>("Combo1")->itemText(4), QStringLiteral("Content alphabetical"));
    // An entry chosen from the list follows the language by its code.
    box->setCurrentIndex(box->findText(QStringLiteral("(10) Batch"), Qt::MatchStartsWith));
    window.setCatalogue(Catalogue::forLanguage(0));
    const QString german = Catalogue::forLanguage(0)
                               .entryOfCode(QStringLiteral("(10)"))
                               .section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(box->currentText(), german);
    // So does an English entry stored with its format code, as a batch trace leaves it;
    // the list heading shows the entry without the code.
    window.closeWindow();
    settings.write(QStringLiteral("Protokoll"), QStringLiteral("DatenCombo"),
                   Catalogue::forLanguage(1000).entryOfCode(QStringLiteral("(10)")));
    window.open();
    EXPECT_EQ(box->currentText(), german);
    window.showList();
    const QStringList heading = window.lines();
    const QString columns = heading.value(heading.indexOf(QString(100, QLatin1Char('-'))) - 1);
    EXPECT_TRUE(columns.contains(german.simplified()) && !columns.contains(QLatin1Char('|')))
        << columns.toStdString();
    window.setCatalogue(Catalogue::forLanguage(1000));

    window.setZusatzCaptions([] { return std::array<QString, 3>{"a", "b", "Hinweis"}; });
    child<QCheckBox>("Check2")->setChecked(true);
    window.showList();
    EXPECT_TRUE(window.lines().contains(QStringLiteral("Hinweis").leftJustified(35) +
                                        QStringLiteral("Zerbrechlich")));
}

// The content box is one line high, where Enter shows the list and Escape closes the
// window; opened for several lines, Enter breaks the line and Escape closes the box.
TEST_F(LogWindowFixture, ContentBoxOpensForSeveralLines) {
    auto* box = child<QPlainTextEdit>("Text6");
    const int oneLine = box->height();
    QTest::keyClicks(box, QStringLiteral("4711"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->toPlainText(), QStringLiteral("4711"));
    EXPECT_FALSE(window.lines().isEmpty()) << "Enter showed the list";
    QTest::mouseClick(child<QToolButton>("Command4_0"), Qt::LeftButton);
    EXPECT_GT(box->height(), 3 * oneLine);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("4712"));
    EXPECT_EQ(box->toPlainText(), QStringLiteral("4711\n4712"));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->height(), oneLine);
    const auto line = [box](const QTextBlock& b) { return box->cursorRect(QTextCursor(b)); };
    EXPECT_TRUE(line(box->document()->firstBlock()).top() >= 0 &&
                line(box->document()->firstBlock()).bottom() < box->viewport()->height() &&
                line(box->document()->lastBlock()).top() >= box->viewport()->height())
        << "closed, it shows the first line whole and nothing of the second";
    EXPECT_TRUE(window.isVisible());
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason), out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &in);
    EXPECT_GT(box->height(), 3 * oneLine) << "two lines open the box on entering it";
    QApplication::sendEvent(box, &out);
    EXPECT_EQ(box->height(), oneLine);

    // At most 2000 characters, a line break counting two; what would pass is refused whole.
    box->setPlainText(QString(1996, QLatin1Char('x')) + QLatin1Char('\n'));
    box->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("123"));
    box->paste();
    QTest::keyClicks(box, QStringLiteral("abc"));
    EXPECT_TRUE(box->toPlainText().endsWith(QStringLiteral("x\nab")));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(LogWindowFixture, FilterFieldKeysBadDateAndTheStoredPlace) {
    auto* von = child<QComboBox>("DatumVon");
    von->setCurrentText(QString());
    QTest::keyClicks(von->lineEdit(), QStringLiteral("1,12,2026"));
    EXPECT_EQ(von->currentText(), QStringLiteral("1.12.2026"));
    const int presets = von->count();
    const QList<QWidget*> fields = {child<QLineEdit>("Absender"), von->lineEdit(),
                                    child<QComboBox>("Combo4")->lineEdit()};
    for (QWidget* field : fields) {
        window.closeWindow();
        window.open();
        ASSERT_TRUE(window.lines().isEmpty());
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_FALSE(window.lines().isEmpty())
            << "Enter shows the list, field " << fields.indexOf(field);
    }
    EXPECT_EQ(von->count(), presets) << "Enter adds no entry";
    von->setCurrentText(QStringLiteral("31.02.2026"));
    window.showList();
    EXPECT_TRUE(window.lines().isEmpty()) << "a bad date is reported, not listed";
    EXPECT_EQ(prompter.shown,
              QStringList{"Fehler-Nr.: 0\n\"31.02.2026\" ist kein gültiges Datum.\n"});
    EXPECT_EQ(prompter.titles, QStringList{"Protokoll"});

    const QRect place(100, 120, 1100, 760);
    window.setGeometry(place);
    window.closeWindow();
    window.open();
    EXPECT_EQ(window.geometry(), place);
}

// A long log is read a page at a time as the list is scrolled to it and counted
// apart, no row twice; ESC stops a listing whose rows are not counted yet.
TEST_F(LogWindowFixture, LongLogsAreReadAsScrolledAndEscapeStopsTheListing) {
    constexpr int kRows = 1500;
    ASSERT_TRUE(db.connection().transaction());
    for (int i = 0; i < kRows; ++i) {
        LogEntry e;
        e.vonNve = e.bisNve = QStringLiteral("34099999%1").arg(i, 9, 10, QLatin1Char('0'));
        ASSERT_FALSE(appendLogRow(db, e));
    }
    ASSERT_TRUE(db.connection().commit());
    auto* list = child<QListView>("List1");
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy "));
    const std::pair<bool, LogOrder> cases[] = {{false, LogOrder::Datum},
                                               {true, LogOrder::Datum},
                                               {false, LogOrder::ContentAlphabetic},
                                               {true, LogOrder::ContentNumeric}};
    for (const auto& [detailed, order] : cases) {
        const std::string name = std::to_string(detailed) + "/" + std::to_string(int(order));
        child<QCheckBox>("Check2")->setChecked(detailed);
        child<QComboBox>("Combo1")->setCurrentIndex(static_cast<int>(order));
        window.showList();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return window.windowTitle().endsWith(
                QStringLiteral(":   %1 Datensätze gefunden").arg(kRows + 3));
        })) << window.windowTitle().toStdString();
        const int shown = list->model()->rowCount();
        EXPECT_LT(shown, kRows) << "rows nobody scrolled to were read, " << name;
        list->scrollToBottom();
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() > shown; })) << name;
        QStringList rows = window.lines().filter(
            QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(today)));
        rows.removeDuplicates();
        EXPECT_EQ(rows.size(), kRows + 3) << name;

        prompter.shown.clear();
        prompter.willAnswer(Answer::Yes);
        window.showList();
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("Verarbeitung abbrechen ?")});
        EXPECT_TRUE(window.lines().isEmpty());
        QTest::qWait(20);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Protokoll der gedruckten Etiketten"));
        EXPECT_TRUE(window.isVisible());
    }
}
