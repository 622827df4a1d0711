#pragma once
// The print log: one Protokoll row per run sent to a printer.

#include "app/Settings.h"
#include "db/Label.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

namespace palomex {

class Database;

// The most NVEs one run prints (the count has at most four digits), and so the
// widest NVE range a log row spans.
inline constexpr qint64 kMaxRunNves = 9999;

// What a run leaves in the log, as the entry window showed it during the run.
struct LogEntry {
    QString benutzer; // the current label table
    QString etikett;  // the current label name
    QString absender;
    QString empfaenger;
    QString vonNve; // first NVE of the run, 17 digits without check digit
    QString bisNve; // last NVE printed
    std::array<QString, 10> identifierEntries; // the text of each data identifier box
    std::array<QString, 10> captions;
    std::array<QString, 10> contents;
    std::array<QString, 3> zusatz;
};

// NeuDatensatz: appends the row at the given moment and commits it. Returns the
// engine's error text when the row was refused (nothing of it is kept), else nothing.
std::optional<QString> appendLogRow(Database& db, const LogEntry& entry,
                                    const QDateTime& now = QDateTime::currentDateTime());

// Takes back the row appended at that moment for a job whose device then refused
// it whole, so that the log shows only what came out. The engine's text on failure.
std::optional<QString> withdrawLogRow(Database& db, const LogEntry& entry, const QDateTime& at);

// The latest log row whose NVE range overlaps first..last (17 digits each, of one
// base): the NVEs both have and when the row was written.
struct EarlierPrint {
    QString from;
    QString to;
    QDateTime at;
};
std::optional<EarlierPrint> earlierPrint(const Database& db, const QString& first,
                                         const QString& last);

// The logging switch, stored as "Protokollaufz" in section "Protokoll".
bool loggingEnabled(const Settings& settings);
void setLoggingEnabled(const Settings& settings, bool on);

} // namespace palomex
