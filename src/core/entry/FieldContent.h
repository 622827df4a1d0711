#pragma once
// holDI: the barcode content of a data field, normalised from what the user typed,
// with the marks the encoder reads (check-digit placeholder, separator mark), and
// the checks that tell a user why a content cannot become barcode data.

#include "db/Label.h"
#include "output/BarcodeData.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace palomex {

// Whether a data row is part of the label format (its selection field is shown).
bool fieldShown(LabelFormat format, int row);

// What the content of a field needs besides the field itself.
struct FieldContext {
    int row = 0;
    bool shown = true;
    QDate today = QDate::currentDate();
    QLocale locale = QLocale();
};

// The text of an automatic date ("Heute + Tage"): today + the field's days in its
// display format.
QString autoDateText(const DataField& field, QDate today = QDate::currentDate(),
                     const QLocale& locale = QLocale());

// The row's identifier in barcode form ("«01»"), or "" as holDB gives it.
QString holDB(const DataField& field, const FieldContext& context);
// The normalised content, or "" for a field without identifier or content, or with
// a date that cannot be read.
QString holDI(const DataField& field, const FieldContext& context);

// holDB + holDI of data field i of the label as it stands, "" when either is empty.
QString fieldCode(const Label& label, int i, QDate today = QDate::currentDate(),
                  const QLocale& locale = QLocale());
// The same as the renderer and the print run take it. It reads the label when
// called, so counting fields that the run advances are seen; the label must
// outlive the function.
FieldCode fieldCodeFor(const Label& label, QDate today = QDate::currentDate(),
                       const QLocale& locale = QLocale());

// Why the content would not reach the barcode as the user meant it (letters in a
// numeric field, too many digits or decimal places, a wrong check digit, an unreadable
// date, a missing currency code, a character a GS1-128 symbol cannot hold, a text longer
// than its element); nothing when it is fine.
std::optional<QString> contentProblem(const DataField& field, const FieldContext& context);
// Why an edit that turned the content field.content into after cannot stand: text put
// in at once (pasted, dropped) is taken whole as if typed key by key, and is refused
// when a character of it would not have gone in as it is, or the field would hold more
// than it may. Nothing when it stands; after is then the new content.
std::optional<QString> insertProblem(const DataField& field, const QString& after);

} // namespace palomex
