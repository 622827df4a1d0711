// Feeds arbitrary text to the scan parser as if a scanner had typed it, into a
// label whose rows hold identifiers of every kind: fixed and variable lengths,
// dates, decimals. No input may crash it, hang it or read out of range.

#include "app/Captions.h"
#include "db/Label.h"
#include "entry/Catalogue.h"
#include "scan/ScanParser.h"

#include <QDate>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const palomex::Catalogue& catalogue = palomex::Catalogue::forLanguage(0);
    static const palomex::ScanSetup setup = [] {
        palomex::SettingsRecord r;
        r.fnc1Identifier = QStringLiteral("]C1");
        r.fnc1Trenner = QStringLiteral("@");
        r.barcodeIdentifier = QStringLiteral("]A0");
        r.stellen[0] = {1, 4, 1};
        r.stellen[1] = {5, 40, 7};
        return palomex::scanSetupFrom(r, catalogue.selectionList().mid(1));
    }();
    palomex::Label label;
    const char* const identifiers[] = {"01", "10", "15", "3102", "400", "422", "21", "3922"};
    int row = 0;
    for (const char* id : identifiers) {
        if (const auto entry = catalogue.find(QString::fromLatin1(id)))
            label.fields[row++].identifier = entry->text;
    }
    label.fields[2].autoValue = true;
    const QString scanned = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                              static_cast<qsizetype>(size));
    palomex::applyScan(scanned, setup, label, QDate(2026, 12, 7));
    return 0;
}
