#include "scan/ScanParser.h"

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

TEST_F(Fixture, Gs1ScanFillsTheRowsByIdentifier) {
    EXPECT_FALSE(applyScan(QStringLiteral("]0104012345678901"
                                          "10ABC@15261231"),
                           setup, fields, today));
    EXPECT_EQ(fields.rows[0].content, QStringLiteral("04012345678901"));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("ABC"));
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("31.12.2026"));
}

TEST_F(Fixture, RowsOutsideTheScanListAndFilledRowsStay) {
    setup.allowedIdentifiers = {QStringLiteral("01"), QStringLiteral("15")};
    fields.rows[1].content = QStringLiteral("alt");
    EXPECT_FALSE(applyScan(QStringLiteral("]0104012345678901"
                                          "10ABC@15261231"),
                           setup, fields, today));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("alt"));
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("31.12.2026"));

    setup.allowedIdentifiers.clear();
    setup.onlyEmptyFields = true;
    fields.rows[0].content = QStringLiteral("voll");
    EXPECT_FALSE(applyScan(QStringLiteral("]0104012345678901"
                                          "10XYZ"),
                           setup, fields, today));
    EXPECT_EQ(fields.rows[0].content, QStringLiteral("voll"));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("alt"));
}

TEST_F(Fixture, ElementsThatNoRowCarries) {
    struct Case {
        const char* scan;
        const char* batch;   // row 1 afterwards
        const char* message; // start of the message, empty for none
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
        const auto message = applyScan(QString::fromUtf8(c.scan), setup, fields, today);
        EXPECT_EQ(fields.rows[1].content, QString::fromUtf8(c.batch)) << c.scan;
        if (*c.message) {
            ASSERT_TRUE(message) << c.scan;
            EXPECT_EQ(*message, QString::fromUtf8(c.message));
        } else {
            EXPECT_FALSE(message) << c.scan << ": " << message.value_or(QString()).toStdString();
        }
    }
}

TEST_F(Fixture, ScannerPrefixesAndSeparatorOnlyScans) {
    setup.fnc1Identifier = QStringLiteral("]C1");
    EXPECT_FALSE(applyScan(QStringLiteral("xx]C110ABC@15270101"), setup, fields, today));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("ABC"));
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("01.01.2027"));
    setup.fnc1Identifier.clear();
    EXPECT_FALSE(applyScan(QStringLiteral("@10DEF"), setup, fields, today));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("DEF"));
}

TEST_F(Fixture, DatesWithTodayPlusDays) {
    fields.rows[2].todayPlusDays = true;
    fields.rows[2].minDays = 0;
    fields.rows[2].maxDays = 365;
    EXPECT_FALSE(applyScan(QStringLiteral("]15261216"), setup, fields, today));
    EXPECT_EQ(fields.rows[2].days, 10);
    EXPECT_TRUE(fields.rows[2].todayPlusDays);
    EXPECT_FALSE(applyScan(QStringLiteral("]15291216"), setup, fields, today));
    EXPECT_FALSE(fields.rows[2].todayPlusDays) << "out of the spin range";
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("16.12.2029"));
    EXPECT_FALSE(applyScan(QStringLiteral("]15991300"), setup, fields, today));
    EXPECT_EQ(fields.rows[2].content, QStringLiteral("991300")) << "no valid date: kept as scanned";
}

TEST_F(Fixture, GeneralBarcodesBySlices) {
    fields.sender = QStringLiteral("x");
    EXPECT_EQ(applyScan(QStringLiteral("ABCDEFGH"), setup, fields, today),
              QStringLiteral("Es wurden keine zu scannenden Stellen ausgewählt."));
    setup.barcodeIdentifier = QStringLiteral("#E0");
    setup.slices[0] = {1, 3, 1};     // sender
    setup.slices[1] = {4, 0, 4};     // additional text 1, from position 4 on
    setup.slices[2] = {2, 5, 6 + 1}; // the row carrying catalogue entry 2, (10)
    EXPECT_FALSE(applyScan(QStringLiteral("#E0ABCDEFGH"), setup, fields, today));
    EXPECT_EQ(fields.sender, QStringLiteral("ABC"));
    EXPECT_EQ(fields.extras[1], QStringLiteral("DEFGH"));
    EXPECT_EQ(fields.rows[1].content, QStringLiteral("BCDE"));
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
    EXPECT_EQ(detectBarcodeIdentifier(QStringLiteral("]E04012345"), QStringLiteral("4012")),
              QStringLiteral("]E0"));
    EXPECT_EQ(detectBarcodeIdentifier(QStringLiteral("4012345"), QStringLiteral("4012")),
              QString());
}

TEST(ScanDates, TwoDigitYearsFallInto1930To2029) {
    ScanSetup setup;
    setup.fnc1Identifier = QStringLiteral("]");
    ScanFields fields;
    fields.rows[0].identifierEntry = kBest;
    for (const auto& [scan, shown] :
         {std::pair{"]15291231", "31.12.2029"}, std::pair{"]15300101", "01.01.1930"},
          std::pair{"]15000229", "29.02.2000"}}) {
        EXPECT_FALSE(applyScan(QString::fromUtf8(scan), setup, fields));
        EXPECT_EQ(fields.rows[0].content, QString::fromUtf8(shown)) << scan;
    }
}
