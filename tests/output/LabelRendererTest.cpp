#include "output/LabelRenderer.h"
#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;

namespace {

std::string withCheck(const std::string& digits) {
    return digits + palomex::test::referenceCheckDigit(digits);
}

// A large label with every element off the outline; tests put back what they use.
Label emptyLargeLabel() {
    Label label;
    label.format = LabelFormat::Large;
    label.height = 210;
    for (LayoutElement& e : label.elements) {
        e.left = 200;
        e.top = 200;
    }
    return label;
}

void place(Label& label, int element, double left, double top, double first, double second,
           const QString& third = {}) {
    LayoutElement& e = label.elements[element];
    e.left = left;
    e.top = top;
    e.setState(first, second, third);
}

SettingsRecord settings() {
    SettingsRecord s;
    s.schriftart = QStringLiteral("Arial");
    return s;
}

constexpr int kDpi = 300;
constexpr double k = kDpi / 25.4;

struct Rendered {
    QImage image;
    QStringList shown; // what the user was told
};

// The label drawn on a page of 148 x 210 mm as a printer of 300 dpi draws it.
Rendered rendered(Label& label) {
    ScriptedPrompter prompter;
    LabelRenderer renderer(settings(), prompter);
    Rendered r{palomex::test::blankImage(148, 210, kDpi), {}};
    QPainter painter(&r.image);
    painter.scale(k, k);
    renderer.render(painter, label, QStringLiteral("340123450000000001"),
                    [](int) { return QString(); }, {});
    r.shown = prompter.shown;
    return r;
}

// The dark pixels inside a rectangle given in millimetres.
QRect inkBounds(const QImage& image, const QRectF& mm) {
    QRect box;
    for (int y = qMax(0, int(mm.top() * k)); y < qMin(image.height(), int(mm.bottom() * k)); ++y)
        for (int x = qMax(0, int(mm.left() * k)); x < qMin(image.width(), int(mm.right() * k)); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(LabelRenderer, LinesAndTextsLandAtTheirMillimetres) {
    Label label = emptyLargeLabel();
    label.elements[element::FirstHorizontalLine].left = 10;
    label.elements[element::FirstHorizontalLine].top = 20;
    label.elements[element::FirstHorizontalLine].width = 30;
    label.elements[element::FirstVerticalLine].left = 50;
    label.elements[element::FirstVerticalLine].top = 5;
    label.elements[element::FirstVerticalLine].height = 10;
    place(label, element::FirstField + 4, 30, 30, 0, 20); // content only
    label.fields[4].content = QStringLiteral("HHH");
    const QImage image = rendered(label).image;

    const QRect h = inkBounds(image, QRectF(0, 35, 148, 10));
    EXPECT_NEAR(h.left(), 20 * k, 1);
    EXPECT_NEAR(h.right() + 1, 80 * k, 1);
    EXPECT_NEAR(h.center().y(), 40 * k, 2);
    EXPECT_NEAR(h.height(), 5, 1); // Linienstärke 5 at scale 1: five pixels

    const QRect v = inkBounds(image, QRectF(95, 0, 10, 35));
    EXPECT_NEAR(v.top(), 10 * k, 1);
    EXPECT_NEAR(v.bottom() + 1, 30 * k, 1);
    EXPECT_NEAR(v.center().x(), 100 * k, 2);

    // The text's top left is the element's position; a capital starts a little
    // below the top of the line (the font's internal leading).
    const QRect t = inkBounds(image, QRectF(55, 55, 60, 20));
    // and starts after the capital's side bearing, well under a millimetre
    EXPECT_GE(t.left(), 60 * k);
    EXPECT_LT(t.left(), 61 * k);
    EXPECT_GE(t.top(), 60 * k);
    EXPECT_LT(t.top(), 62.5 * k);
    // 20 pt capitals are about 5 mm high.
    EXPECT_NEAR(t.height() / k, 20 * 25.4 / 72 * 0.716, 0.5);

    // A line with a neighbour close to its right is set smaller, but not below 5 pt.
    Label squeezed = emptyLargeLabel();
    place(squeezed, element::FirstField + 5, 10, 95, 0, 20);
    place(squeezed, element::FirstField + 6, 11, 95, 0, 20);
    squeezed.fields[5].content = QStringLiteral("HHHHHHHHHH");
    squeezed.fields[6].content = QStringLiteral("H");
    const QRect least = inkBounds(rendered(squeezed).image, QRectF(20, 190, 1.9, 10));
    EXPECT_GT(least.height() / k, 5 * 25.4 / 72 * 0.716 - 0.1);
}

TEST(LabelRenderer, DesignationAndContentPlacement) {
    for (bool horz : {false, true}) {
        Label label = emptyLargeLabel();
        place(label, element::FirstField, 10, 10, 10, 10, horz ? "Horz" : "");
        label.fields[0].caption = QStringLiteral("MMMM");
        // A line separator that came in with the content ends nothing of it.
        label.fields[0].content = QStringLiteral("WW\u2028WW");
        const QRect all = inkBounds(rendered(label).image, QRectF(15, 15, 80, 20));
        SCOPED_TRACE(horz ? "Horz" : "below");
        if (horz) {
            // one line, twice as wide as one word plus a space
            EXPECT_LT(all.height() / k, 4.0);
            EXPECT_GT(all.width() / k, 2 * 12.0);
        } else {
            // two lines at 0.8 of the line height apart, each as wide as one word
            EXPECT_GT(all.height() / k, 10 * 25.4 / 72 * 0.8);
            EXPECT_LT(all.width() / k, 15.0);
        }
    }
}

TEST(LabelRenderer, GtinCompletion) {
    struct Row {
        const char* identifier;
        QString content, expected;
    };
    const std::vector<Row> rows = {
        {"(01) GTIN", "4012345123456", QString::fromStdString(withCheck("4012345123456"))},
        {"(02) GTIN", "12345", QString::fromStdString(withCheck("0000000012345"))},
        {"(01) GTIN", "40123451234563", "40123451234563"},
        {"(01) GTIN", "4012 345 12345",
         "04012 345 12345" + QString(withCheck("0401234512345").back())},
        {"(02) GTIN", "*401234512345",
         "*401234512345" + QString(withCheck("0401234512345").back())},
        {"(01) GTIN", "", ""},
        {"(10) Charge", "12345", "12345"},
        {"(01) GTIN", "40123A", "40123A"},
    };
    ScriptedPrompter prompter;
    LabelRenderer renderer(settings(), prompter);
    for (const Row& r : rows) {
        DataField field;
        field.identifier = r.identifier;
        field.content = r.content;
        renderer.completeGtin(field);
        EXPECT_EQ(field.content, r.expected) << r.content.toStdString();
    }
}

TEST(LabelRenderer, MissingLogoIsReportedAndLabelStillDrawn) {
    Label label = emptyLargeLabel();
    label.logoFile = QStringLiteral("/nonexistent/logo.png");
    label.logo = {5, 5, 20, 10};
    place(label, element::FirstField, 10, 30, 0, 12);
    label.fields[0].content = QStringLiteral("X");
    const Rendered r = rendered(label);
    ASSERT_EQ(r.shown.size(), 1);
    EXPECT_EQ(r.shown[0], "Die Bilddatei: \n/nonexistent/logo.png\nkonnte nicht geöffnet werden.");
    EXPECT_FALSE(inkBounds(r.image, QRectF(15, 55, 30, 15)).isEmpty());
}

} // namespace
