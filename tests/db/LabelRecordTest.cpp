#include "db/LabelRecord.h"
#include "db/InitialLayout.h"

#include <gtest/gtest.h>

using namespace palomex;

namespace {

// A few catalogue entries in the catalogue's own form: code, description, format.
const QStringList kCatalogue = {
    QString(),
    "(00)   NVE|N18¤",
    "(01)   GTIN|N14¤",
    "(10)   Charge|©X…20µ",
    "(15)   Mindesthaltbarkeit|†N6",
    "(3102) Nettogewicht kg|‡N6",
    "(422)  Ursprungsland|®N3",
};

QString lookUp(const QString& code) {
    for (const QString& e : kCatalogue) {
        if (e.startsWith(code, Qt::CaseInsensitive))
            return e;
    }
    return kCatalogue.first();
}

LabelRow emptyRow() {
    LabelRow row;
    for (const QString& c : labelColumns())
        row[c] = QString();
    return row;
}

// A label with every part set to unusual but legal values.
Label unusualLabel() {
    Label l;
    l.name = R"(Ä'b"c%_ü ß — 50% «x»)";
    l.format = LabelFormat::Large;
    l.height = 210;
    l.logoFile = "/home/lager/Logos/Firma Ölmühle.bmp";
    l.logo = {1.5, 2, 30.5, 12};
    l.nveBasis = "40 12345 67";
    l.nveLaufNr = "000000123";
    l.anzahlNVEs = "9999";
    l.anzahlProNVE = 3;
    l.parties[0] = {"Absender:", "Müller & Söhne\r\nHauptstr. 1"};
    l.parties[1] = {"Empfänger", "Dupont «Lyon»\r\n69000 Lyon"};
    l.fields[0] = {kCatalogue[4], "MHD", {}, true, 30, 2};
    l.fields[1] = {kCatalogue[3], "Charge", "000123", true, 1, 0};
    l.fields[2] = {kCatalogue[5], "Netto", "12¸5·0¯€", false, 0, 0};
    l.fields[3] = {kCatalogue[3], "Los", "A-17", false, 0, 0};
    l.fields[4] = {kCatalogue[6], "Land", "276", false, 0, 0};
    l.fields[5] = {kCatalogue[4], "Datum", "1.7.24", false, 0, 0};
    l.fields[7] = {kCatalogue[2], QString(50, QChar(u'ö')), "*4012345678901¥µ", false, 0, 0};
    l.extras[0] = {"Hinweis", "† ‡ ¤ © ® µ ¥ · ¸ ¯"};
    l.extras[2] = {QString(80, QLatin1Char('x')), "Zeile 1\r\nZeile 2"};
    for (int e = 0; e < element::FirstHorizontalLine; ++e) {
        l.elements[e].left = 0.5 * e + 1.5;
        l.elements[e].top = 100 - e;
        l.elements[e].setState(8 + e, 0);
    }
    l.elements[element::FirstField + 1].state = "12|24|Horz";
    l.elements[element::NveLine].state = "12|24|SSCC";
    for (int j = 0; j < 10; ++j) {
        LayoutElement& e = l.elements[element::FirstHorizontalLine + j];
        e.left = 57.1 + j;
        e.top = 110.1 + j;
        (j <= 5 ? e.width : e.height) = 46.5 - j;
    }
    return l;
}

} // namespace

// Each part in its column as stored since the first version, and read back unchanged.
TEST(LabelRecord, UnusualLabelRoundTripsThroughKnownColumnEncodings) {
    const LabelRow row = encodeLabel(unusualLabel());
    const struct {
        const char* column;
        QString text;
    } cases[] = {
        {"Etikformat", "2"},
        {"EtikHöhe", "210"},
        {"Logo_PosXY", "1.5|2|30.5|12"},
        {"Linien", "57.1|110.1|46.5|58.1|111.1|45.5|59.1|112.1|44.5|60.1|113.1|"
                   "43.5|61.1|114.1|42.5|62.1|115.1|41.5|63.1|116.1|40.5|64.1|"
                   "117.1|39.5|65.1|118.1|38.5|66.1|119.1|37.5|"},
        {"AbsEmpf0_PosXY", "1.5|100|8|0"},
        {"DB1_PosXY", "3|97|12|24|Horz"},
        {"NVE_PosXY", "9.5|84|12|24|SSCC"},
        {"KleinNVE_PosXY", "9|85|23|0"},
        {"Barcode2_PosXY", "11|81|27|0"},
        {"DBCombo0", "(15)"},
        {"DBCombo2", "(3102)"},
        {"DBCombo6", QString()},
        {"DIText0", " 1| 30| 2"},
        {"DIText1", " 1| 1|000123"},
        {"DIText3", "A-17"},   // box not ticked: the text itself
        {"DIText5", "1.7.24"}, // date typed by hand
        {"AnzahlNVEs", "9999"},
        {"AnzahlProNVE", "3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(row.value(QString::fromUtf8(c.column)).toString(), c.text) << c.column;
    EXPECT_EQ(row.size(), labelColumns().size());
    for (const QString& c : labelColumns())
        EXPECT_TRUE(row.contains(c)) << qPrintable(c);
    const DecodedLabel back = decodeLabel(row, lookUp);
    EXPECT_TRUE(back.notes.isEmpty()) << back.notes.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(back.label == unusualLabel());
}

// Whether field row 4 stands at left and top with that state; with no left given,
// where a new label has it.
bool placed(const Label& l, double left = -1, double top = 0, const char* state = "12|24") {
    const Label fresh = storedNewLabel(l.format);
    const LayoutElement& e = l.fieldElement(4);
    const LayoutElement& f = fresh.fieldElement(4);
    return left < 0 ? e.left == f.left && e.top == f.top && e.state == f.state
                    : e.left == left && e.top == top && e.state == QLatin1String(state);
}

TEST(LabelRecord, HandWrittenValuesLoadToTheirMeaning) {
    const struct {
        const char* column;
        QVariant stored;
        std::function<bool(const Label&)> holds;
    } cases[] = {
        {"DB4_PosXY", "40|12", [](const Label& l) { return placed(l, 40, 12); }},
        {"DB4_PosXY", "35,5|12|12|24|0",
         [](const Label& l) { return placed(l, 35.5, 12, "12|24|0"); }},
        {"DB4_PosXY", "35.5|12|8|9|Horz|rest",
         [](const Label& l) { return placed(l, 35.5, 12, "8|9|Horz"); }},
        {"DB4_PosXY", "1.234,5|3|8", [](const Label& l) { return placed(l, 1234.5, 3); }},
        // Unreadable or missing: the place of a new label.
        {"DB4_PosXY", "7", [](const Label& l) { return placed(l); }},
        {"AnzahlNVEs", "0", [](const Label& l) { return l.anzahlNVEs == "1"; }},
        {"AnzahlNVEs", QVariant(), [](const Label& l) { return l.anzahlNVEs == "1"; }},
        {"AnzahlNVEs", "25", [](const Label& l) { return l.anzahlNVEs == "25"; }},
        {"AnzahlProNVE", 0, [](const Label& l) { return l.anzahlProNVE == 1; }},
        {"Etikformat", 7, [](const Label& l) { return l.format == LabelFormat::Small; }},
        {"Etikformat", 0, [](const Label& l) { return l.format == LabelFormat::NveOnly; }},
        {"Logo_PosXY", "10|20",
         [](const Label& l) {
             const LayoutRect fresh = storedNewLabel(l.format).logo;
             return l.logo == LayoutRect{10, 20, fresh.width, fresh.height};
         }},
        {"Linien", "1|2|3|4|5",
         [](const Label& l) {
             return l.elements[20].left == 1 && l.elements[20].width == 3 &&
                    l.elements[21].top == 5 &&
                    l.elements[21].width == storedNewLabel(l.format).elements[21].width;
         }},
        {"Linien", "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|7|8|9|0|0|0|0|0|0|0|0|0|",
         [](const Label& l) {
             return l.elements[26].left == 7 && l.elements[26].height == 9 &&
                    l.elements[26].width == 0;
         }},
        {"DBCombo3", "(3102)",
         [](const Label& l) { return l.fields[3].identifier == kCatalogue[5]; }},
        {"DBCombo3", "(00", [](const Label& l) { return l.fields[3].identifier == kCatalogue[1]; }},
        {"DBCombo3", "(99)", [](const Label& l) { return l.fields[3].identifier.isEmpty(); }},
    };
    for (const auto& c : cases) {
        LabelRow row = emptyRow();
        row[QString::fromUtf8(c.column)] = c.stored;
        EXPECT_TRUE(c.holds(decodeLabel(row, lookUp).label))
            << c.column << " = " << c.stored.toString().toStdString();
    }
}

TEST(LabelRecord, AutomaticValueColumnsLoadIntoTheirControls) {
    const struct {
        const char* identifier;
        const char* stored;
        bool autoValue;
        int days, format;
        const char* content;
    } cases[] = {
        {"(15)", " 1| 30| 2", true, 30, 2, ""},         {"(15)", " 0| 5| 4", false, 5, 4, ""},
        {"(15)", " 1| 30| 42", true, 30, 0, ""}, // format index out of range
        {"(10)", " 1| 1|000123", true, 1, 0, "000123"}, {"(10)", " 1| 10", true, 10, 0, ""},
        {"(3102)", "1|2|3", false, 0, 0, "1|2|3"}, // no marker: plain text
        {"(15)", "31.12.24", false, 0, 0, "31.12.24"},
    };
    for (const auto& c : cases) {
        LabelRow row = emptyRow();
        row["DBCombo5"] = QString::fromUtf8(c.identifier);
        row["DIText5"] = QString::fromUtf8(c.stored);
        const DataField f = decodeLabel(row, lookUp).label.fields[5];
        EXPECT_EQ(f.autoValue, c.autoValue) << c.stored;
        EXPECT_EQ(f.days, c.days) << c.stored;
        EXPECT_EQ(f.dateFormat, c.format) << c.stored;
        EXPECT_EQ(f.content, QString::fromUtf8(c.content)) << c.stored;
    }
    // Rows 6 to 9 have no controls: the encoded text stays the content either way.
    LabelRow row = emptyRow();
    row["DBCombo8"] = "(15)";
    row["DIText8"] = " 1| 30| 2";
    EXPECT_EQ(decodeLabel(row, lookUp).label.fields[8].content, " 1| 30| 2");
    Label l;
    l.fields[6] = {kCatalogue[4], {}, "x", true, 5, 1};
    l.fields[2] = {kCatalogue[5], {}, "12,5", true, 5, 1}; // identifier without marker
    row = encodeLabel(l);
    EXPECT_EQ(row.value("DIText6").toString() + row.value("DIText2").toString(), "x12,5");
}

TEST(LabelRecord, OlderRowsLoadWithDefaultsAndNotes) {
    const struct {
        const char* what;
        std::function<void(LabelRow&)> damage;
        const char* noteNames;
    } cases[] = {
        {"no position columns",
         [](LabelRow& r) {
             for (const QString& c : labelColumns()) {
                 if (c.endsWith(QLatin1String("_PosXY")) || c == QLatin1String("Linien"))
                     r.remove(c);
             }
         },
         "NVE_PosXY"},
        {"text in a number column", [](LabelRow& r) { r["Etikformat"] = "groß"; }, "Etikformat"},
        {"text in a day count",
         [](LabelRow& r) {
             r["DBCombo0"] = "(15)";
             r["DIText0"] = " 1| dreißig| 2";
         },
         "DIText0"},
        {"only the name",
         [](LabelRow& r) {
             r = {{"EtikName", "Alt"}};
         },
         "AnzahlProNVE"},
    };
    for (const auto& c : cases) {
        LabelRow row = encodeLabel(Label{});
        c.damage(row);
        const DecodedLabel d = decodeLabel(row, lookUp);
        EXPECT_TRUE(d.notes.join(QLatin1Char(' ')).contains(QString::fromUtf8(c.noteNames)))
            << c.what << ": " << d.notes.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(d.label.elements[element::NveLine].state, LayoutElement::kDefaultState) << c.what;
    }
}
