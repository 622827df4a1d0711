#pragma once
// Reads GS1-128 symbols back from rendered images with an independent reader.

#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

namespace palomex::test {

struct Decoded {
    QByteArray content; // AI digits and data, FNC1 separators as GS (0x1D)
    QString symbology;  // "]C1" for GS1-128
    QRect where;        // bounding box in image pixels
};

// The Code 128 symbols found in the image, at most maxSymbols, top to bottom.
std::vector<Decoded> decodeAll(const QImage& image, int maxSymbols = 1);

// The pages of a PDF file rendered by poppler, and the text it finds on them.
std::vector<QImage> pdfPages(const QString& pdf, int dpi);
QString pdfText(const QString& pdf);

// A white image of the given size in millimetres at dpi.
QImage blankImage(double widthMm, double heightMm, int dpi);

// The contents of the upper, lower and NVE symbol of the print test label (empty
// where none was read), from an image of the label at dpi.
std::vector<QByteArray> printTestSymbols(const QImage& page, int dpi);

// What the NVE symbol of the print test label holds for a running number.
QByteArray nveSymbol(qint64 running);

// The modulo-10 check digit as the reader library computes it.
char referenceCheckDigit(const std::string& digits);

} // namespace palomex::test
