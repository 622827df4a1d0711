// Typed field contents through holDB/holDI, the barcode data string and the encoder,
// read back by an independent reader: the element string must be what GS1 defines
// for the content the user meant.

#include "entry/Catalogue.h"
#include "entry/FieldContent.h"
#include "output/BarcodeData.h"
#include "output/Gs1Encoder.h"
#include "support/Decode.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::decodeAll;
using palomex::test::referenceCheckDigit;

namespace {

const QByteArray GS("\x1d");

std::string withCheck(const std::string& digits) {
    return digits + referenceCheckDigit(digits);
}

DataField typed(const char* identifier, const char* content) {
    DataField f;
    f.identifier = Catalogue::forLanguage(0).find(QString::fromUtf8(identifier))->text;
    f.content = QString::fromUtf8(content);
    return f;
}

QByteArray decodedUpperBarcode(const Label& label) {
    const QString data = barcodeDataString(
        BarcodeKind::Upper, {}, fieldCodeFor(label, QDate(2026, 12, 6), QLocale(QLocale::German)));
    Gs1Encoder enc;
    enc.setData(data);
    EXPECT_TRUE(enc.accepted()) << enc.rejection().toStdString();
    enc.setQuietZones(true);
    enc.setModuleStep(3);
    enc.setBarHeight(15);
    const int dpi = 300;
    QImage image = palomex::test::blankImage(enc.width() + 10, enc.height() + 10, dpi);
    {
        QPainter p(&image);
        p.scale(dpi / 25.4, dpi / 25.4);
        enc.draw(p, QPointF(5, 5));
    }
    const auto found = decodeAll(image);
    if (found.size() != 1)
        return "no single symbol";
    EXPECT_EQ(found[0].symbology, "]C1");
    return found[0].content;
}

} // namespace

TEST(FieldBarcode, TypedContentsGiveTheGs1ElementStrings) {
    const struct {
        std::vector<std::pair<const char*, const char*>> fields; // rows 1 to 5
        QByteArray expected;
    } cases[] = {
        {{{"01", "40 1234 567890"}, {"3102", "7,5"}},
         QByteArray("01") + withCheck("0401234567890").c_str() + "3102000750"},
        {{{"02", "*4012345678901"}, {"37", "24"}, {"15", "~12/2026"}},
         QByteArray("02") + withCheck("0401234567890").c_str() + "3724" + GS + "15261200"},
        {{{"10", "LOT\u00AF17"}, {"17", "KW 5/26"}, {"3922", "1.234,5"}},
         QByteArray("10LOT17") + GS + "17260126" + "3922123450"},
        {{{"3932", "978 12,34"}, {"422", "276"}, {"410", "4012345000009"}},
         QByteArray("39329781234") + GS + "422276" + GS + "4104012345000009"},
        {{{"01", "12345678901231"}, {"21", "S«0042»"}}, QByteArray("011234567890123121S0042")},
    };
    for (const auto& c : cases) {
        Label label;
        label.format = LabelFormat::Large;
        int row = 1;
        for (const auto& [id, content] : c.fields)
            label.fields[row++] = typed(id, content);
        EXPECT_EQ(decodedUpperBarcode(label), c.expected) << c.expected.toStdString();
    }
}
