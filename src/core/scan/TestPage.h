#pragma once
// The page the scanner set-up prints: the product title, a line saying what the
// page is for, and a GS1-128 symbol holding "0", an FNC1 separator and "0".
// Scanned, it shows which characters the scanner types for the start FNC1 and
// for the separator, because the two zeros mark where they end.

#include <QPointF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace palomex {

// The symbol's data string ("µ" marks the FNC1 separator).
inline const QString kScanTestData = QStringLiteral("0\u00B50");

// Millimetres the page content covers from its top left corner.
QSizeF scanTestPageExtent(const QString& fontFamily = QString());

// Draws the lines and the symbol with their top left corner at topLeftMm (painter
// unit one millimetre). False when the symbol could not be encoded.
bool drawScanTestPage(QPainter& painter, const QPointF& topLeftMm,
                      const QString& fontFamily = QString());

} // namespace palomex
