#pragma once
// A large label with all three barcodes in use: GTIN and a counted batch in the
// upper one, an order number in the lower one, and the NVE. The print tests, the
// command line tests and the print benchmark use it; printTestSymbols (Decode.h)
// reads its symbols back.

#include "db/InitialLayout.h"
#include "db/Label.h"

namespace palomex::test {

inline Label printTestLabel() {
    Label l;
    l.name = QStringLiteral("Palette groß");
    l.format = LabelFormat::Large;
    l.height = 230;
    applyInitialLayout(l);
    // Texts small enough that neighbouring columns do not run into each other.
    for (int i = element::Sender; i <= element::NveLine; ++i)
        l.elements[i].setState(6, 10,
                               i >= element::NveVertical ? QStringLiteral("NVE") : QString());
    l.nveBasis = QStringLiteral("4012345");
    l.nveLaufNr = QStringLiteral("1");
    l.parties[0].text = QStringLiteral("Musterfirma GmbH\nLagerstraße 1");
    l.parties[1].text = QStringLiteral("Beispiel AG\nHafenweg 7");
    l.fields[1].identifier = QStringLiteral("(01) GTIN der Handelseinheit |¤N=14");
    l.fields[1].caption = QStringLiteral("GTIN");
    l.fields[1].content = QStringLiteral("401234512345"); // the check digit is added
    l.fields[2].identifier = QStringLiteral("(10) Losnummer / Chargennummer |©A…20");
    l.fields[2].caption = QStringLiteral("Charge");
    l.fields[2].content = QStringLiteral("LOT«0009»");
    l.fields[2].autoValue = true; // counts up by one per NVE
    l.fields[2].days = 1;
    l.fields[6].identifier = QStringLiteral("(400) Bestellnummer des Warenempfängers |A…30");
    l.fields[6].caption = QStringLiteral("Bestellung");
    l.fields[6].content = QStringLiteral("PO-4711");
    l.extras[0].text = QStringLiteral("Vorsicht Glas");
    return l;
}

} // namespace palomex::test
