#include "support/Decode.h"

// Only bytes() and symbologyIdentifier() are read; the UTF-8 text interface keeps
// the reader from announcing its coming change on every build.
#define ZX_USE_UTF8 1
#include <ZXing/GTIN.h>
#include <ZXing/ReadBarcode.h>

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>

namespace palomex::test {

namespace {

std::optional<Decoded> decodeOne(const QImage& gray) {
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                ZXing::ImageFormat::Lum, int(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128);
    // Every row of a whole page is looked at, not only a few around its middle.
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setMaxNumberOfSymbols(1);
    for (const ZXing::Result& r : ZXing::ReadBarcodes(view, hints)) {
        if (!r.isValid())
            continue;
        const auto& bytes = r.bytes();
        int x0 = gray.width(), y0 = gray.height(), x1 = 0, y1 = 0;
        for (const auto& p : r.position()) {
            x0 = std::min(x0, p.x);
            y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x);
            y1 = std::max(y1, p.y);
        }
        return Decoded{QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())),
                       QString::fromStdString(r.symbologyIdentifier()),
                       QRect(QPoint(x0, y0), QPoint(x1, y1))};
    }
    return std::nullopt;
}

// Whether a row holds bars between x0 and x1: a fair share of dark pixels.
bool barsInRow(const QImage& gray, int y, int x0, int x1) {
    const uchar* row = gray.constScanLine(y);
    int dark = 0;
    for (int x = x0; x <= x1; ++x)
        dark += row[x] < 128;
    return dark * 5 > x1 - x0;
}

} // namespace

std::vector<Decoded> decodeAll(const QImage& image, int maxSymbols) {
    // The reader finds one symbol at a time on the whole image; a symbol found is
    // whited out, bars top to bottom, so that the next search finds another.
    QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<Decoded> found;
    while (int(found.size()) < maxSymbols) {
        const auto d = decodeOne(gray);
        if (!d)
            break;
        found.push_back(*d);
        const int x0 = std::max(0, d->where.left());
        const int x1 = std::min(gray.width() - 1, d->where.right());
        int top = std::clamp(d->where.top(), 0, gray.height() - 1);
        int bottom = std::clamp(d->where.bottom(), 0, gray.height() - 1);
        while (top > 0 && barsInRow(gray, top - 1, x0, x1))
            --top;
        while (bottom < gray.height() - 1 && barsInRow(gray, bottom + 1, x0, x1))
            ++bottom;
        QPainter(&gray).fillRect(QRect(QPoint(x0, top), QPoint(x1, bottom)), Qt::white);
    }
    std::sort(found.begin(), found.end(),
              [](const Decoded& a, const Decoded& b) { return a.where.top() < b.where.top(); });
    return found;
}

QImage blankImage(double widthMm, double heightMm, int dpi) {
    QImage image(qRound(widthMm * dpi / 25.4), qRound(heightMm * dpi / 25.4), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

std::vector<QImage> pdfPages(const QString& pdf, int dpi) {
    QTemporaryDir dir;
    QProcess p;
    // Poppler warns about every glyph of some PDF producers; the pages are what counts.
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
             QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("p"))});
    p.waitForFinished(120000);
    // pdftoppm numbers the pages with as many digits as the last one needs.
    QStringList files = QDir(dir.path()).entryList({QStringLiteral("p-*.png")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::vector<QImage> pages;
    for (const QString& f : files)
        pages.emplace_back(dir.filePath(f));
    return pages;
}

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

std::vector<QByteArray> printTestSymbols(const QImage& page, int dpi) {
    const double k = dpi / 25.4;
    std::vector<QByteArray> found;
    // One band per symbol, so that each is read on its own.
    for (const auto& [top, bottom] : {std::pair{105.0, 141.0}, {141.0, 178.0}, {178.0, 230.0}}) {
        const auto symbols =
            decodeAll(page.copy(0, qRound(top * k), page.width(), qRound((bottom - top) * k)));
        found.push_back(symbols.empty() ? QByteArray() : symbols.front().content);
    }
    return found;
}

QByteArray nveSymbol(qint64 running) {
    const std::string digits =
        QStringLiteral("4012345%1").arg(running, 10, 10, QChar('0')).toStdString();
    return QByteArray("00") + digits.c_str() + referenceCheckDigit(digits);
}

char referenceCheckDigit(const std::string& digits) {
    return ZXing::GTIN::ComputeCheckDigit(digits);
}

} // namespace palomex::test
