#pragma once
// The installed printers as the settings name them: "name, port" entries for the
// label and list printer, names for the PDF driver, where the built-in PDF writer
// is offered as a driver of its own.

#include <QStringList>

class QPrinterInfo;

namespace palomex {

// The settings entry of an installed printer: "name, location".
QString settingsEntry(const QPrinterInfo& printer);
// Whether a stored settings entry stands for the printer of that name and entry: it
// is the entry or the bare name. The settings trim what they read, so a stored entry
// of a printer without location has lost the blank after its comma.
bool standsFor(const QString& stored, const QString& name, const QString& entry);

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
