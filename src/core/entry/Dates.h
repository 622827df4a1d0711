#pragma once
// Dates as the entry fields read and show them: free date text, calendar weeks,
// the eleven display formats of "Heute + Tage" and the barcode forms.

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

namespace palomex {

// How weeks are counted: the day a week starts on and which week is the first.
struct WeekRule {
    enum class FirstWeek { Jan1, FirstFourDays, FirstFullWeek };
    Qt::DayOfWeek firstDay = Qt::Monday;
    FirstWeek firstWeek = FirstWeek::FirstFourDays;
};

// Two-digit years: 00 to 29 are this century, 30 to 99 the last one.
int expandYear(int year);

// The number of the week the date lies in.
int calendarWeek(QDate date, const WeekRule& rule = {});
// The year the week of a date belongs to (late December may be week 1 of the next).
int calendarWeekYear(QDate date, const WeekRule& rule = {});

// The day of a calendar-week text such as "KW 5/26": the first number is the week,
// the next the year; a missing one means the week or year of today.
QDate calendarWeekDate(QStringView text, QDate today, const WeekRule& rule = {},
                       Qt::DayOfWeek weekday = Qt::Monday);

// Free date text: day, month and year in the order of the locale (with "." always
// day first, a four-digit first number year first), month names, or month and year
// alone (the first of that month). A day and month alone fall in today's year.
std::optional<QDate> readDate(QStringView text, QDate today, const QLocale& locale = QLocale());

// The display formats of the "Heute + Tage" list, by list position.
inline constexpr int DateFormatCount = 11;
QString formatDate(QDate date, int format, const QLocale& locale = QLocale(),
                   const WeekRule& rule = {});
// The list entries: the date in each format, then the pattern in parentheses.
QStringList dateFormatList(QDate today, const QLocale& locale = QLocale(),
                           const WeekRule& rule = {});

// "yymmdd", and "yymm00" for a date that names only its month.
QString barcodeDate(QDate date, bool monthOnly = false);

} // namespace palomex
