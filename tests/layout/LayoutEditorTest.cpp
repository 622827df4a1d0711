#include "ui/layout/LayoutEditor.h"
#include "layout/LayoutDrawing.h"
#include "output/LabelRenderer.h"
#include "output/PrintJob.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;

namespace {

struct LayoutEditorWindow : ::testing::Test {
    ScriptedPrompter prompter;
    LayoutEditor editor{prompter};
    Label label = palomex::test::printTestLabel();
    int changes = 0;

    void SetUp() override {
        label.height = 210;
        editor.resize(900, 600);
        editor.open(&label, SettingsRecord{}, [this] { ++changes; });
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }

    QPoint centreOf(int i) const {
        const LayoutElement& e = label.elements[i];
        return editor.toCanvas(QPointF(e.left + e.width / 2, e.top + e.height / 2));
    }
    // Canvas pixels per layout unit.
    double unitPx() const { return editor.toCanvas(QPointF(100, 0)).x() / 100.0; }

    void dragBy(int i, QPoint px) {
        QWidget* c = editor.canvas();
        const QPoint from = centreOf(i);
        QTest::mousePress(c, Qt::LeftButton, {}, from);
        QTest::mouseMove(c, from + px / 2);
        QTest::mouseMove(c, from + px);
        QTest::mouseRelease(c, Qt::LeftButton, {}, from + px);
    }
};

} // namespace

TEST_F(LayoutEditorWindow, MouseDragMovesTheElementAndTheKeysUndoAndRedoIt) {
    const Label original = label;
    dragBy(element::Sender, QPoint(40, 40));
    const Label afterDrag = label;
    const LayoutElement start = label.elements[element::Receiver];
    dragBy(element::Receiver, QPoint(-60, 90));
    const LayoutElement& moved = label.elements[element::Receiver];
    const double tolerance = 1.0 / unitPx() + 1e-9;
    EXPECT_NEAR(moved.left, start.left - 60 / unitPx(), tolerance);
    EXPECT_NEAR(moved.top, start.top + 90 / unitPx(), tolerance);
    EXPECT_TRUE(editor.layoutChanged());
    EXPECT_GT(changes, 0);
    EXPECT_EQ(editor.findChild<QLabel*>(QStringLiteral("Index"))->text(), QStringLiteral("1"));
    EXPECT_EQ(editor.findChild<QLineEdit*>(QStringLiteral("Links"))->text(),
              QString::number(qRound(2 * moved.left)));
    ASSERT_NE(afterDrag, original);
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(label, afterDrag);
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(label, original);
    QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(label, afterDrag);
    // A new edit after an undo drops what could have been redone.
    dragBy(element::Sender, QPoint(10, 0));
    const Label afterNewEdit = label;
    QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(label, afterNewEdit);
}

TEST_F(LayoutEditorWindow, ResetTellsReloadsAndTheElementsCanBeGrabbedAgain) {
    // The label as stored keeps no extents of its texts and barcodes.
    Label stored = label;
    for (int i = 0; i < element::FirstHorizontalLine; ++i)
        stored.elements[i].width = stored.elements[i].height = 0;
    int reloads = 0;
    editor.open(&label, SettingsRecord{}, {}, [&] {
        ++reloads;
        label = stored;
    });
    QTest::mouseClick(editor.findChild<QWidget*>(QStringLiteral("Zuruecksetzen")), Qt::LeftButton);
    EXPECT_EQ(reloads, 1);
    const double left = label.elements[element::Sender].left;
    dragBy(element::Sender, QPoint(qRound(10 * unitPx()), 0));
    EXPECT_NEAR(label.elements[element::Sender].left, left + 10, 1);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(
        prompter.shown[0],
        QStringLiteral("Etikett [Palette groß] wurde auf gespeicherten Stand zurückgesetzt."));
}

// The first and the last dark pixel along a pixel row, from x0 to x1.
std::pair<int, int> inkAlongRow(const QImage& image, int y, int x0, int x1) {
    int first = -1, last = -1;
    for (int x = std::max(0, x0); x <= std::min(x1, image.width() - 1); ++x) {
        if (qGray(image.pixel(x, y)) < 64) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return {first, last};
}

// The editor shows the label at half size as it prints: a symbol that fits on
// the printed label ends inside the outline, also on a coarse screen.
TEST_F(LayoutEditorWindow, BarcodesAreDrawnAsWideAsPrinted) {
    constexpr int dpi = 300;
    QImage page = palomex::test::blankImage(148, 210, dpi);
    {
        QPainter p(&page);
        p.scale(dpi / 25.4, dpi / 25.4);
        LabelRenderer renderer(SettingsRecord{}, prompter);
        RenderOutcome outcome;
        // As the built-in PDF writer prints: modules at their nominal widths.
        LabelPlacement placement;
        placement.devicePixels = false;
        rendererPainter(renderer, RenderMode::Printer, outcome)(p, label, shownNve(label),
                                                                placement);
    }
    const QImage shown = editor.canvas()->grab().toImage();
    const int outlineLeft = editor.toCanvas(QPointF(0, 0)).x();
    const int outlineRight = editor.toCanvas(QPointF(labelWidthMm(label.format) / 2.0, 0)).x();
    const double unit = unitPx();
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        // A row through the bars, a layout unit below the symbol's top.
        const double rowUnits = label.elements[element::FirstBarcode + k].top + 1.5;
        const auto [printedFirst, printedLast] =
            inkAlongRow(page, qRound(2 * rowUnits * dpi / 25.4), 0, page.width());
        // Inside the outline, whose own edges are black too.
        const int y = editor.toCanvas(QPointF(0, rowUnits)).y();
        const auto [first, last] = inkAlongRow(shown, y, outlineLeft + 2, outlineRight - 2);
        ASSERT_GE(first, 0) << "no bars drawn";
        EXPECT_EQ(inkAlongRow(shown, y, outlineRight + 2, shown.width()).first, -1)
            << "drawn past the outline";
        const double printedMm = (printedLast - printedFirst + 1) * 25.4 / dpi;
        EXPECT_NEAR((last - first + 1) / unit * 2, printedMm, 2 * 2 / unit);
    }
}

// A size box takes only a number: what else is typed or pasted never reaches the
// label as some other size.
TEST_F(LayoutEditorWindow, SizeBoxesTakeOnlyNumbers) {
    const struct {
        const char* input;
        bool pasted;
        const char* shown;
        double barHeight;
    } cases[] = {
        {"abc", false, "", 24}, // an empty box means the default
        {"3a0", false, "30", 30}, {"12,5", false, "12,5", 12.5},
        {"1x", true, "", 24},     {"18", true, "18", 18},
    };
    QTest::mouseClick(editor.canvas(), Qt::LeftButton, {}, centreOf(element::FirstBarcode));
    auto* box = editor.findChild<QLineEdit*>(QStringLiteral("SchriftgrText"));
    ASSERT_TRUE(box->isEnabled());
    for (const auto& c : cases) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        if (c.pasted) {
            QApplication::clipboard()->setText(QString::fromLatin1(c.input));
            box->paste();
        } else {
            QTest::keyClicks(box, QString::fromLatin1(c.input));
        }
        EXPECT_EQ(box->text(), QString::fromLatin1(c.shown)) << c.input;
        EXPECT_EQ(label.elements[element::FirstBarcode].secondSize(), c.barHeight) << c.input;
    }
}
