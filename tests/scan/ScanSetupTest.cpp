// The scanner set-up of the settings dialog: the printed test barcode must read
// back as GS1-128 "0" FNC1 "0" with an independent reader, and what scanners
// type for it must end up in the FNC1 fields, or in the error message. And the
// scan module, which sends a user there when nothing is set up.

#include "app/Captions.h"
#include "app/Paths.h"
#include "db/Label.h"
#include "entry/Catalogue.h"
#include "output/PdfSink.h"
#include "scan/ScanStrings.h"
#include "ui/app/SettingsDialog.h"
#include "ui/scan/ScanWindow.h"

#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

// A settings dialog with scripted answers; one per case, so that answers a case
// left unused cannot leak into the next.
struct Rig {
    test::TempAppData appData;
    Settings settings{iniPath()};
    test::ScriptedPrompter prompter;
    SettingsDialog dialog{settings, prompter};
    std::deque<std::optional<QString>> typed; // what the user enters at each prompt
    QStringList prompts;
    QTemporaryDir dir;

    Rig() {
        dialog.setPrinters({QStringLiteral("Zebra, Lager")}, {QStringLiteral("Zebra")});
        dialog.setCatalogue(Catalogue::forLanguage(0));
        SettingsRecord r = loadSettingsRecord(settings);
        r.fnc1Identifier = QStringLiteral("old-id");
        r.fnc1Trenner = QStringLiteral("old-sep");
        r.barcodeIdentifier = QStringLiteral("old-code");
        dialog.load(r, defaultDatabasePath());
        dialog.setTextAsker([this](const QString& prompt) -> std::optional<QString> {
            prompts << prompt;
            if (typed.empty())
                return std::nullopt;
            const auto answer = typed.front();
            typed.pop_front();
            return answer;
        });
        dialog.setTestPageSink([](QSizeF, bool) -> std::unique_ptr<PageSink> {
            ADD_FAILURE() << "printed without being asked to";
            return nullptr;
        });
    }

    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    QString fnc1Identifier() { return dialog.record().fnc1Identifier; }
    QString fnc1Separator() { return dialog.record().fnc1Trenner; }
};

struct ScanSetup : ::testing::Test, Rig {};

} // namespace

// A scanner types a prefix of its own (an AIM code identifier, or nothing), then its
// replacement for the start FNC1, then "0", its replacement for GS, and "0".
TEST(ScanSetupCases, ScanOfTheTestBarcodeFillsTheFnc1Fields) {
    const QString question = caption(scanmsg::PrintTestBarcode);
    const QString notFound = caption(scanmsg::Fnc1NotFound);
    const struct {
        const char* name;
        std::vector<Answer> answers; // print?, then: are the characters right?
        std::optional<QString> scan;
        QString identifier, separator;
        int prompts;
        QString lastShown;
    } cases[] = {
        {"@ for every FNC1",
         {Answer::No, Answer::Yes},
         "@0@0",
         "@",
         "@",
         1,
         caption(scanmsg::Fnc1Found).arg("@", "@")},
        {"AIM prefix, longer replacements",
         {Answer::No, Answer::Yes},
         "]C1<F>0<GS>0",
         "]C1<F>",
         "<GS>",
         1,
         caption(scanmsg::Fnc1Found).arg("]C1<F>", "<GS>")},
        {"nothing for FNC1", {Answer::No}, "00", "old-id", "old-sep", 1, notFound},
        {"characters not confirmed",
         {Answer::No, Answer::No},
         "@0@0",
         "old-id",
         "old-sep",
         1,
         caption(scanmsg::Fnc1Found).arg("@", "@")},
        {"cancel at the first question",
         {Answer::Cancel},
         "@0@0",
         "old-id",
         "old-sep",
         0,
         question},
        {"cancel at the scan prompt", {Answer::No}, std::nullopt, "old-id", "old-sep", 1, question},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.typed = {c.scan};
        for (Answer a : c.answers)
            r.prompter.willAnswer(a);
        r.button("testFnc1")->click();
        EXPECT_EQ(r.prompts, QStringList(c.prompts, caption(scanmsg::ScanTestBarcode)));
        EXPECT_EQ(r.prompter.shown.value(0), question);
        EXPECT_EQ(r.prompter.shown.value(r.prompter.shown.size() - 1), c.lastShown);
        if (c.lastShown == notFound) {
            EXPECT_EQ(r.prompter.titles.back(), caption(msg::ErrorTitle));
        }
        EXPECT_EQ(r.fnc1Identifier(), c.identifier);
        EXPECT_EQ(r.fnc1Separator(), c.separator);
    }
}

// The page is printed before the scan is asked for, and it reads back, printed or
// saved as PDF, as the test symbol with the product title above it.
TEST_F(ScanSetup, TestPagePrintedOrSavedReadsBack) {
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    dialog.setTestPageSink([&](QSizeF paper, bool landscape) {
        EXPECT_TRUE(prompts.isEmpty()) << "printed before the scan prompt";
        return PdfSink::opener(printed, QStringLiteral("t"), prompter)(paper, landscape);
    });
    typed = {QStringLiteral("~0#0")};
    prompter.willAnswer(Answer::Yes);
    prompter.willAnswer(Answer::Yes);
    dialog.testFnc1();
    EXPECT_EQ(fnc1Identifier(), "~");
    EXPECT_EQ(fnc1Separator(), "#");
    const QString saved = dir.filePath(QStringLiteral("saved.pdf"));
    dialog.setPdfChooser([&] { return saved; });
    button("saveScanTestPdf")->click();
    for (const QString& pdf : {printed, saved}) {
        EXPECT_TRUE(test::pdfText(pdf).contains(caption(scanmsg::ProductTitle)));
        const auto pages = test::pdfPages(pdf, 300);
        ASSERT_EQ(pages.size(), 1u);
        const auto found = test::decodeAll(pages[0]);
        ASSERT_EQ(found.size(), 1u) << pdf.toStdString();
        EXPECT_EQ(found[0].symbology, "]C1");
        EXPECT_EQ(found[0].content, QByteArray("0\x1d"
                                               "0"));
    }
    prompter.shown.clear();
    dialog.setPdfChooser([&] { return dir.filePath(QStringLiteral("missing/test.pdf")); });
    dialog.saveScanTestPdf();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(caption(scanmsg::TestPageFailed).section('\n', 0, 0)));
}

// The identifier is what the scan carries before the characters the user types
// from the label; found and confirmed, it replaces the stored one.
TEST(ScanSetupCases, CodeIdentifierDetection) {
    const QString found = caption(scanmsg::IdentifierFound).arg("]E0");
    const struct {
        const char* name;
        std::optional<QString> scanned, typedChars;
        Answer confirm;
        int prompts;
        QString message; // empty: nothing shown
        QString identifier;
    } cases[] = {
        {"AIM prefix of an EAN-13", "]E04012345678901", "4012", Answer::Yes, 2, found, "]E0"},
        {"no prefix", "ABC123", "ABC1", Answer::Yes, 2, caption(scanmsg::NoIdentifier), "old-code"},
        {"identifier not confirmed", "]E04012", "4012", Answer::No, 2, found, "old-code"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.typed = {c.scanned, c.typedChars};
        r.prompter.willAnswer(c.confirm);
        r.button("testBarcodeIdentifier")->click();
        EXPECT_EQ(r.prompts,
                  QStringList({caption(scanmsg::ScanBarcode), caption(scanmsg::TypeBarcode)})
                      .mid(0, c.prompts));
        EXPECT_EQ(r.prompter.shown, c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(r.dialog.record().barcodeIdentifier, c.identifier);
    }
}

// While the module waits its indicator turns; a barcode that is not GS1-128, with
// no character positions set up, is answered with the message and then the page
// where they are set up.
TEST_F(ScanSetup, ModuleWaitsVisiblyAndSendsAnUnsetUpScanToThePositions) {
    ScanWindow scan(prompter);
    scan.setPositionsSetup([this] { dialog.showScanPositions(); });
    Label label;
    label.parties[0].text = QStringLiteral("bleibt");
    SettingsRecord record = dialog.record();
    record.stellen = {};
    scan.open(&label, record, {});
    auto* indicator = scan.findChild<QLabel*>(QStringLiteral("Wartezeichen"));
    ASSERT_NE(indicator, nullptr);
    const QString first = indicator->text();
    EXPECT_TRUE(QTest::qWaitFor([&] { return indicator->text() != first; }, 3000));
    QTest::keyClicks(&scan, QStringLiteral("4012345"));
    QTest::keyClick(&scan, Qt::Key_Return);
    EXPECT_FALSE(scan.isVisible());
    EXPECT_EQ(prompter.shown, QStringList{caption(scanmsg::NoPositions)});
    EXPECT_EQ(label.parties[0].text, QStringLiteral("bleibt"));
    EXPECT_TRUE(dialog.isVisible());
    auto* from = dialog.findChild<QComboBox*>(QStringLiteral("Stelle_von0"));
    ASSERT_NE(from, nullptr);
    EXPECT_TRUE(dialog.tabs()->currentWidget()->isAncestorOf(from));
}
