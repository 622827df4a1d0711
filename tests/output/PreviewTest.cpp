#include "output/Preview.h"

#include "db/NveLock.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"
#include "ui/output/PreviewWindow.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

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

// The NVE read in each cell of a sheet of labels 105 mm wide and 60 mm high, by
// column and row, on the page scrolled by scrollMm.
std::map<std::pair<int, int>, QByteArray> cells(const QImage& image, double scrollMm) {
    const double k = kDpi / 25.4;
    std::map<std::pair<int, int>, QByteArray> found;
    for (const auto& d : decodeAll(image, 12)) {
        const QPointF mm = QPointF(d.where.center()) / k + QPointF(scrollMm, scrollMm);
        found[{int(mm.x() / 105), int(mm.y() / 60)}] = d.content;
    }
    return found;
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

TEST(PreviewDrawing, A4SheetsEndAtTheFirstSheetScrollingMovesThePageAndTheGridIsOptional) {
    test::ScriptedPrompter prompter;
    PreviewInput in;
    in.label = nveOnlyLabel();
    in.label.anzahlNVEs = QStringLiteral("30");
    in.mode = PageMode::A4Sheets;
    in.record.rasterLinien = false;
    const QImage plain = drawn(in, prompter);
    EXPECT_EQ(gridPixels(plain), 0);
    // Four rows of two labels fill the sheet: a fifth would reach 300 mm.
    const auto sheet = cells(plain, 0);
    EXPECT_EQ(sheet.size(), 8u);
    for (const auto& [at, content] : sheet)
        EXPECT_EQ(content, nveSymbol(2 * at.second + at.first + 1)) << at.first << "/" << at.second;
    in.scrollMm = QPointF(20, 20);
    EXPECT_EQ((cells(drawn(in, prompter), 20)[{1, 1}]), nveSymbol(4));
    in.record.rasterLinien = true;
    EXPECT_GT(gridPixels(drawn(in, prompter)), 1000);
}

// A label the print refuses is not drawn; the preview says why in the print's words.
TEST(PreviewDrawing, WhatThePrintRefusesIsToldAndNotDrawn) {
    const struct {
        int row;
        const char* identifier;
        const char* content;
        const char* told;      // nullptr: drawn
        bool counting = false; // counts up with each of two NVEs
    } cases[] = {
        {1, "(01) GTIN der Handelseinheit |¤N=14", "04012345678902",
         "Im Feld (01) \"Feld\" stimmt die Prüfziffer nicht: eingegeben ist 2, richtig wäre 1: "
         "\"04012345678902\""},
        {1, "(01) GTIN der Handelseinheit |¤N=14", "04012345678901", nullptr},
        {2, "(37) Anzahl enthaltene Einheiten               |N…8", "12ab",
         "Im Feld (37) \"Feld\" sind nur Ziffern erlaubt: \"12ab\""},
        {2, "(10) Losnummer / Chargennummer |©A…20", "CHARGE-2026-XYZ-0123456789-LONG",
         "Im Feld (10) \"Feld\" sind höchstens 20 Zeichen möglich: "
         "\"CHARGE-2026-XYZ-0123456789-LONG\""},
        {2, "(10) Losnummer / Chargennummer |©A…20", "CHARGE-2026-XYZ-0099", nullptr, true},
        {2, "(10) Losnummer / Chargennummer |©A…20", "CHARGE-2026-XYZ-9999",
         "Im Feld (10) \"Feld\" sind höchstens 20 Zeichen möglich: \"CHARGE-2026-XYZ-10000\"",
         true},
    };
    for (const auto& c : cases) {
        test::ScriptedPrompter prompter;
        PreviewInput in;
        in.label = test::printTestLabel();
        in.record.rasterLinien = false;
        DataField& f = in.label.fields[c.row];
        f.identifier = QString::fromUtf8(c.identifier);
        f.caption = QStringLiteral("Feld");
        f.content = QString::fromUtf8(c.content);
        f.autoValue = c.counting;
        f.days = 1;
        in.label.anzahlNVEs = QStringLiteral("2");
        const auto symbols = decodeAll(drawn(in, prompter), 3);
        EXPECT_EQ(prompter.shown.value(0), QString::fromUtf8(c.told ? c.told : "")) << c.content;
        EXPECT_EQ(prompter.shown.size(), c.told ? 1 : 0) << c.content;
        EXPECT_EQ(symbols.size(), c.told ? 0u : 3u) << c.content;
    }
}

struct PreviewWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
};

// With automatic numbering the window shows the next number and reserves nothing.
TEST_F(PreviewWindowFixture, KeysZoomAndScrollAndReopeningRestoresWhereItWas) {
    lockNveBase(db, QStringLiteral("4012345"), 41)->release(41);
    settings.writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE"), 1);
    SettingsRecord record;
    {
        PreviewWindow window(db, settings, prompter);
        window.open(test::printTestLabel(), record);
        EXPECT_EQ(window.input().firstRunning, 42);
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
        EXPECT_TRUE(prompter.shown[0].contains("Rechter Rand des Etiketts    = 148 mm."));
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(editor, c.editor);
        EXPECT_EQ(scaling, c.scaling);
    }
}
