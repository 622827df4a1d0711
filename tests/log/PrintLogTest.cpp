#include "log/PrintLog.h"
#include "app/Paths.h"
#include "app/Startup.h"

#include "support/TestSupport.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct LogFixture : test::DatabaseFixture {

    QList<QSqlRecord> rows() {
        QList<QSqlRecord> out;
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT * FROM \"Protokoll\" ORDER BY rowid"));
        while (q.next())
            out << q.record();
        return out;
    }

    static LogEntry sample() {
        LogEntry e;
        e.benutzer = QStringLiteral("Etiketten");
        e.etikett = QStringLiteral("Lager");
        e.absender = QStringLiteral("Musterfirma\nLagerstraße 1");
        e.empfaenger = QStringLiteral("Kunde");
        e.vonNve = QStringLiteral("34012345000000001");
        e.bisNve = QStringLiteral("34012345000000003");
        e.identifierEntries[0] = QStringLiteral("(10) Charge");
        e.captions[0] = QStringLiteral("Charge");
        e.contents[0] = QStringLiteral("LOT0009");
        e.identifierEntries[1] = QStringLiteral("(310n) Nettogewicht (kg)");
        e.identifierEntries[2] = QStringLiteral("freier Text");
        e.contents[2] = QStringLiteral("x");
        e.zusatz[2] = QString(80, QLatin1Char('z'));
        return e;
    }
};

} // namespace

TEST(PrintLogCode, IdentifierCodeIsTheTextUpToTheFirstBracket) {
    const std::pair<const char*, const char*> cases[] = {{"(10) Charge", "(10)"},
                                                         {"(310n) Nettogewicht", "(310n)"},
                                                         {"frei", ""},
                                                         {"", ""},
                                                         {"(00))", "(00)"},
                                                         {"ab) c", "ab)"}};
    for (const auto& [entry, code] : cases)
        EXPECT_EQ(identifierCodeOf(QString::fromUtf8(entry)), QString::fromUtf8(code)) << entry;
}

TEST_F(LogFixture, RowHoldsTheRunAsPrinted) {
    const QDateTime at(QDate(2026, 12, 6), QTime(14, 5, 9));
    ASSERT_FALSE(appendLogRow(db, sample(), at));
    const auto all = rows();
    ASSERT_EQ(all.size(), 1);
    const QSqlRecord r = all[0];
    EXPECT_EQ(r.value(QStringLiteral("Datum")).toDate(), at.date());
    EXPECT_EQ(r.value(QStringLiteral("Uhrzeit")).toTime(), at.time());
    EXPECT_EQ(r.value(QStringLiteral("Absender")).toString(),
              QStringLiteral("Musterfirma\nLagerstraße 1"));
    EXPECT_EQ(r.value(QStringLiteral("von_NVE")).toString(), QStringLiteral("34012345000000001"));
    EXPECT_EQ(r.value(QStringLiteral("DB0")).toString(), QStringLiteral("(10)"));
    EXPECT_EQ(r.value(QStringLiteral("DB1")).toString(), QStringLiteral("(310n)"));
    EXPECT_EQ(r.value(QStringLiteral("DB2")).toString(), QString());
    EXPECT_EQ(r.value(QStringLiteral("Daten0")).toString(), QStringLiteral("LOT0009"));
    EXPECT_EQ(r.value(QStringLiteral("Zusatz2")).toString().size(), 80);
    for (int i = 0; i < r.count(); ++i)
        EXPECT_FALSE(r.isNull(i)) << "column " << r.fieldName(i).toStdString() << " is null";
}

TEST_F(LogFixture, OverlongValueIsRefusedAndNothingIsKept) {
    LogEntry e = sample();
    e.contents[4] = QString(51, QLatin1Char('9'));
    const auto error = appendLogRow(db, e);
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->isEmpty());
    EXPECT_TRUE(rows().isEmpty());
    e.contents[4] = QString(50, QLatin1Char('9'));
    EXPECT_FALSE(appendLogRow(db, e));
    EXPECT_EQ(rows().size(), 1);
}
