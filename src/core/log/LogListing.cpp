#include "log/LogListing.h"

#include "app/Captions.h"
#include "log/LogStrings.h"
#include "log/PrintLog.h"

#include <QDate>
#include <QTime>

namespace palomex {

namespace {

QString withoutDoubleBlanks(const QString& text) {
    return QString(text).replace(QLatin1String("  "), QString());
}

QString value(const QSqlRecord& row, const char* column) {
    return formatLogValue(row.value(QString::fromUtf8(column)), QString::fromUtf8(column));
}

} // namespace

QString fixedWidth(const QString& text, int width) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String(", "))
        .replace(QLatin1Char('\r'), QLatin1String(", "))
        .replace(QLatin1Char('\n'), QLatin1String(", "));
    return t.left(width).leftJustified(width, QLatin1Char(' '));
}

QString formatLogValue(const QVariant& v, const QString& column) {
    if (v.isNull())
        return {};
    if (column == QLatin1String("Datum")) {
        const QDate d = v.toDate();
        return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : v.toString();
    }
    if (column == QLatin1String("Uhrzeit")) {
        const QTime t = v.toTime();
        return t.isValid() ? t.toString(QStringLiteral("hh:mm:ss")) : v.toString();
    }
    return v.toString();
}

LogListing::LogListing(const LogFilter& filter, const QDateTime& now, const QString& heading,
                       const std::array<QString, 3>& zusatzCaptions)
    : filter_(filter), code_(identifierCodeOf(filter.datenCombo)), now_(now),
      zusatzCaptions_(zusatzCaptions) {
    const QString q = QStringLiteral("\"");
    lines_ << palomex::caption(logmsg::ListHeading) +
                  now.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    if (!filter.absender.isEmpty())
        lines_ << palomex::caption(logmsg::SenderFilter) + q + filter.absender + q;
    if (!filter.empfaenger.isEmpty())
        lines_ << palomex::caption(logmsg::ReceiverFilter) + q + filter.empfaenger + q;
    if (!filter.vonNve.isEmpty() || !filter.bisNve.isEmpty())
        lines_ << palomex::caption(logmsg::FromNve) + filter.vonNve +
                      palomex::caption(logmsg::ToNve) + filter.bisNve;
    if (!filter.datumVon.isEmpty() || !filter.datumBis.isEmpty())
        lines_ << palomex::caption(logmsg::FromDate) + boxDateText(filter.datumVon) +
                      palomex::caption(logmsg::ToDate) + boxDateText(filter.datumBis);
    if (!heading.isEmpty())
        lines_ << heading.split(QChar(0xB6));
    if (!filter.datenCombo.isEmpty()) {
        for (const QString& line : filter.datenText.split(QLatin1Char('\n'))) {
            if (!line.isEmpty())
                lines_ << palomex::caption(logmsg::IdentifierFilter) +
                              withoutDoubleBlanks(filter.datenCombo.trimmed()) +
                              QStringLiteral(" = ") + q + line + q;
        }
    }
    lines_ << QStringLiteral(" ");
    if (filter.detailliste) {
        lines_ << palomex::caption(logmsg::DetailedColumns)
               << palomex::caption(logmsg::DetailedFieldColumns);
    } else {
        lines_ << palomex::caption(logmsg::ShortColumns) + withoutDoubleBlanks(filter.datenCombo);
    }
    lines_ << QString(100, QLatin1Char('-'));
}

void LogListing::addRow(const QSqlRecord& row) {
    ++rows_;
    lines_ << rowLines(row);
}

QStringList LogListing::rowLines(const QSqlRecord& row) const {
    QStringList lines;
    const QString bis = value(row, "bis_NVE");
    if (!filter_.detailliste) {
        QString content;
        for (int i = 0; i < 10; ++i) {
            if (row.value(QStringLiteral("DB%1").arg(i)).toString() == code_) {
                content = row.value(QStringLiteral("Daten%1").arg(i)).toString();
                break;
            }
        }
        lines << value(row, "Datum") + QLatin1Char(' ') + fixedWidth(value(row, "Absender"), 15) +
                     QLatin1Char(' ') + fixedWidth(value(row, "Empfänger"), 20) + QLatin1Char(' ') +
                     value(row, "von_NVE") + QLatin1Char(' ') + QChar(0x2026) + bis.right(5) +
                     QStringLiteral("  ") + content;
        return lines;
    }
    lines << value(row, "Datum") + QLatin1Char(' ') + value(row, "Uhrzeit") + QStringLiteral("  ") +
                 value(row, "von_NVE") + QLatin1Char(' ') + bis + QStringLiteral("  ") +
                 value(row, "Etikett");
    const auto joined = [](QString t) {
        return t.replace(QLatin1String("\r\n"), QLatin1String(", "))
            .replace(QLatin1Char('\n'), QLatin1String(", "));
    };
    if (const QString s = value(row, "Absender"); !s.isEmpty())
        lines << palomex::caption(logmsg::SenderCaption) + joined(s);
    if (const QString s = value(row, "Empfänger"); !s.isEmpty())
        lines << palomex::caption(logmsg::ReceiverCaption) + joined(s);
    for (int i = 0; i < 10; ++i) {
        const QString db = row.value(QStringLiteral("DB%1").arg(i)).toString();
        if (!db.isEmpty())
            lines << (db + QLatin1Char(' ') +
                      row.value(QStringLiteral("Bez_Text%1").arg(i)).toString())
                             .leftJustified(35, QLatin1Char(' '), true) +
                         row.value(QStringLiteral("Daten%1").arg(i)).toString();
    }
    for (int i = 0; i < 3; ++i) {
        const QString z = row.value(QStringLiteral("Zusatz%1").arg(i)).toString();
        if (!z.isEmpty())
            lines << zusatzCaptions_[i].leftJustified(35, QLatin1Char(' '), true) + z;
    }
    lines << QStringLiteral("  ");
    return lines;
}

QString LogListing::caption(const QString& base) const {
    return countCaption(base, rows_);
}

QString LogListing::countCaption(const QString& base, qint64 rows) {
    return base + QStringLiteral(":   ") + QString::number(rows) +
           palomex::caption(rows == 1 ? logmsg::OneRowFound : logmsg::RowsFound);
}

QString LogListing::documentName() const {
    return palomex::caption(logmsg::DocumentName) +
           now_.toString(QStringLiteral("dd_MM_yyyy hh-mm-ss"));
}

QString LogListing::exportTableName() const {
    // Always the German heading: the table's name does not change with the caption language.
    return Captions::global().raw(logmsg::ListHeading) +
           now_.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
}

QString listClipboardText(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

} // namespace palomex
