#include "ui/output/Printers.h"

#include "output/PdfSink.h"

#include <QPrinterInfo>

namespace palomex {

namespace {
QString entryOf(const QPrinterInfo& p) {
    return p.printerName() + QStringLiteral(", ") + p.location();
}
} // namespace

QStringList printerEntries() {
    QStringList entries;
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters())
        entries << entryOf(p);
    return entries;
}

QStringList pdfDrivers() {
    return QStringList{builtInPdfDriver()} + QPrinterInfo::availablePrinterNames();
}

} // namespace palomex
