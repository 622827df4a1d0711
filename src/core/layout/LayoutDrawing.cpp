#include "layout/LayoutDrawing.h"

#include "db/NveLock.h"
#include "entry/NveNumbers.h"
#include "output/PrintJob.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace palomex {

namespace {
// The renderer draws label millimetres; the editor shows the label at half size.
constexpr double kHalfSize = 0.5;
constexpr double kCaptionHeight = 2.5; // layout units

QPen devicePen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    return pen;
}
} // namespace

QString shownNve(const Label& label) {
    return label.nveBasis +
           runningNumberText(label.nveBasis, runningNumberOf(label.nveLaufNr).value_or(1));
}

void drawLayout(QPainter& p, const LayoutModel& model, const SettingsRecord& record,
                Prompter& prompter) {
    const Label& label = model.label();
    p.save();
    p.fillRect(QRectF(QPointF(0, 0), model.area()), Qt::white);

    LabelRenderer renderer(record, prompter);
    RenderOutcome outcome;
    LabelPlacement placement;
    placement.scale = kHalfSize;
    rendererPainter(renderer, RenderMode::Preview, outcome)(p, label, shownNve(label), placement);

    p.setBrush(Qt::NoBrush);
    p.setPen(devicePen(Qt::black, 1));
    p.drawRect(QRectF(QPointF(0, 0), model.outline()));

    // Captions are set in device pixels: a font scaled with the painter would be
    // rounded to whole layout units.
    const QTransform toDevice = p.transform();
    const double unitPx = std::hypot(toDevice.m11(), toDevice.m12());
    QFont font = p.font();
    font.setPixelSize(std::max(6, int(std::lround(kCaptionHeight * unitPx))));

    for (const int i : model.order()) {
        if (!elementShown(label, i))
            continue;
        const LayoutElement& e = label.elements[i];
        const QRectF r(e.left, e.top, e.width, e.height);
        const bool active = isActive(e, label);
        if (!active) {
            p.fillRect(r, isLine(i) ? kInactiveInk : kInactiveGround);
            const QString text = elementCaption(label, i);
            if (!text.isEmpty()) {
                p.save();
                p.resetTransform();
                p.setFont(font);
                p.setPen(kInactiveInk);
                p.setClipRect(toDevice.mapRect(r));
                p.drawText(toDevice.mapRect(r), Qt::AlignLeft | Qt::AlignTop, text);
                p.restore();
            }
        } else if (!isLine(i)) {
            // Where an empty field lies, so that it can still be grabbed.
            p.setPen(devicePen(kInactiveGround.darker(120), 1, Qt::DotLine));
            p.drawRect(r);
        }
        if (i == model.selected() && model.dragging()) {
            p.setPen(devicePen(Qt::black, 2, Qt::DashLine));
            p.drawRect(r);
        }
    }
    p.restore();
}

} // namespace palomex
