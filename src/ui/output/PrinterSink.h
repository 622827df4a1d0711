#pragma once
// Pages of a print run sent to an installed printer (CUPS through Qt). The
// painter's unit is one millimetre from the corner of the printable area.

#include "output/PrintRun.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace palomex {

class Prompter;
class Workspace;

class PrinterSink : public PageSink {
public:
    // paperSource: the position in the printer's list of paper sources, -1 for
    // the printer's own choice.
    PrinterSink(const QPrinterInfo& printer, QSizeF paperMm, bool landscape,
                const QString& documentName, int paperSource = -1);
    ~PrinterSink() override;

    bool ok() const { return painter_.isActive(); }
    QPainter& painter() override { return painter_; }
    bool newPage() override { return printer_.newPage(); }
    QSizeF paperMm() const override;
    QSizeF printableMm() const override;
    std::optional<QString> finish() override;
    void discard() override;

    // What stands for a printer of the settings that is not installed.
    enum class Missing { Current, Refuse };
    // The installed printer a settings entry ("name, location") stands for. An empty
    // entry stands for the system's current printer, and so does one of a printer
    // no longer installed unless refused; a null one when there is none. The entry
    // may have lost the blank after its comma: the settings trim what they read.
    static QPrinterInfo installedPrinter(const QString& settingsEntry,
                                         Missing missing = Missing::Current);
    // Opens the printer of the settings entry for a print job, or tells the user
    // why it cannot.
    static SinkOpener opener(const QString& settingsEntry, const QString& documentName,
                             Prompter& prompter, int paperSource = -1,
                             Missing missing = Missing::Current);
    // The paper sources CUPS names for a printer (its "InputSlot" option); empty
    // for a printer without one or without the CUPS tools.
    static QStringList paperSources(const QString& printerName);

    // The label printer of the workspace's settings, for its current label.
    static SinkOpener labelPrinter(Workspace& workspace);

private:
    QPrinter printer_;
    QPainter painter_;
};

} // namespace palomex
