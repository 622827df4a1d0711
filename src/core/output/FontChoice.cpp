#include "output/FontChoice.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace palomex {

namespace {

constexpr double UnitsPerMm = 100.0;

QString metricTwin(const QString& requested) {
    static const QHash<QString, QString> twins = {
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
    };
    return twins.value(requested.trimmed().toLower());
}

QString choose(const QString& requested) {
    const QStringList installed = QFontDatabase::families();
    if (!requested.isEmpty() && installed.contains(requested, Qt::CaseInsensitive))
        return requested;
    for (const QString& candidate : {metricTwin(requested), QStringLiteral("Liberation Sans"),
                                     QStringLiteral("DejaVu Sans")}) {
        if (!candidate.isEmpty() && installed.contains(candidate, Qt::CaseInsensitive))
            return candidate;
    }
    return QFont().defaultFamily();
}

} // namespace

QString resolveFontFamily(const QString& requested) {
    static QMutex mutex;
    static QHash<QString, QString> chosen;
    QMutexLocker lock(&mutex);
    auto it = chosen.constFind(requested);
    if (it != chosen.constEnd())
        return *it;
    const QString family = choose(requested);
    if (family.compare(requested, Qt::CaseInsensitive) != 0)
        qInfo().noquote() << "Font" << requested << "is not installed; labels use" << family;
    chosen.insert(requested, family);
    return family;
}

QFont MmFont::makeFont(const QString& family, double points, const QPaintDevice* device) {
    QFont font(resolveFontFamily(family));
    // Qt turns points into device pixels with the device resolution; the
    // painter's millimetre scale then applies on top.
    const double dpi = device ? device->logicalDpiY() : 96.0;
    font.setPointSizeF(qMax(0.01, points * 25.4 / dpi * UnitsPerMm));
    font.setHintingPreference(QFont::PreferNoHinting);
    return device ? QFont(font, device) : font;
}

MmFont::MmFont(const QString& family, double points, const QPaintDevice* device)
    : font_(makeFont(family, points, device)), metrics_(font_, device) {}

double MmFont::width(const QString& text) const {
    // Most texts of a label are the same on every label of a run: each is shaped
    // for its width once. A run of ever new texts starts the cache afresh.
    constexpr qsizetype MaxWidths = 512;
    const auto it = widths_.constFind(text);
    if (it != widths_.constEnd())
        return *it;
    if (widths_.size() >= MaxWidths)
        widths_.clear();
    return *widths_.insert(text, metrics_.horizontalAdvance(text) / UnitsPerMm);
}

bool MmFont::fits(const QString& text, double room) const {
    return double(text.size()) * metrics_.maxWidth() <= room * UnitsPerMm || width(text) <= room;
}

double MmFont::height() const {
    return metrics_.height() / UnitsPerMm;
}

double MmFont::ascent() const {
    return metrics_.ascent() / UnitsPerMm;
}

QRectF MmFont::inkRect(const QString& text) const {
    const QRectF r = metrics_.tightBoundingRect(text).translated(0, metrics_.ascent());
    return {r.topLeft() / UnitsPerMm, r.size() / UnitsPerMm};
}

QStringList MmFont::wrap(const QString& text, double widthMm) const {
    const double room = widthMm * UnitsPerMm;
    QStringList lines;
    QString line;
    const auto fits = [&](const QString& s) { return metrics_.horizontalAdvance(s) <= room; };
    for (const QString& word : text.split(u' ')) {
        const QString joined = line.isEmpty() ? word : line + u' ' + word;
        if (fits(joined) || (line.isEmpty() && word.isEmpty())) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line = word;
        // A word wider than the whole line is broken where it has to be.
        while (!fits(line) && line.size() > 1) {
            qsizetype n = line.size() - 1;
            while (n > 1 && !fits(line.left(n)))
                --n;
            lines << line.left(n);
            line = line.mid(n);
        }
    }
    lines << line;
    return lines;
}

double fittingPoints(double points, double wide, double room) {
    return std::floor(points * room / wide * 4) / 4;
}

const MmFont& MmFontCache::font(const QString& family, double points, const QPaintDevice* device) {
    // Labels use a handful of sizes; a run that somehow uses many starts afresh.
    constexpr std::size_t MaxFonts = 64;
    const auto key = std::make_tuple(family, points, device ? device->logicalDpiX() : 0,
                                     device ? device->logicalDpiY() : 0);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        if (fonts_.size() >= MaxFonts)
            fonts_.clear();
        it = fonts_.emplace(key, MmFont(family, points, device)).first;
    }
    return it->second;
}

void MmFont::draw(QPainter& painter, const QPointF& topLeft, const QString& text) const {
    GlyphBatch batch;
    batch.add(*this, topLeft, text);
    batch.draw(painter);
}

const QList<QGlyphRun>& MmFont::glyphs(const QString& text) const {
    constexpr qsizetype MaxShaped = 512;
    const auto it = shaped_.constFind(text);
    if (it != shaped_.constEnd())
        return *it;
    if (shaped_.size() >= MaxShaped)
        shaped_.clear();
    // Laid out as one unbroken line; a line separator in the text starts no new
    // line: what follows it goes on along the same baseline.
    QTextLayout layout(text, font_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    while (layout.createLine().isValid()) {
    }
    layout.endLayout();
    QList<QGlyphRun> runs;
    double x = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        for (QGlyphRun run : line.glyphRuns()) {
            QList<QPointF> positions = run.positions();
            for (QPointF& p : positions)
                p += QPointF(x, -line.ascent());
            run.setPositions(positions);
            runs << run;
        }
        x += line.naturalTextWidth();
    }
    return *shaped_.insert(text, runs);
}

void GlyphBatch::add(const MmFont& font, const QPointF& topLeft, const QString& text) {
    const QPointF origin(topLeft.x() * UnitsPerMm,
                         topLeft.y() * UnitsPerMm + font.metrics_.ascent());
    for (const QGlyphRun& shaped : font.glyphs(text)) {
        const QRawFont rawFont = shaped.rawFont();
        auto run = std::find_if(runs_.begin(), runs_.end(),
                                [&](const Run& r) { return r.font == rawFont; });
        if (run == runs_.end())
            run = runs_.insert(runs_.end(), Run{rawFont, {}, {}});
        run->glyphs << shaped.glyphIndexes();
        // Glyphs stand on whole hundredths of a millimetre, far below what a printer
        // resolves: a PDF then gives their places as short whole numbers.
        for (const QPointF& p : shaped.positions())
            run->positions << QPointF(std::round(origin.x() + p.x()),
                                      std::round(origin.y() + p.y()));
    }
}

void GlyphBatch::draw(QPainter& painter) {
    if (runs_.empty())
        return;
    painter.save();
    painter.scale(1 / UnitsPerMm, 1 / UnitsPerMm);
    for (const Run& run : runs_) {
        QGlyphRun glyphs;
        glyphs.setRawFont(run.font);
        glyphs.setGlyphIndexes(run.glyphs);
        glyphs.setPositions(run.positions);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    painter.restore();
    runs_.clear();
}

} // namespace palomex
