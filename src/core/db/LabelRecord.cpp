#include "db/LabelRecord.h"

#include "app/Captions.h"
#include "app/Settings.h"
#include "db/InitialLayout.h"
#include "db/LabelStrings.h"
#include "db/Schema.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace palomex {

namespace {

const QChar kSep = QLatin1Char('|');

QString col(const char* stem, int i, const char* tail = "") {
    return QString::fromUtf8(stem) + QString::number(i) + QString::fromUtf8(tail);
}

// The column of a positioned element other than the lines.
QString positionColumn(int e) {
    if (e <= element::Receiver)
        return col("AbsEmpf", e, "_PosXY");
    if (e < element::FirstExtra)
        return col("DB", e - element::FirstField, "_PosXY");
    if (e < element::NveVertical)
        return col("Zusatz", e - element::FirstExtra, "_PosXY");
    if (e == element::NveVertical)
        return QStringLiteral("KleinNVE_PosXY");
    if (e == element::NveLine)
        return QStringLiteral("NVE_PosXY");
    return col("Barcode", e - element::FirstBarcode, "_PosXY");
}

bool isHorizontalLine(int e) {
    return e < element::FirstVerticalLine;
}

// A number in the form older versions wrote with their number-to-text conversion.
QString legacyNumber(int value) {
    return formatNumber(value);
}

QString encodeContent(const DataField& f, int row) {
    if (row >= Label::kAutoValueRows || !f.autoValue)
        return f.content;
    if (f.isDate())
        return legacyNumber(1) + kSep + legacyNumber(f.days) + kSep + legacyNumber(f.dateFormat);
    if (f.isRunningNumber())
        return legacyNumber(1) + kSep + legacyNumber(f.days) + kSep + f.content;
    return f.content;
}

// Reads one row, collecting a note for every value it had to replace by a default.
class RowReader {
public:
    RowReader(const LabelRow& row, QStringList& notes) : row_(row), notes_(notes) {}

    // nullopt for a missing column (noted) or NULL.
    std::optional<QString> text(const QString& column) {
        const auto it = row_.constFind(column);
        if (it == row_.constEnd()) {
            notes_ << caption(msg::NoteColumnMissing).arg(column);
            return std::nullopt;
        }
        if (it->isNull())
            return std::nullopt;
        return it->toString();
    }
    QString textOr(const QString& column, const QString& fallback = {}) {
        return text(column).value_or(fallback);
    }
    // A value that must be a number; an empty value keeps the default quietly.
    double number(const QString& column, const QString& value, double fallback) {
        if (value.trimmed().isEmpty())
            return fallback;
        bool clean = false;
        const double n = tolerantNumber(value, &clean);
        if (!clean) {
            notes_ << caption(msg::NoteNotANumber).arg(column, value);
            return fallback;
        }
        return n;
    }
    double number(const QString& column, double fallback) {
        const auto value = text(column);
        return value ? number(column, *value, fallback) : fallback;
    }

private:
    const LabelRow& row_;
    QStringList& notes_;
};

int toInt(double n) {
    return static_cast<int>(std::clamp(std::round(n), -2147483648.0, 2147483647.0));
}

// An element the row does not place keeps the place it came with.
void readPosition(RowReader& r, const QString& column, LayoutElement& e) {
    const QString stored = r.textOr(column);
    if (!stored.contains(kSep))
        return;
    const QStringList v = stored.split(kSep);
    e.left = r.number(column, v[0], 0);
    e.top = r.number(column, v[1], 0);
    if (v.size() >= 5)
        e.state = v[2] + kSep + v[3] + kSep + v[4];
    else if (v.size() >= 4)
        e.state = v[2] + kSep + v[3];
}

void readAutoValue(RowReader& r, const QString& column, DataField& f) {
    if (!f.content.contains(kSep) || !(f.isDate() || f.isRunningNumber()))
        return;
    const QStringList v = f.content.split(kSep);
    f.autoValue = toInt(r.number(column, v[0], 0)) != 0;
    f.days = v.size() > 1 ? toInt(r.number(column, v[1], 0)) : 0;
    if (f.isDate()) {
        const int index = v.size() > 2 ? toInt(r.number(column, v[2], 0)) : 0;
        f.dateFormat = index >= 0 && index <= 10 ? index : 0;
        f.content.clear();
    } else {
        f.content = v.size() > 2 ? v[2] : QString();
    }
}

} // namespace

QString coordinateText(double value) {
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double tenths = std::nearbyint(value * 10.0);
    const long long t = static_cast<long long>(tenths);
    const long long whole = std::llabs(t) / 10;
    const long long fraction = std::llabs(t) % 10;
    QString text = t < 0 ? QStringLiteral("-") : QString();
    text += QString::number(whole);
    if (fraction != 0)
        text += QLatin1Char('.') + QString::number(fraction);
    return text;
}

double tolerantNumber(const QString& input, bool* clean) {
    QString s = input;
    s.remove(QLatin1Char(' '));
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype lastDot = s.lastIndexOf(QLatin1Char('.'));
    if (lastDot >= 0)
        s = s.left(lastDot).remove(QLatin1Char('.')) + s.mid(lastDot);
    qsizetype i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        ++i;
    const qsizetype digitsStart = i;
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128)
        ++i;
    bool any = i > digitsStart;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        ++i;
        const qsizetype fractionStart = i;
        while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128)
            ++i;
        any = any || i > fractionStart;
    }
    if (clean)
        *clean = any && i == s.size();
    return any ? s.left(i).toDouble() : 0.0;
}

QStringList labelColumns() {
    QStringList names;
    for (const Column& c : labelTableColumns())
        names << c.name;
    return names;
}

LabelRow encodeLabel(const Label& label) {
    LabelRow row;
    row[QStringLiteral("EtikName")] = label.name;
    row[QStringLiteral("Etikformat")] = static_cast<int>(label.format);
    row[QStringLiteral("EtikHöhe")] = label.height;
    row[QStringLiteral("Logodatei")] = label.logoFile;
    const LayoutRect& logo = label.logo;
    row[QStringLiteral("Logo_PosXY")] =
        coordinateText(logo.left) + kSep + coordinateText(logo.top) + kSep +
        coordinateText(logo.width) + kSep + coordinateText(logo.height);
    QString lines;
    for (int e = element::FirstHorizontalLine; e < element::Count; ++e) {
        const LayoutElement& l = label.elements[e];
        lines += coordinateText(l.left) + kSep + coordinateText(l.top) + kSep +
                 coordinateText(isHorizontalLine(e) ? l.width : l.height) + kSep;
    }
    row[QStringLiteral("Linien")] = lines;
    row[QStringLiteral("NVE_Basis")] = label.nveBasis;
    row[QStringLiteral("NVE_LaufNr")] = label.nveLaufNr;
    // The column refuses the empty text; NULL loads back as "1" like an empty box.
    row[QStringLiteral("AnzahlNVEs")] =
        label.anzahlNVEs.isEmpty() ? QVariant() : QVariant(label.anzahlNVEs);
    row[QStringLiteral("AnzahlProNVE")] = label.anzahlProNVE;
    for (int e = 0; e < element::FirstHorizontalLine; ++e) {
        const LayoutElement& p = label.elements[e];
        row[positionColumn(e)] =
            coordinateText(p.left) + kSep + coordinateText(p.top) + kSep + p.state;
    }
    for (int i = 0; i < 2; ++i) {
        row[col("AbsEmpfBez", i)] = label.parties[i].caption;
        row[col("AbsEmpfText", i)] = label.parties[i].text;
    }
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const DataField& f = label.fields[i];
        row[col("DBCombo", i)] = f.identifierCode();
        row[col("DBBez", i)] = f.caption;
        row[col("DIText", i)] = encodeContent(f, i);
    }
    for (int i = 0; i < Label::kExtraCount; ++i) {
        row[col("ZusatzBez", i)] = label.extras[i].caption;
        row[col("ZusatzText", i)] = label.extras[i].text;
    }
    return row;
}

DecodedLabel decodeLabel(const LabelRow& row, const IdentifierLookup& lookup) {
    DecodedLabel result;
    Label& l = result.label;
    RowReader r(row, result.notes);

    l.name = r.textOr(QStringLiteral("EtikName"));
    const int format = toInt(r.number(QStringLiteral("Etikformat"), 1));
    l.format = format >= 0 && format <= 2 ? static_cast<LabelFormat>(format) : LabelFormat::Small;
    l.height = toInt(r.number(QStringLiteral("EtikHöhe"), 0));
    // What the row does not say about the layout is as on a new label of its
    // format, so that sample labels and rows of older versions print sensibly.
    const Label defaults = storedNewLabel(l.format);
    l.elements = defaults.elements;
    l.logo = defaults.logo;
    if (l.height <= 0)
        l.height = defaults.height;

    l.logoFile = r.textOr(QStringLiteral("Logodatei"));
    const QString logoText = r.textOr(QStringLiteral("Logo_PosXY"));
    const QStringList logo = logoText.isEmpty() ? QStringList() : logoText.split(kSep);
    double* logoValues[] = {&l.logo.left, &l.logo.top, &l.logo.width, &l.logo.height};
    for (int k = 0; k < 4 && k < logo.size(); ++k)
        *logoValues[k] = r.number(QStringLiteral("Logo_PosXY"), logo[k], 0);

    const QString lineText = r.textOr(QStringLiteral("Linien"));
    const QStringList lines = lineText.isEmpty() ? QStringList() : lineText.split(kSep);
    for (int j = 0; j < 10; ++j) {
        LayoutElement& e = l.elements[element::FirstHorizontalLine + j];
        double* values[] = {&e.left, &e.top, j <= 5 ? &e.width : &e.height};
        for (int k = 0; k < 3; ++k) {
            if (3 * j + k < lines.size())
                *values[k] = r.number(QStringLiteral("Linien"), lines[3 * j + k], 0);
        }
    }

    l.nveBasis = r.textOr(QStringLiteral("NVE_Basis"));
    l.nveLaufNr = r.textOr(QStringLiteral("NVE_LaufNr"));
    const QString anzahl = r.textOr(QStringLiteral("AnzahlNVEs"));
    l.anzahlNVEs = r.number(QStringLiteral("AnzahlNVEs"), anzahl, 0) > 0 ? anzahl.trimmed()
                                                                         : QStringLiteral("1");
    const int proNve = toInt(r.number(QStringLiteral("AnzahlProNVE"), 0));
    l.anzahlProNVE = proNve > 0 ? proNve : 1;

    for (int e = 0; e < element::FirstHorizontalLine; ++e)
        readPosition(r, positionColumn(e), l.elements[e]);
    for (int i = 0; i < 2; ++i) {
        l.parties[i].caption = r.textOr(col("AbsEmpfBez", i), l.parties[i].caption);
        l.parties[i].text = r.textOr(col("AbsEmpfText", i));
    }
    for (int i = 0; i < Label::kFieldCount; ++i) {
        DataField& f = l.fields[i];
        const QString code = r.textOr(col("DBCombo", i));
        f.identifier = lookup ? lookup(code) : code;
        f.caption = r.textOr(col("DBBez", i));
        f.content = r.textOr(col("DIText", i));
        if (i < Label::kAutoValueRows)
            readAutoValue(r, col("DIText", i), f);
    }
    for (int i = 0; i < Label::kExtraCount; ++i) {
        l.extras[i].caption = r.textOr(col("ZusatzBez", i), l.extras[i].caption);
        l.extras[i].text = r.textOr(col("ZusatzText", i));
    }
    return result;
}

} // namespace palomex
