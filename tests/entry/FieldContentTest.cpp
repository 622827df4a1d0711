#include "entry/FieldContent.h"
#include "app/Captions.h"
#include "entry/Catalogue.h"
#include "output/BarcodeData.h"

#include <gtest/gtest.h>

using namespace palomex;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);
const QDate kToday(2026, 12, 6);

QString entry(const char* identifier) {
    const auto e = Catalogue::forLanguage(0).find(QString::fromUtf8(identifier));
    EXPECT_TRUE(e) << identifier;
    return e ? e->text : QString();
}

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

DataField field(const char* identifier, const char* content) {
    DataField f;
    f.identifier = *identifier ? entry(identifier) : blankEntry();
    f.caption = QStringLiteral("Feld");
    f.content = u8(content);
    return f;
}

FieldContext at(int row, bool shown = true) {
    return FieldContext{row, shown, kToday, kGerman};
}

} // namespace

TEST(FieldContent, HolDiPerFieldType) {
    const struct {
        const char* id;
        const char* content;
        const char* expected;
    } cases[] = {
        // GTIN: padded to 13 digits and the check-digit placeholder, or taken as it is
        {"01", "123456789012", "0123456789012¥"},
        {"01", "12345678901231", "12345678901231"},
        {"01", "*12345678901", "0012345678901¥"},
        {"02", "40 12345 67890 1", "4012345678901¥"},
        // other numeric fields: padded when fixed, separator when variable or marked
        {"20", "5", "05"},
        {"410", "4012345000009", "4012345000009"},
        {"30", "1 200", "1200µ"},
        {"402", "1234", "00000000000001234µ"},
        {"422", "276", "276µ"},
        {"423", "276 040", "276040µ"},
        {"8005", "12", "000012µ"},
        // decimals: the places come from the identifier's fourth digit
        {"3102", "1.234,5", "123450"},
        {"3102", "7,5", "000750"},
        {"3102", "12345,678", "234567"},
        {"3100", "12,9", "000012"},
        {"3105", "0,123456", "012345"},
        {"3103", "1¸5", "001500"},
        {"3103", "1·5", "001500"},
        {"3922", "1234,5", "123450µ"},
        {"3920", "€ 250", "250µ"},
        {"3932", "978 1234,56", "978123456µ"},
        // dates
        {"15", "~12/2026", "261200"},
        {"15", "KW 5/26", "260126"},
        {"15", "31.12.2026", "261231"},
        {"13", "6. Dezember 2026", "261206"},
        {"17", "31.02.26", ""},
        // alphanumeric: as typed, print-only characters and running-part marks dropped
        {"10", "AB 12", "AB 12µ"},
        {"10", "AB\u00AF12", "AB12µ"},
        {"10", "LOT«0009»", "LOT0009µ"},
        {"240", "X·Y¸Z", "XYZµ"},
        // no identifier or no content
        {"", "123", ""},
        {"01", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(holDI(field(c.id, c.content), at(2)), u8(c.expected)) << c.id << " " << c.content;
    }
}

TEST(FieldContent, AutomaticDatesCountFromTodayOnTheFirstSixRows) {
    DataField f = field("17", "");
    f.autoValue = true;
    f.days = 30;
    f.dateFormat = 2;
    EXPECT_EQ(autoDateText(f, kToday, kGerman), "05.01.2027");
    // Not stored with the label, yet the field has its date.
    EXPECT_EQ(holDI(f, at(0)), "270105");
    EXPECT_EQ(holDB(f, at(5)), u8("«17»"));
    f.content = "01.01.2000"; // what the field showed when it was typed is not used
    EXPECT_EQ(holDI(f, at(5)), "270105");
    // Rows 6 to 9 have no check box: their text counts.
    EXPECT_EQ(holDI(f, at(6)), "000101");
    // A month-only display form gives a month-only barcode date.
    f.content.clear();
    f.dateFormat = 4;
    EXPECT_EQ(holDI(f, at(1)), "270100");
    f.dateFormat = 6;
    EXPECT_EQ(holDI(f, at(1)), "270104");
    f.days = -7;
    f.dateFormat = 0;
    EXPECT_EQ(holDI(f, at(1)), "261129");
}

TEST(FieldContent, FieldCodesMakeTheBarcodeDataStrings) {
    Label label;
    label.format = LabelFormat::Large;
    label.fields[0] = field("02", "4012345678901");
    label.fields[1] = field("01", "123456789012");
    label.fields[2] = field("3102", "7,5");
    label.fields[3] = field("10", "AB 12");
    label.fields[4] = field("15", "31.12.2026");
    label.fields[5] = field("30", "");
    label.fields[6] = field("422", "276");
    label.fields[9] = field("21", "S1");
    const FieldCode code = fieldCodeFor(label, kToday, kGerman);
    EXPECT_EQ(barcodeDataString(BarcodeKind::Upper, {}, code),
              u8("«01»0123456789012¥«3102»000750«10»AB 12µ«15»261231"));
    EXPECT_EQ(barcodeDataString(BarcodeKind::Lower, {}, code), u8("«422»276µ«21»S1"));
    EXPECT_EQ(barcodeDataString(BarcodeKind::Nve, "40 1234500000000017", code),
              u8("«00»401234500000000017¥«02»4012345678901¥"));
    // The function reads the label when called, as a run changes it.
    label.fields[5] = field("30", "12");
    EXPECT_EQ(code(5), u8("«30»12µ"));
    label.format = LabelFormat::Small;
    EXPECT_EQ(code(0), "");
    EXPECT_EQ(code(6), "");
    EXPECT_EQ(code(1), u8("«01»0123456789012¥"));
    label.format = LabelFormat::NveOnly;
    EXPECT_EQ(code(1), "");
}

TEST(FieldContent, ProblemsAreNamed) {
    Captions::global().setOffset(0);
    const struct {
        const char* id;
        const char* content;
        const char* message; // nullptr: fine
    } cases[] = {
        {"30", "12A4", "Im Feld (30) \"Feld\" sind nur Ziffern erlaubt: \"12A4\""},
        {"01", "*12345678901", nullptr},
        {"01", "1*2345678901", "Im Feld (01) \"Feld\" sind nur Ziffern erlaubt: \"1*2345678901\""},
        {"01", "0950 6000 13435 2", nullptr},
        {"02", "*9506000134352", nullptr},
        {"01", "09506000134353",
         "Im Feld (01) \"Feld\" stimmt die Prüfziffer nicht: eingegeben ist 3, richtig wäre 2: "
         "\"09506000134353\""},
        {"02", "*9506000134354",
         "Im Feld (02) \"Feld\" stimmt die Prüfziffer nicht: eingegeben ist 4, richtig wäre 2: "
         "\"*9506000134354\""},
        {"20", "123", "Im Feld (20) \"Feld\" sind höchstens 2 Ziffern möglich: \"123\""},
        {"20", "1 2", nullptr},
        {"3102", "1,234",
         "Im Feld (3102) \"Feld\" sind höchstens 2 Nachkommastellen möglich: \"1,234\""},
        {"3102", "12345,6",
         "Im Feld (3102) \"Feld\" sind höchstens 4 Stellen vor dem Komma möglich: \"12345,6\""},
        {"3102", "1.234,56", nullptr},
        {"3922", "12345678901234567,5", nullptr},
        {"3932", "12,5",
         "Im Feld (3932) \"Feld\" muss der Betrag mit dem dreistelligen Währungscode beginnen: "
         "\"12,5\""},
        {"3932", "978 12,5", nullptr},
        {"3102", "kg", "Im Feld (3102) \"Feld\" steht keine Zahl: \"kg\""},
        {"15", "31.02.26", "Im Feld (15) \"Feld\" ist kein Datum zu erkennen: \"31.02.26\""},
        {"15", "KW 5/26", nullptr},
        {"15", "~3/2027", nullptr},
        {"10", "LOT«1»", nullptr},
        {"10", "ABCDEFGHIJ«0123456789»", nullptr}, // the marks are not in the barcode
        {"10", "ABCDEFGHIJ0123456789X",
         "Im Feld (10) \"Feld\" sind höchstens 20 Zeichen möglich: \"ABCDEFGHIJ0123456789X\""},
        {"400", "PO-4711/3_a", nullptr},
        {"10", "LOT 7",
         "Im Feld (10) \"Feld\" steht das Zeichen \" \", das ein GS1-128-Barcode nicht enthalten "
         "kann (erlaubt sind Buchstaben ohne Umlaute, Ziffern und ! \" % & ' ( ) * + , - . / : ; "
         "< = > ? _): \"LOT 7\""},
        {"30", "", nullptr},
        {"", "abc", nullptr},
    };
    for (const auto& c : cases) {
        const auto m = contentProblem(field(c.id, c.content), at(1));
        if (c.message)
            EXPECT_EQ(m.value_or(QString()), u8(c.message)) << c.id << " " << c.content;
        else
            EXPECT_FALSE(m.has_value())
                << c.id << " " << c.content << ": " << m.value_or(QString()).toStdString();
    }
}
