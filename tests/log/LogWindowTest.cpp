#include "ui/log/LogWindow.h"
#include "app/Paths.h"
#include "app/Startup.h"
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
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
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
            e.absender = i == 1 ? QStringLiteral("Nord") : QStringLiteral("Süd");
            e.vonNve = QStringLiteral("3401234500000010%1").arg(i);
            e.bisNve = e.vonNve;
            e.identifierEntries[0] = QStringLiteral("(10)");
            e.contents[0] = QStringLiteral("LOT%1").arg(i);
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

TEST_F(LogWindowFixture, ShowsTodaysRunsAndFiltersBySender) {
    QTest::mouseClick(child<QPushButton>("Anzeigen"), Qt::LeftButton);
    window.lines();
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral(":   3 Datensätze gefunden")))
        << window.windowTitle().toStdString();
    QTest::keyClicks(child<QLineEdit>("Absender"), QStringLiteral("Nord"));
    window.showList();
    const QString last = window.lines().last();
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral(":   1 Datensatz gefunden")));
    EXPECT_TRUE(last.contains(QStringLiteral("Nord"))) << last.toStdString();
}

TEST_F(LogWindowFixture, OutputChoicesWriteFilesAndClipboard) {
    chosen = QDir(appData.root()).filePath(QStringLiteral("log.csv"));
    output("im Textformat exportieren (Semikolon)");
    const QString csv = QString::fromUtf8(test::readFile(chosen));
    EXPECT_EQ(csv.count(QStringLiteral("\r\n")), 4) << "the column names and three runs";
    EXPECT_EQ(window.lines().value(1), QStringLiteral("Die Datei:"));
    EXPECT_EQ(settings.get(QStringLiteral("Protokoll"), QStringLiteral("Exportdatei")), chosen);

    chosen = QDir(appData.root()).filePath(QStringLiteral("liste.pdf"));
    output("in PDF Datei ausgeben");
    const QString pdf = test::pdfText(chosen);
    EXPECT_TRUE(pdf.contains(QStringLiteral("34012345000000102"))) << pdf.toStdString();

    output("mit Tabs in Zwischenablage");
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(copied.count(QStringLiteral("\r\n")), 3);
    EXPECT_TRUE(copied.contains(QStringLiteral("LOT1\t"))) << copied.toStdString();

    chosen.clear(); // a cancelled file dialog writes nothing
    output("im Textformat exportieren (Tabulator)");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(LogWindowFixture, BadDateIsReportedNotListed) {
    child<QComboBox>("DatumVon")->setCurrentText(QStringLiteral("31.02.2026"));
    window.showList();
    window.lines();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral("Fehler-Nr.: ")))
        << prompter.shown[0].toStdString();
    EXPECT_EQ(prompter.titles[0], QStringLiteral("Protokoll"));
}

TEST_F(LogWindowFixture, IdentifierBoxOffersTheCatalogueAndKeepsItsText) {
    auto* box = child<QComboBox>("Combo4");
    EXPECT_EQ(box->itemText(0), QString()) << "fields without identifier";
    EXPECT_TRUE(box->itemText(1).startsWith(QStringLiteral("(01) GTIN der Handelseinheit")));
    box->setCurrentText(QStringLiteral("(10) Los"));
    window.setCatalogue(Catalogue::forLanguage(1000));
    EXPECT_GE(box->findText(QStringLiteral("(10) Batch or Lot Number"), Qt::MatchStartsWith), 0);
    EXPECT_EQ(box->currentText(), QStringLiteral("(10) Los"));
}

// A long log is read a page at a time as the list is scrolled to it and counted
// apart, no row twice; ESC stops a listing whose rows are not counted yet.
TEST_F(LogWindowFixture, LongLogsAreReadAsScrolledAndEscapeStopsTheListing) {
    constexpr int kRows = 1500;
    ASSERT_TRUE(db.connection().transaction());
    for (int i = 0; i < kRows; ++i) {
        LogEntry e;
        e.absender = QStringLiteral("Lager");
        e.vonNve = e.bisNve = QStringLiteral("34099999%1").arg(i, 9, 10, QLatin1Char('0'));
        ASSERT_FALSE(appendLogRow(db, e));
    }
    ASSERT_TRUE(db.connection().commit());
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    ASSERT_NE(list, nullptr);
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy "));
    const struct {
        bool detailed;
        LogOrder order;
    } cases[] = {{false, LogOrder::Datum},
                 {true, LogOrder::Datum},
                 {false, LogOrder::ContentAlphabetic},
                 {true, LogOrder::ContentNumeric}};
    for (const auto& c : cases) {
        const bool detailed = c.detailed;
        window.findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(detailed);
        window.findChild<QComboBox*>(QStringLiteral("Combo1"))
            ->setCurrentIndex(static_cast<int>(c.order));
        window.showList();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return window.windowTitle().endsWith(
                QStringLiteral(":   %1 Datensätze gefunden").arg(kRows + 3));
        })) << window.windowTitle().toStdString();
        const int shown = list->model()->rowCount();
        EXPECT_LT(shown, kRows) << "rows nobody scrolled to were read, detailed " << detailed;
        list->scrollToBottom();
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() > shown; }))
            << "scrolling reads the next rows, detailed " << detailed;
        QStringList rows = window.lines().filter(
            QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(today)));
        rows.removeDuplicates();
        EXPECT_EQ(rows.size(), kRows + 3) << detailed << static_cast<int>(c.order);

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
