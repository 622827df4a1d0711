#pragma once
// The installed printers as the settings name them: "name, port" entries for the
// label and list printer, names for the PDF driver, where the built-in PDF writer
// is offered as a driver of its own.

#include <QStringList>

namespace palomex {

// One "name, port" entry per installed printer, the port being its CUPS location.
QStringList printerEntries();

// The installed printer a settings entry stands for. An empty entry, or that of a
// printer no longer installed, stands for the system's current printer; empty when
// no printer is installed at all. The stored entry may have lost the blank after
// its comma: the settings trim what they read.
QString installedPrinter(const QString& settingsEntry);

// The choices of the PDF driver list: the built-in writer, then every installed printer.
QStringList pdfDrivers();

} // namespace palomex
