#pragma once
// The installed printers as the settings name them: "name, port" entries for the
// label and list printer, names for the PDF driver, where the built-in PDF writer
// is offered as a driver of its own.

#include <QStringList>

namespace palomex {

// One "name, port" entry per installed printer, the port being its CUPS location.
QStringList printerEntries();

// The choices of the PDF driver list: the built-in writer, then every installed printer.
QStringList pdfDrivers();

} // namespace palomex
