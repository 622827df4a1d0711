#include "layout/LayoutModel.h"

#include "app/Captions.h"
#include "db/InitialLayout.h"
#include "entry/FieldContent.h"
#include "output/LabelRenderer.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace palomex {

namespace {
// A line shorter than this could no longer be grabbed to make it longer again.
constexpr double kShortestLine = 1;
constexpr int kLargeHeightMm = 210;
constexpr int kSmallHeightMm = 148;

bool isText(int i) {
    return i < element::FirstBarcode;
}

bool isNveItem(int i) {
    return i == element::NveVertical || i == element::NveLine;
}

QString sizeText(double v) {
    return QString::number(v, 'g', 10);
}
} // namespace

bool isLine(int i) {
    return i >= element::FirstHorizontalLine && i < element::Count;
}

bool isHorizontalLine(int i) {
    return i >= element::FirstHorizontalLine && i < element::FirstVerticalLine;
}

bool isBarcode(int i) {
    return i >= element::FirstBarcode && i < element::FirstHorizontalLine;
}

QString elementCaption(const Label& label, int i) {
    if (i == element::Sender || i == element::Receiver)
        return label.parties[i].caption;
    if (i >= element::FirstField && i < element::FirstExtra) {
        const DataField& f = label.fields[i - element::FirstField];
        return f.identifierCode() + QStringLiteral(" \n") + f.caption;
    }
    if (i >= element::FirstExtra && i < element::NveVertical)
        return label.extras[i - element::FirstExtra].caption;
    if (i == element::NveVertical)
        return caption(layoutmsg::NveVertical);
    if (i == element::NveLine)
        return caption(layoutmsg::NveLine);
    if (isBarcode(i))
        return caption(layoutmsg::FirstBarcode + i - element::FirstBarcode) + u'\n' +
               QString(40, u'|');
    return {};
}

bool elementShown(const Label& label, int i) {
    if (i >= element::FirstField && i < element::FirstExtra)
        return fieldShown(label.format, i - element::FirstField);
    if (i >= element::FirstExtra && i < element::NveVertical)
        return label.format != LabelFormat::NveOnly;
    if (i == element::FirstBarcode)
        return label.format != LabelFormat::NveOnly;
    if (i == element::FirstBarcode + 1)
        return label.format == LabelFormat::Large;
    return i >= 0 && i < element::Count;
}

int allowedLabelHeight(LabelFormat format, int mm) {
    const int largest = format == LabelFormat::Large ? kLargeHeightMm : kSmallHeightMm;
    return mm <= 0 || mm > largest ? largest : mm;
}

void prepareForEditing(Label& label) {
    if (label.name.isEmpty())
        applyNewLabelDefaults(label);
}

LayoutModel::LayoutModel(Label& label, QSizeF areaSize) : label_(label), area_(areaSize) {
    order_.resize(element::Count);
    std::iota(order_.begin(), order_.end(), 0);
    // A stored label keeps no extents but the lines' lengths: the editor gives
    // every element the extent of its initial place so that it can be grabbed.
    Label initial;
    applyInitialLayout(initial);
    for (int i = 0; i < element::Count; ++i) {
        LayoutElement& e = label_.elements[i];
        if (e.width <= 0)
            e.width = initial.elements[i].width;
        if (e.height <= 0)
            e.height = initial.elements[i].height;
    }
}

QSizeF LayoutModel::outline() const {
    return {labelWidthMm(label_.format) / 2.0, label_.height / 2.0};
}

std::optional<int> LayoutModel::elementAt(QPointF at) const {
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        const LayoutElement& e = label_.elements[*it];
        if (!elementShown(label_, *it))
            continue;
        if (at.x() >= e.left && at.x() <= e.left + e.width && at.y() >= e.top &&
            at.y() <= e.top + e.height)
            return *it;
    }
    return std::nullopt;
}

void LayoutModel::select(int i) {
    if (i < 0 || i >= element::Count)
        return;
    selected_ = i;
    order_.erase(std::find(order_.begin(), order_.end(), i));
    order_.push_back(i);
    setgr(i);
}

void LayoutModel::press(QPointF at) {
    const auto hit = elementAt(at);
    if (!hit) {
        dragging_ = false;
        return;
    }
    select(*hit);
    const LayoutElement& e = label_.elements[*hit];
    grab_ = at - QPointF(e.left, e.top);
    if (isHorizontalLine(*hit))
        resizing_ = grab_.x() >= 0.9 * e.width;
    else
        resizing_ = isLine(*hit) && grab_.y() >= 0.9 * e.height;
    // Lengthening keeps the grab point at the same distance from the line's end.
    if (resizing_)
        grab_ = at - QPointF(e.left + e.width, e.top + e.height);
    beforeDrag_ = snapshot();
    dragging_ = true;
}

void LayoutModel::dragTo(QPointF at) {
    if (!dragging_)
        return;
    LayoutElement& e = label_.elements[selected_];
    if (resizing_ && isHorizontalLine(selected_))
        e.width = std::max(kShortestLine, at.x() - grab_.x() - e.left);
    else if (resizing_)
        e.height = std::max(kShortestLine, at.y() - grab_.y() - e.top);
    else {
        e.left = at.x() - grab_.x();
        e.top = at.y() - grab_.y();
    }
    setgr(selected_);
    changed_ = true;
}

void LayoutModel::release() {
    if (dragging_)
        record(beforeDrag_);
    dragging_ = false;
    resizing_ = false;
}

bool LayoutModel::setgr(int i) {
    LayoutElement& e = label_.elements[i];
    if (e.left < 0)
        e.left = 0;
    if (e.left + e.width > area_.width())
        e.left = std::max(0.0, area_.width() - e.width);
    if (e.top < 0)
        e.top = 0;
    // Not a rule of the outline: an element dropped below the area could not be
    // grabbed any more.
    if (e.top + e.height > area_.height())
        e.top = std::max(0.0, area_.height() - e.height);
    return isActive(e, label_);
}

LayoutPanel LayoutModel::panel() const {
    LayoutPanel p;
    p.index = selected_;
    if (selected_ < 0)
        return p;
    const int i = selected_;
    const LayoutElement& e = label_.elements[i];
    p.first = sizeText(e.firstSize());
    p.second = sizeText(e.secondSize());
    if (isText(i)) {
        p.group = caption(layoutmsg::FontSize);
        p.firstCaption = caption(layoutmsg::Designation);
        p.secondCaption = caption(layoutmsg::DataFields);
        p.horzShown = true;
        p.horz = e.horizontal();
    } else if (isBarcode(i)) {
        p.firstCaption = caption(layoutmsg::TextLine);
        p.secondCaption = caption(layoutmsg::BarHeight);
    } else {
        p.group =
            caption(isHorizontalLine(i) ? layoutmsg::HorizontalLine : layoutmsg::VerticalLine);
        p.sizesEnabled = false;
    }
    if (isNveItem(i)) {
        p.designationShown = true;
        p.designation = e.designation();
    }
    p.leftMm = int(std::lround(2 * e.left));
    p.topMm = int(std::lround(2 * e.top));
    p.active = isActive(e, label_);
    p.stateLine = caption(p.active ? layoutmsg::Active : layoutmsg::Inactive);
    return p;
}

void LayoutModel::placeSelected(double leftMm, double topMm) {
    if (selected_ < 0)
        return;
    const Snapshot before = snapshot();
    LayoutElement& e = label_.elements[selected_];
    e.left = leftMm / 2;
    e.top = topMm / 2;
    setgr(selected_);
    record(before);
}

void LayoutModel::writeState(const QString& first, const QString& second, bool horz,
                             const QString& designation) {
    if (selected_ < 0 || isLine(selected_))
        return;
    const Snapshot before = snapshot();
    const QString third = isNveItem(selected_)        ? designation
                          : horz && isText(selected_) ? QStringLiteral("Horz")
                                                      : QString();
    label_.elements[selected_].state = first + u'|' + second + u'|' + third;
    record(before);
}

int LayoutModel::setHeight(int mm) {
    const Snapshot before = snapshot();
    label_.height = allowedLabelHeight(label_.format, mm);
    changed_ = true;
    record(before);
    return label_.height;
}

void LayoutModel::restore(const Snapshot& s) {
    label_.elements = s.elements;
    label_.height = s.height;
    changed_ = true;
}

void LayoutModel::record(const Snapshot& before) {
    const Snapshot after = snapshot();
    if (after == before)
        return;
    history_.resize(done_);
    history_.emplace_back(before, after);
    done_ = history_.size();
    changed_ = true;
}

void LayoutModel::undo() {
    if (!canUndo())
        return;
    restore(history_[--done_].first);
}

void LayoutModel::redo() {
    if (!canRedo())
        return;
    restore(history_[done_++].second);
}

} // namespace palomex
