#include "output/LabelRenderer.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "output/FontChoice.h"
#include "output/OutputStrings.h"

#include <QPainter>
#include <array>
#include <limits>
#include <optional>

namespace palomex {

namespace {

// Pitch of the letters of the vertical NVE designation: one text line of the
// entry window's font, 195 twips, at 56.7 twips per millimetre.
constexpr double EntryLineMm = 195.0 / 56.7;
constexpr double PointMm = 25.4 / 72.0;
// Texts of neighbouring columns keep this much white between them.
constexpr double ColumnGapMm = 1.0;
// GS1 logistic labels want the SSCC's bars at least this high; the NVE symbol
// grows to it wherever the label has the room below.
constexpr double NveLeastBarsMm = 31.75;
// Bars lower than this would not be a symbol any more, whatever the sizes say.
constexpr double LeastBarsMm = 1.0;
// Smaller than this a text is no longer read on a label: it is not shrunk further.
constexpr double LeastPoints = 5.0;

QStringList contentLines(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t.split(u'\n');
}

} // namespace

int labelWidthMm(LabelFormat format) {
    return format == LabelFormat::Large ? 148 : 105;
}

bool isActive(const LayoutRect& rect, const Label& label) {
    const double outlineRight = labelWidthMm(label.format) / 2.0;
    const double outlineBottom = label.height / 2.0;
    return rect.left <= outlineRight - 1 && rect.top <= outlineBottom - 1;
}

// The text cursor on the painter: font and current position, millimetres. The
// texts go to the painter together, when the label's last text is placed.
struct LabelRenderer::Pen {
    QPainter& painter;
    double x = 0;
    double y = 0;
    MmFontCache& fonts;
    std::vector<DrawnExtent>* extents = nullptr;
    int element = 0;
    const MmFont* font = nullptr;
    QString family;
    double points = 0;
    GlyphBatch texts;

    void setFont(const QString& f, double p) {
        family = f;
        points = p;
        font = &fonts.font(family, points, painter.device());
    }
    double textWidth(const QString& s) const { return font->width(s); }
    double textHeight() const { return font->height(); }
};

LabelRenderer::LabelRenderer(const SettingsRecord& settings, Prompter& prompter)
    : settings_(settings), prompter_(prompter), lineFactor_(settings.zeilenabstand / 100.0 * 0.8) {
    for (Gs1Encoder& encoder : symbols_) {
        encoder.setFont(settings.schriftart);
        encoder.setBarWidthAdjust(settings.strichbreitenreduktion);
    }
}

void LabelRenderer::printText(Pen& pen, const QString& text, double right) {
    const double height = pen.textHeight();
    if (options_.pageHeightMm && pen.y + height >= *options_.pageHeightMm)
        return;
    const MmFont* font = pen.font;
    // Tabbed texts stand at their tab stops; only a plain line is set smaller.
    const double room = right - pen.x;
    if (room > 0 && !text.contains(u'\t') && !font->fits(text, room)) {
        // Never smaller than can still be read, however close the neighbour stands.
        const double least = std::min(pen.points, LeastPoints * options_.scale);
        font = &fonts_.font(pen.family,
                            std::max(least, fittingPoints(pen.points, font->width(text), room)),
                            pen.painter.device());
    }
    const QStringList parts = text.split(u'\t');
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const QPointF at(pen.x + options_.scale * double(k) * settings_.tabWeite, pen.y);
        pen.texts.add(*font, at, parts[k]);
        if (pen.extents && !parts[k].trimmed().isEmpty())
            pen.extents->push_back({pen.element, font->inkRect(parts[k]).translated(at)});
    }
    if (font != pen.font) // the smaller font may have pushed the pen's out of the cache
        pen.setFont(pen.family, pen.points);
    pen.y += height;
}

double LabelRenderer::firstLinesBottom(const Label& label, int i) const {
    // A line of the label fonts is about 1.15 of its size high.
    return 2 * label.elements[i].top +
           1.15 * PointMm * (sizes_[i].first * lineFactor_ + sizes_[i].second);
}

double LabelRenderer::bottomLimit(const Label& label, int i, double right) const {
    const LayoutElement& e = label.elements[i];
    double limit = label.height;
    for (const Occupied& o : occupied_) {
        // Anything starting left of the element's right end may run under it.
        if (o.element != i && o.top > 2 * e.top + ColumnGapMm && o.left < right)
            limit = std::min(limit, o.top - ColumnGapMm);
    }
    return limit;
}

double LabelRenderer::rightLimit(const Label& label, int i) const {
    const LayoutElement& e = label.elements[i];
    const double left = 2 * e.left;
    const double top = 2 * e.top;
    const double bottom = firstLinesBottom(label, i);
    double limit = labelWidthMm(label.format);
    for (const Occupied& o : occupied_) {
        if (o.element != i && o.left > left + ColumnGapMm && o.top < bottom && o.bottom > top)
            limit = std::min(limit, o.left - ColumnGapMm);
    }
    return limit;
}

void LabelRenderer::drawTextElement(Pen& pen, const Label& label, int i, const QString& designation,
                                    const QString& content, bool multiLine) {
    const LayoutElement& e = label.elements[i];
    const double s = options_.scale;
    const double rightMm = rightLimit(label, i);
    const double right = s * (rightMm + options_.offsetX);
    pen.element = i;
    double dx = 0;
    double dy = 0;
    if (sizes_[i].first > 0) {
        pen.setFont(settings_.schriftart, s * sizes_[i].first);
        if (e.horizontal())
            dx = pen.textWidth(designation + u' ') / s;
        else
            dy = pen.textHeight() / s * lineFactor_;
        pen.x = s * (2 * e.left + options_.offsetX);
        pen.y = s * (2 * e.top + options_.offsetY);
        printText(pen, designation, right);
    }
    if (sizes_[i].second > 0) {
        pen.setFont(settings_.schriftart, s * sizes_[i].second);
        double h = pen.textHeight();
        const double x = s * (2 * e.left + options_.offsetX + dx);
        const double top = s * (2 * e.top + options_.offsetY + dy);
        const double bottom = s * (bottomLimit(label, i, rightMm) + options_.offsetY);
        // The lines the entry box shows: its own breaks, then wrapped to the room
        // the label gives the element, as the box wraps to its width. Lines that
        // would reach the element below are set smaller, a few times at most.
        const auto wrapped = [&] {
            QStringList lines;
            for (const QString& line : contentLines(content))
                lines << (line.contains(u'\t') || right <= x || pen.font->fits(line, right - x)
                              ? QStringList{line}
                              : pen.font->wrap(line, right - x));
            return lines;
        };
        QStringList lines = multiLine ? wrapped() : QStringList{content};
        for (int attempt = 0; multiLine && lines.size() > 1 && attempt < 4; ++attempt) {
            const double end = top + lineFactor_ * double(lines.size() - 1) * h + h;
            if (end <= bottom || pen.points <= LeastPoints * s)
                break;
            // Smaller lines are lower and hold more: the height goes with the
            // square of the size.
            const double points = std::max(
                LeastPoints * s,
                std::floor(pen.points * std::sqrt(std::max(0.0, bottom - top) / (end - top)) * 4) /
                    4);
            pen.setFont(settings_.schriftart, points);
            h = pen.textHeight();
            lines = wrapped();
        }
        for (qsizetype k = 0; k < lines.size(); ++k) {
            pen.x = x;
            pen.y = s * (2 * e.top + options_.offsetY + dy + lineFactor_ * double(k) * h / s);
            printText(pen, lines[k], right);
        }
    }
}

void LabelRenderer::drawLogo(QPainter& painter, const Label& label) {
    if (label.logoFile.isEmpty() || !isActive(label.logo, label))
        return;
    if (logoFile_ != label.logoFile) {
        logoFile_ = label.logoFile;
        logo_ = QImage(label.logoFile);
        if (logo_.isNull())
            prompter_.tellError(caption(msg::LogoNotOpened).arg(label.logoFile));
    }
    if (logo_.isNull())
        return;
    const double s = options_.scale;
    const QRectF at(s * (2 * label.logo.left + options_.offsetX),
                    s * (2 * label.logo.top + options_.offsetY), s * 2 * label.logo.width,
                    s * 2 * label.logo.height);
    painter.drawImage(at, logo_);
    if (options_.extents)
        options_.extents->push_back({-1, at});
}

QString LabelRenderer::nveText(const QString& nve) const {
    QString digits = nve;
    digits.remove(u' ');
    const QChar digit = gs1CheckDigit(digits);
    const QString check = digit.isNull() ? QString() : QString(digit);
    return nve + (nve.contains(u' ') ? QStringLiteral(" ") : QString()) + check;
}

void LabelRenderer::completeGtin(DataField& field) {
    const QString code = field.identifierCode();
    if (code != QLatin1String("(01)") && code != QLatin1String("(02)"))
        return;
    // "*" stands for the zero it is in the barcode; an empty field has no GTIN.
    QString bare = field.content;
    bare.remove(u' ').replace(u'*', u'0');
    if (bare.isEmpty() || bare.size() >= 14)
        return;
    const QChar check = gs1CheckDigit(QString(13 - bare.size(), u'0') + bare);
    if (check.isNull())
        return; // not digits: the entry rules report it, the label shows it as typed
    field.content = QString(13 - bare.size(), u'0') + field.content + check;
}

bool LabelRenderer::setUpBarcode(QPainter& painter, const Label& label, BarcodeKind kind,
                                 const QString& data) {
    const int i = element::FirstBarcode + int(kind);
    const LayoutElement& e = label.elements[i];
    if (!isActive(e, label) || data.isEmpty())
        return false;
    Gs1Encoder& encoder = symbols_[int(kind)];
    setSymbolData(encoder, data);
    // A screen is often too coarse for the modules: the preview checks the fit with
    // the nominal widths and draws them so, as wide as a printer fine enough for
    // the label prints them.
    encoder.setDeviceResolution(
        options_.mode == RenderMode::Preview || !options_.devicePixels
            ? 0
            : std::hypot(painter.deviceTransform().m11(), painter.deviceTransform().m12()) *
                  options_.scale);
    // The second size is the height of the whole symbol, human-readable line
    // included: a symbol then ends where the layout's numbers say it does.
    encoder.setTextSize(int(sizes_[i].first));
    double bars = sizes_[i].second - encoder.textHeight();
    if (kind == BarcodeKind::Nve)
        bars = std::max(bars,
                        std::min(NveLeastBarsMm, label.height - 2 * e.top - encoder.textHeight()));
    encoder.setBarHeight(std::max(LeastBarsMm, bars));
    selectModuleStep(encoder, kind, settings_.vergrFaktor, 2 * e.left, labelWidthMm(label.format));
    return true;
}

std::optional<bool> LabelRenderer::checkBarcode(QPainter& painter, const Label& label,
                                                BarcodeKind kind, const QString& nve,
                                                const FieldCode& fieldCode,
                                                RenderOutcome& outcome) {
    const QString data = barcodeDataString(kind, nve, fieldCode);
    Gs1Encoder& encoder = symbols_[int(kind)];
    if (kind != BarcodeKind::Nve && !data.isEmpty() &&
        isActive(label.elements[element::FirstBarcode + int(kind)], label)) {
        if (const auto message = checkBarcodeData(encoder, data)) {
            prompter_.tellError(*message);
            outcome.endRun = true;
            return std::nullopt;
        }
    }
    if (!setUpBarcode(painter, label, kind, data))
        return false;
    const LayoutElement& e = label.elements[element::FirstBarcode + int(kind)];
    const int width = labelWidthMm(label.format);
    const double symbolWidth = encoder.symbolWidth();
    if (2 * e.left + symbolWidth < width)
        return true;
    const Answer answer =
        prompter_.ask(caption(msg::BarcodeDoesNotFit)
                          .arg(QString::number(symbolWidth, 'f', 2), QString::number(width)),
                      Buttons::YesNoCancel, Icon::Critical);
    if (answer == Answer::Yes)
        outcome.openLayoutEditor = true;
    else if (answer == Answer::No)
        outcome.openBarcodeScaling = true;
    else
        outcome.endRun = true;
    return answer == Answer::Cancel ? std::nullopt : std::optional(false);
}

RenderOutcome LabelRenderer::render(QPainter& painter, Label& label, const QString& nve,
                                    const FieldCode& fieldCode, const RenderOptions& options) {
    options_ = options;
    for (int i = 0; i < element::Count; ++i)
        sizes_[i] = {label.elements[i].firstSize(), label.elements[i].secondSize()};
    const double s = options.scale;
    RenderOutcome outcome;
    // Every barcode is checked, and every question answered, before anything is
    // drawn: a label the run ends on leaves nothing half-drawn on the page.
    constexpr BarcodeKind kinds[] = {BarcodeKind::Upper, BarcodeKind::Lower, BarcodeKind::Nve};
    std::array<bool, 3> drawn{};
    for (int k = 0; k < 3; ++k) {
        const std::optional<bool> draw =
            checkBarcode(painter, label, kinds[k], nve, fieldCode, outcome);
        if (!draw)
            return outcome;
        drawn[k] = *draw;
    }
    if (options.beginDrawing && !options.beginDrawing()) {
        outcome.endRun = true;
        return outcome;
    }
    // What the label draws, so that a text stops before its right-hand neighbour.
    occupied_.clear();
    const auto occupy = [&](int i, bool draws, double bottomMm) {
        const LayoutElement& e = label.elements[i];
        if (draws && isActive(e, label))
            occupied_.push_back({i, 2 * e.left, 2 * e.top, bottomMm});
    };
    const auto textBottom = [&](int i) { return firstLinesBottom(label, i); };
    const auto hasText = [&](int i, const QString& designation, const QString& content) {
        return (sizes_[i].first > 0 && !designation.isEmpty()) ||
               (sizes_[i].second > 0 && !content.isEmpty());
    };
    for (int i = 0; i < 2; ++i)
        occupy(element::Sender + i,
               hasText(element::Sender + i, label.parties[i].caption, label.parties[i].text),
               textBottom(element::Sender + i));
    for (int i = 0; i < Label::kFieldCount; ++i)
        occupy(element::FirstField + i,
               hasText(element::FirstField + i, label.fields[i].caption, label.fields[i].content),
               textBottom(element::FirstField + i));
    for (int i = 0; i < Label::kExtraCount; ++i)
        occupy(element::FirstExtra + i,
               hasText(element::FirstExtra + i, label.extras[i].caption, label.extras[i].text),
               textBottom(element::FirstExtra + i));
    occupy(element::NveLine, true, textBottom(element::NveLine));
    for (int k = 0; k < 3; ++k) {
        const LayoutElement& e = label.elements[element::FirstBarcode + k];
        occupy(element::FirstBarcode + k, drawn[k],
               kinds[k] == BarcodeKind::Nve ? label.height
                                            : 2 * e.top + sizes_[element::FirstBarcode + k].second);
    }

    painter.save();
    painter.setPen(Qt::black);
    Pen pen{painter, 0, 0, fonts_, options.extents, 0, nullptr, {}, 0, {}};

    drawLogo(painter, label);
    for (int i = 0; i < 2; ++i) {
        if (isActive(label.elements[element::Sender + i], label))
            drawTextElement(pen, label, element::Sender + i, label.parties[i].caption,
                            label.parties[i].text, true);
    }
    for (int i = 0; i < Label::kFieldCount; ++i) {
        if (!isActive(label.fieldElement(i), label))
            continue;
        DataField& field = label.fields[i];
        completeGtin(field);
        drawTextElement(pen, label, element::FirstField + i, field.caption,
                        printedFieldText(field.content, field.isDate()), false);
    }
    for (int i = 0; i < Label::kExtraCount; ++i) {
        if (isActive(label.elements[element::FirstExtra + i], label))
            drawTextElement(pen, label, element::FirstExtra + i, label.extras[i].caption,
                            label.extras[i].text, true);
    }
    const LayoutElement& nveLine = label.elements[element::NveLine];
    if (isActive(nveLine, label))
        drawTextElement(pen, label, element::NveLine, nveLine.designation(), nveText(nve), false);
    const LayoutElement& vertical = label.elements[element::NveVertical];
    if (isActive(vertical, label) && sizes_[element::NveVertical].second > 0) {
        pen.setFont(settings_.schriftart, s * sizes_[element::NveVertical].first);
        pen.element = element::NveVertical;
        const QString letters = vertical.designation();
        for (qsizetype k = 0; k < letters.size(); ++k) {
            pen.x = s * (2 * vertical.left + options.offsetX);
            pen.y = s * (2 * vertical.top + options.offsetY + 2 * double(k) * EntryLineMm);
            printText(pen, letters.mid(k, 1), std::numeric_limits<double>::infinity());
        }
    }
    pen.texts.draw(painter);
    for (int k = 0; k < 3; ++k) {
        const LayoutElement& e = label.elements[element::FirstBarcode + k];
        if (!drawn[k] ||
            !setUpBarcode(painter, label, kinds[k], barcodeDataString(kinds[k], nve, fieldCode)))
            continue;
        const QRectF extent = symbols_[k].draw(painter,
                                               QPointF(qRound(s * (2 * e.left + options.offsetX)),
                                                       qRound(s * (2 * e.top + options.offsetY))),
                                               s);
        if (options.extents)
            options.extents->push_back({element::FirstBarcode + k, extent});
    }
    const double pxPerMm =
        std::hypot(painter.deviceTransform().m11(), painter.deviceTransform().m12());
    const double px = s * settings_.linienstaerke > 0.5 ? s * settings_.linienstaerke : 0.51;
    QPen line(Qt::black, px / pxPerMm, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(line);
    for (int i = element::FirstHorizontalLine; i < element::Count; ++i) {
        const LayoutElement& e = label.elements[i];
        if (!isActive(e, label))
            continue;
        const QPointF from(s * (2 * e.left + options.offsetX), s * (2 * e.top + options.offsetY));
        const QPointF to = i < element::FirstVerticalLine
                               ? QPointF(s * (2 * (e.left + e.width) + options.offsetX), from.y())
                               : QPointF(from.x(), s * (2 * (e.top + e.height) + options.offsetY));
        painter.drawLine(from, to);
    }
    painter.restore();
    return outcome;
}

} // namespace palomex
