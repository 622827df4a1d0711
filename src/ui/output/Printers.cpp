#include "ui/output/Printers.h"

#include "output/PdfSink.h"

#include <QPrinterInfo>

namespace palomex {

QString settingsEntry(const QPrinterInfo& printer) {
    return printer.printerName() + QStringLiteral(", ") + printer.location();
}

bool standsFor(const QString& stored, const QString& name, const QString& entry) {
    const QString wanted = stored.trimmed();
    return wanted == name || wanted == entry.trimmed();
}

InstalledPrinters installedPrinters() {
    InstalledPrinters printers;
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters()) {
        printers.entries << settingsEntry(p);
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
