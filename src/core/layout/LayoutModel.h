#pragma once
// The layout editor without its window: selecting and dragging elements, the
// clamping to the editor area, the property panel's contents and what its boxes
// write back, the label height, undo and redo. It works on the label the main
// window holds, so the renderer always draws what the editor shows.

#include "db/Label.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace palomex {

// Identifiers of the editor's texts in the string table (524-599).
namespace layoutmsg {
inline constexpr int Caption = 524; // "Etikettenlayout " + label name
inline constexpr int Tooltip = 525;
inline constexpr int NveVertical = 526;
inline constexpr int NveLine = 527;
inline constexpr int FirstBarcode = 528; // upper, lower, NVE barcode
inline constexpr int FontSize = 531;
inline constexpr int Designation = 532;
inline constexpr int DataFields = 533;
inline constexpr int TextLine = 534;
inline constexpr int BarHeight = 535;
inline constexpr int HorizontalLine = 536;
inline constexpr int VerticalLine = 537;
inline constexpr int Horz = 538;
inline constexpr int Height = 539;
inline constexpr int Active = 540;
inline constexpr int Inactive = 541;
inline constexpr int ResetDone = 542; // %1 label name
inline constexpr int Menu = 543;
inline constexpr int Ok = 544;
inline constexpr int Reset = 545;
inline constexpr int Help = 546;
inline constexpr int Position = 547;
inline constexpr int NveDesignation = 548;
inline constexpr int Index = 549;
} // namespace layoutmsg

// The text the editor shows inside an element.
QString elementCaption(const Label& label, int i);
// Whether the editor shows the element at all: fields and additional texts the
// main window offers for the format, the barcodes the format prints.
bool elementShown(const Label& label, int i);
bool isLine(int i);
bool isHorizontalLine(int i);
bool isBarcode(int i);
// The label height as the height box keeps it: 0 or more than the format allows
// falls back to the format's largest height.
int allowedLabelHeight(LabelFormat format, int mm);
// Prepares the label for the editor: a label without a name gets the defaults of
// a new label of its format first.
void prepareForEditing(Label& label);

// What the property panel shows for the selected element.
struct LayoutPanel {
    int index = -1;
    QString group;        // caption over the size boxes
    QString firstCaption; // caption of SchriftgrBez
    QString secondCaption;
    bool sizesEnabled = true;
    QString first; // the two size values as the boxes show them
    QString second;
    bool horzShown = false;
    bool horz = false;
    bool designationShown = false;
    QString designation;
    int leftMm = 0; // label millimetres, whole
    int topMm = 0;
    bool active = true;
    QString stateLine;
};

class LayoutModel {
public:
    // areaSize: the editor area in layout units; elements are kept inside its
    // left, top and right edge.
    LayoutModel(Label& label, QSizeF areaSize);

    Label& label() { return label_; }
    const Label& label() const { return label_; }
    QSizeF area() const { return area_; }
    // The label outline in layout units.
    QSizeF outline() const;

    // The shown element under a point, the last drawn (topmost) first.
    std::optional<int> elementAt(QPointF at) const;
    // The drawing order: selecting brings an element to the front.
    const std::vector<int>& order() const { return order_; }

    void select(int i);
    int selected() const { return selected_; }
    LayoutPanel panel() const;

    // Dragging with the mouse, points in layout units. A line grabbed in the last
    // tenth of its length changes its length instead of moving.
    void press(QPointF at);
    void dragTo(QPointF at);
    void release();
    bool dragging() const { return dragging_; }
    bool resizing() const { return resizing_; }

    // Keeps element i inside the editor area; true when it is active afterwards.
    bool setgr(int i);

    // The position boxes: label millimetres.
    void placeSelected(double leftMm, double topMm);
    // The size boxes, "Horz" and the designation of the NVE items, as typed.
    void writeState(const QString& first, const QString& second, bool horz,
                    const QString& designation);
    // Returns the height actually kept.
    int setHeight(int mm);

    bool changed() const { return changed_; }
    void clearChanged() { changed_ = false; }

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < history_.size(); }
    void undo();
    void redo();

private:
    struct Snapshot {
        std::array<LayoutElement, element::Count> elements;
        int height = 0;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const { return {label_.elements, label_.height}; }
    void restore(const Snapshot& s);
    void record(const Snapshot& before);

    Label& label_;
    QSizeF area_;
    int selected_ = -1;
    std::vector<int> order_;
    bool dragging_ = false;
    bool resizing_ = false;
    QPointF grab_;
    Snapshot beforeDrag_;
    bool changed_ = false;
    std::vector<std::pair<Snapshot, Snapshot>> history_;
    std::size_t done_ = 0;
};

} // namespace palomex
