#pragma once
// Distributes a scanned barcode into the entry fields: a GS1-128 element string by
// data identifier into the data rows, any other barcode by character positions.

#include "app/SettingsRecord.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace palomex {

struct Label;

// A data row as the scan sees it.
struct ScanRow {
    QString identifierEntry; // "(10) Charge ...|format", empty for the blank entry
    QString content;
    bool todayPlusDays = false; // rows 0 to 5: the date is today + days
    int days = 0;
    int dateFormat = 0; // the list position of the row's "Heute + Tage" format
    int minDays = -9999;
    int maxDays = 9999;
};

// The fields a scan may write.
struct ScanFields {
    std::array<ScanRow, 10> rows;
    QString sender;
    QString receiver;
    std::array<QString, 3> extras;
};

struct ScanSetup {
    QString fnc1Identifier;
    QString fnc1Separator;
    QString barcodeIdentifier;
    bool onlyEmptyFields = false;
    // The identifiers (digits) a GS1-128 scan may fill; empty allows all.
    QStringList allowedIdentifiers;
    std::array<ScanPositionRow, 5> slices{};
    // The catalogue entries of the selection list, entry 1 onward.
    QStringList catalogue;
};

ScanSetup scanSetupFrom(const SettingsRecord& record, const QStringList& catalogue);

// How far a scan could be read.
enum class ScanProblem {
    None,
    UnknownIdentifier, // a GS1-128 element whose identifier is not in the catalogue
    MalformedElement,  // too short, too long, not digits, no date
    NoPositions,       // a general barcode, but no slice is set up
};

struct ScanResult {
    ScanProblem problem = ScanProblem::None;
    QString message; // for the user; empty when the scan was read to its end
    bool ok() const { return problem == ScanProblem::None; }
};

// The identifier digits of an entry ("(10) Charge" -> "10"), empty for none.
QString identifierDigits(const QString& entry);

// The length of the current element's data (hol_maxlen): the fixed length of the
// entry's format, else the characters before the next separator.
int elementLength(const QString& rest, const QString& entry, const QString& separator);

// Applies a scan to the fields. The fields filled before a problem keep their
// contents; the element with the problem and everything after it stay unread.
ScanResult applyScan(const QString& scan, const ScanSetup& setup, ScanFields& fields,
                     const QDate& today = QDate::currentDate());

// The same on a label: its data rows, sender, receiver and additional texts.
ScanResult applyScan(const QString& scan, const ScanSetup& setup, Label& label,
                     const QDate& today = QDate::currentDate());

// The two parts of a scanned test barcode "0<separator>0" behind the start
// identifier: {identifier, separator}; either is empty when not recognised.
std::pair<QString, QString> detectFnc1(const QString& scannedTestBarcode);
// The characters a scanner puts before a barcode whose contents begin with typed.
QString detectBarcodeIdentifier(const QString& scanned, const QString& typed);

} // namespace palomex
