#pragma once
// Writing a print log selection to a text file, a database file or clipboard text.
// Files are written beside the target and renamed into place, so an interrupted
// export never leaves half a file under the chosen name.

#include "log/LogQuery.h"

#include <QString>
#include <optional>

namespace palomex {

class Database;

enum class TextExport { Tab, Semicolon };
enum class TextEncoding { Utf8WithBom, Windows1252 };

struct ExportResult {
    bool ok = false;
    int rows = 0;
    QString message; // the list text after success, or the error message
};

// Runs the query of the filter and writes a header line of column names and one
// line per row; every field is followed by its separator, lines end with CR LF and
// line breaks inside values become "¶ ".
ExportResult exportLogText(Database& db, LogFilter& filter, const QString& path, TextExport kind,
                           TextEncoding encoding = TextEncoding::Utf8WithBom);

// Copies the selected rows into a new table of the database file at path (created
// when missing). A table of that name that exists already is an error.
ExportResult exportLogDatabase(Database& db, LogFilter& filter, const QString& path,
                               const QString& tableName);

// Clipboard text of the selected rows: column names separated by tabs, then per row
// a line break and each value followed by a tab.
ExportResult logRowsClipboardText(Database& db, LogFilter& filter, QString& text);

} // namespace palomex
