// The scanner set-up of the settings dialog: the printed test barcode must read
// back as GS1-128 "0" FNC1 "0" with an independent reader, and what scanners
// type for it must end up in the FNC1 fields, or in the error message.

#include "app/Captions.h"
#include "app/Paths.h"
#include "entry/Catalogue.h"
#include "output/PdfSink.h"
#include "scan/ScanStrings.h"
#include "scan/TestPage.h"
#include "ui/app/SettingsDialog.h"

#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::decodeAll;

namespace {

const QByteArray kGs("\x1d");

QImage renderTestPage(int dpi) {
    const QSizeF extent = scanTestPageExtent();
    QImage image = test::blankImage(extent.width() + 10, extent.height() + 10, dpi);
    QPainter p(&image);
    p.scale(dpi / 25.4, dpi / 25.4);
    EXPECT_TRUE(drawScanTestPage(p, {5, 5}));
    p.end();
    return image;
}

// What the reader finds on the test page; the scanners below type from this.
test::Decoded readTestSymbol(const QImage& page) {
    const auto found = decodeAll(page);
    if (found.size() != 1) {
        ADD_FAILURE() << found.size() << " symbols on the test page";
        return {};
    }
    return found[0];
}

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
    QString codeIdentifier() { return dialog.record().barcodeIdentifier; }
};

struct ScanSetup : ::testing::Test, Rig {};

} // namespace

// A scanner types a prefix of its own (an AIM code identifier, or nothing), then its
// replacement for the start FNC1, then the contents with its replacement for GS.
// The part of a PDF page the dialog draws on (10 mm margins): the reader looks
// for bars near the middle of an image only, and the page may be a whole A4 sheet.
QImage contentOf(const QImage& page, int dpi) {
    const QSizeF extent = scanTestPageExtent() + QSizeF(20, 20);
    const double k = dpi / 25.4;
    return page.copy(0, 0, qRound(extent.width() * k), qRound(extent.height() * k));
}

struct ScannerCase {
    const char* name;
    QString prefix;
    QString startFnc1;
    QString separator;
    QString typed; // what that gives for the test symbol
    bool recognised;
};

TEST(ScanSetupCases, ScanOfTheTestBarcodeFillsTheFnc1Fields) {
    const std::vector<ScannerCase> cases = {
        {"@ for every FNC1", "", "@", "@", "@0@0", true},
        {"longer replacements", "]C1", "<F>", "<GS>", "]C1<F>0<GS>0", true},
        {"nothing for FNC1", "", "", "", "00", false},
        {"only the separator replaced", "", "", "@", "0@0", false},
    };
    const test::Decoded symbol = readTestSymbol(renderTestPage(300));
    for (const ScannerCase& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        QString scan = c.prefix + c.startFnc1;
        for (char ch : symbol.content)
            scan += ch == '\x1d' ? c.separator : QString(QLatin1Char(ch));
        EXPECT_EQ(scan, c.typed);
        r.typed = {scan};
        r.prompter.willAnswer(Answer::No);  // the page is printed already
        r.prompter.willAnswer(Answer::Yes); // the characters are right
        r.button("testFnc1")->click();
        ASSERT_EQ(r.prompts.size(), 1);
        EXPECT_EQ(r.prompts.back(), caption(scanmsg::ScanTestBarcode));
        ASSERT_FALSE(r.prompter.shown.isEmpty());
        EXPECT_EQ(r.prompter.shown.front(), caption(scanmsg::PrintTestBarcode));
        if (c.recognised) {
            EXPECT_EQ(r.fnc1Identifier(), c.prefix + c.startFnc1);
            EXPECT_EQ(r.fnc1Separator(), c.separator);
            EXPECT_EQ(r.prompter.shown.back(),
                      caption(scanmsg::Fnc1Found).arg(c.prefix + c.startFnc1, c.separator));
        } else {
            EXPECT_EQ(r.prompter.shown.back(), caption(scanmsg::Fnc1NotFound));
            EXPECT_EQ(r.prompter.titles.back(), caption(msg::ErrorTitle));
            EXPECT_EQ(r.fnc1Identifier(), "old-id");
            EXPECT_EQ(r.fnc1Separator(), "old-sep");
        }
        const auto stored = [&] { return r.settings.read("Scannen", "FNC1_Identifier"); };
        EXPECT_EQ(stored(), QString()) << "nothing is written before OK";
        r.dialog.confirm();
        EXPECT_EQ(stored(), r.fnc1Identifier());
        EXPECT_EQ(r.settings.read("Scannen", "FNC1_Trenner"), r.fnc1Separator());
    }
}

TEST(ScanSetupCases, Fnc1DetectionStopsWhereTheUserSaysSo) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        std::optional<QString> scan;
        int expectedPrompts;
    };
    const std::vector<Case> cases = {
        {"cancel at the first question", {Answer::Cancel}, QStringLiteral("@0@0"), 0},
        {"cancel at the scan prompt", {Answer::No}, std::nullopt, 1},
        {"characters not confirmed", {Answer::No, Answer::No}, QStringLiteral("@0@0"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.typed = {c.scan};
        for (Answer a : c.answers)
            r.prompter.willAnswer(a);
        r.dialog.testFnc1();
        EXPECT_EQ(r.prompts.size(), c.expectedPrompts);
        EXPECT_EQ(r.fnc1Identifier(), "old-id");
        EXPECT_EQ(r.fnc1Separator(), "old-sep");
    }
}

TEST_F(ScanSetup, YesPrintsTheTestPageBeforeTheScan) {
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    bool printed = false;
    dialog.setTestPageSink([&](QSizeF paper, bool landscape) {
        printed = true;
        EXPECT_TRUE(prompts.isEmpty()) << "printed before the scan prompt";
        return PdfSink::opener(pdf, QStringLiteral("t"), prompter)(paper, landscape);
    });
    typed = {QStringLiteral("~0#0")};
    prompter.willAnswer(Answer::Yes);
    prompter.willAnswer(Answer::Yes);
    dialog.testFnc1();
    ASSERT_TRUE(printed);
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains(caption(scanmsg::ProductTitle)));
    EXPECT_TRUE(text.contains(caption(scanmsg::TestPageLine).trimmed()));
    EXPECT_EQ(fnc1Identifier(), "~");
    EXPECT_EQ(fnc1Separator(), "#");
}

TEST_F(ScanSetup, APrinterThatRefusesEndsTheDetection) {
    dialog.setTestPageSink([](QSizeF, bool) { return std::unique_ptr<PageSink>(); });
    typed = {QStringLiteral("@0@0")};
    prompter.willAnswer(Answer::Yes);
    dialog.testFnc1();
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_EQ(fnc1Identifier(), "old-id");
}

TEST_F(ScanSetup, TestBarcodeSavedAsPdfReadsBack) {
    const QString pdf = dir.filePath(QStringLiteral("test.pdf"));
    dialog.setPdfChooser([&] { return pdf; });
    button("saveScanTestPdf")->click();
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    const auto pages = test::pdfPages(pdf, 300);
    ASSERT_EQ(pages.size(), 1u);
    const test::Decoded d = readTestSymbol(contentOf(pages[0], 300));
    EXPECT_EQ(d.symbology, "]C1");
    EXPECT_EQ(d.content, "0" + kGs + "0");
}

TEST_F(ScanSetup, UnwritablePdfIsReported) {
    dialog.setPdfChooser([&] { return dir.filePath(QStringLiteral("missing/test.pdf")); });
    dialog.saveScanTestPdf();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(caption(scanmsg::TestPageFailed).section('\n', 0, 0)));
}

// The identifier is what the scan carries before the characters the user types
// from the label; found and confirmed, it replaces the stored one.
TEST(ScanSetupCases, CodeIdentifierDetection) {
    struct Case {
        const char* name;
        std::optional<QString> scanned;
        std::optional<QString> typedChars;
        Answer confirm;
        int expectedPrompts;
        QString message; // empty: nothing shown
        QString identifier;
    };
    const QString none = caption(scanmsg::NoIdentifier);
    const QString found = caption(scanmsg::IdentifierFound).arg("]E0");
    const std::vector<Case> cases = {
        {"AIM prefix of an EAN-13", QStringLiteral("]E04012345678901"), QStringLiteral("4012"),
         Answer::Yes, 2, found, "]E0"},
        {"no prefix", QStringLiteral("ABC123"), QStringLiteral("ABC1"), Answer::Yes, 2, none,
         "old-code"},
        {"empty scan", QString(), QStringLiteral("4012"), Answer::No, 1, {}, "old-code"},
        {"cancelled scan", std::nullopt, QStringLiteral("4012"), Answer::No, 1, {}, "old-code"},
        {"nothing typed", QStringLiteral("]E04012"), QString(), Answer::No, 2, {}, "old-code"},
        {"typing cancelled",
         QStringLiteral("]E04012"),
         std::nullopt,
         Answer::No,
         2,
         {},
         "old-code"},
        {"identifier not confirmed", QStringLiteral("]E04012"), QStringLiteral("4012"), Answer::No,
         2, found, "old-code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.typed = {c.scanned, c.typedChars};
        r.prompter.willAnswer(c.confirm);
        r.button("testBarcodeIdentifier")->click();
        ASSERT_EQ(r.prompts.size(), c.expectedPrompts);
        EXPECT_EQ(r.prompts[0], caption(scanmsg::ScanBarcode));
        if (c.expectedPrompts > 1) {
            EXPECT_EQ(r.prompts[1], caption(scanmsg::TypeBarcode));
        }
        EXPECT_EQ(r.prompter.shown, c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(r.codeIdentifier(), c.identifier);
    }
}
