#include "db/InitialLayout.h"
#include "output/LabelRenderer.h"

#include <gtest/gtest.h>

using namespace palomex;

// What a new label prints before anyone opens the layout editor: the barcodes of
// its format inside the outline, the lines outside it.
TEST(NewLabelLayout, EveryFormatPrintsItsBarcodesAndNoLines) {
    const struct {
        LabelFormat format;
        int height;
        bool upper, lower;
    } cases[] = {
        {LabelFormat::Large, 210, true, true},
        {LabelFormat::Small, 148, true, false},
        {LabelFormat::NveOnly, 74, false, false},
    };
    for (const auto& c : cases) {
        Label l;
        l.format = c.format;
        applyInitialLayout(l);
        applyNewLabelDefaults(l);
        EXPECT_EQ(l.height, c.height);
        const LayoutElement& nve = l.elements[element::FirstBarcode + 2];
        EXPECT_TRUE(isActive(nve, l)) << int(c.format);
        EXPECT_LT(2 * nve.top + nve.secondSize(), l.height) << "the NVE bars end on the label";
        if (c.upper) {
            EXPECT_TRUE(isActive(l.elements[element::FirstBarcode], l)) << int(c.format);
        }
        if (c.lower) {
            EXPECT_TRUE(isActive(l.elements[element::FirstBarcode + 1], l)) << int(c.format);
        }
        for (int i = element::FirstHorizontalLine; i < element::Count; ++i)
            EXPECT_FALSE(isActive(l.elements[i], l)) << "line " << i;
        EXPECT_EQ(l.elements[element::NveVertical].designation(), QStringLiteral("NVE"));
    }
}
