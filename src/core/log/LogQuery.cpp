#include "log/LogQuery.h"

#include "db/Database.h"
#include "log/LogStrings.h"
#include "log/PrintLog.h"

#include "app/Captions.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <initializer_list>
#include <utility>

namespace palomex {

namespace {

const QString kSection = QStringLiteral("Protokoll");

QString q(const QString& name) {
    return SqlDialect::quote(name);
}

// A pattern with only "*" and "?" runs as LIKE, which the engine evaluates fast;
// "#" and character classes need the regular expression form, and so do letters
// beyond ASCII, which the embedded engine's LIKE compares with regard to case.
bool needsRegex(const QString& pattern) {
    const bool ascii =
        std::all_of(pattern.begin(), pattern.end(), [](QChar c) { return c.unicode() < 0x80; });
    return !ascii || pattern.contains(QLatin1Char('#')) || pattern.contains(QLatin1Char('['));
}

QString toLikePattern(const QString& pattern) {
    QString out;
    for (QChar c : pattern) {
        if (c == QLatin1Char('*'))
            out += QLatin1Char('%');
        else if (c == QLatin1Char('?'))
            out += QLatin1Char('_');
        else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out;
}

} // namespace

QString accessLike(const SqlDialect& d, const QString& column, const QString& pattern,
                   QVariantList& params) {
    if (needsRegex(pattern)) {
        params << d.regexPattern(accessPatternToRegex(pattern));
        return d.regexCondition(q(column));
    }
    params << toLikePattern(pattern);
    return d.likeCondition(q(column));
}

namespace {

QString presetLabel(int id) {
    return caption(id).leftJustified(23, QLatin1Char(' ')) + QLatin1Char('|');
}

QDate quarterStart(const QDate& d) {
    return QDate(d.year(), ((d.month() - 1) / 3) * 3 + 1, 1);
}

QDate weekStart(const QDate& d) {
    return d.addDays(1 - d.dayOfWeek());
}

int indexOfEntry(const QStringList& entries, const QString& text) {
    return static_cast<int>(entries.indexOf(text));
}

// The empty entry, then the named days in list order.
QStringList dateEntries(std::initializer_list<std::pair<int, QDate>> days) {
    QStringList entries{QString()};
    for (const auto& [id, day] : days)
        entries << presetLabel(id) + formatDate(day);
    return entries;
}

} // namespace

QStringList firstDayEntries(const QDate& t) {
    using namespace logmsg;
    const QDate monthStart(t.year(), t.month(), 1);
    return dateEntries({{FirstDayPreviousYear, QDate(t.year() - 1, 1, 1)},
                        {FirstDayYear, QDate(t.year(), 1, 1)},
                        {FirstDayPreviousQuarter, quarterStart(t).addMonths(-3)},
                        {FirstDayQuarter, quarterStart(t)},
                        {FirstDayPreviousMonth, monthStart.addMonths(-1)},
                        {FirstDayMonth, monthStart},
                        {FirstDayPreviousWeek, weekStart(t).addDays(-7)},
                        {FirstDayWeek, weekStart(t)},
                        {DayBeforeYesterday, t.addDays(-2)},
                        {Yesterday, t.addDays(-1)},
                        {Today, t}});
}

QStringList lastDayEntries(const QDate& t) {
    using namespace logmsg;
    const QDate monthStart(t.year(), t.month(), 1);
    return dateEntries({{LastDayPreviousYear, QDate(t.year() - 1, 12, 31)},
                        {LastDayYear, QDate(t.year(), 12, 31)},
                        {LastDayPreviousQuarter, quarterStart(t).addDays(-1)},
                        {LastDayQuarter, quarterStart(t).addMonths(3).addDays(-1)},
                        {LastDayPreviousMonth, monthStart.addDays(-1)},
                        {LastDayMonth, monthStart.addMonths(1).addDays(-1)},
                        {LastDayPreviousWeek, weekStart(t).addDays(-1)},
                        {LastDayWeek, weekStart(t).addDays(6)},
                        {DayBeforeYesterday, t.addDays(-2)},
                        {Yesterday, t.addDays(-1)},
                        {Today, t}});
}

QString boxDateText(const QString& boxText) {
    const qsizetype bar = boxText.indexOf(QLatin1Char('|'));
    return bar < 0 ? boxText : boxText.mid(bar + 1);
}

QString formatDate(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

std::optional<QDate> parseDate(const QString& text) {
    const QString t = text.trimmed();
    for (const char* format : {"d.M.yyyy", "d.M.yy", "yyyy-MM-dd", "d/M/yyyy"}) {
        QDate d = QDate::fromString(t, QString::fromLatin1(format));
        if (d.isValid()) {
            if (d.year() < 1930 && QString::fromLatin1(format).endsWith(QLatin1String(".yy")))
                d = d.addYears(100);
            return d;
        }
    }
    return std::nullopt;
}

void normaliseDateRange(LogFilter& f, const QDate& today) {
    if (f.datumVon.isEmpty() || f.datumBis.isEmpty())
        return;
    const auto from = parseDate(boxDateText(f.datumVon));
    const auto to = parseDate(boxDateText(f.datumBis));
    if (!from || !to || from->daysTo(*to) >= 0)
        return;
    std::swap(f.datumVon, f.datumBis);
    if (f.datumVon.contains(QLatin1Char('|')) &&
        indexOfEntry(firstDayEntries(today), f.datumVon) < 0)
        f.datumVon = boxDateText(f.datumVon);
    if (f.datumBis.contains(QLatin1Char('|')) &&
        indexOfEntry(lastDayEntries(today), f.datumBis) < 0)
        f.datumBis = boxDateText(f.datumBis);
}

QString accessPatternToRegex(const QString& pattern) {
    QString out = QStringLiteral("^");
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('*')) {
            out += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('.');
        } else if (c == QLatin1Char('#')) {
            out += QStringLiteral("[0-9]");
        } else if (c == QLatin1Char('[') && pattern.indexOf(QLatin1Char(']'), i + 2) > i) {
            // A class: "[!...]" negates, "a-z" ranges stay, everything else is literal.
            const qsizetype end = pattern.indexOf(QLatin1Char(']'), i + 2);
            QString body = pattern.mid(i + 1, end - i - 1);
            const bool negate = body.startsWith(QLatin1Char('!')) && body.size() > 1;
            if (negate)
                body.remove(0, 1);
            QString cls;
            for (qsizetype k = 0; k < body.size(); ++k) {
                const QChar b = body[k];
                const bool range = b == QLatin1Char('-') && k > 0 && k + 1 < body.size();
                cls += range || b.isLetterOrNumber() ? QString(b) : QLatin1Char('\\') + b;
            }
            out += QLatin1Char('[') + (negate ? QStringLiteral("^") : QString()) + cls +
                   QLatin1Char(']');
            i = end;
        } else {
            out += QRegularExpression::escape(QString(c));
        }
    }
    return out + QLatin1Char('$');
}

LogQuery buildLogQuery(const SqlDialect& d, LogFilter& f) {
    LogQuery r;
    QStringList where;
    // An empty sender or receiver filter selects every row, so it adds no condition.
    if (!f.absender.isEmpty())
        where << accessLike(d, QStringLiteral("Absender"),
                            QLatin1Char('*') + f.absender + QLatin1Char('*'), r.params);
    if (!f.empfaenger.isEmpty())
        where << accessLike(d, QStringLiteral("Empfänger"),
                            QLatin1Char('*') + f.empfaenger + QLatin1Char('*'), r.params);

    // Two NVE ranges overlap: the row's range lies within V..B, contains V or contains B.
    const QString v = f.vonNve;
    const QString b = f.bisNve.isEmpty() ? QStringLiteral("99999999999999999") : f.bisNve;
    const QString von = q(QStringLiteral("von_NVE"));
    const QString bis = q(QStringLiteral("bis_NVE"));
    where << QStringLiteral(
                 "((? <= %1 AND ? >= %2) OR (? >= %1 AND ? <= %2) OR (? <= %2 AND ? >= %1))")
                 .arg(von, bis);
    r.params << v << b << v << v << b << b;
    // A run holds at most kMaxRunNves NVEs, so a row overlapping V..B starts within
    // that distance below V, and not after B. Saying so as a closed range lets the
    // engine read the von_NVE index instead of the whole log in date order; the
    // overlap above still decides.
    // With V after B only the rows holding V or B overlap; they start from B's
    // distance below B up to V.
    static const QRegularExpression fullNve(QStringLiteral("^\\d{17}$"));
    const bool reversed = b < v;
    const QString low = reversed ? b : v;
    if (fullNve.match(low).hasMatch()) {
        const qint64 lower = std::max<qint64>(0, low.toLongLong() - (kMaxRunNves - 1));
        where << QStringLiteral("%1 BETWEEN ? AND ?").arg(von);
        r.params << QStringLiteral("%1").arg(lower, 17, 10, QLatin1Char('0')) << (reversed ? v : b);
    }

    const QString datum = q(QStringLiteral("Datum"));
    for (const auto& [box, op] : {std::pair{f.datumVon, ">="}, std::pair{f.datumBis, "<="}}) {
        if (box.isEmpty())
            continue;
        const auto date = parseDate(boxDateText(box));
        if (!date) {
            r.error = caption(logmsg::NoDate).arg(boxDateText(box));
            return r;
        }
        where << datum + QLatin1Char(' ') + QString::fromLatin1(op) + QStringLiteral(" ?");
        r.params << *date;
    }

    const QString code = identifierCodeOf(f.datenCombo);
    QStringList lines = f.datenText.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (lines.size() > 1) {
        for (QString& line : lines)
            line.remove(QLatin1Char('*'));
        f.datenText = lines.join(QLatin1Char('\n'));
    }
    QStringList fields;
    for (int i = 0; i < 10; ++i) {
        const QString db = QStringLiteral("DB%1").arg(i);
        const QString daten = QStringLiteral("Daten%1").arg(i);
        const QString idMatch = accessLike(d, db, code, r.params);
        if (f.datenText.isEmpty()) {
            fields << idMatch;
        } else if (lines.size() == 1) {
            fields << QStringLiteral("(%1 AND %2)")
                          .arg(idMatch, accessLike(d, daten, f.datenText, r.params));
        } else {
            QStringList marks;
            for (const QString& line : lines) {
                marks << QStringLiteral("?");
                r.params << line;
            }
            fields << QStringLiteral("(%1 AND %2 IN (%3))")
                          .arg(idMatch, q(daten), marks.join(QStringLiteral(", ")));
        }
    }
    where << QLatin1Char('(') + fields.join(QStringLiteral(" OR ")) + QLatin1Char(')');

    const QString condition = where.join(QStringLiteral(" AND "));
    const QString selection =
        QStringLiteral("SELECT * FROM %1 WHERE %2").arg(q(table::Protokoll), condition);
    r.countSql =
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(q(table::Protokoll), condition);
    static const char* const columnOrders[] = {"Datum", "Absender", "Empfänger", "bis_NVE"};
    if (isContentOrder(f.order)) {
        r.sql = selection; // sorted once copied into the scratch table
        return r;
    }
    r.params = emptyTextsNotNull(r.params);
    r.sql = selection + QStringLiteral(" ORDER BY %1, %2")
                            .arg(q(QString::fromUtf8(columnOrders[static_cast<int>(f.order)])),
                                 q(QStringLiteral("Uhrzeit")));
    return r;
}

namespace {

// The content of the first field that carries the identifier code, the key of the
// content orders; its values are appended to params.
QString contentKey(const QString& code, QVariantList& params) {
    QString key = QStringLiteral("CASE");
    for (int i = 0; i < 10; ++i) {
        key += QStringLiteral(" WHEN %1 = ? THEN %2")
                   .arg(q(QStringLiteral("DB%1").arg(i)), q(QStringLiteral("Daten%1").arg(i)));
        params << code;
    }
    return key + QStringLiteral(" ELSE NULL END");
}

QString sortExpression(const SqlDialect& d, LogOrder order) {
    const QString sortKey = q(QStringLiteral("SortierFeld"));
    return order == LogOrder::ContentNumeric ? d.leadingNumber(sortKey) : sortKey;
}

// Content orders sort a copy of the selection in this workstation's scratch table,
// keyed by the content of the first field that carries the chosen identifier.
LogQuery sortInScratchTable(Database& db, const LogQuery& selection, const LogFilter& f) {
    const SqlDialect& d = db.dialect();
    const QString scratch = Database::scratchTableName();
    const QString t = q(scratch);
    QSqlQuery s(db.connection());
    s.exec(QStringLiteral("DROP TABLE %1").arg(t));
    s.exec(QStringLiteral("CREATE TABLE %1 AS SELECT * FROM %2 WHERE 1 = 0")
               .arg(t, q(table::Protokoll)));
    s.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
               .arg(t, q(QStringLiteral("SortierFeld")),
                    d.columnType({QStringLiteral("SortierFeld"), ColumnType::Text, 50, true})));
    s.exec(
        QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
            .arg(q(scratch + QStringLiteral(" SortierFeld")), t, q(QStringLiteral("SortierFeld"))));
    QVariantList insertParams;
    const QString key = contentKey(identifierCodeOf(f.datenCombo), insertParams);
    s.prepare(QStringLiteral("INSERT INTO %1 SELECT *, %2 AS %3 FROM (%4) AS sel")
                  .arg(t, key, q(QStringLiteral("SortierFeld")), selection.sql));
    bindValues(s, emptyTextsNotNull(insertParams + selection.params));
    s.exec();
    LogQuery r;
    r.sql = QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(t, sortExpression(d, f.order));
    return r;
}

} // namespace

LogQuery sortedSelection(const SqlDialect& d, const LogQuery& selection, const LogFilter& f) {
    LogQuery r;
    const QString key = contentKey(identifierCodeOf(f.datenCombo), r.params);
    r.params = emptyTextsNotNull(r.params + selection.params);
    const QString keyed = QStringLiteral("SELECT *, %1 AS %2 FROM (%3) AS sel")
                              .arg(key, q(QStringLiteral("SortierFeld")), selection.sql);
    // Rows of equal content in a fixed order, so that no row moves between pages.
    r.sql = QStringLiteral("SELECT * FROM (%1) AS keyed ORDER BY %2, %3, %4, %5")
                .arg(keyed, sortExpression(d, f.order), q(QStringLiteral("Datum")),
                     q(QStringLiteral("Uhrzeit")), q(QStringLiteral("von_NVE")));
    r.countSql = QStringLiteral("SELECT COUNT(*) FROM (%1) AS keyed").arg(keyed);
    return r;
}

LogQuery selectstring(Database& db, LogFilter& f) {
    LogQuery r = buildLogQuery(db.dialect(), f);
    if (!r.error.isEmpty() || !isContentOrder(f.order))
        return r;
    return sortInScratchTable(db, r, f);
}

void saveLogFilter(const Settings& s, const LogFilter& f, const QDate& today) {
    s.write(kSection, QStringLiteral("Absender"), f.absender);
    s.write(kSection, QStringLiteral("Empfänger"), f.empfaenger);
    s.write(kSection, QStringLiteral("von_NVE"), f.vonNve);
    s.write(kSection, QStringLiteral("bis_NVE"), f.bisNve);
    const auto dateKey = [&](const QString& key, const QString& box, const QStringList& entries) {
        if (parseDate(box))
            s.write(kSection, key, box);
        else
            s.writeNumber(kSection, key, box.isEmpty() ? 0 : indexOfEntry(entries, box));
    };
    dateKey(QStringLiteral("Datum_von"), f.datumVon, firstDayEntries(today));
    dateKey(QStringLiteral("Datum_bis"), f.datumBis, lastDayEntries(today));
    s.writeNumber(kSection, QStringLiteral("Reihenfolge"), static_cast<int>(f.order));
    s.writeFlag(kSection, QStringLiteral("Detailliste"), f.detailliste);
    s.write(kSection, QStringLiteral("DatenCombo"), f.datenCombo);
    s.write(kSection, QStringLiteral("DatenText"),
            QString(f.datenText).replace(QLatin1Char('\n'), QChar(0xB6)));
}

LogFilter loadLogFilter(const Settings& s, const QDate& today) {
    LogFilter f;
    f.absender = s.get(kSection, QStringLiteral("Absender"));
    f.empfaenger = s.get(kSection, QStringLiteral("Empfänger"));
    f.vonNve = s.get(kSection, QStringLiteral("von_NVE"));
    f.bisNve = s.get(kSection, QStringLiteral("bis_NVE"));
    const auto dateBox = [&](const QString& key, const QStringList& entries) {
        const QString v = s.read(kSection, key, QString::number(entries.size() - 1));
        if (parseDate(v))
            return v;
        return entries.value(static_cast<int>(leadingNumber(v)));
    };
    f.datumVon = dateBox(QStringLiteral("Datum_von"), firstDayEntries(today));
    f.datumBis = dateBox(QStringLiteral("Datum_bis"), lastDayEntries(today));
    const int order = s.number(kSection, QStringLiteral("Reihenfolge"));
    f.order = order >= 0 && order <= 5 ? static_cast<LogOrder>(order) : LogOrder::Datum;
    f.detailliste = s.flag(kSection, QStringLiteral("Detailliste"));
    f.datenCombo = s.get(kSection, QStringLiteral("DatenCombo"));
    f.datenText =
        s.get(kSection, QStringLiteral("DatenText")).replace(QChar(0xB6), QLatin1Char('\n'));
    return f;
}

} // namespace palomex
