#include "entry/Dates.h"

#include "app/Captions.h"
#include "entry/EntryStrings.h"

#include <vector>

namespace palomex {

namespace {

// The patterns of the display formats; a backslash makes the next character literal.
// Positions 8 to 10 are the locale's own short, medium and long forms.
const char16_t* const kPatterns[] = {u"d.m.yy",         u"dd.mm.yy",      u"dd.mm.yyyy",
                                     u"d. mmmm yyyy",   u"\\~mm\\/yyyy",  u"\\~mmmm yyyy",
                                     u"\\K\\W ww\\/yy", u"yyyy\\/mm\\/dd"};
constexpr int kPatternCount = 8;

QDate weekOneStart(int year, const WeekRule& rule) {
    const QDate jan1(year, 1, 1);
    const int intoWeek = (jan1.dayOfWeek() - rule.firstDay + 7) % 7;
    const QDate start = jan1.addDays(-intoWeek);
    switch (rule.firstWeek) {
    case WeekRule::FirstWeek::Jan1:
        return start;
    case WeekRule::FirstWeek::FirstFourDays:
        return intoWeek <= 3 ? start : start.addDays(7);
    case WeekRule::FirstWeek::FirstFullWeek:
        return intoWeek == 0 ? start : start.addDays(7);
    }
    return start;
}

// Week number and the year it counts in.
std::pair<int, int> weekOf(QDate date, const WeekRule& rule) {
    int year = date.year();
    // Only a first week of at least four days can begin in the old year's December.
    if (rule.firstWeek == WeekRule::FirstWeek::FirstFourDays &&
        date >= weekOneStart(year + 1, rule))
        return {1, year + 1};
    QDate start = weekOneStart(year, rule);
    if (date < start)
        start = weekOneStart(--year, rule);
    return {int(start.daysTo(date) / 7) + 1, year};
}

QString monthName(const QLocale& locale, int month, QLocale::FormatType type) {
    QString name = locale.monthName(month, type);
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

QString mediumDate(QDate date, const QLocale& locale) {
    return date.toString(QStringLiteral("dd-")) +
           monthName(locale, date.month(), QLocale::ShortFormat) +
           date.toString(QStringLiteral("-yy"));
}

QString applyPattern(QDate date, QStringView pattern, const QLocale& locale, const WeekRule& rule) {
    const auto [week, weekYear] = weekOf(date, rule);
    // A year next to a week number is the year of that week, so the text reads back.
    const int year = pattern.contains(u"ww") ? weekYear : date.year();
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
        if (c == QLatin1Char('d'))
            out += run == 1 ? QString::number(date.day()) : two(date.day());
        else if (c == QLatin1Char('m') && run >= 4)
            out += monthName(locale, date.month(), QLocale::LongFormat);
        else if (c == QLatin1Char('m') && run == 3)
            out += monthName(locale, date.month(), QLocale::ShortFormat);
        else if (c == QLatin1Char('m'))
            out += run == 1 ? QString::number(date.month()) : two(date.month());
        else if (c == QLatin1Char('y'))
            out += run >= 4 ? QString::number(year) : two(year % 100);
        else if (c == QLatin1Char('w'))
            out += QString::number(week);
        else if (c == QLatin1Char('/'))
            out += locale.dateFormat(QLocale::ShortFormat).contains(QLatin1Char('.'))
                       ? QStringLiteral(".")
                       : QStringLiteral("/");
        else
            out += QString(run, c);
        i += run;
    }
    return out;
}

struct Token {
    enum Kind { Number, Month } kind;
    int value;
    qsizetype digits = 0;
};

std::optional<int> monthOf(const QString& word, const QLocale& locale) {
    if (word.size() < 3)
        return std::nullopt;
    for (const QLocale& l : {locale, QLocale(QLocale::German), QLocale::c()}) {
        for (int m = 1; m <= 12; ++m) {
            for (auto type : {QLocale::LongFormat, QLocale::ShortFormat}) {
                const QString name = monthName(l, m, type);
                if (name.startsWith(word, Qt::CaseInsensitive) ||
                    word.startsWith(name, Qt::CaseInsensitive))
                    return m;
            }
        }
    }
    return std::nullopt;
}

bool isDayName(const QString& word, const QLocale& locale) {
    if (word.size() < 2)
        return false;
    for (const QLocale& l : {locale, QLocale(QLocale::German), QLocale::c()}) {
        for (int d = 1; d <= 7; ++d) {
            if (l.dayName(d).compare(word, Qt::CaseInsensitive) == 0 ||
                l.dayName(d, QLocale::ShortFormat).startsWith(word, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

std::optional<QDate> makeDate(int year, int month, int day) {
    if (year < 100)
        year = expandYear(year);
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace

int expandYear(int year) {
    return year < 30 ? 2000 + year : 1900 + year;
}

int calendarWeek(QDate date, const WeekRule& rule) {
    return weekOf(date, rule).first;
}

int calendarWeekYear(QDate date, const WeekRule& rule) {
    return weekOf(date, rule).second;
}

QDate calendarWeekDate(QStringView text, QDate today, const WeekRule& rule, Qt::DayOfWeek weekday) {
    std::vector<QString> numbers;
    for (qsizetype i = 0; i < text.size();) {
        if (!text[i].isDigit()) {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < text.size() && text[j].isDigit())
            ++j;
        numbers.push_back(text.mid(i, j - i).toString());
        i = j;
    }
    const int week = numbers.size() > 0 ? numbers[0].toInt() : calendarWeek(today, rule);
    int year = numbers.size() > 1 ? numbers[1].toInt() : today.year();
    if (numbers.size() > 1 && numbers[1].size() <= 2)
        year = expandYear(year);
    const QDate jan1(year, 1, 1);
    const QDate weekStart = jan1.addDays(-((jan1.dayOfWeek() - rule.firstDay + 7) % 7));
    const QDate day = weekStart.addDays((weekday - rule.firstDay + 7) % 7);
    return day.addDays(7 * (calendarWeek(day, rule) == 1 ? week - 1 : week));
}

std::optional<QDate> readDate(QStringView text, QDate today, const QLocale& locale) {
    std::vector<Token> tokens;
    bool dots = false;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        qsizetype j = i + 1;
        if (c.isDigit()) {
            while (j < text.size() && text[j].isDigit())
                ++j;
            if (j - i > 4)
                return std::nullopt;
            tokens.push_back({Token::Number, text.mid(i, j - i).toInt(), j - i});
        } else if (c.isLetter()) {
            while (j < text.size() && text[j].isLetter())
                ++j;
            const QString word = text.mid(i, j - i).toString();
            if (const auto m = monthOf(word, locale))
                tokens.push_back({Token::Month, *m});
            else if (!isDayName(word, locale))
                return std::nullopt;
        } else if (c == QLatin1Char('.')) {
            dots = true;
        } else if (c != QLatin1Char('/') && c != QLatin1Char('-') && c != QLatin1Char(',') &&
                   !c.isSpace()) {
            return std::nullopt;
        }
        i = j;
    }
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    const bool monthFirst =
        !dots && shortFormat.indexOf(QLatin1Char('M')) < shortFormat.indexOf(QLatin1Char('d'));
    const auto isYear = [](const Token& t) { return t.digits == 4 || t.value > 31; };

    QString shape;
    for (const Token& t : tokens)
        shape += t.kind == Token::Number ? QLatin1Char('n') : QLatin1Char('m');
    const auto v = [&](int k) { return tokens[k].value; };
    if (shape == u"nnn") {
        if (tokens[0].digits == 4)
            return makeDate(v(0), v(1), v(2));
        return monthFirst ? makeDate(v(2), v(0), v(1)) : makeDate(v(2), v(1), v(0));
    }
    if (shape == u"nmn")
        return makeDate(v(2), v(1), v(0));
    if (shape == u"mnn")
        return makeDate(v(2), v(0), v(1));
    if (shape == u"mn")
        return isYear(tokens[1]) ? makeDate(v(1), v(0), 1) : makeDate(today.year(), v(0), v(1));
    if (shape == u"nm")
        return makeDate(today.year(), v(1), v(0));
    if (shape == u"nn") {
        if (!isYear(tokens[1])) {
            const auto dayMonth = monthFirst ? makeDate(today.year(), v(0), v(1))
                                             : makeDate(today.year(), v(1), v(0));
            if (dayMonth || dots)
                return dayMonth;
        }
        return makeDate(v(1), v(0), 1);
    }
    return std::nullopt;
}

QString formatDate(QDate date, int format, const QLocale& locale, const WeekRule& rule) {
    switch (format) {
    case 8:
        return locale.toString(date, QLocale::ShortFormat);
    case 9:
        return mediumDate(date, locale);
    case 10:
        return locale.toString(date, QLocale::LongFormat);
    default:
        return applyPattern(date, kPatterns[format >= 0 && format < kPatternCount ? format : 0],
                            locale, rule);
    }
}

QStringList dateFormatList(QDate today, const QLocale& locale, const WeekRule& rule) {
    QStringList list;
    for (int k = 0; k < DateFormatCount; ++k) {
        QString shown;
        if (k < kPatternCount)
            shown = QString::fromUtf16(kPatterns[k]).remove(QLatin1Char('\\')).remove(u'~');
        else
            shown = caption(ids::ShortDate + (k - kPatternCount));
        list << formatDate(today, k, locale, rule) + QStringLiteral("        (") + shown +
                    QLatin1Char(')');
    }
    return list;
}

QString barcodeDate(QDate date, bool monthOnly) {
    return monthOnly ? date.toString(QStringLiteral("yyMM")) + QStringLiteral("00")
                     : date.toString(QStringLiteral("yyMMdd"));
}

} // namespace palomex
