#include "output/BarcodeData.h"

#include "app/Captions.h"
#include "output/Gs1Encoder.h"
#include "output/OutputStrings.h"

namespace palomex {

namespace {
constexpr QChar SeparatorMark = u'\u00B5';
constexpr int UpperFields[] = {1, 5};
constexpr int LowerFields[] = {6, 9};
} // namespace

QString barcodeDataString(BarcodeKind kind, const QString& nve, const FieldCode& fieldCode) {
    if (kind == BarcodeKind::Nve) {
        QString digits = nve;
        digits.remove(u' ');
        return QStringLiteral("\u00AB00\u00BB") + digits + QStringLiteral("\u00A5") + fieldCode(0);
    }
    const int* range = kind == BarcodeKind::Upper ? UpperFields : LowerFields;
    QString data;
    for (int field = range[0]; field <= range[1]; ++field)
        data += fieldCode(field);
    // The last element needs no separator: nothing follows it.
    if (data.endsWith(SeparatorMark))
        data.chop(1);
    return data;
}

void setSymbolData(Gs1Encoder& encoder, const QString& dataString) {
    if (!encoder.accepted() || encoder.data() != dataString)
        encoder.setData(dataString);
}

std::optional<QString> checkBarcodeData(Gs1Encoder& encoder, const QString& dataString) {
    setSymbolData(encoder, dataString);
    QString bare = dataString;
    bare.remove(u'\u00AB').remove(u'\u00BB');
    if (encoder.data() == dataString && bare.size() <= Gs1Encoder::MaxDataChars)
        return std::nullopt;
    return caption(msg::BarcodeTooLong)
        .arg(bare.size())
        .arg(displayForm(dataString), displayForm(encoder.data()));
}

void selectModuleStep(Gs1Encoder& encoder, BarcodeKind kind, int scaling, double leftMm,
                      double labelWidthMm) {
    if (kind == BarcodeKind::Nve) {
        encoder.setQuietZones(false);
        encoder.setModuleStep(5);
        return;
    }
    if (scaling > 0) {
        encoder.setQuietZones(false);
        encoder.setModuleStep(scaling - 1);
        return;
    }
    encoder.setQuietZones(true);
    const double room = labelWidthMm - leftMm;
    for (int step = Gs1Encoder::MaxModuleStep; step >= 2; --step) {
        encoder.setModuleStep(step);
        if (encoder.width() < room)
            return;
    }
}

} // namespace palomex
