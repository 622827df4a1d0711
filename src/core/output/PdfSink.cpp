#include "output/PdfSink.h"

#include <QPageSize>

namespace palomex {

namespace {
constexpr int kResolution = 600;
}

PdfSink::PdfSink(const QString& path, const QSizeF& pageMm, const QString& title)
    : writer_(path), pageMm_(pageMm) {
    writer_.setTitle(title);
    writer_.setCreator(QStringLiteral("Palomex"));
    writer_.setResolution(kResolution);
    writer_.setPageSize(QPageSize(pageMm, QPageSize::Millimeter));
    writer_.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (painter_.begin(&writer_))
        painter_.scale(kResolution / 25.4, kResolution / 25.4);
}

PdfSink::~PdfSink() {
    if (painter_.isActive())
        painter_.end();
}

bool PdfSink::newPage() {
    return writer_.newPage();
}

} // namespace palomex
