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

TEST_F(Fixture, ElementsThatNoRowCarries) {
    struct Case {
        const char* scan;
        const char* batch;   // row 1 afterwards
        const char* message; // empty for none
    };
    const Case cases[] = {
        {"]00340123450000000017"
         "10LOT1",
         "LOT1", ""},                 // NVE skipped
        {"]2101@10LOT2", "LOT2", ""}, // 21 in the catalogue, on no row
        {"]2042"
         "10LOT3",
         "LOT3", ""}, // fixed length 2, no separator
        {"]10LOT4@99XYZ", "LOT4", "Unbekannter Datenbezeichner: \n99XYZ@"},
        {"]10", "", ""}, // empty element at the end
    };
    for (const Case& c : cases) {
        fields.rows[1].content.clear();
        const ScanResult r = applyScan(QString::fromUtf8(c.scan), setup, fields, today);
        EXPECT_EQ(fields.rows[1].content, QString::fromUtf8(c.batch)) << c.scan;
        EXPECT_EQ(r.message, QString::fromUtf8(c.message)) << c.scan;
        EXPECT_EQ(r.problem, *c.message ? ScanProblem::UnknownIdentifier : ScanProblem::None);
    }
}

// A broken element stops the scan with a message; what came before it stays
// written, the broken element and what follows it are not.
TEST_F(Fixture, MalformedElementsAreReportedAndNotWritten) {
    struct Case {
        const char* scan;
        const char* message;
    };
    const Case cases[] = {
        {"]10OK@01123", "Das Element (01) ist unvollständig:\n01123@"},
        {"]10OK@0112345@78901234", "Das Element (01) ist unvollständig:\n0112345@78901234@"},
        {"]10OK@01040123456789AB",
         "Das Element (01) darf nur Ziffern enthalten:\n01040123456789AB@"},
        {"]10OK@10ABCDEFGHIJKLMNOPQRSTU",
         "Das Element (10) ist länger als 20 Zeichen:\n10ABCDEFGHIJKLMNOPQRSTU@"},
        {"]10OK@15261332", "Das Element (15) ist kein gültiges Datum (JJMMTT):\n15261332@"},
        {"]10OK@152612", "Das Element (15) ist unvollständig:\n152612@"},
    };
    for (const Case& c : cases) {
        fields = {};
        fields.rows[0].identifierEntry = kGtin;
        fields.rows[1].identifierEntry = kBatch;
        fields.rows[2].identifierEntry = kBest;
        fields.rows[2].content = QStringLiteral("alt");
        const ScanResult r = applyScan(QString::fromUtf8(c.scan), setup, fields, today);
        EXPECT_EQ(r.problem, ScanProblem::MalformedElement) << c.scan;
        EXPECT_EQ(r.message, QString::fromUtf8(c.message)) << c.scan;
        EXPECT_EQ(fields.rows[0].content, QString()) << c.scan;
        EXPECT_EQ(fields.rows[1].content, QStringLiteral("OK")) << c.scan;
        EXPECT_EQ(fields.rows[2].content, QStringLiteral("alt")) << c.scan;
    }
}

// Decimal identifiers carry the number of decimal places in their last digit;
// the field gets the value with its decimal comma, as it would be typed.
TEST(ScanDecimals, DecimalPlacesComeFromTheIdentifier) {
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

// Days from today where the spin box reaches; a month stays a month.
TEST_F(Fixture, DatesWithTodayPlusDays) {
    fields.rows[2].todayPlusDays = true;
    fields.rows[2].minDays = 0;
    fields.rows[2].maxDays = 365;
    EXPECT_TRUE(applyScan(QStringLiteral("]15261216"), setup, fields, today).ok());
    EXPECT_EQ(fields.rows[2].days, 10);
    EXPECT_TRUE(fields.rows[2].todayPlusDays);
    EXPECT_TRUE(applyScan(QStringLiteral("]15291216"), setup, fields, today).ok());
    EXPECT_FALSE(fields.rows[2].todayPlusDays) << "out of the spin range";
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("16.12.2029"));
    EXPECT_EQ(fields.rows[2].days, 10);

    fields.rows[2].todayPlusDays = true;
    fields.rows[2].days = 0;
    EXPECT_TRUE(applyScan(QStringLiteral("]15261200"), setup, fields, today).ok());
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("~12/2026"));
    EXPECT_TRUE(fields.rows[2].todayPlusDays) << "a month is no day to count to";
    EXPECT_EQ(fields.rows[2].days, 0);
}

TEST_F(Fixture, GeneralBarcodesBySlices) {
    fields.sender = QStringLiteral("x");
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

TEST_F(Fixture, EmptyScanChangesNothing) {
    fields.rows[1].content = QStringLiteral("alt");
    const ScanResult r = applyScan(QString(), setup, fields, today);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("alt"));
}

TEST(ScanLabel, LabelFieldsRoundTheScan) {
    Label label;
    label.fields[0].identifier = kGtin;
    label.fields[2].identifier = kBest;
    label.fields[2].autoValue = true;
    label.fields[2].days = 3;
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
    EXPECT_EQ(label.fields[2].content, QStringLiteral("16.12.2026"));
    EXPECT_EQ(label.fields[2].days, 10);
    EXPECT_TRUE(label.fields[2].autoValue);
    EXPECT_EQ(label.fields[7].content, QStringLiteral("NEU"));
    EXPECT_EQ(label.fields[1].content, QStringLiteral("SN9"));
    EXPECT_EQ(label.fields[1].days, 5);

    EXPECT_TRUE(applyScan(QStringLiteral("Freitext"), setup, label).ok());
    EXPECT_EQ(label.extras[0].text, QStringLiteral("Freitext"));
}

TEST(ScanDetection, Fnc1AndBarcodeIdentifier) {
    struct Case {
        const char* scanned;
        const char* identifier;
        const char* separator;
    };
    const Case cases[] = {{"]C10@0", "]C1", "@"},
                          {"~0#0", "~", "#"},
                          {"00", "", ""},
                          {"]C100", "]C1", ""},
                          {"", "", ""}};
    for (const Case& c : cases) {
        const auto [id, sep] = detectFnc1(QString::fromUtf8(c.scanned));
        EXPECT_EQ(id, QString::fromUtf8(c.identifier)) << c.scanned;
        EXPECT_EQ(sep, QString::fromUtf8(c.separator)) << c.scanned;
    }
    const char* const identifiers[][3] = {{"]E04012345", "4012", "]E0"},
                                          {"]A0ABC123", "ABC1", "]A0"},
                                          {"#12345", "12345", "#"},
                                          {"4012345", "4012", ""},
                                          {"]A0ABC123", "XYZ1", ""}};
    for (const auto& [scanned, typed, identifier] : identifiers)
        EXPECT_EQ(detectBarcodeIdentifier(QString::fromUtf8(scanned), QString::fromUtf8(typed)),
                  QString::fromUtf8(identifier))
            << scanned;
}

TEST(ScanDates, TwoDigitYearsFallInto1930To2029) {
    ScanSetup setup;
    setup.fnc1Identifier = QStringLiteral("]");
    ScanFields fields;
    fields.rows[0].identifierEntry = kBest;
    for (const auto& [scan, shown] :
         {std::pair{"]15291231", "31.12.2029"}, std::pair{"]15300101", "01.01.1930"},
          std::pair{"]15000229", "29.02.2000"}}) {
        EXPECT_TRUE(applyScan(QString::fromUtf8(scan), setup, fields).ok());
        EXPECT_EQ(fields.rows[0].content, QString::fromUtf8(shown)) << scan;
    }
}
