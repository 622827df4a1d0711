#include "entry/FieldContent.h"

#include "app/Captions.h"
#include "entry/Catalogue.h"
#include "entry/Dates.h"
#include "entry/EntryStrings.h"
#include "entry/FieldRules.h"
#include "output/Gs1Encoder.h"

namespace palomex {

namespace {

// A decimal content taken apart: currency code, integer digits, fraction digits.
struct DecimalParts {
    QString currency;
    QString integer;
    QString fraction;
};

DecimalParts splitDecimal(const CatalogueEntry& entry, const QString& content) {
    QString x = translateChars(content, chars::DecimalStrip);
    x = translateChars(x, QStringLiteral(".\u00B7\u00B8"), QStringLiteral(",,,"));
    while (x.startsWith(QLatin1Char(',')))
        x.remove(0, 1);
    while (x.endsWith(QLatin1Char(',')))
        x.chop(1);
    DecimalParts p;
    if (entry.isCurrencyAmount()) {
        p.currency = x.left(3);
        x.remove(0, 3);
    }
    const qsizetype last = x.lastIndexOf(QLatin1Char(','));
    if (last >= 0) {
        // Every comma but the last one separates thousands.
        p.integer = x.left(last).remove(QLatin1Char(','));
        p.fraction = x.mid(last + 1);
    } else {
        p.integer = x;
    }
    return p;
}

QString decimalContent(const CatalogueEntry& entry, const QString& content) {
    DecimalParts p = splitDecimal(entry, content);
    const int places = entry.decimalPlaces();
    const FormatCode& f = entry.format;
    if (f.fixedLength) {
        const int digits = f.length - places;
        p.integer = p.integer.right(digits).rightJustified(digits, QLatin1Char('0'));
    }
    p.fraction = p.fraction.left(places).leftJustified(places, QLatin1Char('0'));
    return p.currency + p.integer + p.fraction;
}

bool autoDate(const DataField& field, const FieldContext& context) {
    return context.row < Label::kAutoValueRows && field.autoValue && field.isDate();
}

// An automatic date is not stored with the label; the field shows it all the same.
QString contentOf(const DataField& field, const FieldContext& context) {
    return autoDate(field, context) ? autoDateText(field, context.today, context.locale)
                                    : field.content;
}

std::optional<QDate> dateOf(const DataField& field, const FieldContext& c, bool& monthOnly) {
    const QString t = contentOf(field, c);
    monthOnly = false;
    if (t.contains(u"KW"))
        return calendarWeekDate(t, c.today);
    if (t.contains(QLatin1Char('~'))) {
        monthOnly = true;
        return readDate(QString(t).remove(QLatin1Char('~')), c.today, c.locale);
    }
    if (autoDate(field, c))
        return c.today.addDays(field.days);
    return readDate(t, c.today, c.locale);
}

// What of a text field's content reaches the barcode: the marks of the running part
// only tell the print run what to count.
QString inBarcode(const QString& content) {
    return withoutPrintOnly(translateChars(content, QString(mark::OpenRun) + mark::CloseRun));
}

// The first character of a text field's content that a GS1-128 symbol cannot hold
// (a blank, "#", "$", "~", an umlaut), named with its field; nothing when every one fits.
std::optional<QString> barcodeCharacterProblem(const CatalogueEntry& entry,
                                               const DataField& field) {
    for (const QChar c : inBarcode(field.content)) {
        if (!isGs1Char(c))
            return caption(ids::NotInBarcodeSet)
                .arg(entry.code(), field.caption, QString(c),
                     QLatin1Char('"') + field.content + QLatin1Char('"'));
    }
    return std::nullopt;
}

bool hasContent(const DataField& field, const FieldContext& context) {
    return field.identifier.startsWith(QLatin1Char('(')) && !contentOf(field, context).isEmpty() &&
           context.shown;
}

} // namespace

bool fieldShown(LabelFormat format, int row) {
    return format == LabelFormat::Large || (format == LabelFormat::Small && row >= 1 && row <= 4);
}

QString autoDateText(const DataField& field, QDate today, const QLocale& locale) {
    return formatDate(today.addDays(field.days), field.dateFormat, locale);
}

QString holDB(const DataField& field, const FieldContext& context) {
    return palomex::holDB(field.identifier, contentOf(field, context), context.shown);
}

QString holDI(const DataField& field, const FieldContext& context) {
    if (!hasContent(field, context))
        return {};
    const auto entry = CatalogueEntry::parse(field.identifier);
    if (!entry)
        return {};
    const FormatCode& f = entry->format;
    QString r;
    if (f.numeric()) {
        // Print-only characters go first so that they do not count as digits.
        r = withoutPrintOnly(field.content).remove(QLatin1Char(' '));
        r.replace(QLatin1Char('*'), QLatin1Char('0'));
        if (f.fixedLength)
            r = r.rightJustified(f.digitsWithoutCheck(), QLatin1Char('0'));
    } else if (f.isDecimal()) {
        r = decimalContent(*entry, field.content);
    } else if (f.isDate()) {
        bool monthOnly = false;
        const auto date = dateOf(field, context, monthOnly);
        if (!date)
            return {};
        r = barcodeDate(*date, monthOnly);
    } else {
        r = inBarcode(field.content);
    }
    if (f.checkDigit && r.size() == f.length - 1)
        r += mark::Placeholder;
    if (f.needsSeparator())
        r += mark::Separator;
    return withoutPrintOnly(r);
}

QString fieldCode(const Label& label, int i, QDate today, const QLocale& locale) {
    const FieldContext context{i, fieldShown(label.format, i), today, locale};
    const DataField& field = label.fields[i];
    const QString content = holDI(field, context);
    return content.isEmpty() ? QString() : holDB(field, context) + content;
}

FieldCode fieldCodeFor(const Label& label, QDate today, const QLocale& locale) {
    return [&label, today, locale](int i) {
        return i >= 0 && i < Label::kFieldCount ? fieldCode(label, i, today, locale) : QString();
    };
}

std::optional<QString> contentProblem(const DataField& field, const FieldContext& context) {
    if (!hasContent(field, context))
        return std::nullopt;
    const auto entry = CatalogueEntry::parse(field.identifier);
    if (!entry)
        return std::nullopt;
    const FormatCode& f = entry->format;
    const QString shown = QLatin1Char('"') + field.content + QLatin1Char('"');
    const auto message = [&](int id) {
        return caption(id).arg(entry->code(), field.caption, shown);
    };
    const auto numberMessage = [&](int id, int number) {
        return caption(id).arg(entry->code(), field.caption, QString::number(number), shown);
    };
    if (f.numeric()) {
        QString digits = withoutPrintOnly(field.content).remove(QLatin1Char(' '));
        const bool gtin = entry->identifier == u"01" || entry->identifier == u"02";
        if (gtin && digits.startsWith(QLatin1Char('*')))
            digits[0] = QLatin1Char('0');
        for (const QChar c : std::as_const(digits)) {
            if (!chars::Digits.contains(c))
                return message(ids::OnlyDigits);
        }
        if (digits.size() > f.length)
            return numberMessage(ids::TooManyDigits, f.length);
        // Typed in full, the last digit is the check digit the encoder would put there.
        if (f.checkDigit && digits.size() == f.length) {
            const QChar expected = gs1CheckDigit(QStringView(digits).left(f.length - 1));
            if (digits.back() != expected)
                return caption(ids::WrongCheckDigit)
                    .arg(entry->code(), field.caption, QString(digits.back()), QString(expected),
                         shown);
        }
    } else if (f.isDecimal()) {
        const DecimalParts p = splitDecimal(*entry, field.content);
        if (entry->isCurrencyAmount() &&
            (p.currency.size() < 3 || translateChars(p.currency, chars::Digits).size() > 0))
            return message(ids::CurrencyMissing);
        if (p.integer.isEmpty() && p.fraction.isEmpty())
            return message(ids::NoNumber);
        const int places = entry->decimalPlaces();
        if (p.fraction.size() > places)
            return numberMessage(ids::TooManyDecimals, places);
        if (f.fixedLength && p.integer.size() > f.length - places)
            return numberMessage(ids::TooManyIntegerDigits, f.length - places);
    } else if (f.isDate()) {
        bool monthOnly = false;
        if (!dateOf(field, context, monthOnly))
            return message(ids::DateUnreadable);
    } else {
        if (const auto problem = barcodeCharacterProblem(*entry, field))
            return problem;
        // GS1 bounds the element; a longer one would be refused by every reader.
        if (inBarcode(field.content).size() > f.length)
            return numberMessage(ids::TooManyCharacters, f.length);
    }
    return std::nullopt;
}

std::optional<QString> insertProblem(const DataField& field, const QString& after) {
    const auto entry = CatalogueEntry::parse(field.identifier);
    if (!entry)
        return std::nullopt;
    const FormatCode& f = entry->format;
    const QString& before = field.content;
    // The inserted part: what lies between the common beginning and the common end.
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const QString inserted = after.mid(head, after.size() - head - tail);
    QString text = before;
    text.remove(head, before.size() - head - tail);
    const QString shown = QLatin1Char('"') + inserted + QLatin1Char('"');
    int cursor = int(head);
    // Taken as if typed key by key: every character must go in as it is.
    for (const QChar c : inserted) {
        if (c.isPrint() && filterContentKey(field.identifier, text, cursor, 0, c).insert == c) {
            text.insert(cursor++, c);
            continue;
        }
        const bool runMark = f.running && (c == mark::OpenRun || c == mark::CloseRun);
        const bool takenAlone = c.isPrint() && !runMark &&
                                filterContentKey(field.identifier, {}, cursor, 0, c).insert == c;
        const bool counted = f.numeric() || f.isDate() || f.isDecimal();
        if (takenAlone) {
            // Dates may hold two digits more than their barcode form (a four-digit year).
            const int most = f.isDate() ? f.length + 2 : f.length;
            return caption(counted ? ids::TooManyDigits : ids::TooManyCharacters)
                .arg(entry->code(), field.caption, QString::number(most), shown);
        }
        if (f.numeric())
            return caption(ids::OnlyDigits).arg(entry->code(), field.caption, shown);
        return caption(ids::CharacterNotTaken).arg(entry->code(), field.caption, QString(c), shown);
    }
    return std::nullopt;
}

} // namespace palomex
