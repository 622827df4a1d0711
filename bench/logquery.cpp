// Print log queries on a generated log of 1,000,000 rows: milliseconds to the first
// row and to the last row for each filter kind and order, on the embedded database.

#include "log/LogQuery.h"
#include "log/PrintLog.h"

#include "LogRows.h"
#include "Workplace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <cstdio>
#include <functional>

using namespace palomex;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    bench::Workplace place;
    Database& db = place.db();
    const Settings& settings = place.settings;
    const QDate today = QDate::currentDate();

    QElapsedTimer timer;
    timer.start();
    bench::generateLog(db, rows, today, 100000);
    std::printf("generated %d log rows in %.1f s\n", rows, timer.elapsed() / 1000.0);

    struct Case {
        const char* name;
        std::function<void(LogFilter&)> set;
    };
    const Case cases[] = {
        {"default (today)", [&](LogFilter& f) { f = loadLogFilter(settings, today); }},
        {"this month", [&](LogFilter& f) { f.datumVon = firstDayEntries(today)[6]; }},
        {"previous year",
         [&](LogFilter& f) {
             f.datumVon = firstDayEntries(today)[1];
             f.datumBis = lastDayEntries(today)[1];
         }},
        {"sender part, today",
         [&](LogFilter& f) {
             f = loadLogFilter(settings, today);
             f.absender = QStringLiteral("Nord");
         }},
        {"sender part, all dates", [](LogFilter& f) { f.absender = QStringLiteral("Nord"); }},
        {"receiver part, all dates",
         [](LogFilter& f) { f.empfaenger = QStringLiteral("Kunde 4711"); }},
        {"NVE range",
         [](LogFilter& f) {
             f.vonNve = QStringLiteral("34012345000300000");
             f.bisNve = QStringLiteral("34012345000300100");
         }},
        {"content (10) = 4711, all dates",
         [](LogFilter& f) {
             f.datenCombo = QStringLiteral("(10)");
             f.datenText = QStringLiteral("4711");
         }},
        {"content (10) *471*, this month",
         [&](LogFilter& f) {
             f.datumVon = firstDayEntries(today)[6];
             f.datenCombo = QStringLiteral("(10)");
             f.datenText = QStringLiteral("*471*");
         }},
        {"order sender, this month",
         [&](LogFilter& f) {
             f.datumVon = firstDayEntries(today)[6];
             f.order = LogOrder::Absender;
         }},
        {"content numeric order, (10), this month",
         [&](LogFilter& f) {
             f.datumVon = firstDayEntries(today)[6];
             f.datenCombo = QStringLiteral("(10)");
             f.order = LogOrder::ContentNumeric;
         }},
        {"content alphabetic order, (10), this month",
         [&](LogFilter& f) {
             f.datumVon = firstDayEntries(today)[6];
             f.datenCombo = QStringLiteral("(10)");
             f.order = LogOrder::ContentAlphabetic;
         }},
    };
    std::printf("%-45s %10s %12s %10s\n", "query", "first row", "all rows", "rows");
    for (const Case& c : cases) {
        LogFilter f;
        c.set(f);
        timer.restart();
        const LogQuery lq = selectstring(db, f);
        QSqlQuery q(db.connection());
        q.setForwardOnly(true);
        q.prepare(lq.sql);
        bindValues(q, lq.params);
        q.exec();
        double first = -1;
        long count = 0;
        while (q.next()) {
            if (count++ == 0)
                first = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            q.value(0);
        }
        const double all = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        std::printf("%-45s %8.1f ms %9.1f ms %10ld\n", c.name, first < 0 ? all : first, all, count);
    }
    return 0;
}
