#include "output/Gs1Encoder.h"

#include "output/FontChoice.h"

#include <QPainter>
#include <QtMath>

#include <zint.h>

#include <memory>

namespace palomex {

namespace {

constexpr QChar AiOpen = u'\u00AB';
constexpr QChar AiClose = u'\u00BB';
constexpr QChar CheckMark = u'\u00A5';
constexpr QChar SeparatorMark = u'\u00B5';
constexpr QChar CheckCodeMark = u'\u00A4';

// Code 128: every symbol character is 11 modules wide, the stop pattern 13.
constexpr int StopModules = 13;
constexpr int CharModules = 11;

// Code 128 symbol characters 0 to 105 as bar and space widths in modules, then stop.
constexpr const char* Code128Widths[] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};
constexpr int Fnc1Value = 102;
constexpr int StartBValue = 104;
constexpr int StopValue = 106;

} // namespace

bool isGs1Char(QChar c) {
    static const QString punctuation = QStringLiteral("!\"%&'()*+,-./:;<=>?_");
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
           punctuation.contains(c);
}

QChar gs1CheckDigit(QStringView digits) {
    if (digits.isEmpty())
        return QChar();
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (!digits[i].isDigit() || digits[i].unicode() > '9')
            return QChar();
        sum += weight * (digits[i].unicode() - '0');
        weight = 4 - weight;
    }
    return QChar(u'0' + (10 - sum % 10) % 10);
}

QString displayForm(const QString& dataString) {
    QString s = dataString;
    s.replace(AiOpen, u'(').replace(AiClose, u')');
    s.remove(SeparatorMark).remove(CheckCodeMark);
    return s;
}

struct Gs1Encoder::Parsed {
    // zint's GS1 input per element ("[AI]data"), human-readable per element.
    QList<QByteArray> zint;
    QStringList readable;
    QStringList source;
    int dataChars = 0;
    QString error;
};

Gs1Encoder::Parsed Gs1Encoder::parse(const QString& dataString) {
    Parsed p;
    qsizetype i = 0;
    const qsizetype n = dataString.size();
    while (i < n && p.error.isEmpty()) {
        const qsizetype start = i;
        if (dataString[i] != AiOpen) {
            p.error = QStringLiteral("data before the first application identifier");
            break;
        }
        const qsizetype close = dataString.indexOf(AiClose, i + 1);
        const qsizetype next = dataString.indexOf(AiOpen, i + 1);
        if (close < 0 || (next >= 0 && next < close)) {
            p.error = QStringLiteral("application identifier not closed");
            break;
        }
        const QString ai = dataString.mid(i + 1, close - i - 1);
        const qsizetype end = next < 0 ? n : next;
        const QString raw = dataString.mid(close + 1, end - close - 1);
        i = end;
        bool aiDigits = ai.size() >= 2 && ai.size() <= 4;
        for (QChar c : ai)
            aiDigits = aiDigits && c >= u'0' && c <= u'9';
        if (!aiDigits) {
            p.error = QStringLiteral("application identifier \"%1\" is not 2 to 4 digits").arg(ai);
            break;
        }
        QString data;
        for (QChar c : raw) {
            if (c == SeparatorMark || c == CheckCodeMark)
                continue;
            if (c == CheckMark) {
                const QChar digit = gs1CheckDigit(data);
                if (digit.isNull()) {
                    p.error =
                        QStringLiteral("check digit wanted after non-digits \"%1\"").arg(data);
                    break;
                }
                data += digit;
            } else if (isGs1Char(c)) {
                data += c;
            } else {
                p.error = QStringLiteral("character \"%1\" cannot be encoded").arg(c);
                break;
            }
        }
        if (data.isEmpty() && p.error.isEmpty())
            p.error = QStringLiteral("no data after application identifier %1").arg(ai);
        p.zint.append("[" + ai.toLatin1() + "]" + data.toLatin1());
        p.readable.append(u'(' + ai + u')' + data);
        p.source.append(dataString.mid(start, end - start));
        p.dataChars += int(ai.size() + data.size());
    }
    return p;
}

bool Gs1Encoder::encodable(const QByteArray& zintInput, QVector<bool>* modules, QString* why) {
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    symbol->symbology = BARCODE_GS1_128;
    // Data validity is the entry rules' business; zint places the FNC1 separators
    // after variable-length identifiers from its own identifier table.
    symbol->input_mode = GS1_MODE | GS1NOCHECK_MODE;
    const int rc =
        ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(zintInput.constData()),
                        int(zintInput.size()));
    if (rc >= ZINT_ERROR) {
        *why = QString::fromLatin1(symbol->errtxt);
        return false;
    }
    const int width = symbol->width;
    const int chars = (width - StopModules) / CharModules;
    if (chars > MaxSymbolChars) {
        *why = QStringLiteral("%1 symbol characters").arg(chars);
        return false;
    }
    if (modules) {
        modules->resize(width);
        for (int x = 0; x < width; ++x)
            (*modules)[x] = (symbol->encoded_data[0][x >> 3] >> (x & 7)) & 1;
    }
    return true;
}

Gs1Encoder::Gs1Encoder() = default;

bool Gs1Encoder::bareSymbol(const QString& dataString, QVector<bool>* modules, QString* readable,
                            qsizetype* acceptedChars, QString* why) {
    QVector<int> values{StartBValue, Fnc1Value};
    readable->clear();
    *acceptedChars = 0;
    for (QChar c : dataString) {
        if (c == SeparatorMark) {
            values.append(Fnc1Value);
        } else if (isGs1Char(c)) {
            values.append(c.unicode() - 32);
            readable->append(c);
        } else {
            *why = QStringLiteral("character \"%1\" cannot be encoded").arg(c);
            return false;
        }
        // Start, FNC1, the characters so far and the check character.
        if (readable->size() > MaxDataChars || values.size() + 1 > MaxSymbolChars) {
            *why = QStringLiteral("%1 symbol characters").arg(values.size() + 1);
            return false;
        }
        ++*acceptedChars;
    }
    if (readable->isEmpty()) {
        *why = QStringLiteral("no data");
        return false;
    }
    int check = values[0];
    for (qsizetype i = 1; i < values.size(); ++i)
        check += int(i) * values[i];
    values.append(check % 103);
    values.append(StopValue);
    modules->clear();
    for (int v : values) {
        bool bar = true;
        for (const char* w = Code128Widths[v]; *w; ++w, bar = !bar)
            modules->append(QVector<bool>(*w - '0', bar));
    }
    return true;
}

void Gs1Encoder::setBareData(const QString& elementString) {
    qsizetype acceptedChars = 0;
    accepted_ = bareSymbol(elementString, &modules_, &humanReadable_, &acceptedChars, &rejection_);
    if (accepted_) {
        readBack_ = elementString;
        rejection_.clear();
        return;
    }
    readBack_ = elementString.left(acceptedChars);
    if (readBack_ == elementString) // refused as a whole: still differ
        readBack_.chop(1);
    humanReadable_.clear();
    modules_.clear();
}

void Gs1Encoder::setData(const QString& dataString) {
    const Parsed p = parse(dataString);
    QByteArray input;
    for (const QByteArray& z : p.zint)
        input += z;
    QString why = p.error;
    if (why.isEmpty() && p.dataChars > MaxDataChars)
        why = QStringLiteral("%1 data characters").arg(p.dataChars);
    accepted_ = why.isEmpty() && !input.isEmpty() && encodable(input, &modules_, &why);
    if (accepted_) {
        readBack_ = dataString;
        humanReadable_ = p.readable.join(QString());
        rejection_.clear();
        return;
    }
    // Read back the longest run of whole elements that still fits.
    rejection_ = why.isEmpty() ? QStringLiteral("no data") : why;
    readBack_.clear();
    humanReadable_.clear();
    modules_.clear();
    QByteArray prefix;
    int chars = 0;
    for (qsizetype k = 0; k < p.zint.size(); ++k) {
        QString ignored;
        const QString& element = p.readable[k];
        chars += int(element.size() - 2);
        if (chars > MaxDataChars || !encodable(prefix + p.zint[k], nullptr, &ignored))
            break;
        prefix += p.zint[k];
        readBack_ += p.source[k];
    }
    if (readBack_ == dataString) // an error inside the last element: still differ
        readBack_.chop(1);
}

double Gs1Encoder::symbolWidth() const {
    if (modules_.isEmpty())
        return 0;
    const int quiet = quietZones_ ? 2 * QuietZoneModules : 0;
    return (modules_.size() + quiet) * moduleOnDevice();
}

double Gs1Encoder::moduleOnDevice() const {
    const double nominal = moduleWidthMm(moduleStep_);
    return pxPerMm_ > 0 ? qMax(1, qRound(nominal * pxPerMm_)) / pxPerMm_ : nominal;
}

double Gs1Encoder::textHeight() const {
    // One text line of the human-readable font with a little leading.
    return textSize_ > 0 ? textSize_ * 25.4 / 72.0 * 1.2 : 0.0;
}

double Gs1Encoder::height() const {
    return modules_.isEmpty() ? 0 : barHeight_ + textHeight();
}

QRectF Gs1Encoder::draw(QPainter& painter, const QPointF& topLeft, double scale) const {
    if (modules_.isEmpty())
        return {};
    const int quiet = quietZones_ ? QuietZoneModules : 0;
    const qsizetype n = modules_.size();
    // All bars in one call: one fill for the symbol, whatever the surface.
    QVector<QRectF> bars;
    const auto addBars = [&](double left, double module, double adjust, auto rect) {
        for (qsizetype x = 0; x < n;) {
            if (!modules_[x]) {
                ++x;
                continue;
            }
            qsizetype run = 1;
            while (x + run < n && modules_[x + run])
                ++run;
            const double w = std::max(module / 2, double(run) * module - adjust);
            // A reduction keeps the bar centred on its nominal place.
            bars.append(rect(left + double(x) * module + (double(run) * module - w) / 2, w));
            x += run;
        }
    };
    const double moduleMm = moduleOnDevice() * scale;
    double barsMm = barHeight_ * scale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    if (pxPerMm_ > 0) {
        // Whole device pixels: the painter works in them for the bars.
        const QTransform toDevice = painter.deviceTransform();
        const QPointF origin = toDevice.map(topLeft);
        const int modulePx = qMax(1, qRound(moduleWidthMm(moduleStep_) * pxPerMm_));
        const int adjustPx = qRound(barAdjustUm_ / 1000.0 * pxPerMm_);
        const int top = qRound(origin.y());
        const int barPx = qMax(1, qRound(barHeight_ * pxPerMm_));
        addBars(qRound(origin.x()) + quiet * modulePx, modulePx, adjustPx,
                [&](double x, double w) { return QRectF(qRound(x), top, qRound(w), barPx); });
        painter.resetTransform();
        barsMm = barPx / pxPerMm_ * scale;
    } else {
        // Counted in modules across and in bar heights down: a PDF then gives the
        // bars as small whole numbers.
        painter.translate(topLeft.x() + quiet * moduleMm, topLeft.y());
        painter.scale(moduleMm, barsMm);
        addBars(0, 1, barAdjustUm_ / 1000.0 * scale / moduleMm,
                [&](double x, double w) { return QRectF(x, 0, w, 1); });
    }
    painter.drawRects(bars);
    painter.restore();

    const double symbolMm = double(n + 2 * quiet) * moduleMm;
    QRectF extent(topLeft, QSizeF(symbolMm, barsMm));
    if (textSize_ > 0 && !humanReadable_.isEmpty()) {
        // A line wider than the symbol is set smaller rather than run past it.
        const MmFont* font = &fonts_.font(fontFamily_, textSize_ * scale, painter.device());
        if (font->width(humanReadable_) > symbolMm)
            font = &fonts_.font(
                fontFamily_,
                fittingPoints(textSize_ * scale, font->width(humanReadable_), symbolMm),
                painter.device());
        const double textMm = font->width(humanReadable_);
        const QPointF at(topLeft.x() + (symbolMm - textMm) / 2, topLeft.y() + barsMm);
        painter.save();
        painter.setPen(Qt::black);
        font->draw(painter, at, humanReadable_);
        painter.restore();
        extent |= QRectF(at, QSizeF(textMm, font->height()));
    }
    return extent;
}

} // namespace palomex
