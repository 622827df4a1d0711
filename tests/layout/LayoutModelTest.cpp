#include "layout/LayoutModel.h"
#include "db/InitialLayout.h"
#include "output/LabelRenderer.h"

#include <gtest/gtest.h>

using namespace palomex;

namespace {

constexpr QSizeF kArea{160, 150};

Label labelOf(LabelFormat format, int height) {
    Label l;
    l.format = format;
    l.height = height;
    applyInitialLayout(l);
    return l;
}

QPointF centre(const LayoutElement& e) {
    return {e.left + e.width / 2, e.top + e.height / 2};
}

// Grabs the element in its middle and lets it go moved by delta (layout units).
void drag(LayoutModel& m, int i, QPointF delta) {
    const QPointF from = centre(m.label().elements[i]);
    m.press(from);
    ASSERT_EQ(m.selected(), i);
    m.dragTo(from + delta / 2);
    m.dragTo(from + delta);
    m.release();
}

} // namespace

// Dragged past the right or bottom edge of the outline less one unit, an element
// is switched off; at the left and top edges and the panel it stops.
TEST(LayoutModel, DraggedElementsStopOrSwitchOffAtTheOutline) {
    // Small format: outline 52.5 wide, 74 high (layout units); the panel at 160.
    const struct {
        const char* name;
        QPointF to;       // where the element is dragged to
        double left, top; // where it lands; negative: as dragged
        bool active;
    } cases[] = {
        {"just inside right", {51.4, 10}, -1, -1, true},
        {"past right edge minus one", {51.6, 10}, -1, -1, false},
        {"well outside right", {90, 10}, -1, -1, false},
        {"just inside bottom", {10, 72.9}, -1, -1, true},
        {"past bottom edge minus one", {10, 73.1}, -1, -1, false},
        {"left of outline", {-20, 10}, 0, -1, true},
        {"above outline", {10, -30}, -1, 0, true},
        {"up and left", {-20, -30}, 0, 0, true},
        {"past the panel", {300, 10}, 1e9, -1, false}, // right edge at the panel
    };
    for (const auto& c : cases) {
        Label l = labelOf(LabelFormat::Small, 148);
        LayoutModel m(l, kArea);
        const int i = element::FirstField + 1;
        const LayoutElement start = l.elements[i];
        drag(m, i, c.to - QPointF(start.left, start.top));
        const double left = c.left < 0     ? c.to.x()
                            : c.left > 1e8 ? kArea.width() - start.width
                                           : c.left;
        EXPECT_NEAR(l.elements[i].left, left, 1e-9) << c.name;
        EXPECT_NEAR(l.elements[i].top, c.top < 0 ? c.to.y() : c.top, 1e-9) << c.name;
        EXPECT_EQ(isActive(l.elements[i], l), c.active) << c.name;
        EXPECT_EQ(m.panel().active, c.active) << c.name;
        EXPECT_EQ(m.panel().stateLine, c.active ? QStringLiteral("Element (aktiviert)")
                                                : QStringLiteral("Element (deaktiviert)"))
            << c.name;
        // And back to where it came from: printed again.
        drag(m, i, QPointF(start.left, start.top) - QPointF(l.elements[i].left, l.elements[i].top));
        EXPECT_TRUE(isActive(l.elements[i], l)) << c.name;
    }
}

TEST(LayoutModel, LinesGrabbedAtTheirEndChangeLength) {
    const struct {
        const char* name;
        int line;
        double grabAt; // fraction of the length from the start
        QPointF delta;
        bool resizes;
    } cases[] = {
        {"horizontal near its end", element::FirstHorizontalLine, 0.95, {-10, 0}, true},
        {"horizontal grows", element::FirstHorizontalLine + 1, 0.95, {5, 0}, true},
        {"horizontal in the middle", element::FirstHorizontalLine, 0.5, {-10, 0}, false},
        {"horizontal short of the last tenth", element::FirstHorizontalLine, 0.85, {-10, 0}, false},
        {"vertical near its end", element::FirstVerticalLine, 0.95, {0, -8}, true},
        {"vertical in the middle", element::FirstVerticalLine + 2, 0.4, {0, -8}, false},
    };
    for (const auto& c : cases) {
        Label l = labelOf(LabelFormat::Large, 210);
        LayoutModel m(l, kArea);
        const LayoutElement start = l.elements[c.line];
        const bool horizontal = c.line < element::FirstVerticalLine;
        const QPointF at =
            horizontal ? QPointF(start.left + c.grabAt * start.width, start.top + start.height / 2)
                       : QPointF(start.left + start.width / 2, start.top + c.grabAt * start.height);
        m.press(at);
        ASSERT_EQ(m.selected(), c.line) << c.name;
        m.dragTo(at + c.delta);
        m.release();
        const LayoutElement& e = l.elements[c.line];
        // Grabbed at its end a line keeps its start; elsewhere it keeps its length.
        const double moved = c.resizes ? 0 : 1;
        EXPECT_NEAR(e.left, start.left + moved * c.delta.x(), 1e-9) << c.name;
        EXPECT_NEAR(e.top, start.top + moved * c.delta.y(), 1e-9) << c.name;
        EXPECT_NEAR(e.width, start.width + (1 - moved) * c.delta.x(), 1e-9) << c.name;
        EXPECT_NEAR(e.height, start.height + (1 - moved) * c.delta.y(), 1e-9) << c.name;
    }
}

TEST(LayoutModel, HeightOutsideTheFormatFallsBackToItsLargest) {
    const struct {
        LabelFormat format;
        int typed, kept;
    } cases[] = {
        {LabelFormat::Small, 0, 148},   {LabelFormat::Small, 300, 148},
        {LabelFormat::Small, 149, 148}, {LabelFormat::Small, 148, 148},
        {LabelFormat::Small, 100, 100}, {LabelFormat::NveOnly, 200, 148},
        {LabelFormat::NveOnly, 74, 74}, {LabelFormat::Large, 0, 210},
        {LabelFormat::Large, 230, 210}, {LabelFormat::Large, 180, 180},
        {LabelFormat::Large, -5, 210},
    };
    for (const auto& c : cases) {
        Label l = labelOf(c.format, 120);
        LayoutModel m(l, kArea);
        EXPECT_EQ(m.setHeight(c.typed), c.kept) << int(c.format) << " " << c.typed;
        EXPECT_EQ(l.height, c.kept);
        EXPECT_DOUBLE_EQ(m.outline().height(), c.kept / 2.0);
        EXPECT_TRUE(m.changed());
    }
}

TEST(LayoutModel, PanelBoxesWriteTheStateValueAndThePosition) {
    const struct {
        int element;
        QString first, second;
        bool horz;
        QString designation;
        QString state;
        bool horizontal;
        QString shownDesignation;
    } cases[] = {
        {element::FirstField + 3, "6", "10", true, "", "6|10|Horz", true, "NVE"},
        {element::FirstField + 3, "14", "20", false, "", "14|20|", false, "NVE"},
        {element::Sender, "8", "9", true, "ignored", "8|9|Horz", true, "Horz"},
        {element::FirstBarcode, "11", "27", true, "", "11|27|", false, "NVE"},
        {element::NveVertical, "18", "18", true, "SSCC", "18|18|SSCC", false, "SSCC"},
        {element::NveLine, "12", "24", false, "", "12|24|", false, "NVE"},
    };
    for (const auto& c : cases) {
        Label l = labelOf(LabelFormat::Large, 210);
        LayoutModel m(l, kArea);
        m.select(c.element);
        m.writeState(c.first, c.second, c.horz, c.designation);
        const LayoutElement& e = l.elements[c.element];
        EXPECT_EQ(e.state, c.state) << c.element;
        // The position boxes take label millimetres.
        m.placeSelected(31, 101);
        EXPECT_DOUBLE_EQ(e.left, 15.5);
        EXPECT_DOUBLE_EQ(e.top, 50.5);
        const LayoutPanel p = m.panel();
        EXPECT_EQ(p.leftMm, 31);
        EXPECT_EQ(p.topMm, 101);
        EXPECT_EQ(p.first, c.first);
        EXPECT_EQ(p.second, c.second);
        EXPECT_EQ(p.horz, c.horizontal);
        if (c.element == element::NveVertical || c.element == element::NveLine) {
            EXPECT_TRUE(p.designationShown);
            EXPECT_EQ(p.designation, c.shownDesignation);
        }
    }
}

TEST(LayoutModel, CaptionsAndVisibilityFollowTheLabel) {
    Label l = labelOf(LabelFormat::Small, 148);
    l.fields[1].identifier = QStringLiteral("(01) GTIN der Handelseinheit |¤N=14");
    l.fields[1].caption = QStringLiteral("GTIN");
    EXPECT_EQ(elementCaption(l, element::FirstField + 1), QStringLiteral("(01) \nGTIN"));
    EXPECT_EQ(elementCaption(l, element::NveVertical), QStringLiteral("N\nV\nE"));
    EXPECT_EQ(elementCaption(l, element::FirstBarcode + 2),
              QStringLiteral("Barcode NVE\n") + QString(40, u'|'));

    const struct {
        LabelFormat format;
        bool upper, lower, extras, field0;
    } cases[] = {
        {LabelFormat::NveOnly, false, false, false, false},
        {LabelFormat::Small, true, false, true, false},
        {LabelFormat::Large, true, true, true, true},
    };
    for (const auto& c : cases) {
        l.format = c.format;
        // A barcode the format does not print cannot be grabbed where it lies.
        LayoutModel m(l, kArea);
        m.press(centre(l.elements[element::FirstBarcode]) + QPointF(0, 5));
        EXPECT_EQ(m.selected() == element::FirstBarcode, c.upper) << int(c.format);
        EXPECT_EQ(elementShown(l, element::FirstBarcode), c.upper) << int(c.format);
        EXPECT_EQ(elementShown(l, element::FirstBarcode + 1), c.lower) << int(c.format);
        EXPECT_TRUE(elementShown(l, element::FirstBarcode + 2)) << int(c.format);
        EXPECT_EQ(elementShown(l, element::FirstExtra), c.extras) << int(c.format);
        EXPECT_EQ(elementShown(l, element::FirstField), c.field0) << int(c.format);
    }
}
