#pragma once
// Pages of a print run written to a PDF file by the built-in writer: needs no
// printer driver. The painter's unit is one millimetre.

#include "output/PrintRun.h"

#include <QPainter>
#include <QPdfWriter>
#include <memory>

namespace palomex {

class PdfSink : public PageSink {
public:
    // A page of the label's size for single labels, DIN A4 for sheets.
    PdfSink(const QString& path, const QSizeF& pageMm, const QString& title);
    ~PdfSink() override;

    bool ok() const { return painter_.isActive(); }
    QPainter& painter() override { return painter_; }
    bool newPage() override;
    QSizeF paperMm() const override { return pageMm_; }
    QSizeF printableMm() const override { return pageMm_; }

private:
    QPdfWriter writer_;
    QPainter painter_;
    QSizeF pageMm_;
};

} // namespace palomex
