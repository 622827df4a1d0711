#pragma once
// Computed field values of the data import: an expression over the columns of
// one import row, "[Kunde] & " / " & Left([Auftrag], 6)".

#include "import/Script.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace palomex {

// The value of a column of the current row by name; nothing when there is no such column.
using ColumnLookup = std::function<std::optional<QString>(const QString& column)>;

// Where the script text of substituteColumns came from: for every character of
// it, and one more for its end, the 1-based place in the expression (a value's
// characters point at its "["), so that errors name the place the user typed.
using SourceMap = std::vector<int>;

// Puts every "[name]" of the expression as a quoted text literal holding the
// row's value. A double quote in a value is doubled so that the value stays one
// literal. A "[" without a closing "]" is dropped. Nothing when a column is
// unknown; unknown then holds its name and the place of its "[".
struct UnknownColumn {
    QString name;
    int position = 0;
};
std::optional<QString> substituteColumns(const QString& expression, const ColumnLookup& column,
                                         SourceMap* map = nullptr,
                                         UnknownColumn* unknown = nullptr);

struct ExpressionResult {
    QString text; // what goes into the field
    bool valid = true;
    QString detail; // why it failed, with its place in the expression (after any "@")
};

// Evaluates an import expression (an optional leading "@" is dropped) for one row.
// An empty expression gives an empty text; a failing one the invalid-expression text.
ExpressionResult holAusdruck(const QString& expression, const ColumnLookup& column,
                             const script::Environment& env = {});

// The editor's insertion: the trimmed text left of the selection, the piece and
// the trimmed text right of it joined by " & ", with empty joins collapsed.
struct Insertion {
    QString text;
    int caret = 0; // just after the inserted piece
};
Insertion addText(const QString& text, int selectionStart, int selectionEnd, const QString& piece);

// The function templates the editor offers, inserted as they stand.
const QStringList& functionTemplates();

// The expression as stored on OK: trimmed, without a trailing "&".
QString finishedExpression(const QString& text);

// The column name in brackets around a caret position; empty outside brackets.
QString columnAt(const QString& text, int caret);

} // namespace palomex
