// Labels drawn per second by the renderer: a large label with three barcodes and
// all its texts, onto an in-memory image at 300 dpi and onto PDF pages; and how
// many bytes of drawing instructions one label takes on a PDF page.

#include "../tests/support/PrintTestLabel.h"
#include "Workplace.h"
#include "entry/FieldContent.h"
#include "output/LabelRenderer.h"
#include "output/PdfSink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Draws count labels with one renderer; returns labels per second. Bars are drawn
// in whole device pixels only where the surface has them, as a print run does.
template <typename Surface>
double labelsPerSecond(int count, bool devicePixels, Surface&& surface) {
    palomex::bench::FixedAnswer prompter(palomex::Answer::No, true);
    palomex::SettingsRecord record;
    palomex::LabelRenderer renderer(record, prompter);
    const palomex::Label label = palomex::test::printTestLabel();
    palomex::RenderOptions options;
    options.devicePixels = devicePixels;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        palomex::Label drawn = label;
        QPainter& p = surface(i);
        renderer.render(p, drawn, QStringLiteral("4012345%1").arg(i, 10, 10, QChar('0')),
                        palomex::fieldCodeFor(drawn), options);
    }
    return count / (static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

// The inflated content stream of the first page of a PDF written by the built-in
// writer: the page names its content object, whose stream is deflated.
QByteArray firstPageContent(const QByteArray& pdf) {
    const auto object = [&](const QByteArray& number) {
        const qsizetype start = pdf.indexOf("\n" + number + " 0 obj");
        return pdf.mid(start, pdf.indexOf("endobj", start) - start);
    };
    const QRegularExpressionMatch page =
        QRegularExpression(QStringLiteral("/Type /Page\\b[^>]*/Contents (\\d+) 0 R"))
            .match(QString::fromLatin1(pdf));
    if (!page.hasMatch())
        return {};
    const QByteArray content = object(page.captured(1).toLatin1());
    const qsizetype from = content.indexOf("stream\n") + 7;
    QByteArray deflated = content.mid(from, content.lastIndexOf("endstream") - from);
    // qUncompress wants the expected size in front; it grows its buffer as needed.
    deflated.prepend(QByteArray("\0\0\x10\0", 4));
    return qUncompress(deflated);
}

} // namespace

// The optional argument is the number of labels per surface (default 2000): two
// runs under callgrind with different numbers give the instructions per label. A
// second argument keeps the one-label PDF of the page content figure under that name.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    constexpr int kDpi = 300;
    QImage image(qRound(148 * kDpi / 25.4), qRound(230 * kDpi / 25.4), QImage::Format_RGB32);
    QPainter onImage(&image);
    onImage.scale(kDpi / 25.4, kDpi / 25.4);
    image.fill(Qt::white);
    // Labels are drawn over each other: the figure is the drawing, not the clearing
    // of 19 MB of pixels per label.
    const double toImage = labelsPerSecond(count, true, [&](int) -> QPainter& { return onImage; });
    std::printf("render to an image at %d dpi: %.0f labels/s\n", kDpi, toImage);

    QTemporaryDir dir;
    palomex::PdfSink pdf(dir.filePath(QStringLiteral("render.pdf")), {148, 230},
                         QStringLiteral("render"));
    const double toPdf = labelsPerSecond(count, pdf.hasPixels(), [&](int i) -> QPainter& {
        if (i > 0)
            pdf.newPage();
        return pdf.painter();
    });
    pdf.finish();
    std::printf("render to PDF pages: %.0f labels/s\n", toPdf);

    const QString onePath =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("one.pdf"));
    {
        palomex::PdfSink one(onePath, {148, 230}, QStringLiteral("render"));
        labelsPerSecond(1, one.hasPixels(), [&](int) -> QPainter& { return one.painter(); });
        one.finish();
    }
    QFile written(onePath);
    if (!written.open(QIODevice::ReadOnly))
        return 1;
    std::printf("page content of one label: %lld bytes\n",
                static_cast<long long>(firstPageContent(written.readAll()).size()));
    return 0;
}
