#pragma once
// The print log query: filter fields, date presets and the statement that selects
// and orders log rows. Filter texts are always bound, never pasted into SQL; their
// wildcards ("*", "?", "#", "[...]") keep the meaning users know from the log window.

#include "app/Settings.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace palomex {

class Database;
class SqlDialect;

enum class LogOrder {
    Datum = 0,
    Absender = 1,
    Empfaenger = 2,
    BisNve = 3,
    ContentAlphabetic = 4,
    ContentNumeric = 5,
};

struct LogFilter {
    QString absender{};
    QString empfaenger{};
    QString vonNve{};
    QString bisNve{};
    QString datumVon{}; // box text: a preset entry "label|date", a typed date, or empty
    QString datumBis{};
    QString datenCombo{}; // identifier box text, e.g. "(10)   Losnummer / Chargennummer"
    QString datenText{};  // content; several values one per line
    LogOrder order = LogOrder::Datum;
    bool detailliste = false;
};

// Characters the content filter holds at most, a line break counted as two (CR LF).
inline constexpr int kContentLimit = 2000;

// The preset entries of the two date lists for a day, each a 23-character label,
// "|" and the date; the lists start with an empty entry.
QStringList firstDayEntries(const QDate& today);
QStringList lastDayEntries(const QDate& today);
QString boxDateText(const QString& boxText); // the text after the first "|", or all of it
std::optional<QDate> parseDate(const QString& text);
QString formatDate(const QDate& date); // the short date form, dd.MM.yyyy

// Exchanges the date boxes when the last day lies before the first day; a preset
// of the other list then keeps only its date.
void normaliseDateRange(LogFilter& filter, const QDate& today);

inline bool isContentOrder(LogOrder order) {
    return order == LogOrder::ContentAlphabetic || order == LogOrder::ContentNumeric;
}

struct LogQuery {
    QString sql;
    QString countSql; // the number of rows sql gives, with the same params
    QVariantList params;
    QString error; // a date box that holds no date
};

// Builds the query for the filter. For the two content orders it fills this
// workstation's scratch table and returns a query on it. Several content lines lose
// their "*" (the window shows the cleaned text), which is why the filter is updated.
LogQuery selectstring(Database& db, LogFilter& filter);
// The same without touching the database: for a content order, the selection
// unsorted.
LogQuery buildLogQuery(const SqlDialect& dialect, LogFilter& filter);
// The selection of a content order sorted without a copy, for reading a page at a
// time: the engine then keeps only the rows up to the page in its sort. Rows of
// equal content follow in date, time and NVE order.
LogQuery sortedSelection(const SqlDialect& dialect, const LogQuery& selection,
                         const LogFilter& filter);

// Access pattern (as typed into the filter) to an anchored regular expression.
QString accessPatternToRegex(const QString& pattern);

// "<column> matches <pattern>" with the pattern's wildcards, the pattern appended to
// params; matching ignores case.
QString accessLike(const SqlDialect& dialect, const QString& column, const QString& pattern,
                   QVariantList& params);

// The filter fields as the log window keeps them in section "Protokoll".
void saveLogFilter(const Settings& settings, const LogFilter& filter, const QDate& today);
LogFilter loadLogFilter(const Settings& settings, const QDate& today);

} // namespace palomex
