#include "support/Decode.h"

// Only bytes() and symbologyIdentifier() are read; the UTF-8 text interface keeps
// the reader from announcing its coming change on every build.
#define ZX_USE_UTF8 1
#include <ZXing/GTIN.h>
#include <ZXing/ReadBarcode.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

namespace palomex::test {

std::vector<Decoded> decodeAll(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                ZXing::ImageFormat::Lum, int(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128);
    hints.setTryHarder(false);
    hints.setTryRotate(false);
    hints.setMaxNumberOfSymbols(1);
    std::vector<Decoded> found;
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
        found.push_back({QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())),
                         QString::fromStdString(r.symbologyIdentifier()),
                         QRect(QPoint(x0, y0), QPoint(x1, y1))});
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
