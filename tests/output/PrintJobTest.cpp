#include "output/PrintJob.h"
#include "app/AppError.h"

#include "db/NveLock.h"
#include "entry/NveNumbers.h"
#include "output/PdfSink.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::nveSymbol;
using palomex::test::pdfPages;
using palomex::test::pdfText;
using palomex::test::referenceCheckDigit;

namespace {

// von_NVE, bis_NVE and the batch (Daten2) of a log row.
using LogRow = std::array<std::string, 3>;

// A sink that stands for a label printer: it can stop taking pages, or refuse the
// whole job at the end, as a printer that vanishes does.
class PrinterStandIn : public PageSink {
public:
    QImage image = test::blankImage(148, 230, 203);
    QPainter p{&image};
    PrinterStandIn() { p.scale(203 / 25.4, 203 / 25.4); }
    int pages = 1;
    int refusePageAfter = -1;
    std::optional<QString> refuseJob;
    QPainter& painter() override { return p; }
    bool newPage() override { return pages != refusePageAfter && ++pages; }
    QSizeF paper{148, 230};
    QSizeF paperMm() const override { return paper; }
    QSizeF printable{148, 230};
    QSizeF printableMm() const override { return printable; }
    std::function<void()> onFinish;
    std::function<void()> onDiscard;
    std::optional<QString> finish() override {
        if (onFinish)
            onFinish();
        return refuseJob;
    }
    void discard() override {
        if (onDiscard)
            onDiscard();
    }
};

struct PrintJobFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    SettingsRecord record;
    JobSettings js;
    Label label = test::printTestLabel();
    QString pdf = appData.file(QStringLiteral("lauf.pdf"));
    int opened = 0;

    PrintJobFixture() {
        record.schriftart = QStringLiteral("DejaVu Sans");
        js.mode = PageMode::SingleLabels;
        js.logging = true;
        js.benutzer = QStringLiteral("Etiketten");
    }

    JobResult print(const SinkOpener& open, std::function<bool()> escape = {}) {
        PrintJob job(db, record, js, prompter);
        job.setEscapeCheck(std::move(escape));
        return job.print(label, [&](QSizeF paper, bool landscape) {
            ++opened;
            return open(paper, landscape);
        });
    }
    // A run on the printer stand-in, which setUp prepares before the first page.
    JobResult printOnStandIn(const std::function<void(PrinterStandIn&)>& setUp) {
        return print([&](QSizeF, bool) {
            auto sink = std::make_unique<PrinterStandIn>();
            setUp(*sink);
            return sink;
        });
    }
    JobResult printPdf(std::function<bool()> escape = {}) {
        return print(PdfSink::opener(pdf, label.name, prompter), std::move(escape));
    }

    std::vector<LogRow> logRows() {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral(R"(SELECT "von_NVE", "bis_NVE", "Daten2" FROM "Protokoll")"));
        std::vector<LogRow> rows;
        while (q.next()) {
            rows.push_back({q.value(0).toString().toStdString(),
                            q.value(1).toString().toStdString(),
                            q.value(2).toString().toStdString()});
        }
        return rows;
    }
    std::optional<qint64> highest() { return storedHighest(db, QStringLiteral("4012345")); }

    // The NVE symbol of every page, page by page.
    std::vector<QByteArray> nveSymbolsOfPages() {
        std::vector<QByteArray> found;
        for (const QImage& page : pdfPages(pdf, 200))
            found.push_back(test::printTestSymbols(page, 200).back());
        return found;
    }
};

// Running numbers up to 99999 on base 4012345, taken in memory; taking can fail.
class Range : public NveRange {
public:
    QString withoutCheckDigit(qint64 r) const override {
        return r > 99999 ? QString()
                         : QStringLiteral("4012345") + QString::number(r).rightJustified(10, '0');
    }
    QString composed(qint64 r) const override { return withoutCheckDigit(r) + QLatin1Char('x'); }
    void recordAhead(qint64 r) override {
        if (failAbove && r > *failAbove)
            throw AppError(3163, QStringLiteral("HöchstNVE"), QStringLiteral("zu klein"));
        taken.push_back(r);
    }
    std::optional<qint64> highest() const {
        return taken.empty() ? std::nullopt : std::optional(taken.back());
    }
    std::vector<qint64> taken;
    std::optional<qint64> failAbove;
};

struct Drawn {
    int page;
    QString nve;
    QPointF offset;
    std::optional<qint64> takenWhenDrawn;
};

// A run straight on PrintRun, noting where and when each label was drawn.
struct RunFixture : ::testing::Test {
    Label label;
    RunParameters params;
    Range range;
    PrinterStandIn sink;
    test::ScriptedPrompter prompter;
    std::vector<Drawn> drawn;

    RunFixture() {
        sink.paper = {210, 297};
        sink.printable = {200, 287};
    }
    RunResult run() {
        PrintRun job(
            label, params, range,
            [this](QPainter&, const Label&, const QString& nve, const LabelPlacement& placed) {
                if (!placed.beginDrawing())
                    return false;
                drawn.push_back({sink.pages, nve, placed.offsetMm, range.highest()});
                return true;
            },
            [](const LayoutRect&, const Label&) { return true; }, sink, prompter);
        return job.run();
    }
};

} // namespace

// Every NVE once per copy, each on as many labels as asked for, in order; the data
// barcodes carry the counted batch; one log row per run of the copies.
TEST_F(PrintJobFixture, CopiesOfARunRepeatTheNvesInOrderAndEveryBarcodeDecodes) {
    label.nveLaufNr = QStringLiteral("7");
    label.anzahlNVEs = QStringLiteral("3");
    label.anzahlProNVE = 2;
    js.copies = 2;
    const JobResult r = printPdf();
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(r.labelsPrinted, 12);
    const std::vector<QImage> pages = pdfPages(pdf, 200);
    ASSERT_EQ(pages.size(), 12u);
    // A page of the label's size in millimetres, given in whole points.
    EXPECT_NEAR(pages[11].width(), 148 * 200 / 25.4, 3);
    EXPECT_NEAR(pages[11].height(), 230 * 200 / 25.4, 3);
    const QByteArray gtin = QByteArray("0401234512345") + referenceCheckDigit("0401234512345");
    for (size_t i = 0; i < pages.size(); ++i) {
        const qint64 running = 7 + static_cast<qint64>(i % 6) / 2;
        const auto symbols = test::printTestSymbols(pages[i], 200);
        const QByteArray lot =
            QStringLiteral("LOT%1").arg(9 + running - 7, 4, 10, QChar('0')).toLatin1();
        EXPECT_EQ(symbols[0], "01" + gtin + "10" + lot) << "page " << i + 1;
        EXPECT_EQ(symbols[1], "400PO-4711") << "page " << i + 1;
        EXPECT_EQ(symbols[2], nveSymbol(running)) << "page " << i + 1;
    }
    const QString text = pdfText(pdf);
    // Four labels per NVE, each with the number on its NVE line and under the bars.
    for (qint64 n = 7; n <= 9; ++n)
        EXPECT_EQ(text.count(QString::fromLatin1(nveSymbol(n).mid(2))), 8) << n;
    EXPECT_EQ(highest(), 9);
    // The log shows the batch as the last label printed it.
    const LogRow row{"40123450000000007", "40123450000000009", "LOT0011"};
    EXPECT_EQ(logRows(), (std::vector<LogRow>{row, row}));
    EXPECT_EQ(r.label.fields[2].content, QStringLiteral("LOT«0009»"));
}

TEST_F(PrintJobFixture, AutomaticNveStartsAboveTheStoredNumberAndAdvancesTheEntry) {
    js.autoNve = true;
    label.anzahlNVEs = QStringLiteral("2");
    lockNveBase(db, QStringLiteral("4012345"), 41)->release(41);
    JobResult r = printPdf();
    EXPECT_EQ(nveSymbolsOfPages(), (std::vector<QByteArray>{nveSymbol(42), nveSymbol(43)}));
    EXPECT_EQ(r.label.nveLaufNr, QStringLiteral("43")) << "ten places do not fit the entry box";
    EXPECT_EQ(logRows(),
              (std::vector<LogRow>{{"40123450000000042", "40123450000000043", "LOT0010"}}));
    // Without the log no row is written, but the number is stored all the same.
    js.logging = false;
    label = r.label;
    r = printPdf();
    EXPECT_EQ(nveSymbolsOfPages(), (std::vector<QByteArray>{nveSymbol(44), nveSymbol(45)}));
    EXPECT_EQ(highest(), 45);
    EXPECT_EQ(logRows().size(), 1u);
}

TEST_F(PrintJobFixture, EscapeAnsweredYesDuringTheThirdOfFiveNvesRecordsOneToThree) {
    label.anzahlNVEs = QStringLiteral("5");
    int polls = 0;
    prompter.willAnswer(Answer::No); // after the second: printing goes on
    prompter.willAnswer(Answer::Yes);
    const JobResult r = printPdf([&] { return ++polls >= 2; });
    EXPECT_EQ(r.labelsPrinted, 3);
    EXPECT_EQ(prompter.shown.value(0), QStringLiteral("Druck abbrechen ?"));
    EXPECT_EQ(nveSymbolsOfPages(),
              (std::vector<QByteArray>{nveSymbol(1), nveSymbol(2), nveSymbol(3)}));
    EXPECT_EQ(highest(), 3) << "the numbers taken ahead come back down to the last printed";
    EXPECT_EQ(logRows(),
              (std::vector<LogRow>{{"40123450000000001", "40123450000000003", "LOT0011"}}));
}

TEST_F(PrintJobFixture, ARunningNumberThatIsNoNumberIsRefusedBeforeAnythingIsReserved) {
    for (const char* running : {"12a", "-5"}) {
        prompter.shown.clear();
        label.nveLaufNr = QString::fromLatin1(running);
        EXPECT_TRUE(printPdf().refused) << running;
        EXPECT_EQ(prompter.shown,
                  QStringList{QStringLiteral("Die NVE-Laufnummer muss eine Zahl sein: \"%1\"")
                                  .arg(QLatin1String(running))});
    }
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(highest());
}

TEST_F(PrintJobFixture, AFullDiskLeavesNoFileNoLogAndNoNumberFreeForReuse) {
    pdf = QStringLiteral("/dev/full");
    label.anzahlNVEs = QStringLiteral("3");
    const JobResult r = printPdf();
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.labelsPrinted, 0);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral("Die PDF-Datei\n/dev/full\n")))
        << prompter.shown[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/full"))) << "the device is left alone";
    EXPECT_TRUE(logRows().empty());
    EXPECT_GE(highest().value_or(0), 3) << "numbers handed to a device are never issued again";
}

TEST_F(PrintJobFixture, APrinterThatStopsTakingPagesKeepsStoreAndLogToWhatCameOut) {
    struct Case {
        const char* base;
        int refusePageAfter;
        std::optional<QString> refuseJob;
        int printed;
        std::optional<qint64> highest;
        size_t logRows; // in all, after this case
    };
    const Case cases[] = {
        {"4011111", 2, std::nullopt, 2, 2, 1}, // vanished after two pages: no message
        {"4022222", -1, QStringLiteral("Auftrag abgelehnt"), 0, 4, 1},
    };
    for (const Case& c : cases) {
        label.nveBasis = QString::fromLatin1(c.base);
        label.anzahlNVEs = QStringLiteral("4");
        prompter.shown.clear();
        const size_t rowsBefore = logRows().size();
        size_t rowsAtHandOver = 0;
        const JobResult r = printOnStandIn([&](PrinterStandIn& sink) {
            sink.refusePageAfter = c.refusePageAfter;
            sink.refuseJob = c.refuseJob;
            sink.onFinish = [&] { rowsAtHandOver = logRows().size(); };
        });
        EXPECT_EQ(rowsAtHandOver, rowsBefore + 1) << c.base << ": no row before the hand-over";
        EXPECT_EQ(r.labelsPrinted, c.printed) << c.base;
        EXPECT_EQ(storedHighest(db, label.nveBasis), c.highest) << c.base;
        EXPECT_EQ(logRows().size(), c.logRows) << c.base;
        EXPECT_EQ(prompter.shown, c.refuseJob ? QStringList{*c.refuseJob} : QStringList{});
    }
}

TEST_F(PrintJobFixture, ARunEndedBeforeItsFirstLabelTakesNoNumberAndSendsNoPage) {
    struct Case {
        const char* what;
        std::function<void(Label&)> change;
        std::optional<Answer> answer;
        const char* message; // how the last message starts
    };
    const std::vector<Case> cases{
        {"Cancel in the fit question",
         [](Label& l) { l.elements[element::FirstBarcode].left = 70; }, Answer::Cancel,
         "Fehler: Barcode passt nicht"},
        {"more data than a symbol holds",
         [](Label& l) {
             l.fields[3] = l.fields[6];
             l.fields[3].content = QString(30, QLatin1Char('A'));
         },
         std::nullopt, "Die gesamte Nutzziffer darf maximal 48 Zeichen"},
        {"an NVE longer than 17 digits",
         [](Label& l) {
             l.nveBasis = QStringLiteral("4012345678");
             l.nveLaufNr = QStringLiteral("12345678");
         },
         std::nullopt, "Die NVE muss genau 17 Stellen haben"},
    };
    for (const bool automatic : {false, true}) {
        for (const Case& c : cases) {
            label = test::printTestLabel();
            c.change(label);
            const QString base = baseDigits(label.nveBasis);
            lockNveBase(db, base, 0)->release(automatic ? 12345677 : 41);
            const std::optional<qint64> before = storedHighest(db, base);
            js.autoNve = automatic;
            if (c.answer)
                prompter.willAnswer(*c.answer);
            bool discarded = false;
            const JobResult r = printOnStandIn(
                [&](PrinterStandIn& sink) { sink.onDiscard = [&] { discarded = true; }; });
            EXPECT_EQ(r.labelsPrinted, 0) << c.what;
            ASSERT_FALSE(prompter.shown.isEmpty()) << c.what;
            EXPECT_TRUE(prompter.shown.last().startsWith(QString::fromUtf8(c.message)))
                << c.what << ": " << prompter.shown.last().toStdString();
            // Errors are titled "Fehler"; the fit question keeps the program's title.
            EXPECT_EQ(prompter.titles.last(), c.answer ? QString() : QStringLiteral("Fehler"))
                << c.what;
            EXPECT_FALSE(r.complete) << c.what;
            EXPECT_TRUE(discarded) << c.what << ": the printer got a page";
            EXPECT_EQ(storedHighest(db, base), before) << c.what;
            EXPECT_TRUE(logRows().empty()) << c.what;
        }
    }
}

TEST_F(PrintJobFixture, ALabelWhoseBarcodeIsRefusedIsNotPrintedHalfDrawn) {
    // The batch grows on the second NVE past the 48 characters a symbol holds: an
    // order number in the upper symbol fills it up to the last one.
    const QString nines(1, QLatin1Char('9'));
    label.fields[2].content = QStringLiteral("«%1»").arg(nines);
    label.fields[3] = label.fields[6];
    label.fields[3].content = QStringLiteral("PO-") + QString(22, QLatin1Char('4'));
    label.anzahlNVEs = QStringLiteral("3");
    prompter.willAnswer(Answer::No); // should it be too wide: printed without it
    const JobResult r = printPdf();
    EXPECT_FALSE(r.complete) << prompter.shown.join('|').toStdString();
    EXPECT_EQ(r.labelsPrinted, 1) << prompter.shown.join('|').toStdString();
    const std::vector<QImage> pages = pdfPages(pdf, 200);
    ASSERT_EQ(pages.size(), 1u) << "the refused label left a page behind";
    EXPECT_EQ(test::printTestSymbols(pages[0], 200).back(), nveSymbol(1));
    EXPECT_EQ(highest(), 1);
    EXPECT_EQ(logRows(), (std::vector<LogRow>{
                             {"40123450000000001", "40123450000000001", nines.toStdString()}}));
}

TEST_F(PrintJobFixture, TypedNvesTheLogShowsAsPrintedAreAskedAboutOrWarnedOf) {
    label.anzahlNVEs = QStringLiteral("5");
    ASSERT_TRUE(printPdf().complete);
    QSqlQuery when(db.connection());
    ASSERT_TRUE(when.exec(R"(SELECT "Datum" FROM "Protokoll")") && when.next());
    const QString printedOn = when.value(0).toDate().toString("dd.MM.yyyy");
    when.finish();
    struct Case {
        const char* what;
        bool automatic;
        bool ask;
        std::optional<Answer> answer;
        bool printed;
        const char* to;      // the last NVE printed before, of those asked for
        const char* message; // how what the user is shown ends, empty: nothing shown
    };
    // 3 to 7 asked for; 1 to 5 printed, and 3 to 7 once the window's Yes reprinted them.
    const std::vector<Case> cases{
        {"the window, Enter", false, true, std::nullopt, false, "5", "gedruckt werden?"},
        {"the window, Yes", false, true, Answer::Yes, true, "5", "gedruckt werden?"},
        {"automatic numbering", true, true, std::nullopt, true, "", ""},
    };
    for (const Case& c : cases) {
        label.nveLaufNr = QStringLiteral("3");
        js.autoNve = c.automatic;
        js.askBeforeReprint = c.ask;
        prompter.shown.clear();
        if (c.answer)
            prompter.willAnswer(*c.answer);
        const size_t rowsBefore = logRows().size();
        const JobResult r = printPdf();
        EXPECT_EQ(r.labelsPrinted > 0, c.printed) << c.what;
        EXPECT_EQ(logRows().size(), rowsBefore + (c.printed ? 1 : 0)) << c.what;
        if (*c.message == '\0') {
            EXPECT_TRUE(prompter.shown.isEmpty()) << c.what;
        } else {
            ASSERT_FALSE(prompter.shown.isEmpty()) << c.what;
            const QString overlap = QStringLiteral("Die NVEs 40123450000000003 bis "
                                                   "4012345000000000%1 wurden laut Protokoll "
                                                   "bereits am %2 um ")
                                        .arg(QString::fromLatin1(c.to), printedOn);
            EXPECT_TRUE(prompter.shown[0].startsWith(overlap)) << prompter.shown[0].toStdString();
            EXPECT_TRUE(prompter.shown[0].endsWith(QString::fromUtf8(c.message))) << c.what;
        }
    }
}

TEST_F(PrintJobFixture, TextsReachingThePrintableHeightAreLeftOutNotCut) {
    // Dark pixels between 30 and 100 mm, where the data field texts stand.
    const auto textPixels = [&](double printableHeight) {
        QImage page;
        printOnStandIn([&](PrinterStandIn& sink) {
            sink.printable.setHeight(printableHeight);
            sink.onFinish = [&page, s = &sink] { page = s->image; };
        });
        const int from = 30 * 203 / 25.4, to = 100 * 203 / 25.4;
        int dark = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        return dark;
    };
    const int all = textPixels(230);
    ASSERT_GT(all, 0);
    label.nveLaufNr = QStringLiteral("2");
    EXPECT_LT(textPixels(20), all / 10) << "texts below the printable height were drawn";
}

TEST(PrintJobPaper, SingleLabelsTakeTheLabelSizeSheetsTurnForTheLargeFormat) {
    const struct {
        LabelFormat format;
        PageMode mode;
        QSizeF paper;
        bool landscape;
    } cases[] = {
        {LabelFormat::Small, PageMode::SingleLabels, {105, 74}, false},
        {LabelFormat::Small, PageMode::A4Sheets, {210, 297}, false},
        {LabelFormat::NveOnly, PageMode::A4Sheets, {210, 297}, false},
        {LabelFormat::Large, PageMode::A4Sheets, {297, 210}, true},
    };
    for (const auto& c : cases) {
        Label l;
        l.format = c.format;
        l.height = 74;
        EXPECT_EQ(paperSizeMm(l, c.mode), c.paper) << int(c.format) << int(c.mode);
        EXPECT_EQ(landscapeOutput(l, c.mode), c.landscape) << int(c.format) << int(c.mode);
    }
}

TEST(CountingText, CountsTheMarkedOrTrailingNumber) {
    struct Case {
        const char* text;
        long long step;
        qint64 offset;
        const char* expected;
    };
    const Case cases[] = {
        {"LOT«0009»", 1, 0, "LOT0009"}, {"LOT«0009»", 1, 1, "LOT0010"},
        {"»12«AB", 5, 2, "22AB"},       {"A99", 1, 0, "A99"},
        {"A99", 1, 1, "A100"},          {"X-0007-B«01»", 2, 3, "X-0007-B07"},
        {"0999", 1, 1, "1000"},         {"7", 10, 1, "17"},
        {"ohne", 1, 2, "ohne2"},        {"99999999999999999999", 1, 1, "100000000000000000000"},
        {"A10", -3, 5, "A00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(countingText(QString::fromUtf8(c.text), c.step, c.offset),
                  QString::fromUtf8(c.expected))
            << c.text << " +" << c.step << "x" << c.offset;
}

TEST_F(RunFixture, A4SheetsFillTwoColumnsRowByRow) {
    params.mode = PageMode::A4Sheets;
    params.nveCount = 9;
    params.randLinks = 2;
    params.randOben = 3;
    label.height = 74;
    run();
    ASSERT_EQ(drawn.size(), 9u);
    // Right column at W + 2*ox0 - mx = 105 + 4 - 5; rows H + 2*oy0 - my = 74 + 6 - 5 apart.
    const std::vector<std::pair<int, QPointF>> expected = {
        {1, {2, 3}},     {1, {104, 3}}, {1, {2, 78}},    {1, {104, 78}}, {1, {2, 153}},
        {1, {104, 153}}, {1, {2, 228}}, {1, {104, 228}}, {2, {2, 3}}};
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].page, expected[i].first) << i;
        EXPECT_EQ(drawn[i].offset, expected[i].second) << i;
    }
}

TEST_F(RunFixture, RunningNumbersBeyondTheBaseStopWithoutRecords) {
    params.firstRunning = 99999;
    params.nveCount = 3;
    const RunResult r = run();
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(drawn.size(), 1u);
    EXPECT_EQ(r.lastRun, 99999);
    EXPECT_EQ(range.taken, std::vector<qint64>{99999}) << "only numbers that form an NVE are taken";
}

// Numbers are stored as taken before their labels go out, a stretch at a time, so
// that a run that dies midway never lets another run print them again.
TEST_F(RunFixture, NumbersAreTakenAheadOfTheLabelsInStretches) {
    params.firstRunning = 1;
    params.nveCount = 120;
    params.labelsPerNve = 2;
    const RunResult r = run();
    EXPECT_EQ(r.labelsPrinted, 240);
    EXPECT_EQ(range.taken, (std::vector<qint64>{50, 100, 120}));
    for (const Drawn& d : drawn) {
        const qint64 running = d.nve.mid(7, 10).toLongLong();
        ASSERT_TRUE(d.takenWhenDrawn && *d.takenWhenDrawn >= running) << d.nve.toStdString();
    }
}

TEST_F(RunFixture, ANumberThatCannotBeTakenEndsTheRunBeforeItsLabel) {
    params.nveCount = 120;
    range.failAbove = 60;
    const RunResult r = run();
    EXPECT_EQ(r.labelsPrinted, 50);
    EXPECT_EQ(r.lastRun, 50);
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->text(), QStringLiteral("zu klein"));
}
