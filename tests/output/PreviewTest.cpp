#include "output/Preview.h"

#include "app/Captions.h"
#include "db/NveLock.h"
#include "entry/NveNumbers.h"
#include "output/PdfSink.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"
#include "ui/output/PreviewWindow.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::decodeAll;
using palomex::test::nveSymbol;

namespace {

constexpr int kDpi = 200;

QImage drawn(const PreviewInput& input, test::ScriptedPrompter& prompter) {
    QImage image = test::blankImage(300, 300, kDpi);
    QPainter p(&image);
    p.scale(kDpi / 25.4, kDpi / 25.4);
    drawPreview(p, input, prompter);
    return image;
}

int gridPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            n += image.pixel(x, y) == QColor(192, 192, 0).rgb();
    return n;
}

// A small label with nothing but its NVE barcode near the top.
Label nveOnlyLabel() {
    Label l = test::printTestLabel();
    l.format = LabelFormat::NveOnly;
    l.height = 60;
    for (LayoutElement& e : l.elements)
        e.left = 200;
    l.elements[element::FirstBarcode + 2].left = 3;
    l.elements[element::FirstBarcode + 2].top = 3;
    l.elements[element::FirstBarcode + 2].setState(8, 20);
    return l;
}

} // namespace

TEST(PreviewZoom, StepsStayWithinTheirBoundsAndNonsenseGivesTheFallback) {
    const struct {
        double zoom;
        const char* command;
        double expected;
    } cases[] = {
        {1, "plus", 1.1},     {17.9, "plus", 19.69}, {18, "plus", 18},    {1, "minus", 0.9},
        {0.2, "minus", 0.18}, {0.19, "minus", 0.19}, {0.1, "minus", 0.1}, {1, "4", 4},
        {1, "0", 0.2},        {1, "-3", 0.2},        {1, "abc", 0.2},     {3, "0.45", 0.45},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(zoomAfter(c.zoom, QString::fromLatin1(c.command)), c.expected, 1e-9)
            << c.zoom << " " << c.command;
}

TEST(PreviewZoom, CaptionShowsOneDecimalInEitherLanguage) {
    const test::CaptionsRestorer restore;
    const struct {
        int offset;
        double zoom;
        const char* caption;
    } cases[] = {
        {0, 1, "Vorschau  1.0"},      {0, 0.8, "Vorschau  0.8"},       {0, 0.45, "Vorschau  0.5"},
        {0, 12.34, "Vorschau  12.3"}, {1000, 2, "Preview label  2.0"},
    };
    for (const auto& c : cases) {
        Captions::global().setOffset(c.offset);
        EXPECT_EQ(previewCaption(c.zoom), QString::fromUtf8(c.caption));
    }
}

// The NVE read in the cell of a sheet of labels 105 mm wide and 60 mm high.
QByteArray cell(const QImage& image, int column, int row, double scrollMm) {
    const double k = kDpi / 25.4;
    const auto s = decodeAll(image.copy(qRound((column * 105 + 0.5 - scrollMm) * k),
                                        qRound((row * 60 + 0.5 - scrollMm) * k), qRound(104 * k),
                                        qRound(59 * k)));
    return s.empty() ? QByteArray() : s.front().content;
}

TEST(PreviewDrawing, A4SheetsEndAtTheFirstSheetAndScrollingMovesThePage) {
    test::ScriptedPrompter prompter;
    PreviewInput in;
    in.label = nveOnlyLabel();
    in.label.anzahlNVEs = QStringLiteral("30");
    in.mode = PageMode::A4Sheets;
    in.record.rasterLinien = false;
    const QImage image = drawn(in, prompter);
    // Four rows of two labels fill the sheet: a fifth would reach 300 mm.
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(cell(image, column, row, 0), row < 4 ? nveSymbol(2 * row + column + 1) : "")
                << row << "/" << column;
    in.scrollMm = QPointF(20, 20);
    EXPECT_EQ(cell(drawn(in, prompter), 1, 1, 20), nveSymbol(4));
}

TEST(PreviewDrawing, TheGridIsDrawnOnlyWhenSwitchedOn) {
    test::ScriptedPrompter prompter;
    PreviewInput in;
    in.label = nveOnlyLabel();
    in.mode = PageMode::SingleLabels;
    in.record.rasterLinien = true;
    EXPECT_GT(gridPixels(drawn(in, prompter)), 1000);
    in.record.rasterLinien = false;
    EXPECT_EQ(gridPixels(drawn(in, prompter)), 0);
}

// Where the first and the last dark pixel of a pixel row lie, in millimetres.
std::pair<double, double> inkAlongRow(const QImage& image, double yMm, double dpi) {
    const double k = dpi / 25.4;
    const int y = qRound(yMm * k);
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) < 128) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return {first / k, (last + 1) / k};
}

// On a screen of 96 dpi a module of 0.35 mm is 1.3 pixels: the preview still shows
// each symbol as wide as the printer prints it.
TEST(PreviewDrawing, BarcodesAreAsWideAsPrinted) {
    const Label label = test::printTestLabel();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
    {
        // The run of the "PDF Export" without a PDF printer, one label.
        test::ScriptedPrompter prompter;
        LabelRenderer renderer(SettingsRecord{}, prompter);
        RenderOutcome outcome;
        RunParameters params;
        params.mode = PageMode::SingleLabels;
        params.labelWidthMm = labelWidthMm(label.format);
        PdfSink sink(pdf, paperSizeMm(label, PageMode::SingleLabels), QString());
        BaseNveRange numbers(label.nveBasis, nullptr);
        PrintRun(label, params, numbers, rendererPainter(renderer, RenderMode::Printer, outcome),
                 isActive, sink, prompter)
            .run();
        ASSERT_FALSE(sink.finish());
    }
    const auto pages = test::pdfPages(pdf, 300);
    ASSERT_EQ(pages.size(), 1u);

    constexpr int screenDpi = 96;
    test::ScriptedPrompter prompter;
    PreviewInput in;
    in.label = label;
    in.mode = PageMode::SingleLabels;
    in.record.rasterLinien = false;
    QImage screen = test::blankImage(labelWidthMm(label.format), label.height, screenDpi);
    {
        QPainter p(&screen);
        p.scale(screenDpi / 25.4, screenDpi / 25.4);
        drawPreview(p, in, prompter);
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
    // A row through the bars of the upper, the lower and the NVE symbol.
    for (const double y : {113.0, 147.0, 185.0}) {
        const auto [printedLeft, printedRight] = inkAlongRow(pages[0], y, 300);
        const auto [shownLeft, shownRight] = inkAlongRow(screen, y, screenDpi);
        const double printed = printedRight - printedLeft;
        ASSERT_GT(printed, 40) << y;
        EXPECT_NEAR((shownRight - shownLeft) / printed, 1.0, 0.01) << "symbol at " << y << " mm";
    }
}

struct PreviewWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
};

TEST_F(PreviewWindowFixture, KeysZoomAndScrollAndReopeningRestoresWhereItWas) {
    SettingsRecord record;
    {
        PreviewWindow window(db, settings, prompter);
        window.open(test::printTestLabel(), record);
        QTest::keyClick(&window, Qt::Key_3);
        QTest::keyClick(&window, Qt::Key_Plus);
        EXPECT_NEAR(window.zoom(), 2.2, 1e-9);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Vorschau  2.2"));
        QTest::keyClick(&window, Qt::Key_Down);
        QTest::keyClick(&window, Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(window.input().scrollMm, QPointF(50, 5));
        QTest::mouseClick(&window, Qt::RightButton);
        EXPECT_NEAR(window.zoom(), 1.98, 1e-9);
        window.resize(500, 640);
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
    }
    PreviewWindow again(db, settings, prompter);
    EXPECT_NEAR(again.zoom(), 1.98, 1e-9);
    again.open(test::printTestLabel(), record);
    EXPECT_EQ(again.input().scrollMm, QPointF(50, 5));
    EXPECT_NEAR(again.width(), 500, 2);
    EXPECT_NEAR(again.height(), 640, 2);
}

TEST_F(PreviewWindowFixture, AutomaticNveShowsTheNextNumberAndReservesNothing) {
    {
        const auto held = lockNveBase(db, QStringLiteral("4012345"), 41);
        held->release(41);
    }
    settings.writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE"), 1);
    PreviewWindow window(db, settings, prompter);
    window.open(test::printTestLabel(), SettingsRecord{});
    EXPECT_EQ(window.input().firstRunning, 42);
    EXPECT_EQ(storedHighest(db, QStringLiteral("4012345")), 41);
}

// The question whether a barcode fits is the one printing asks, and its answer
// leads to the same places: the layout editor, the barcode scaling, or nowhere.
TEST_F(PreviewWindowFixture, ABarcodeThatDoesNotFitAsksAsPrintingDoes) {
    const struct {
        Answer answer;
        bool editor, scaling;
    } cases[] = {
        {Answer::Yes, true, false}, {Answer::No, false, true}, {Answer::Cancel, false, false}};
    Label label = test::printTestLabel();
    label.elements[element::FirstBarcode].left = 40; // the upper symbol starts at 80 of 148 mm
    for (const auto& c : cases) {
        PreviewWindow window(db, settings, prompter);
        bool editor = false, scaling = false;
        QObject::connect(&window, &PreviewWindow::layoutEditorWanted, [&] { editor = true; });
        QObject::connect(&window, &PreviewWindow::barcodeScalingWanted, [&] { scaling = true; });
        prompter.shown.clear();
        prompter.willAnswer(c.answer);
        window.open(label, SettingsRecord{});
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.shown.isEmpty(); }));
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_TRUE(prompter.shown[0].startsWith("Fehler: Barcode passt nicht auf das Etikett !"));
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(editor, c.editor);
        EXPECT_EQ(scaling, c.scaling);
    }
}
