#include "log/LogQuery.h"
#include "app/Captions.h"
#include "log/PrintLog.h"

#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

// An independent matcher of the log window's wildcards, written as a plain
// backtracking match rather than a translation to another pattern language.
bool like(const QString& s, const QString& p, qsizetype si = 0, qsizetype pi = 0) {
    if (pi == p.size())
        return si == s.size();
    const QChar c = p[pi];
    if (c == QLatin1Char('*')) {
        for (qsizetype k = si; k <= s.size(); ++k)
            if (like(s, p, k, pi + 1))
                return true;
        return false;
    }
    if (si == s.size())
        return false;
    if (c == QLatin1Char('?'))
        return like(s, p, si + 1, pi + 1);
    if (c == QLatin1Char('#'))
        return s[si].isDigit() && like(s, p, si + 1, pi + 1);
    if (c == QLatin1Char('[')) {
        const qsizetype end = p.indexOf(QLatin1Char(']'), pi + 2);
        if (end > pi) {
            QString body = p.mid(pi + 1, end - pi - 1);
            const bool negate = body.startsWith(QLatin1Char('!')) && body.size() > 1;
            if (negate)
                body.remove(0, 1);
            bool in = false;
            for (qsizetype k = 0; k < body.size(); ++k) {
                if (k + 2 < body.size() && body[k + 1] == QLatin1Char('-')) {
                    in = in || (s[si].toLower() >= body[k].toLower() &&
                                s[si].toLower() <= body[k + 2].toLower());
                    k += 2;
                } else {
                    in = in || s[si].toLower() == body[k].toLower();
                }
            }
            return in != negate && like(s, p, si + 1, end + 1);
        }
    }
    return s[si].toLower() == c.toLower() && like(s, p, si + 1, pi + 1);
}

struct Row {
    qint64 id;
    QDate datum;
    QTime uhrzeit;
    LogEntry e;
};

struct QueryFixture : test::DatabaseFixture {
    QDate today = QDate(2026, 12, 6);
    std::vector<Row> rows;

    void SetUp() override {
        const QStringList senders = {
            "Musterfirma GmbH", "O'Brien & Co", "100% Bio", "a_b Logistik",
            "Müller;Lager",     "[Lager] Nord", "",         "Spedition 4711",
            "Süd GmbH"};
        const QStringList codes = {"(10)", "(15)", "(310n)", "", "(00)"};
        const QStringList contents = {"4711", "A4711B", "12", "9", "100", "LOT0009", "", "x*y"};
        QRandomGenerator rng(42);
        db.connection().transaction();
        for (int n = 0; n < 400; ++n) {
            Row r;
            r.id = n + 1;
            r.datum = today.addDays(-static_cast<int>(rng.bounded(500)));
            r.uhrzeit =
                QTime(static_cast<int>(rng.bounded(24)), static_cast<int>(rng.bounded(60)), n % 60);
            r.e.absender = senders[rng.bounded(senders.size())];
            r.e.empfaenger = senders[rng.bounded(senders.size())] + QStringLiteral("\nZeile 2");
            // Row 1 is a widest run that just reaches the NVE ...10400 of a filter below.
            const quint64 first = 34012345000000000ull + (n == 0 ? 402 : rng.bounded(1000));
            r.e.vonNve = QString::number(first).rightJustified(17, QLatin1Char('0'));
            r.e.bisNve = QString::number(first + (n % 8 == 0 ? kMaxRunNves - 1 : rng.bounded(20)))
                             .rightJustified(17, QLatin1Char('0'));
            for (int i = 0; i < 10; ++i) {
                r.e.identifierEntries[i] = codes[rng.bounded(codes.size())];
                r.e.contents[i] = contents[rng.bounded(contents.size())];
            }
            ASSERT_FALSE(appendLogRow(db, r.e, QDateTime(r.datum, r.uhrzeit)));
            rows.push_back(r);
        }
        db.connection().commit();
    }

    // A content order's key: the content of the row's first field with the identifier.
    static QString sortKey(const Row& r, LogOrder order, const QString& code) {
        for (int i = 0; i < 10; ++i)
            if (identifierCodeOf(r.e.identifierEntries[i]) == code)
                return order == LogOrder::ContentNumeric
                           ? QString::number(leadingNumber(r.e.contents[i]))
                           : r.e.contents[i].toLower();
        return {};
    }

    // The rows the filter should select, computed from the rows as generated.
    std::vector<qint64> expected(const LogFilter& f) {
        const QString b = f.bisNve.isEmpty() ? QStringLiteral("99999999999999999") : f.bisNve;
        const QString v = f.vonNve;
        const QString code = identifierCodeOf(f.datenCombo);
        const QStringList lines = f.datenText.split(QLatin1Char('\n'));
        std::vector<const Row*> hit;
        for (const Row& r : rows) {
            if (!like(r.e.absender, QLatin1Char('*') + f.absender + QLatin1Char('*')))
                continue;
            if (!like(r.e.empfaenger, QLatin1Char('*') + f.empfaenger + QLatin1Char('*')))
                continue;
            const QString& rv = r.e.vonNve;
            const QString& rb = r.e.bisNve;
            if (!((v <= rv && b >= rb) || (v >= rv && v <= rb) || (b <= rb && b >= rv)))
                continue;
            if (!f.datumVon.isEmpty() && r.datum < *parseDate(boxDateText(f.datumVon)))
                continue;
            if (!f.datumBis.isEmpty() && r.datum > *parseDate(boxDateText(f.datumBis)))
                continue;
            bool any = false;
            for (int i = 0; i < 10; ++i) {
                if (!like(identifierCodeOf(r.e.identifierEntries[i]), code))
                    continue;
                if (f.datenText.isEmpty() ||
                    (lines.size() == 1 && like(r.e.contents[i], f.datenText)) ||
                    (lines.size() > 1 && QStringList(lines)
                                             .replaceInStrings(QStringLiteral("*"), QString())
                                             .contains(r.e.contents[i], Qt::CaseInsensitive)))
                    any = true;
            }
            if (any)
                hit.push_back(&r);
        }
        const auto key = [&](const Row* r) { return sortKey(*r, f.order, code); };
        std::stable_sort(hit.begin(), hit.end(), [&](const Row* a, const Row* c) {
            switch (f.order) {
            case LogOrder::Datum:
                return std::pair(a->datum, a->uhrzeit) < std::pair(c->datum, c->uhrzeit);
            case LogOrder::Absender:
                return std::pair(a->e.absender.toLower(), a->uhrzeit) <
                       std::pair(c->e.absender.toLower(), c->uhrzeit);
            case LogOrder::BisNve:
                return std::pair(a->e.bisNve, a->uhrzeit) < std::pair(c->e.bisNve, c->uhrzeit);
            case LogOrder::ContentNumeric:
                return leadingNumber(key(a)) < leadingNumber(key(c));
            case LogOrder::ContentAlphabetic:
                return key(a) < key(c);
            default:
                return false;
            }
        });
        std::vector<qint64> ids;
        for (const Row* r : hit)
            ids.push_back(r->id);
        return ids;
    }

    // Runs the query and identifies rows by their time of day, unique per generated row.
    std::vector<qint64> run(LogFilter& f) {
        const LogQuery lq = selectstring(db, f);
        EXPECT_TRUE(lq.error.isEmpty()) << lq.error.toStdString();
        QSqlQuery query(db.connection());
        query.prepare(lq.sql);
        bindValues(query, lq.params);
        EXPECT_TRUE(query.exec()) << query.lastError().text().toStdString() << "\n"
                                  << lq.sql.toStdString();
        std::vector<qint64> ids;
        while (query.next()) {
            const QTime t = query.value(QStringLiteral("Uhrzeit")).toTime();
            const QString von = query.value(QStringLiteral("von_NVE")).toString();
            for (const Row& r : rows)
                if (r.uhrzeit == t && r.e.vonNve == von && r.datum == query.value(0).toDate())
                    ids.push_back(r.id);
        }
        return ids;
    }
};

} // namespace

TEST_F(QueryFixture, FiltersSelectWhatAnIndependentMatchSelects) {
    const QString quarter = firstDayEntries(today)[2];
    const std::pair<const char*, LogFilter> cases[] = {
        {"all empty", {}},
        {"sender part", {.absender = "firma"}},
        {"sender percent literal", {.absender = "0%"}},
        {"sender underscore literal", {.absender = "a_b"}},
        {"sender semicolon", {.absender = "er;L"}},
        {"sender star wildcard", {.absender = "M*r"}},
        {"sender question wildcard", {.absender = "M?ller"}},
        {"sender digit wildcard", {.absender = "tion ##1"}},
        {"sender class", {.absender = "[[]Lager]"}},
        {"sender unterminated bracket", {.absender = "[Lager"}},
        {"sender sql injection", {.absender = "x' OR '1'='1"}},
        {"sender umlaut in other case", {.absender = "SÜD"}},
        {"receiver umlaut wildcard", {.empfaenger = "MÜ?LER"}},
        {"nve from", {.vonNve = "34012345000000500"}},
        {"nve from, where only the widest runs reach", {.vonNve = "34012345000010400"}},
        {"nve range", {.vonNve = "34012345000000200", .bisNve = "34012345000000300"}},
        {"nve range reversed", {.vonNve = "34012345000000300", .bisNve = "34012345000000200"}},
        {"date range", {.datumVon = quarter, .datumBis = "30.11.2026"}},
        {"identifier only", {.datenCombo = "(10)   Losnummer / Chargennummer"}},
        {"content exact", {.datenCombo = "(10)   Losnummer", .datenText = "4711"}},
        {"content part", {.datenCombo = "(10)", .datenText = "*4711*"}},
        {"content lines", {.datenCombo = "(15)", .datenText = "12\n9*\nlot0009"}},
        {"order sender", {.order = LogOrder::Absender}},
        {"order bis_NVE", {.order = LogOrder::BisNve}},
        {"content numeric", {.datenCombo = "(10)", .order = LogOrder::ContentNumeric}},
        {"content alphabetic", {.datenCombo = "(10)", .order = LogOrder::ContentAlphabetic}},
    };
    for (auto [name, f] : cases) {
        const auto want = expected(f);
        const auto got = run(f);
        EXPECT_TRUE(std::is_permutation(got.begin(), got.end(), want.begin(), want.end()))
            << name << ": got " << got.size() << " want " << want.size();
        if (f.order == LogOrder::Datum) {
            EXPECT_EQ(got, want) << name << ": order";
        }
        if (isContentOrder(f.order) && got.size() == want.size()) {
            // Equal keys may come in any order; compare the sequence of keys.
            for (size_t i = 0; i < got.size(); ++i)
                EXPECT_EQ(sortKey(rows[got[i] - 1], f.order, QStringLiteral("(10)")),
                          sortKey(rows[want[i] - 1], f.order, QStringLiteral("(10)")))
                    << name << ", position " << i;
        }
        if (f.datenText.contains(QLatin1Char('\n'))) {
            EXPECT_FALSE(f.datenText.contains(QLatin1Char('*'))) << "the box shows the lines used";
        }
    }
}

TEST(LogDates, PresetsForADay) {
    const QDate wednesday(2026, 1, 14);
    const QStringList first = firstDayEntries(wednesday), last = lastDayEntries(wednesday);
    ASSERT_EQ(first.size(), 12);
    ASSERT_EQ(last.size(), 12);
    EXPECT_EQ(first[0], QString());
    EXPECT_EQ(first[1], QStringLiteral("Erster  Tag Vorjahr    |01.01.2025"));
    EXPECT_EQ(last[11], QStringLiteral("Heute                  |14.01.2026"));
    // In January the previous quarter and month lie in the year before; weeks start on Monday.
    const std::pair<QString, const char*> cases[] = {
        {first[3], "01.10.2025"}, {first[5], "01.12.2025"},
        {first[7], "05.01.2026"}, {first[8], "12.01.2026"},
        {last[3], "31.12.2025"},  {last[4], "31.03.2026"},
        {last[6], "31.01.2026"},  {last[7], "11.01.2026"},
        {last[8], "18.01.2026"},  {lastDayEntries(QDate(2024, 3, 10))[5], "29.02.2024"}};
    for (const auto& [entry, date] : cases)
        EXPECT_EQ(boxDateText(entry), QString::fromUtf8(date)) << entry.toStdString();
    for (const QString& e : first.mid(1) + last.mid(1))
        EXPECT_EQ(e.indexOf(QLatin1Char('|')), 23) << e.toStdString();
    // In English the days are named in English; the date after "|" is what counts.
    test::CaptionsRestorer restorer;
    Captions::global().setOffset(1000);
    const QStringList english = firstDayEntries(wednesday) + lastDayEntries(wednesday);
    EXPECT_EQ(english[11], QStringLiteral("Today                  |14.01.2026"));
    for (qsizetype i = 0; i < english.size(); ++i)
        EXPECT_EQ(boxDateText(english[i]), boxDateText((first + last)[i]));
}

TEST(LogDates, RangeIsExchangedWhenTheLastDayComesFirst) {
    const QDate t(2026, 12, 6);
    const QStringList first = firstDayEntries(t), last = lastDayEntries(t);
    // today..yesterday, today..last day of the previous month, an open end
    const std::array<QString, 4> cases[] = {{first[11], last[10], first[10], last[11]},
                                            {first[11], last[5], "30.11.2026", last[11]},
                                            {"01.12.2026", "", "01.12.2026", ""}};
    for (const auto& [von, bis, wantVon, wantBis] : cases) {
        LogFilter f{.datumVon = von, .datumBis = bis};
        normaliseDateRange(f, t);
        EXPECT_EQ(f.datumVon, wantVon) << von.toStdString();
        EXPECT_EQ(f.datumBis, wantBis) << von.toStdString();
    }
}

TEST(LogDates, FilterPersistsAndPresetsAreRecomputed) {
    test::TempAppData appData;
    const Settings s(iniPath());
    const QDate day1(2026, 12, 6);
    LogFilter fresh = loadLogFilter(s, day1);
    EXPECT_EQ(fresh.datumVon, firstDayEntries(day1)[11]) << "a new installation shows today";
    EXPECT_EQ(fresh.datumBis, lastDayEntries(day1)[11]);

    const LogFilter f{.absender = "Müller",
                      .datumVon = firstDayEntries(day1)[6],
                      .datumBis = "24.12.2026",
                      .datenText = "A\nB",
                      .order = LogOrder::ContentNumeric,
                      .detailliste = true};
    saveLogFilter(s, f, day1);
    EXPECT_EQ(s.read(QStringLiteral("Protokoll"), QStringLiteral("Datum_von")),
              QStringLiteral("6"));
    EXPECT_EQ(s.read(QStringLiteral("Protokoll"), QStringLiteral("DatenText")),
              QStringLiteral("A¶B"));

    const QDate day2(2027, 2, 3);
    const LogFilter back = loadLogFilter(s, day2);
    EXPECT_EQ(back.absender, f.absender);
    EXPECT_EQ(back.datumVon, firstDayEntries(day2)[6]) << "the preset is computed for the new day";
    EXPECT_EQ(back.datumBis, QStringLiteral("24.12.2026"));
    EXPECT_EQ(back.datenText, QStringLiteral("A\nB"));
    EXPECT_EQ(back.order, LogOrder::ContentNumeric);
    EXPECT_TRUE(back.detailliste);
}
