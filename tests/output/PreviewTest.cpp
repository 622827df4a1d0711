#include "output/Preview.h"

#include "app/Captions.h"
#include "db/NveLock.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"
#include "ui/output/PreviewWindow.h"

#include <QPainter>
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

TEST(PreviewDrawing, SingleLabelsShowTheFirstLabelOnly) {
    test::ScriptedPrompter prompter;
    PreviewInput in;
    in.label = test::printTestLabel();
    in.label.anzahlNVEs = QStringLiteral("5");
    in.mode = PageMode::SingleLabels;
    in.firstRunning = 41;
    in.record.rasterLinien = false;
    const QImage image = drawn(in, prompter);
    const auto symbols = test::printTestSymbols(image, kDpi);
    EXPECT_EQ(symbols.back(), nveSymbol(41));
    EXPECT_TRUE(decodeAll(image.copy(0, image.height() * 230 / 300, image.width(),
                                     image.height() * 70 / 300))
                    .empty())
        << "nothing below the first label";
    EXPECT_TRUE(prompter.shown.isEmpty());
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
