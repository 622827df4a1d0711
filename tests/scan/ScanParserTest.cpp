#include "scan/ScanParser.h"

#include "db/Label.h"

#include <gtest/gtest.h>

using namespace palomex;

namespace {

const QString kGtin = QStringLiteral("(01) GTIN der Handelseinheit |¤N=14");
const QString kBatch = QStringLiteral("(10) Losnummer / Chargennummer |©A…20");
const QString kBest = QStringLiteral("(15) Mindesthaltbarkeitsdatum |†=6");
const QString kSerial = QStringLiteral("(21) Seriennummer |©A…20");
const QString kVariant = QStringLiteral("(20) Produktvariante |N=2");

struct Fixture : ::testing::Test {
    ScanSetup setup;
    ScanFields fields;
    const QDate today{2026, 12, 6};

    void SetUp() override {
        setup.fnc1Identifier = QStringLiteral("]");
        setup.fnc1Separator = QStringLiteral("@");
        setup.catalogue = {kGtin, kBatch, kBest, kSerial, kVariant};
        fields.rows[0].identifierEntry = kGtin;
        fields.rows[1].identifierEntry = kBatch;
        fields.rows[2].identifierEntry = kBest;
    }
};

} // namespace

// The rows are filled by identifier, except those outside the scan list and,
// when so set, those already filled.
TEST_F(Fixture, Gs1ScanFillsTheRowsByIdentifier) {
    setup.allowedIdentifiers = {QStringLiteral("01"), QStringLiteral("15")};
    fields.rows[1].content = QStringLiteral("alt");
    EXPECT_TRUE(applyScan(QStringLiteral("]0104012345678901"
                                         "10ABC@15261231"),
                          setup, fields, today)
                    .ok());
    EXPECT_EQ(fields.rows[0].content, QStringLiteral("04012345678901"));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("alt"));
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("31.12.2026"));

    setup.allowedIdentifiers.clear();
    setup.onlyEmptyFields = true;
    fields.rows[0].content = QStringLiteral("voll");
    fields.rows[1].content.clear();
    EXPECT_TRUE(applyScan(QStringLiteral("]0104012345678901"
                                         "10XYZ"),
                          setup, fields, today)
                    .ok());
    EXPECT_EQ(fields.rows[0].content, QStringLiteral("voll"));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("XYZ"));
}

// Elements that no row carries are skipped, an unknown identifier stops the scan,
// and so does a broken element; what came before stays written, the element with
// the problem and what follows it are not.
TEST_F(Fixture, SkippedUnknownAndMalformedElements) {
    const QString unknown = QStringLiteral("Unbekannter Datenbezeichner: \n");
    const QString incomplete = QStringLiteral("Das Element (01) ist unvollständig:\n");
    const struct {
        const char* scan;
        const char* batch; // row 1 afterwards
        ScanProblem problem;
        QString message;
    } cases[] = {
        {"]0034012345000000001710LOT1", "LOT1", ScanProblem::None, {}}, // NVE skipped
        {"]2101@10LOT2", "LOT2", ScanProblem::None, {}}, // 21 in the catalogue, on no row
        {"]204210LOT3", "LOT3", ScanProblem::None, {}},  // fixed length 2, no separator
        {"]10", "", ScanProblem::None, {}},              // empty element at the end
        {"]10LOT4@99XYZ", "LOT4", ScanProblem::UnknownIdentifier, unknown + "99XYZ@"},
        {"]10OK@01123", "OK", ScanProblem::MalformedElement, incomplete + "01123@"},
        {"]10OK@0112345@78901234", "OK", ScanProblem::MalformedElement,
         incomplete + "0112345@78901234@"},
        {"]10OK@01040123456789AB", "OK", ScanProblem::MalformedElement,
         "Das Element (01) darf nur Ziffern enthalten:\n01040123456789AB@"},
        {"]10OK@10ABCDEFGHIJKLMNOPQRSTU", "OK", ScanProblem::MalformedElement,
         "Das Element (10) ist länger als 20 Zeichen:\n10ABCDEFGHIJKLMNOPQRSTU@"},
        {"]10OK@15261332", "OK", ScanProblem::MalformedElement,
         "Das Element (15) ist kein gültiges Datum (JJMMTT):\n15261332@"},
    };
    for (const auto& c : cases) {
        fields.rows[0].content.clear();
        fields.rows[1].content.clear();
        fields.rows[2].content = QStringLiteral("alt");
        const ScanResult r = applyScan(QString::fromUtf8(c.scan), setup, fields, today);
        EXPECT_EQ(r.problem, c.problem) << c.scan;
        EXPECT_EQ(r.message, c.message) << c.scan;
        EXPECT_EQ(fields.rows[0].content, QString()) << c.scan;
        EXPECT_EQ(fields.rows[1].content, QString::fromUtf8(c.batch)) << c.scan;
        EXPECT_EQ(fields.rows[2].content, QStringLiteral("alt")) << c.scan;
    }
}

// Decimal identifiers carry the number of decimal places in their last digit; the
// field gets the value with its decimal comma, as it would be typed. Two-digit
// years fall into 1930 to 2029.
TEST(ScanContents, AsTheyWouldBeTyped) {
    struct Case {
        const char* entry;
        const char* scan;
        const char* content;
    };
    const Case cases[] = {
        {"(3102) Nettogewicht in Kilogramm |‡=6", "]3102001234", "12,34"},
        {"(3100) Nettogewicht in Kilogramm |‡=6", "]3100001234", "1234"},
        {"(3105) Nettogewicht in Kilogramm |‡=6", "]3105000005", "0,00005"},
        {"(3302) Bruttogewicht, Kilogramm |‡=6", "]3302000000", "0,00"},
        {"(3922) Zahlungsbetrag |‡…15", "]3922123450", "1234,50"},
        {"(3922) Zahlungsbetrag |‡…15", "]39220012345@", "00123,45"},
        {"(3932) Verkaufsbetrag mit ISO Währungsschlüssel |‡…18", "]3932978123456", "978 1234,56"},
        {"(15) Mindesthaltbarkeitsdatum |†=6", "]15291231", "31.12.2029"},
        {"(15) Mindesthaltbarkeitsdatum |†=6", "]15300101", "01.01.1930"},
        {"(15) Mindesthaltbarkeitsdatum |†=6", "]15000229", "29.02.2000"},
    };
    for (const Case& c : cases) {
        ScanSetup setup;
        setup.fnc1Identifier = QStringLiteral("]");
        setup.fnc1Separator = QStringLiteral("@");
        ScanFields fields;
        fields.rows[3].identifierEntry = QString::fromUtf8(c.entry);
        EXPECT_TRUE(applyScan(QString::fromUtf8(c.scan), setup, fields).ok()) << c.scan;
        EXPECT_EQ(fields.rows[3].content, QString::fromUtf8(c.content)) << c.scan;
    }
}

TEST_F(Fixture, ScannerPrefixesAndSeparatorOnlyScans) {
    setup.fnc1Identifier = QStringLiteral("]C1");
    EXPECT_TRUE(applyScan(QStringLiteral("xx]C110ABC@15270101"), setup, fields, today).ok());
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("ABC"));
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("01.01.2027"));
    setup.fnc1Identifier.clear();
    EXPECT_TRUE(applyScan(QStringLiteral("@10DEF"), setup, fields, today).ok());
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("DEF"));
}

TEST_F(Fixture, GeneralBarcodesBySlices) {
    fields.sender = QStringLiteral("x");
    EXPECT_TRUE(applyScan(QString(), setup, fields, today).ok()) << "nothing scanned yet";
    const ScanResult none = applyScan(QStringLiteral("ABCDEFGH"), setup, fields, today);
    EXPECT_EQ(none.problem, ScanProblem::NoPositions);
    EXPECT_EQ(none.message, QStringLiteral("Es wurden keine zu scannenden Stellen ausgewählt."));
    EXPECT_EQ(fields.sender, QStringLiteral("x"));
    setup.barcodeIdentifier = QStringLiteral("#E0");
    setup.slices[0] = {1, 3, 1};     // sender
    setup.slices[1] = {4, 0, 4};     // additional text 1, from position 4 on
    setup.slices[2] = {2, 5, 6 + 1}; // the row carrying catalogue entry 2, (10)
    setup.slices[3] = {7, 12, 2};    // receiver, beyond the end: shortened
    EXPECT_TRUE(applyScan(QStringLiteral("#E0ABCDEFGH"), setup, fields, today).ok());
    EXPECT_EQ(fields.sender, QStringLiteral("ABC"));
    EXPECT_EQ(fields.extras[1], QStringLiteral("DEFGH"));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("BCDE"));
    EXPECT_EQ(fields.receiver, QStringLiteral("GH"));

    setup.onlyEmptyFields = true;
    EXPECT_TRUE(applyScan(QStringLiteral("#E0ZZZZZZZZ"), setup, fields, today).ok());
    EXPECT_EQ(fields.sender, QStringLiteral("ABC"));
    EXPECT_EQ(fields.extras[0], QStringLiteral(""));
}

TEST(ScanLabel, LabelFieldsRoundTheScan) {
    Label label;
    label.fields[0].identifier = kGtin;
    label.fields[2].identifier = kBest;
    label.fields[2].autoValue = true;
    label.fields[2].days = 3;
    label.fields[2].dateFormat = 7; // yyyy/mm/dd
    label.fields[7].identifier = kBatch;
    label.fields[7].content = QStringLiteral("alt");
    label.fields[1].identifier = kSerial;
    label.fields[1].autoValue = true; // running number: not a date, left alone
    label.fields[1].days = 5;
    ScanSetup setup;
    setup.fnc1Identifier = QStringLiteral("]");
    setup.fnc1Separator = QStringLiteral("@");
    setup.slices[0] = {1, 0, 3};
    const ScanResult r = applyScan(QStringLiteral("]0104012345678901"
                                                  "15261216"
                                                  "10NEU@21SN9"),
                                   setup, label, QDate(2026, 12, 6));
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(label.fields[0].content, QStringLiteral("04012345678901"));
    EXPECT_EQ(label.fields[2].content, QStringLiteral("2026/12/16")) << "in the row's format";
    EXPECT_EQ(label.fields[2].days, 10);
    EXPECT_TRUE(label.fields[2].autoValue);
    EXPECT_EQ(label.fields[7].content, QStringLiteral("NEU"));
    EXPECT_EQ(label.fields[1].content, QStringLiteral("SN9"));
    EXPECT_EQ(label.fields[1].days, 5);

    // A month is no day to count to; a date beyond the days box's reach ends the
    // counting.
    EXPECT_TRUE(applyScan(QStringLiteral("]15261200"), setup, label, QDate(2026, 12, 6)).ok());
    EXPECT_EQ(label.fields[2].content, QStringLiteral("~12/2026"));
    EXPECT_TRUE(label.fields[2].autoValue);
    EXPECT_EQ(label.fields[2].days, 10);
    EXPECT_TRUE(applyScan(QStringLiteral("]15600101"), setup, label, QDate(2026, 12, 6)).ok());
    EXPECT_EQ(label.fields[2].content, QStringLiteral("01.01.1960"));
    EXPECT_FALSE(label.fields[2].autoValue);

    EXPECT_TRUE(applyScan(QStringLiteral("Freitext"), setup, label).ok());
    EXPECT_EQ(label.extras[0].text, QStringLiteral("Freitext"));
}
