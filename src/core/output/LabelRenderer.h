#pragma once
// Draws one label for one NVE onto any QPainter whose user unit is one
// millimetre: a printer page, a PDF page, the preview or an image.

#include "app/SettingsRecord.h"
#include "db/Label.h"
#include "entry/FieldRules.h"
#include "output/BarcodeData.h"
#include "output/FontChoice.h"
#include "output/Gs1Encoder.h"

#include <QImage>
#include <QRectF>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace palomex {

class Prompter;

// Label width in millimetres of a format.
int labelWidthMm(LabelFormat format);
// An element takes part in the output when it lies inside the label outline:
// its left and top at least one layout unit inside the right and bottom edge.
bool isActive(const LayoutRect& rect, const Label& label);

enum class RenderMode { Printer, Preview };

// Where the ink of one element lies on the painter (logo: element -1).
struct DrawnExtent {
    int element = 0;
    QRectF rect;
};

struct RenderOptions {
    double scale = 1.0; // output scale s
    double offsetX = 0; // label offset in millimetres
    double offsetY = 0;
    RenderMode mode = RenderMode::Printer;
    // Printable page height in millimetres; texts that would reach it are skipped.
    std::optional<double> pageHeightMm;
    // Module widths in whole device pixels, so that every bar prints equally wide;
    // otherwise (and always in the preview) at their nominal widths.
    bool devicePixels = true;
    // Called after the checks, before the first stroke; false: nothing is drawn.
    std::function<bool()> beginDrawing;
    // When set, receives the extent of every text line, symbol and picture drawn.
    std::vector<DrawnExtent>* extents = nullptr;
};

// What the user asked for when a barcode did not fit, and whether the run must end.
struct RenderOutcome {
    bool endRun = false;
    bool openLayoutEditor = false;
    bool openBarcodeScaling = false;
};

class LabelRenderer {
public:
    // Output-wide setup: fonts, line spacing, tab step, line width and the encoder
    // settings are taken from the settings once.
    LabelRenderer(const SettingsRecord& settings, Prompter& prompter);

    // Draws every active element of the label for the NVE (base and running
    // number as composed, spaces kept). fieldCode yields holDB + holDI of a data
    // field as the label holds it at that moment. Short GTIN entries of active
    // fields are completed in the label itself; the caller keeps the original.
    RenderOutcome render(QPainter& painter, Label& label, const QString& nve,
                         const FieldCode& fieldCode, const RenderOptions& options);

    // The NVE with its check digit as printed on the NVE text line.
    QString nveText(const QString& nve) const;

    // Completes an identifier 01/02 entry shorter than 14 digits with leading
    // zeros and its check digit.
    void completeGtin(DataField& field);

private:
    struct Pen;
    // Where an element's text has to end (label millimetres): before the next
    // element to its right on the same lines, or at the label's right edge.
    double rightLimit(const Label& label, int i) const;
    // Where its lines have to end: above the next element below it that starts left
    // of right (its right limit), or at the label's bottom edge (label millimetres).
    double bottomLimit(const Label& label, int i, double right) const;
    // Where the designation and the first line of content of a text element end,
    // label millimetres.
    double firstLinesBottom(const Label& label, int i) const;
    // One line from the pen's position; a line that would pass right (painter
    // units) is set smaller so that it ends there.
    void printText(Pen& pen, const QString& text, double right);
    void drawTextElement(Pen& pen, const Label& label, int i, const QString& designation,
                         const QString& content, bool multiLine);
    void drawLogo(QPainter& painter, const Label& label);
    // Whether the barcode of kind is drawn, after its data was checked and the user
    // answered the fit question; nothing when the run ends. Leaves the encoder set up.
    std::optional<bool> checkBarcode(QPainter& painter, const Label& label, BarcodeKind kind,
                                     const QString& nve, const FieldCode& fieldCode,
                                     RenderOutcome& outcome);
    // Sets the encoder up for the barcode of kind with its data; false when the
    // barcode has no data or is not on the label.
    bool setUpBarcode(QPainter& painter, const Label& label, BarcodeKind kind, const QString& data);

    SettingsRecord settings_;
    Prompter& prompter_;
    // One per barcode: a symbol set up for its check is still set up when it is drawn.
    std::array<Gs1Encoder, 3> symbols_;
    MmFontCache fonts_;
    double lineFactor_;
    RenderOptions options_;
    // What the label draws at all, as label millimetres: left, top and bottom.
    struct Occupied {
        int element;
        double left, top, bottom;
    };
    std::vector<Occupied> occupied_;
    // The two sizes of every element, read from the layout's text once per label.
    struct Sizes {
        double first, second;
    };
    std::array<Sizes, element::Count> sizes_{};
    QString logoFile_;
    QImage logo_;
};

} // namespace palomex
