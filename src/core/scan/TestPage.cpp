#include "scan/TestPage.h"

#include "app/Captions.h"
#include "output/FontChoice.h"
#include "output/Gs1Encoder.h"
#include "scan/ScanStrings.h"

#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace palomex {

namespace {

constexpr double kTextPoints = 12;
constexpr int kBarHeightMm = 15;
// Half-millimetre modules: every scanner reads them, even from a worn printout.
constexpr int kModuleStep = 5;
// Between the last line and the bars, so that no descender touches a bar.
constexpr double kGapMm = 3;

// Blank lines above and between, as a typed page would have them.
QStringList pageLines() {
    return {QString(), caption(scanmsg::ProductTitle), QString(), caption(scanmsg::TestPageLine)};
}

void setUp(Gs1Encoder& encoder, const QString& fontFamily) {
    encoder.setFont(fontFamily);
    encoder.setQuietZones(true);
    encoder.setModuleStep(kModuleStep);
    encoder.setBarHeight(kBarHeightMm);
    // The human-readable line would read "00" and only confuse whoever types the
    // characters in by hand.
    encoder.setTextSize(0);
    encoder.setBareData(kScanTestData);
}

} // namespace

QSizeF scanTestPageExtent(const QString& fontFamily) {
    const MmFont font(fontFamily, kTextPoints, nullptr);
    double width = 0;
    const QStringList lines = pageLines();
    for (const QString& line : lines)
        width = std::max(width, font.width(line));
    Gs1Encoder encoder;
    setUp(encoder, fontFamily);
    return {std::max(width, encoder.width()),
            double(lines.size()) * font.height() + encoder.height()};
}

bool drawScanTestPage(QPainter& painter, const QPointF& topLeftMm, const QString& fontFamily) {
    const MmFont font(fontFamily, kTextPoints, painter.device());
    QPointF at = topLeftMm;
    for (const QString& line : pageLines()) {
        font.draw(painter, at, line);
        at.ry() += font.height();
    }
    at.ry() += kGapMm;
    Gs1Encoder encoder;
    // Whole-pixel bars need the device resolution the painter maps millimetres to.
    const QTransform& t = painter.deviceTransform();
    encoder.setDeviceResolution(std::hypot(t.m11(), t.m12()));
    setUp(encoder, fontFamily);
    if (!encoder.accepted())
        return false;
    encoder.draw(painter, at);
    return true;
}

} // namespace palomex
