#pragma once
// The three barcodes of a label: their data strings, the length check and the
// choice of module width.

#include <QString>
#include <functional>
#include <optional>

namespace palomex {

class Gs1Encoder;

enum class BarcodeKind { Upper = 0, Lower = 1, Nve = 2 };

// holDB + holDI of data field i: the marked identifier and the normalised content
// with its marks, empty for a field without identifier or content.
using FieldCode = std::function<QString(int field)>;

// The data string of a barcode, empty when the barcode has nothing to show.
// nve is the NVE as composed from base and running number (spaces allowed).
QString barcodeDataString(BarcodeKind kind, const QString& nve, const FieldCode& fieldCode);

// Sets the data on the encoder unless it holds that symbol already: most symbols
// of a run are the same on every label.
void setSymbolData(Gs1Encoder& encoder, const QString& dataString);

// Sets the data on the encoder and checks it against the symbol limits. Returns
// the message for the user when the data cannot be encoded.
std::optional<QString> checkBarcodeData(Gs1Encoder& encoder, const QString& dataString);

// Sets quiet zones and module step. scaling is the list position of the barcode
// scaling setting (0 = automatic); leftMm the element's left edge and labelWidthMm
// the label width, both in label millimetres.
void selectModuleStep(Gs1Encoder& encoder, BarcodeKind kind, int scaling, double leftMm,
                      double labelWidthMm);

} // namespace palomex
