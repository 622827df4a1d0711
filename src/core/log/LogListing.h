#pragma once
// The print log as a text list (short or detailed form) and the texts of its outputs.

#include "log/LogQuery.h"

#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <array>

namespace palomex {

// Cuts or pads the text to exactly the width; line breaks become ", ".
QString fixedWidth(const QString& text, int width);

// Date and time in their default text form (dd.MM.yyyy, hh:mm:ss).
QString formatLogValue(const QVariant& value, const QString& column);

class LogListing {
public:
    LogListing(const LogFilter& filter, const QDateTime& now, const QString& heading,
               const std::array<QString, 3>& zusatzCaptions);

    // Appends the list lines of one result row.
    void addRow(const QSqlRecord& row);
    // The list lines of one result row, kept nowhere.
    QStringList rowLines(const QSqlRecord& row) const;

    const QStringList& lines() const { return lines_; }
    // The window caption: base caption + ":   <n> Datensatz/Datensätze gefunden".
    QString caption(const QString& base) const;
    static QString countCaption(const QString& base, qint64 rows);
    // The document name of a printed list: "Protokoll 04_12_2026 11-20-39".
    QString documentName() const;
    // The table name of a database export, the same in every language:
    // "Protokoll vom: 04/12/2026 11:20:39".
    QString exportTableName() const;

private:
    LogFilter filter_;
    QString code_;
    QDateTime now_;
    std::array<QString, 3> zusatzCaptions_;
    QStringList lines_;
    int rows_ = 0;
};

// Clipboard text of the list: every line followed by CR LF.
QString listClipboardText(const QStringList& lines);

} // namespace palomex
