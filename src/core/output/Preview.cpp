#include "output/Preview.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "entry/LabelCheck.h"
#include "entry/NveNumbers.h"

#include <QPainter>
#include <cmath>

namespace palomex {

namespace {

const QString kSection = QStringLiteral("Vorschau");
constexpr int kCaptionId = 183;
constexpr double kMaxZoom = 18;
constexpr double kMinZoom = 0.19;
constexpr double kFallbackZoom = 0.2;
constexpr QSizeF kGridMm{210, 297};
// The grid's colour as the settings of earlier versions gave it: 49344.
const QColor kGridColour(192, 192, 0);

// The preview is its own device: one page, no printer margins.
class PreviewSurface : public PageSink {
public:
    PreviewSurface(QPainter& painter, QSizeF paper) : painter_(painter), paper_(paper) {}
    QPainter& painter() override { return painter_; }
    bool newPage() override { return false; }
    QSizeF paperMm() const override { return paper_; }
    QSizeF printableMm() const override { return paper_; }
    std::optional<QString> finish() override { return std::nullopt; }
    void discard() override {}

private:
    QPainter& painter_;
    QSizeF paper_;
};

// A cosmetic pen: its width is in device pixels, whatever the zoom.
QPen devicePen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, width, style, Qt::FlatCap);
    pen.setCosmetic(true);
    return pen;
}

// Dotted lines that darken what they cross instead of covering it.
void drawMasked(QPainter& p, const QPen& pen, const QLineF& line) {
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.setPen(pen);
    p.drawLine(line);
    p.restore();
}

void drawGrid(QPainter& p, double s, double zoom) {
    const double b = zoom < 0.7 ? 0.55 : zoom > 2 ? 1.5 : 1;
    // Millimetre lines closer than a few pixels would only paint the page over.
    const double pxPerMm = std::hypot(p.deviceTransform().m11(), p.deviceTransform().m12()) * s;
    const int every = pxPerMm < 5 ? 5 : 1;
    const auto lines = [&](int count, auto line) {
        for (int k = 0; k <= count; k += every) {
            p.setPen(devicePen(kGridColour, k % 5 == 0 ? 3 * b : b));
            p.drawLine(line(k));
        }
        for (int k = 0; k <= count; k += 10)
            drawMasked(p, devicePen(kGridColour, 1, Qt::DotLine), line(k));
    };
    const double w = s * kGridMm.width();
    const double h = s * kGridMm.height();
    p.save();
    lines(int(kGridMm.width()), [&](int k) { return QLineF(s * k, 0, s * k, h); });
    lines(int(kGridMm.height()), [&](int k) { return QLineF(0, s * k, w, s * k); });
    p.restore();
}

} // namespace

double zoomAfter(double zoom, const QString& command) {
    if (command == QLatin1String("plus"))
        return zoom < kMaxZoom ? zoom * 1.1 : zoom;
    if (command == QLatin1String("minus"))
        return zoom > kMinZoom ? zoom * 0.9 : zoom;
    bool ok = false;
    const double z = command.trimmed().toDouble(&ok);
    return ok && z > 0 ? z : kFallbackZoom;
}

QString previewCaption(double zoom) {
    return caption(kCaptionId) + QStringLiteral("  ") +
           QString::number(std::round(zoom * 10) / 10, 'f', 1);
}

PreviewState loadPreviewState(const Settings& s) {
    PreviewState st;
    st.left = s.number(kSection, QStringLiteral("Left"));
    st.top = s.number(kSection, QStringLiteral("Top"));
    st.width = s.number(kSection, QStringLiteral("Width"));
    st.height = s.number(kSection, QStringLiteral("Height"));
    st.zoom = zoomAfter(1, s.get(kSection, QStringLiteral("Zoom")));
    st.hScroll = s.number(kSection, QStringLiteral("HScroll1"));
    st.vScroll = s.number(kSection, QStringLiteral("VScroll1"));
    return st;
}

void savePreviewState(const Settings& s, const PreviewState& st) {
    s.writeNumber(kSection, QStringLiteral("Left"), st.left);
    s.writeNumber(kSection, QStringLiteral("Top"), st.top);
    s.writeNumber(kSection, QStringLiteral("Width"), st.width);
    s.writeNumber(kSection, QStringLiteral("Height"), st.height);
    s.write(kSection, QStringLiteral("Zoom"), QString::number(st.zoom));
    s.writeNumber(kSection, QStringLiteral("HScroll1"), st.hScroll);
    s.writeNumber(kSection, QStringLiteral("VScroll1"), st.vScroll);
}

namespace {
PreviewKey act(PreviewKey::Action action, const QString& zoom = {}, int dx = 0, int dy = 0,
               bool horizontal = false) {
    PreviewKey k;
    k.action = action;
    k.zoom = zoom;
    k.dx = dx;
    k.dy = dy;
    k.horizontal = horizontal;
    return k;
}
} // namespace

PreviewKey previewKey(int key, Qt::KeyboardModifiers modifiers) {
    using A = PreviewKey::Action;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const int step = ctrl ? 2 : 1;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F4:
    case Qt::Key_F5:
        return act(A::Close);
    case Qt::Key_0:
        return act(A::Zoom, QStringLiteral("0.3"));
    case Qt::Key_1:
        return act(A::Zoom, QStringLiteral("0.45"));
    case Qt::Key_2:
        return act(A::Zoom, QStringLiteral("1.0"));
    case Qt::Key_3:
        return act(A::Zoom, QStringLiteral("2"));
    case Qt::Key_4:
        return act(A::Zoom, QStringLiteral("4"));
    case Qt::Key_5:
        return act(A::Zoom, QStringLiteral("8"));
    case Qt::Key_6:
        return act(A::Zoom, QStringLiteral("19"));
    case Qt::Key_Plus:
        return act(A::Zoom, QStringLiteral("plus"));
    case Qt::Key_Minus:
        return act(A::Zoom, QStringLiteral("minus"));
    case Qt::Key_Left:
        return act(A::Scroll, {}, -step, 0);
    case Qt::Key_Right:
        return act(A::Scroll, {}, step, 0);
    case Qt::Key_Up:
        return act(A::Scroll, {}, 0, -step);
    case Qt::Key_Down:
        return act(A::Scroll, {}, 0, step);
    case Qt::Key_PageUp:
        return act(A::Scroll, {}, 0, -2);
    case Qt::Key_PageDown:
        return act(A::Scroll, {}, 0, 2);
    case Qt::Key_Home:
        return act(A::Home);
    case Qt::Key_End:
        return act(A::End, {}, 0, 0, ctrl);
    case Qt::Key_F1:
        return act(A::Help);
    default:
        return {};
    }
}

void drawPreview(QPainter& p, const PreviewInput& in, Prompter& prompter) {
    const Label& l = in.label;
    const double s = in.zoom;
    const double width = labelWidthMm(l.format);
    const double height = l.height;
    p.save();
    // Scrolling moves the whole page; the layout of the sheet stays as printed.
    p.translate(-s * in.scrollMm.x(), -s * in.scrollMm.y());

    LabelRenderer renderer(in.record, prompter);
    RenderOutcome outcome;
    const LabelPainter draw = rendererPainter(renderer, RenderMode::Preview, outcome);
    const LabelPainter withMarks = [&](QPainter& painter, const Label& label, const QString& nve,
                                       const LabelPlacement& placed) {
        const bool go = draw(painter, label, nve, placed);
        const QPointF o = placed.offsetMm;
        // The label's bottom and right edge, where the printer's label ends.
        const QPen mark = devicePen(Qt::black, 1, Qt::DotLine);
        const double right = s * (o.x() + width);
        const double bottom = s * (o.y() + height);
        drawMasked(painter, mark, QLineF(s * o.x(), bottom, right, bottom));
        drawMasked(painter, mark, QLineF(right, s * o.y(), right, bottom));
        return go;
    };
    RunParameters params;
    params.firstRunning = in.firstRunning;
    params.nveCount = nveCountOf(l.anzahlNVEs).value_or(1);
    params.labelsPerNve = std::max(1, l.anzahlProNVE);
    params.mode = in.mode;
    params.scale = s;
    params.randOben = in.record.randOben;
    params.randLinks = in.record.randLinks;
    params.labelWidthMm = width;
    params.preview = true;
    PreviewSurface surface(p, paperSizeMm(l, in.mode));
    BaseNveRange numbers(l.nveBasis, nullptr);
    if (const auto refused = labelRefusal(l, in.autoNve))
        prompter.tell(*refused, Icon::Critical);
    else
        PrintRun(l, params, numbers, withMarks, isActive, surface, prompter).run();
    if (in.record.rasterLinien)
        drawGrid(p, s, in.zoom);
    p.restore();
}

} // namespace palomex
