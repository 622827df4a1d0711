#pragma once
// Pages of a print run sent to an installed printer (CUPS through Qt). The
// painter's unit is one millimetre from the corner of the printable area.

#include "output/PrintRun.h"

#include <QPainter>
#include <QPrinter>

namespace palomex {

class Prompter;

class PrinterSink : public PageSink {
public:
    // paperSource: the position in the printer's list of paper sources, -1 for
    // the printer's own choice.
    PrinterSink(const QString& printerName, QSizeF paperMm, bool landscape,
                const QString& documentName, int paperSource = -1);
    ~PrinterSink() override;

    bool ok() const { return painter_.isActive(); }
    QPainter& painter() override { return painter_; }
    bool newPage() override { return printer_.newPage(); }
    QSizeF paperMm() const override;
    QSizeF printableMm() const override;
    std::optional<QString> finish() override;
    void discard() override;

    // Opens an installed printer for a print job, or tells the user why it cannot
    // (empty name: none is installed).
    static SinkOpener opener(const QString& printerName, const QString& documentName,
                             Prompter& prompter, int paperSource = -1);
    // The paper sources CUPS names for a printer (its "InputSlot" option); empty
    // for a printer without one or without the CUPS tools.
    static QStringList paperSources(const QString& printerName);

private:
    QPrinter printer_;
    QPainter painter_;
};

} // namespace palomex
