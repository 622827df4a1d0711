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

QString installedPrinter(const QString& entry) {
    const QString wanted = entry.trimmed();
    const QList<QPrinterInfo> installed = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo& p : installed) {
        if (wanted == p.printerName() || wanted == entryOf(p).trimmed())
            return p.printerName();
    }
    const QString current = QPrinterInfo::defaultPrinterName();
    if (!current.isEmpty() || installed.isEmpty())
        return current;
    return installed.first().printerName();
}

QStringList pdfDrivers() {
    return QStringList{builtInPdfDriver()} + QPrinterInfo::availablePrinterNames();
}

} // namespace palomex
