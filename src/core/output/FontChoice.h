#pragma once
// Fonts for label output. A label names its font by the name it had where the
// label was designed; when that font is not installed here, a font with the same
// metrics stands in (Liberation for the common office fonts, else DejaVu), so
// that texts keep their widths. The choice is made once per name and logged.

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <map>
#include <tuple>
#include <vector>

class QPaintDevice;
class QPainter;

namespace palomex {

// The installed family used for a font name.
QString resolveFontFamily(const QString& requested);

// The size of a font whose text of width wide fits into room: a little smaller
// than proportional, in quarter points, so that the fonts made stay few.
double fittingPoints(double points, double wide, double room);

// A font of a size in points for a painter whose user unit is one millimetre.
// Font engines round pixel sizes to whole units, which at one unit per
// millimetre would make a 10 pt text 13 % too large; the font is therefore made
// for hundredths of a millimetre and drawn scaled down.
class MmFont {
public:
    MmFont(const QString& family, double points, const QPaintDevice* device);

    double width(const QString& text) const;
    // Whether text is no wider than room, known without shaping it when it is
    // clearly short: most label texts are.
    bool fits(const QString& text, double room) const;
    double height() const;
    double ascent() const;
    // Where the ink of text lies, relative to the top left corner it is drawn at.
    QRectF inkRect(const QString& text) const;
    // The text broken into lines no wider than widthMm: at blanks, and inside a
    // word only where the word alone is wider.
    QStringList wrap(const QString& text, double widthMm) const;
    // Draws text with its top left corner at topLeft (millimetres).
    void draw(QPainter& painter, const QPointF& topLeft, const QString& text) const;

private:
    friend class GlyphBatch;
    static QFont makeFont(const QString& family, double points, const QPaintDevice* device);
    // The glyphs of text, positioned from the left end of its baseline in font units.
    const QList<QGlyphRun>& glyphs(const QString& text) const;

    QFont font_;
    // Looked up once: the renderer measures each text several times per label.
    QFontMetricsF metrics_;
    mutable QHash<QString, double> widths_;
    // Shaping a text costs more than drawing it, and most texts recur on every label.
    mutable QHash<QString, QList<QGlyphRun>> shaped_;
};

// Texts gathered and drawn together, one glyph run per font: a PDF sets a font up
// once for all of them instead of once per text.
class GlyphBatch {
public:
    // Adds text with its top left corner at topLeft (millimetres).
    void add(const MmFont& font, const QPointF& topLeft, const QString& text);
    // Draws what was added with the painter's pen, and empties the batch.
    void draw(QPainter& painter);

private:
    struct Run {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    std::vector<Run> runs_;
};

// The fonts of one renderer, made once per family, size and device resolution:
// making a font and resolving its engine costs more than drawing its text.
class MmFontCache {
public:
    // The reference holds until the next call.
    const MmFont& font(const QString& family, double points, const QPaintDevice* device);

private:
    std::map<std::tuple<QString, double, int, int>, MmFont> fonts_;
};

} // namespace palomex
