#include "scan/ScanParser.h"

#include "app/Captions.h"
#include "db/Label.h"
#include "entry/Dates.h"
#include "scan/ScanStrings.h"

namespace palomex {

namespace {

constexpr QChar DateMark = u'\u2020';
constexpr QChar DecimalMark = u'\u2021';
constexpr QChar MaxLengthMark = u'\u2026';

QString formatOf(const QString& entry) {
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.mid(bar + 1);
}

// The number after mark in a format code ("=14", "…20").
std::optional<int> lengthAfter(const QString& format, QChar mark) {
    const qsizetype at = format.indexOf(mark);
    if (at < 0)
        return std::nullopt;
    qsizetype end = at + 1;
    while (end < format.size() && format[end].isDigit())
        ++end;
    return format.mid(at + 1, end - at - 1).toInt();
}

bool allDigits(const QString& s) {
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool allowed(const ScanSetup& setup, const QString& digits) {
    return setup.allowedIdentifiers.isEmpty() || setup.allowedIdentifiers.contains(digits);
}

// A six-digit YYMMDD date; the two-digit year falls into 1930 to 2029, as users'
// systems have always read it. Day 00 stands for the whole month.
struct ScannedDate {
    QDate date;
    bool wholeMonth = false;
};

std::optional<ScannedDate> readDate(const QString& yymmdd) {
    if (yymmdd.size() != 6 || !allDigits(yymmdd))
        return std::nullopt;
    const int yy = yymmdd.left(2).toInt();
    const int day = yymmdd.mid(4, 2).toInt();
    const QDate d(yy < 30 ? 2000 + yy : 1900 + yy, yymmdd.mid(2, 2).toInt(), day == 0 ? 1 : day);
    if (!d.isValid())
        return std::nullopt;
    return ScannedDate{d, day == 0};
}

// Scanned digits of a decimal element with the decimal comma put back where the
// identifier's last digit says, so that the field reads as a typed value would.
// Fixed-length values lose their leading zeros (the barcode pads them again);
// variable-length ones keep every digit, which the barcode would not restore.
QString decimalContent(const QString& digits, const QString& entry, bool fixedLength) {
    const qsizetype close = entry.indexOf(QLatin1Char(')'));
    const int places = close > 0 && entry[close - 1].isDigit() ? entry[close - 1].digitValue() : 0;
    const bool currency = entry.startsWith(QLatin1String("(393"));
    const QString code = currency ? digits.left(3) : QString();
    QString amount = currency ? digits.mid(3) : digits;
    if (amount.size() < places + 1)
        amount = QString(places + 1 - amount.size(), u'0') + amount;
    QString whole = amount.left(amount.size() - places);
    if (fixedLength) {
        while (whole.size() > 1 && whole.startsWith(u'0'))
            whole.remove(0, 1);
    }
    QString value = places > 0 ? whole + u',' + amount.right(places) : whole;
    return currency ? code + u' ' + value : value;
}

struct Element {
    QString data; // the element's characters, separators removed
    int length = 0;
    int problem = 0; // message id, 0 when the element is well formed
};

Element readElement(const QString& s, const QString& entry, const QString& sep) {
    const QString format = formatOf(entry);
    Element e;
    e.length = elementLength(s, entry, sep);
    e.data = s.left(e.length);
    if (!sep.isEmpty())
        e.data.remove(sep);
    const std::optional<int> fixed = lengthAfter(format, u'=');
    const std::optional<int> longest = lengthAfter(format, MaxLengthMark);
    const bool numeric =
        format.contains(u'N') || format.contains(DateMark) || format.contains(DecimalMark);
    if (fixed && e.data.size() < *fixed)
        e.problem = scanmsg::ElementIncomplete;
    else if (!fixed && longest && e.data.size() > *longest)
        e.problem = scanmsg::ElementTooLong;
    else if (numeric && !allDigits(e.data))
        e.problem = scanmsg::ElementNotDigits;
    else if (format.contains(DateMark) && e.data.size() == 6 && !readDate(e.data))
        e.problem = scanmsg::ElementNoDate;
    return e;
}

QString problemText(const Element& e, const QString& digits, const QString& entry,
                    const QString& rest) {
    const QString text = caption(e.problem).arg(digits);
    if (e.problem == scanmsg::ElementTooLong)
        return text.arg(lengthAfter(formatOf(entry), MaxLengthMark).value_or(0)).arg(rest);
    return text.arg(rest);
}

void writeRow(ScanRow& row, int index, const QString& value, const ScanSetup& setup,
              const QDate& today) {
    if (setup.onlyEmptyFields && !row.content.isEmpty())
        return;
    const QString format = formatOf(row.identifierEntry);
    QString content = value;
    if (format.contains(DateMark)) {
        if (const auto scanned = readDate(content)) {
            if (scanned->wholeMonth) {
                // The month-only form of the date entry, which the barcode turns
                // back into yymm00.
                content = scanned->date.toString(QStringLiteral("~MM/yyyy"));
            } else {
                content = scanned->date.toString(QStringLiteral("dd.MM.yyyy"));
                if (index < Label::kAutoValueRows && row.todayPlusDays) {
                    const qint64 days = today.daysTo(scanned->date);
                    // A date that stays today + days reads as the row shows it.
                    if (days >= row.minDays && days <= row.maxDays) {
                        row.days = static_cast<int>(days);
                        content = formatDate(scanned->date, row.dateFormat);
                    } else {
                        row.todayPlusDays = false;
                    }
                }
            }
        }
    } else if (format.contains(DecimalMark)) {
        content = decimalContent(content, row.identifierEntry, format.contains(u'='));
    }
    row.content = content;
}

ScanResult failure(ScanProblem problem, const QString& message) {
    return {problem, message};
}

ScanResult scanEAN128(QString s, const ScanSetup& setup, ScanFields& fields, const QDate& today) {
    const QString& sep = setup.fnc1Separator;
    if (!setup.fnc1Identifier.isEmpty() && s.startsWith(setup.fnc1Identifier))
        s.remove(0, setup.fnc1Identifier.size());
    s += sep;
    while (!s.isEmpty()) {
        if (!sep.isEmpty() && s.startsWith(sep)) {
            s.remove(0, sep.size());
            continue;
        }
        if (s.startsWith(QLatin1String("00"))) {
            s.remove(0, 20);
            continue;
        }
        bool taken = false;
        for (int i = 0; i < 10 && !taken; ++i) {
            ScanRow& row = fields.rows[i];
            const QString digits = identifierDigits(row.identifierEntry);
            if (digits.isEmpty() || !s.startsWith(digits))
                continue;
            const Element e = readElement(s.mid(digits.size()), row.identifierEntry, sep);
            if (e.problem != 0)
                return failure(ScanProblem::MalformedElement,
                               problemText(e, digits, row.identifierEntry, s));
            s.remove(0, digits.size() + e.length);
            if (allowed(setup, digits))
                writeRow(row, i, e.data, setup, today);
            taken = true;
        }
        if (taken)
            continue;
        // An identifier of the catalogue that no row carries: its element is skipped.
        for (const QString& entry : setup.catalogue) {
            const QString digits = identifierDigits(entry);
            if (digits.isEmpty() || !s.startsWith(digits))
                continue;
            s.remove(0, digits.size());
            s.remove(0, elementLength(s, entry, sep));
            taken = true;
            break;
        }
        if (!taken)
            return failure(ScanProblem::UnknownIdentifier,
                           caption(scanmsg::UnknownIdentifier).arg(s));
    }
    return {};
}

ScanResult scanGeneral(const QString& code, const ScanSetup& setup, ScanFields& fields) {
    bool any = false;
    for (const ScanPositionRow& slice : setup.slices)
        any = any || slice.von >= 1;
    if (!any)
        return failure(ScanProblem::NoPositions, caption(scanmsg::NoPositions));
    for (const ScanPositionRow& slice : setup.slices) {
        if (slice.von < 1)
            continue;
        const QString value = slice.bis > 1 ? code.mid(slice.von - 1, slice.bis - slice.von + 1)
                                            : code.mid(slice.von - 1, 99);
        QString* target = nullptr;
        if (slice.db == 1)
            target = &fields.sender;
        else if (slice.db == 2)
            target = &fields.receiver;
        else if (slice.db >= 3 && slice.db <= 5)
            target = &fields.extras[slice.db - 3];
        else if (slice.db >= 6) {
            const QString wanted = identifierDigits(setup.catalogue.value(slice.db - 6));
            for (ScanRow& row : fields.rows) {
                if (!wanted.isEmpty() && identifierDigits(row.identifierEntry) == wanted) {
                    target = &row.content;
                    break;
                }
            }
        }
        if (target && !(setup.onlyEmptyFields && !target->isEmpty()))
            *target = value;
    }
    return {};
}

} // namespace

ScanSetup scanSetupFrom(const SettingsRecord& r, const QStringList& catalogue) {
    ScanSetup s;
    s.fnc1Identifier = r.fnc1Identifier;
    s.fnc1Separator = r.fnc1Trenner;
    s.barcodeIdentifier = r.barcodeIdentifier;
    s.onlyEmptyFields = r.scanVerhalten == 1;
    s.allowedIdentifiers = r.scanDBListe.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    s.slices = r.stellen;
    s.catalogue = catalogue;
    return s;
}

QString identifierDigits(const QString& entry) {
    const qsizetype open = entry.indexOf(QLatin1Char('('));
    const qsizetype close = entry.indexOf(QLatin1Char(')'));
    return open >= 0 && close > open ? entry.mid(open + 1, close - open - 1) : QString();
}

int elementLength(const QString& rest, const QString& entry, const QString& separator) {
    if (const auto fixed = lengthAfter(formatOf(entry), u'='))
        return *fixed;
    if (separator.isEmpty())
        return static_cast<int>(rest.size());
    const qsizetype at = rest.indexOf(separator);
    return static_cast<int>(at < 0 ? rest.size() : at);
}

ScanResult applyScan(const QString& t, const ScanSetup& setup, ScanFields& fields,
                     const QDate& today) {
    // An empty buffer (apply pressed before anything was scanned) changes nothing.
    if (t.isEmpty())
        return {};
    if (!setup.fnc1Identifier.isEmpty() && t.contains(setup.fnc1Identifier))
        return scanEAN128(t.mid(t.indexOf(setup.fnc1Identifier)), setup, fields, today);
    if (!setup.fnc1Separator.isEmpty() && t.contains(setup.fnc1Separator))
        return scanEAN128(t.mid(t.indexOf(setup.fnc1Separator)), setup, fields, today);
    if (!setup.barcodeIdentifier.isEmpty() && t.contains(setup.barcodeIdentifier))
        return scanGeneral(
            t.mid(t.indexOf(setup.barcodeIdentifier) + setup.barcodeIdentifier.size()), setup,
            fields);
    return scanGeneral(t, setup, fields);
}

ScanResult applyScan(const QString& scan, const ScanSetup& setup, Label& label,
                     const QDate& today) {
    ScanFields fields;
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const DataField& f = label.fields[i];
        ScanRow& row = fields.rows[i];
        row.identifierEntry = f.identifier;
        row.content = f.content;
        row.todayPlusDays = i < Label::kAutoValueRows && f.autoValue && f.isDate();
        row.days = f.days;
        row.dateFormat = f.dateFormat;
    }
    fields.sender = label.parties[0].text;
    fields.receiver = label.parties[1].text;
    for (int i = 0; i < Label::kExtraCount; ++i)
        fields.extras[i] = label.extras[i].text;

    const ScanResult result = applyScan(scan, setup, fields, today);

    for (int i = 0; i < Label::kFieldCount; ++i) {
        DataField& f = label.fields[i];
        const ScanRow& row = fields.rows[i];
        f.content = row.content;
        if (i < Label::kAutoValueRows && f.autoValue && f.isDate()) {
            f.autoValue = row.todayPlusDays;
            f.days = row.days;
        }
    }
    label.parties[0].text = fields.sender;
    label.parties[1].text = fields.receiver;
    for (int i = 0; i < Label::kExtraCount; ++i)
        label.extras[i].text = fields.extras[i];
    return result;
}

std::pair<QString, QString> detectFnc1(const QString& scanned) {
    const qsizetype first = scanned.indexOf(QLatin1Char('0'));
    if (first < 0)
        return {};
    const qsizetype second = scanned.indexOf(QLatin1Char('0'), first + 1);
    return {scanned.left(first),
            second < 0 ? QString() : scanned.mid(first + 1, second - first - 1)};
}

QString detectBarcodeIdentifier(const QString& scanned, const QString& typed) {
    if (typed.isEmpty())
        return {};
    const qsizetype at = scanned.indexOf(typed);
    return at <= 0 ? QString() : scanned.left(at);
}

} // namespace palomex
