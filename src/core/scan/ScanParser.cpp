#include "scan/ScanParser.h"

#include "app/Captions.h"
#include "scan/ScanStrings.h"

namespace palomex {

namespace {

QString formatOf(const QString& entry) {
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.mid(bar + 1);
}

bool allowed(const ScanSetup& setup, const QString& digits) {
    return setup.allowedIdentifiers.isEmpty() || setup.allowedIdentifiers.contains(digits);
}

// A six-digit YYMMDD date in the short date form; the two-digit year falls into
// 1930 to 2029, as users' systems have always read it.
std::optional<QDate> readDate(const QString& yymmdd) {
    if (yymmdd.size() != 6)
        return std::nullopt;
    bool ok = false;
    const int yy = yymmdd.left(2).toInt(&ok);
    if (!ok)
        return std::nullopt;
    const QDate d(yy < 30 ? 2000 + yy : 1900 + yy, yymmdd.mid(2, 2).toInt(),
                  yymmdd.mid(4, 2).toInt());
    return d.isValid() ? std::optional(d) : std::nullopt;
}

void writeRow(ScanRow& row, int index, const QString& value, const ScanSetup& setup,
              const QDate& today) {
    if (setup.onlyEmptyFields && !row.content.isEmpty())
        return;
    QString content = value;
    if (!setup.fnc1Separator.isEmpty())
        content.remove(setup.fnc1Separator);
    if (formatOf(row.identifierEntry).contains(QChar(0x2020))) {
        if (const auto date = readDate(content)) {
            content = date->toString(QStringLiteral("dd.MM.yyyy"));
            if (index < 6 && row.todayPlusDays) {
                const qint64 days = today.daysTo(*date);
                if (days >= row.minDays && days <= row.maxDays)
                    row.days = static_cast<int>(days);
                else
                    row.todayPlusDays = false;
            }
        }
    }
    row.content = content;
}

std::optional<QString> scanEAN128(QString s, const ScanSetup& setup, ScanFields& fields,
                                  const QDate& today) {
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
            s.remove(0, digits.size());
            const int n = elementLength(s, row.identifierEntry, sep);
            if (allowed(setup, digits))
                writeRow(row, i, s.left(n), setup, today);
            s.remove(0, n);
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
            return caption(scanmsg::UnknownIdentifier).arg(s);
    }
    return std::nullopt;
}

std::optional<QString> scanGeneral(const QString& code, const ScanSetup& setup,
                                   ScanFields& fields) {
    bool any = false;
    for (const ScanPositionRow& slice : setup.slices)
        any = any || slice.von >= 1;
    if (!any)
        return caption(scanmsg::NoPositions);
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
    return std::nullopt;
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
    const QString format = formatOf(entry);
    const qsizetype eq = format.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        qsizetype end = eq + 1;
        while (end < format.size() && format[end].isDigit())
            ++end;
        return format.mid(eq + 1, end - eq - 1).toInt();
    }
    if (separator.isEmpty())
        return static_cast<int>(rest.size());
    const qsizetype at = rest.indexOf(separator);
    return static_cast<int>(at < 0 ? rest.size() : at);
}

std::optional<QString> applyScan(const QString& t, const ScanSetup& setup, ScanFields& fields,
                                 const QDate& today) {
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
