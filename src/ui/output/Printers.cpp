#include "ui/output/Printers.h"

#include "output/PdfSink.h"

#include <QPrinterInfo>

namespace palomex {

InstalledPrinters installedPrinters() {
    InstalledPrinters printers;
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters()) {
        printers.entries << p.printerName() + QStringLiteral(", ") + p.location();
        printers.names << p.printerName();
        if (p.isDefault())
            printers.current = p.printerName();
    }
    return printers;
}

QStringList InstalledPrinters::pdfDrivers() const {
    return QStringList{builtInPdfDriver()} + names;
}

} // namespace palomex
