#pragma once
// The record codec: a Label to the row of a label table and back, every column in
// the text form that labels have always been stored in, so rows of older versions
// load and rows of ours load in them.

#include "db/Label.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace palomex {

// Column name -> value; a missing key is a column the row does not have.
using LabelRow = QMap<QString, QVariant>;

// Coordinates: rounded to one decimal (halves to the even neighbour), whole numbers
// without a fraction. Always written with "." so a label moves between German and
// English systems unchanged; the reader takes either separator.
QString coordinateText(double value);
// Blanks removed, "," read as ".", every "." but the last one a thousands separator,
// then the leading decimal number ("1.234,5" -> 1234.5; no number -> 0). clean tells
// whether the whole text was that number.
double tolerantNumber(const QString& text, bool* clean = nullptr);

// Maps a stored identifier code ("(01)") to the identifier list entry a row selects:
// the first entry beginning with it, without regard to case, else the list's first.
using IdentifierLookup = std::function<QString(const QString& code)>;

LabelRow encodeLabel(const Label& label);

struct DecodedLabel {
    Label label;
    // One line per column that was missing or held text that is not a number where a
    // number belongs; the value got its default.
    QStringList notes;
};

// Without a lookup the stored identifier code itself becomes the entry.
DecodedLabel decodeLabel(const LabelRow& row, const IdentifierLookup& lookup = {});

// The column names of a label row in table order.
QStringList labelColumns();

} // namespace palomex
