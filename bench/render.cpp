// Labels drawn per second by the renderer: a large label with three barcodes and
// all its texts, onto an in-memory image at 300 dpi and onto PDF pages.

#include "../tests/support/PrintTestLabel.h"
#include "app/Prompter.h"
#include "entry/FieldContent.h"
#include "output/LabelRenderer.h"
#include "output/PdfSink.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

class QuietPrompter : public palomex::Prompter {
public:
    palomex::Answer ask(const QString& text, palomex::Buttons, palomex::Icon) override {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return palomex::Answer::No;
    }
};

// Draws count labels with one renderer; returns labels per second.
template <typename Surface> double labelsPerSecond(int count, Surface&& surface) {
    QuietPrompter prompter;
    palomex::SettingsRecord record;
    palomex::LabelRenderer renderer(record, prompter);
    const palomex::Label label = palomex::test::printTestLabel();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        palomex::Label drawn = label;
        QPainter& p = surface(i);
        renderer.render(p, drawn, QStringLiteral("4012345%1").arg(i, 10, 10, QChar('0')),
                        palomex::fieldCodeFor(drawn), {});
    }
    return count / (static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

} // namespace

// The optional argument is the number of labels per surface (default 2000): two
// runs under callgrind with different numbers give the instructions per label.
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
    const double toImage = labelsPerSecond(count, [&](int) -> QPainter& { return onImage; });
    std::printf("render to an image at %d dpi: %.0f labels/s\n", kDpi, toImage);

    QTemporaryDir dir;
    palomex::PdfSink pdf(dir.filePath(QStringLiteral("render.pdf")), {148, 230},
                         QStringLiteral("render"));
    const double toPdf = labelsPerSecond(count, [&](int i) -> QPainter& {
        if (i > 0)
            pdf.newPage();
        return pdf.painter();
    });
    pdf.finish();
    std::printf("render to PDF pages: %.0f labels/s\n", toPdf);
    return 0;
}
