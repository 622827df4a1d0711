#pragma once
// Pages of a print run written to a PDF file by the built-in writer: needs no
// printer driver. The painter's unit is one millimetre.

#include "output/PrintRun.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <memory>

namespace palomex {

// The name under which the PDF driver list offers the built-in writer; it contains
// "PDF", so the search for a PDF driver at start-up finds it.
inline QString builtInPdfDriver() {
    return QStringLiteral("PDF-Datei (Palomex)");
}

class PdfSink : public PageSink {
public:
    // A page of the label's size for single labels, DIN A4 for sheets.
    PdfSink(const QString& path, const QSizeF& pageMm, const QString& title);
    ~PdfSink() override;

    bool ok() const { return painter_.isActive(); }
    // Why the file could not be opened or written.
    QString errorText() const { return file_.errorString(); }
    QPainter& painter() override { return painter_; }
    bool newPage() override;
    QSizeF paperMm() const override { return pageMm_; }
    QSizeF printableMm() const override { return pageMm_; }
    // A file that could not be written whole is removed: half a PDF helps nobody.
    std::optional<QString> finish() override;
    void discard() override;
    bool hasPixels() const override { return false; }

    // Opens the file for a print job, or tells the user why it cannot.
    static SinkOpener opener(const QString& path, const QString& title, Prompter& prompter);

private:
    QString notWritten() const;

    QFile file_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    QSizeF pageMm_;
};

} // namespace palomex
