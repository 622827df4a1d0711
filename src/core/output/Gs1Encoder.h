#pragma once
// GS1-128 symbols from our marked-up barcode data strings.
//
// A data string is a run of elements "«" AI "»" data ["¥"] ["µ"]: "¥" stands
// where a modulo-10 check digit is still to be computed, "µ" after a
// variable-length element. The encoder keeps its settings between calls, like
// one barcode control that every label output reuses: set the data, the quiet
// zones, bar height and module step, then ask for the width and draw.

#include "output/FontChoice.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;

namespace palomex {

// GS1 modulo-10 check digit of a digit string (weights 3 and 1 from the right).
// Returns '\0' when the string is empty or holds anything but digits.
QChar gs1CheckDigit(QStringView digits);

// Whether c is one of the 82 characters GS1 allows in element data.
bool isGs1Char(QChar c);

// The data string as shown to the user: AI marks become parentheses, the
// separator and check marks disappear, the check digit placeholder stays.
QString displayForm(const QString& dataString);

class Gs1Encoder {
public:
    // A symbol holds at most this many data characters and symbol characters
    // (the latter counting start, FNC1, code set changes and the check character).
    static constexpr int MaxDataChars = 48;
    static constexpr int MaxSymbolChars = 35;
    static constexpr int QuietZoneModules = 10;
    static constexpr int MaxModuleStep = 8;

    Gs1Encoder();

    void setFont(const QString& family) { fontFamily_ = family; }
    QString font() const { return fontFamily_; }
    // Micrometres taken off every bar (negative: added).
    void setBarWidthAdjust(double micrometres) { barAdjustUm_ = micrometres; }

    // Sets the data string. When it cannot be encoded, data() reads back a
    // different string: the part of the input the encoder did accept.
    void setData(const QString& dataString);
    QString data() const { return readBack_; }
    // An element string without identifier marks, such as "0µ0" of the scanner
    // test symbol: FNC1 in start position, then its characters in code set B as
    // they stand, with FNC1 where "µ" stands. Read back like setData.
    void setBareData(const QString& elementString);
    bool accepted() const { return accepted_; }
    // Why the last data string was not accepted; empty when it was.
    QString rejection() const { return rejection_; }

    void setQuietZones(bool on) { quietZones_ = on; }
    void setModuleStep(int step) { moduleStep_ = qBound(0, step, MaxModuleStep); }
    int moduleStep() const { return moduleStep_; }
    // Height of the bars alone in millimetres; the human-readable line adds its own.
    void setBarHeight(double mm) { barHeight_ = mm; }
    void setTextSize(int points) { textSize_ = points; }

    static double moduleWidthMm(int step) { return 0.25 + 0.05 * step; }
    // Device pixels per label millimetre of the surface about to be drawn on;
    // widths then report what the whole-pixel bars will really measure.
    // 0: nominal widths, and bars drawn at them in painter units (a screen too
    // coarse for whole-pixel modules still shows the printed width).
    void setDeviceResolution(double pixelsPerMm) { pxPerMm_ = pixelsPerMm; }

    // AIs in parentheses, marks removed, check digits filled in.
    QString humanReadableText() const { return humanReadable_; }

    // Symbol width in millimetres, quiet zones included when switched on.
    double symbolWidth() const;
    // Extent of the drawn symbol (bars, quiet zones, human-readable line), millimetres.
    double width() const { return symbolWidth(); }
    double height() const;
    // Height of the human-readable line, 0 without one.
    double textHeight() const;

    // Draws the symbol, enlarged by scale, with its top left corner at topLeft
    // (painter coordinates in millimetres), and returns where its bars, quiet
    // zones and human-readable line lie. With a device resolution set, module and
    // bar widths are whole device pixels so that every printed bar is equally wide.
    QRectF draw(QPainter& painter, const QPointF& topLeft, double scale = 1.0) const;

private:
    struct Parsed;
    static Parsed parse(const QString& dataString);
    static bool encodable(const QByteArray& zintInput, QVector<bool>* modules, QString* why);
    // zint builds GS1-128 only from identifiers of two to four digits, so bare
    // element strings are put together from the Code 128 table. acceptedChars: how
    // much of the string fits when it is refused.
    static bool bareSymbol(const QString& dataString, QVector<bool>* modules, QString* readable,
                           qsizetype* acceptedChars, QString* why);
    double moduleOnDevice() const;

    QString fontFamily_;
    // Drawing is const to callers; the fonts it makes are kept for the next symbol.
    mutable MmFontCache fonts_;
    double barAdjustUm_ = 0;
    bool quietZones_ = false;
    int moduleStep_ = 5;
    double barHeight_ = 24;
    int textSize_ = 12;
    double pxPerMm_ = 0;

    bool accepted_ = false;
    QString readBack_;
    QString rejection_;
    QString humanReadable_;
    QVector<bool> modules_; // dark modules of the symbol, quiet zones excluded
};

} // namespace palomex
