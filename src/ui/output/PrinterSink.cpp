#include "ui/output/PrinterSink.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "app/Workspace.h"
#include "output/RunStrings.h"
#include "ui/output/Printers.h"

#include <QPageSize>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QProcess>

namespace palomex {

PrinterSink::PrinterSink(const QPrinterInfo& printer, QSizeF paperMm, bool landscape,
                         const QString& documentName, int paperSource)
    : printer_(printer, QPrinter::HighResolution) {
    // Asking CUPS for the sources starts a program; only a chosen source needs it.
    const QStringList sources =
        paperSource >= 0 ? paperSources(printer.printerName()) : QStringList();
    if (paperSource >= 0 && paperSource < sources.size()) {
        // Qt hands CUPS options to the job through this engine property.
        constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
        printer_.printEngine()->setProperty(
            kCupsOptions, QStringList{QStringLiteral("InputSlot"), sources[paperSource]});
    }
    printer_.setDocName(documentName);
    // The page is given upright; a landscape run turns it, so that the painter's
    // x axis runs along the long edge.
    const QSizeF upright = landscape ? paperMm.transposed() : paperMm;
    printer_.setPageSize(QPageSize(upright, QPageSize::Millimeter));
    printer_.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer_.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (painter_.begin(&printer_)) {
        const double k = printer_.resolution() / 25.4;
        painter_.scale(k, k);
    }
}

PrinterSink::~PrinterSink() {
    if (painter_.isActive())
        painter_.end();
}

QSizeF PrinterSink::paperMm() const {
    return printer_.paperRect(QPrinter::Millimeter).size();
}

QSizeF PrinterSink::printableMm() const {
    return printer_.pageRect(QPrinter::Millimeter).size();
}

std::optional<QString> PrinterSink::finish() {
    // The job goes to the spooler when the painter ends; that is where a printer
    // that has gone away refuses it.
    const bool ended = !painter_.isActive() || painter_.end();
    const QPrinter::PrinterState state = printer_.printerState();
    if (ended && state != QPrinter::Error && state != QPrinter::Aborted)
        return std::nullopt;
    return caption(runmsg::PrinterRefused).arg(printer_.printerName());
}

void PrinterSink::discard() {
    // Nothing has been spooled before the painter ends; aborting drops the job.
    printer_.abort();
    if (painter_.isActive())
        painter_.end();
}

QPrinterInfo PrinterSink::installedPrinter(const QString& entry, Missing missing) {
    // A printer's name holds no blank, so the entry's name is what comes before
    // its comma. Only that printer is asked for: every printer asked for is a round
    // trip to the spooler and a reading of its driver description.
    const QString wanted = entry.trimmed();
    if (!wanted.isEmpty()) {
        const QString name = wanted.section(QLatin1Char(','), 0, 0);
        const QPrinterInfo printer = QPrinterInfo::printerInfo(name);
        if (!printer.isNull() && standsFor(wanted, name, settingsEntry(printer)))
            return printer;
        if (missing == Missing::Refuse)
            return {};
    }
    const QPrinterInfo current = QPrinterInfo::defaultPrinter();
    return current.isNull()
               ? QPrinterInfo::printerInfo(QPrinterInfo::availablePrinterNames().value(0))
               : current;
}

QStringList PrinterSink::paperSources(const QString& printerName) {
    QStringList sources;
    QProcess lpoptions;
    lpoptions.start(QStringLiteral("lpoptions"),
                    {QStringLiteral("-p"), printerName, QStringLiteral("-l")});
    if (!lpoptions.waitForFinished(3000))
        return sources;
    for (const QString& line :
         QString::fromLocal8Bit(lpoptions.readAllStandardOutput()).split('\n')) {
        if (!line.startsWith(QLatin1String("InputSlot")))
            continue;
        for (QString slot :
             line.section(QLatin1Char(':'), 1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            sources << slot.remove(QLatin1Char('*'));
    }
    return sources;
}

SinkOpener PrinterSink::labelPrinter(Workspace& workspace) {
    const SettingsRecord& record = workspace.record();
    return opener(record.drucker, workspace.session().name(), workspace.prompter(),
                  record.druckerschacht);
}

SinkOpener PrinterSink::opener(const QString& entry, const QString& documentName,
                               Prompter& prompter, int paperSource, Missing missing) {
    return [entry, documentName, &prompter, paperSource,
            missing](QSizeF paper, bool landscape) -> std::unique_ptr<PageSink> {
        const QPrinterInfo printer = installedPrinter(entry, missing);
        if (printer.isNull()) {
            prompter.tell(missing == Missing::Current ? caption(312)
                                                      : caption(runmsg::NoSuchPrinter).arg(entry),
                          Icon::Critical);
            return nullptr;
        }
        auto sink =
            std::make_unique<PrinterSink>(printer, paper, landscape, documentName, paperSource);
        if (sink->ok())
            return sink;
        prompter.tell(caption(runmsg::PrinterRefused).arg(printer.printerName()), Icon::Critical);
        return nullptr;
    };
}

} // namespace palomex
