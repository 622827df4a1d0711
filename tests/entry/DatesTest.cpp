#include "entry/Dates.h"
#include "app/Captions.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace palomex;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);
const QDate kToday(2026, 12, 6); // a Sunday in calendar week 49

} // namespace

// The display formats read back in EveryDisplayFormatReadsBack; these are the other
// notations. Slashes follow the locale's order, dots always put the day first.
TEST(Dates, ReadsTheCommonNotations) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const struct {
        const char* text;
        QDate expected;
        const QLocale& locale = kGerman;
    } cases[] = {
        {"12/31/2026", {2026, 12, 31}, us}, {"3/4/2026", {2026, 3, 4}, us},
        {"3/4/2026", {2026, 4, 3}},         {"3.4.2026", {2026, 4, 3}, us},
        {"1.2.27", {2027, 2, 1}},           {"29.2.00", {2000, 2, 29}},
        {"1.1.30", {1930, 1, 1}},           {"6. dez 2026", {2026, 12, 6}},
        {"3. März 2027", {2027, 3, 3}},     {"2028-02-29", {2028, 2, 29}},
        {"3/2027", {2027, 3, 1}},           {"December 6, 2026", {2026, 12, 6}},
        {"24.12.", {2026, 12, 24}},         {" 24.12.2026 ", {2026, 12, 24}},
    };
    for (const auto& c : cases) {
        const auto d = readDate(QString::fromUtf8(c.text), kToday, c.locale);
        ASSERT_TRUE(d.has_value()) << c.text;
        EXPECT_EQ(*d, c.expected) << c.text;
    }
}

TEST(Dates, RefusesImpossibleDatesAndOtherText) {
    for (const char* text :
         {"31.02.26", "29.02.2027", "29.02.1900", "30.02.",     "00.13.",  "0.1.26",  "32.1.26",
          "1.13.26",  "31.04.2026", "",           "12",         "261231",  "1.2.3.4", "KW 5/26",
          "abc",      "12.12.26x",  "1.1.12345",  "12/31/2026", "13/2026", "Montag"}) {
        EXPECT_FALSE(readDate(QString::fromUtf8(text), kToday, kGerman).has_value()) << text;
    }
}

TEST(Dates, CalendarWeeksCountTheIsoWay) {
    const struct {
        QDate date;
        int week;
        int year;
    } cases[] = {
        {{2026, 12, 6}, 49, 2026},  {{2026, 1, 1}, 1, 2026},  {{2025, 12, 29}, 1, 2026},
        {{2020, 12, 31}, 53, 2020}, {{2021, 1, 3}, 53, 2020}, {{2021, 1, 4}, 1, 2021},
        {{2024, 12, 30}, 1, 2025},  {{2028, 2, 29}, 9, 2028}, {{2026, 12, 28}, 53, 2026},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(calendarWeek(c.date), c.week) << c.date.toString().toStdString();
        EXPECT_EQ(calendarWeekYear(c.date), c.year) << c.date.toString().toStdString();
    }
    // Weeks from Sunday, the week of 1 January first.
    const WeekRule us{Qt::Sunday, WeekRule::FirstWeek::Jan1};
    EXPECT_EQ(calendarWeek(QDate(2026, 1, 3), us), 1);
    EXPECT_EQ(calendarWeek(QDate(2026, 1, 4), us), 2);
    const WeekRule fullWeek{Qt::Monday, WeekRule::FirstWeek::FirstFullWeek};
    EXPECT_EQ(calendarWeek(QDate(2026, 1, 4), fullWeek), 52);
    EXPECT_EQ(calendarWeek(QDate(2026, 1, 5), fullWeek), 1);
}

TEST(Dates, CalendarWeekTextGivesTheMondayOfThatWeek) {
    const struct {
        const char* text;
        QDate expected;
    } cases[] = {
        {"KW 5/26", {2026, 1, 26}}, {"KW 1/26", {2025, 12, 29}},  {"KW 53/26", {2026, 12, 28}},
        {"KW 1/21", {2021, 1, 4}},  {"KW 53/20", {2020, 12, 28}}, {"KW 10/2028", {2028, 3, 6}},
        {"KW 10", {2026, 3, 2}},    {"KW", {2026, 11, 30}},       {"kw12 27", {2027, 3, 22}},
        {"KW 9/28", {2028, 2, 28}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calendarWeekDate(QString::fromUtf8(c.text), kToday), c.expected) << c.text;
    const WeekRule us{Qt::Sunday, WeekRule::FirstWeek::Jan1};
    EXPECT_EQ(calendarWeekDate(u"KW 1/24", kToday, us), QDate(2024, 1, 1));
    EXPECT_EQ(calendarWeekDate(u"KW 2/24", kToday, us), QDate(2024, 1, 8));
}

TEST(Dates, DisplayFormatsAndTheirList) {
    const test::CaptionsRestorer restore;
    const char* expected[] = {"6.12.26",
                              "06.12.26",
                              "06.12.2026",
                              "6. Dezember 2026",
                              "~12/2026",
                              "~Dezember 2026",
                              "KW 49/26",
                              "2026/12/06",
                              "06.12.26",
                              "06-Dez-26",
                              "Sonntag, 6. Dezember 2026"};
    const char* shown[] = {"d.m.yy",       "dd.mm.yy",        "dd.mm.yyyy",  "d. mmmm yyyy",
                           "mm/yyyy",      "mmmm yyyy",       "KW ww/yy",    "yyyy/mm/dd",
                           "Kurzes Datum", "Mittleres Datum", "Langes Datum"};
    for (int offset : {0, 1000}) {
        Captions::global().setOffset(offset);
        const QStringList list = dateFormatList(kToday, kGerman);
        ASSERT_EQ(list.size(), DateFormatCount);
        for (int k = 0; k < DateFormatCount; ++k) {
            EXPECT_EQ(formatDate(kToday, k, kGerman), QString::fromUtf8(expected[k])) << k;
            EXPECT_EQ(list[k], QString::fromUtf8(expected[k]) + "        (" +
                                   QString::fromUtf8(shown[k]) + ")")
                << k;
        }
    }
    // A week that belongs to the next year is shown with that year.
    EXPECT_EQ(formatDate(QDate(2025, 12, 29), 6, kGerman), "KW 1/26");
    EXPECT_EQ(formatDate(QDate(2021, 1, 3), 6, kGerman), "KW 53/20");
}

TEST(Dates, EveryDisplayFormatReadsBack) {
    const QDate dates[] = {{2026, 12, 6}, {2028, 2, 29},  {2025, 12, 29},
                           {2027, 1, 1},  {1999, 12, 31}, {2026, 3, 9}};
    for (const QDate& d : dates) {
        for (int k = 0; k < DateFormatCount; ++k) {
            QString text = formatDate(d, k, kGerman);
            if (text.startsWith(u"KW")) {
                EXPECT_EQ(calendarWeekDate(text, kToday), d.addDays(-(d.dayOfWeek() - 1)))
                    << text.toStdString();
                continue;
            }
            const bool monthOnly = text.startsWith(u'~');
            const auto back = readDate(text.remove(u'~'), kToday, kGerman);
            ASSERT_TRUE(back.has_value()) << text.toStdString();
            EXPECT_EQ(*back, monthOnly ? QDate(d.year(), d.month(), 1) : d) << text.toStdString();
        }
    }
}
