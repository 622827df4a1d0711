#include "db/InitialLayout.h"

#include "app/Captions.h"
#include "db/LabelStrings.h"

#include <cmath>

namespace palomex {

namespace {

struct Place {
    double left, top, width, height; // label millimetres
};

// Elements 0 to 19; every one of them lies inside the outline of the large format.
constexpr Place kPlaces[] = {
    {16.9, 1.1, 34.3, 16.1},   {55.0, 1.1, 34.3, 16.1},   {55.0, 80.4, 34.3, 11.0},
    {4.2, 30.4, 34.3, 11.0},   {55.0, 30.4, 34.3, 11.0},  {4.2, 44.0, 34.3, 11.0},
    {55.0, 44.0, 34.3, 11.0},  {4.2, 55.0, 34.3, 11.0},   {55.0, 55.0, 34.3, 11.0},
    {4.2, 67.7, 34.3, 11.0},   {55.0, 67.7, 34.3, 11.0},  {4.2, 80.4, 34.3, 11.0},
    {2.1, 93.1, 30.1, 11.0},   {35.1, 93.1, 30.1, 11.0},  {68.6, 93.1, 30.1, 11.0},
    {4.2, 118.5, 5.5, 19.5},   {3.4, 16.9, 72.4, 11.0},   {10.0, 110.1, 72.4, 30.1},
    {10.0, 143.9, 72.4, 30.1}, {14.0, 182.0, 72.4, 34.3},
};

constexpr double kSmallExtrasTopMm = 58.5;

// Layout units with the one decimal a stored row keeps, so that a new label
// comes back from the table exactly as it went in.
double units(double mm) {
    return std::round(mm * 5) / 10;
}

void put(LayoutElement& e, const Place& p) {
    e.left = units(p.left);
    e.top = units(p.top);
    e.width = units(p.width);
    e.height = units(p.height);
}

} // namespace

void applyInitialLayout(Label& label) {
    int i = 0;
    for (const Place& p : kPlaces)
        put(label.elements[i++], p);
    // The logo's corner of the head, until the editor places it.
    label.logo = {1, 1, 15, 8};
    // The lines start off the outline, one step apart, until the user places them.
    for (int k = 0; k < 6; ++k)
        put(label.elements[element::FirstHorizontalLine + k],
            {114.3 + 4.2 * k, 220.1 + 4.2 * k, k == 5 ? 89.3 : 93.5, 1.7});
    for (int k = 0; k < 4; ++k)
        put(label.elements[element::FirstVerticalLine + k],
            {207.4 + 4.2 * k, 186.2 + 4.2 * k, 1.7, 30.1});
}

void applyNewLabelDefaults(Label& label) {
    struct Tops {
        int height;
        double upper, lower, nve; // label millimetres; 0: the format has no such barcode
    };
    const Tops tops = label.format == LabelFormat::Large   ? Tops{210, 110, 140, 170}
                      : label.format == LabelFormat::Small ? Tops{148, 78, 0, 110}
                                                           : Tops{74, 0, 0, 34};
    label.height = tops.height;
    const double barcodeTops[] = {tops.upper, tops.lower, tops.nve};
    for (int k = 0; k < 3; ++k) {
        if (barcodeTops[k] > 0)
            label.elements[element::FirstBarcode + k].top = barcodeTops[k] / 2;
    }
    // The small label's upper barcode stands where the additional texts start on
    // the large one; they go into the free band above it, under the data fields.
    for (int i = element::FirstExtra; i < element::NveVertical; ++i)
        label.elements[i].top =
            units(label.format == LabelFormat::Small ? kSmallExtrasTopMm : kPlaces[i].top);
    const auto sizes = [&label](int from, int to, double first, double second) {
        for (int i = from; i <= to; ++i) {
            LayoutElement& e = label.elements[i];
            e.setState(first, second, e.thirdPart());
        }
    };
    sizes(element::Sender, element::Receiver, 8, 8);
    sizes(element::FirstField, element::FirstExtra - 1, 12, 24);
    sizes(element::FirstExtra, element::NveVertical - 1, 12, 12);
    sizes(element::NveVertical, element::NveVertical, 18, 18);
    sizes(element::NveLine, element::NveLine, 12, 24);
    sizes(element::FirstBarcode, element::FirstBarcode + 1, 11, 27);
    sizes(element::FirstBarcode + 2, element::FirstBarcode + 2, 11, 32);
}

bool designationsInCaptionLanguage(Label& label) {
    const Captions& texts = Captions::global();
    bool changed = false;
    const auto follow = [&](QString& designation, int id, const QString& number) {
        const auto inLanguage = [&](int offset) {
            return texts.raw(id + offset).replace(QStringLiteral("%1"), number);
        };
        const QString wanted = caption(id).replace(QStringLiteral("%1"), number);
        if (designation != wanted &&
            (designation == inLanguage(0) || designation == inLanguage(1000))) {
            designation = wanted;
            changed = true;
        }
    };
    follow(label.parties[0].caption, msg::SenderDesignation, {});
    follow(label.parties[1].caption, msg::ReceiverDesignation, {});
    for (int i = 0; i < Label::kExtraCount; ++i)
        follow(label.extras[i].caption, msg::ExtraDesignation, QString::number(i));
    return changed;
}

Label newLabelOf(LabelFormat format) {
    Label l;
    l.format = format;
    applyInitialLayout(l);
    applyNewLabelDefaults(l);
    return l;
}

void takeFormat(Label& label, LabelFormat format) {
    const Label before = newLabelOf(label.format);
    const Label after = newLabelOf(format);
    label.format = format;
    if (label.height == before.height)
        label.height = after.height;
    for (int e = 0; e < element::Count; ++e) {
        if (label.elements[e].top == before.elements[e].top)
            label.elements[e].top = after.elements[e].top;
    }
}

Label initialLabel() {
    Label l = newLabelOf(Label{}.format);
    designationsInCaptionLanguage(l);
    return l;
}

Label storedNewLabel(LabelFormat format) {
    Label l = newLabelOf(format);
    // Only lines keep a size in the row, their length; the others take theirs from
    // what they draw.
    for (int e = 0; e < element::Count; ++e) {
        LayoutElement& x = l.elements[e];
        if (e < element::FirstVerticalLine)
            x.height = 0;
        if (e < element::FirstHorizontalLine || e >= element::FirstVerticalLine)
            x.width = 0;
    }
    return l;
}

} // namespace palomex
