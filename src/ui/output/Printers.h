#pragma once
// The installed printers as the settings name them: "name, port" entries for the
// label and list printer, names for the PDF driver, where the built-in PDF writer
// is offered as a driver of its own.

#include <QStringList>

namespace palomex {

// What the system offers to print on, asked once: each question goes to the print
// server, and start-up needs all three answers.
struct InstalledPrinters {
    QStringList entries; // "name, port", the port being the CUPS location
    QStringList names;
    QString current; // the system's current printer, empty when there is none

    // The choices of the PDF driver list: the built-in writer, then every printer.
    QStringList pdfDrivers() const;
};

InstalledPrinters installedPrinters();

} // namespace palomex
