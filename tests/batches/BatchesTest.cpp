#include "batches/Batches.h"
#include "app/Captions.h"
#include "log/PrintLog.h"

#include "support/TestSupport.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct BatchFixture : test::DatabaseFixture {
    Batches batches{db, QStringLiteral("(10)")};

    void printed(std::initializer_list<std::pair<const char*, const char*>> fields) {
        LogEntry e;
        int i = 0;
        for (const auto& [id, content] : fields) {
            e.identifierEntries[i] = QString::fromUtf8(id);
            e.contents[i] = QString::fromUtf8(content);
            ++i;
        }
        ASSERT_FALSE(appendLogRow(db, e));
    }

    static QStringList numbered(int count, int width) {
        QStringList out;
        for (int i = 0; i < count; ++i)
            out << QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
        return out;
    }
    int linkRows() {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM \"Chargen\""));
        q.next();
        return q.value(0).toInt();
    }
};

} // namespace

TEST_F(BatchFixture, OwnBatchesAreThePrintedContentsOfTheBatchIdentifier) {
    printed({{"(10) Charge", "B-2"}, {"(15)", "261231"}});
    printed({{"(15)", "B-9"}, {"(10)", "A-1"}});
    printed({{"(10)", "B-2"}, {"(10)", "C-3"}});
    printed({{"(10)", ""}});
    EXPECT_EQ(batches.ownBatches(), QStringList({"A-1", "B-2", "C-3"}));
    printed({{"", "frei"}, {"(10)", "D-4"}});
    EXPECT_EQ(Batches(db, QString()).ownBatches(), QStringList({"frei"}))
        << "without a batch identifier the contents of fields without identifier count";
}

// Linking again updates the pair; names with quotes and wildcard characters stay literal.
TEST_F(BatchFixture, LinkingUpdatesAnExistingPairAndRemovesExactlyTheNamedLinks) {
    const QStringList owns = {"A-1", "B-2", "C-3"};
    batches.addLinks(QStringLiteral("L-77"), QStringLiteral("Mühle"), owns);
    batches.addLinks(QStringLiteral("L-77"), QStringLiteral("Bäckerei"), owns);
    EXPECT_EQ(linkRows(), 3);
    const auto link = batches.link(QStringLiteral("L-77"), QStringLiteral("B-2"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->vorlieferant, QStringLiteral("Bäckerei"));
    EXPECT_EQ(link->db, QStringLiteral("(10)"));
    batches.addLinks(QStringLiteral("X-1"), QString(), {QStringLiteral("B-2")});
    batches.addLinks(QString(), QStringLiteral("niemand"), {QStringLiteral("B-2")});
    EXPECT_EQ(batches.foreignOf(QStringLiteral("B-2")), QStringList({"L-77", "X-1"}));
    EXPECT_EQ(batches.ownOf(QStringLiteral("L-77")), owns);
    EXPECT_EQ(batches.suppliers(), QStringList({"", "Bäckerei"}));
    EXPECT_EQ(batches.foreignBatches(), QStringList({"L-77", "X-1"}));
    EXPECT_FALSE(batches.removeLinksOf({QStringLiteral("A-1"), QStringLiteral("C-3")}));
    EXPECT_EQ(batches.ownOf(QStringLiteral("L-77")), QStringList({"B-2"}));

    batches.addLinks(QStringLiteral("O'Neil 50%"), QStringLiteral("a;b"),
                     {QStringLiteral("E_1"), QStringLiteral("E%1")});
    EXPECT_EQ(batches.foreignOf(QStringLiteral("E_1")), QStringList({"O'Neil 50%"}));
    batches.removeLink(QStringLiteral("O'Neil 50%"), QStringLiteral("E_1"));
    EXPECT_EQ(batches.ownOf(QStringLiteral("O'Neil 50%")), QStringList({"E%1"}));
}

TEST_F(BatchFixture, TracesNameTheLinkedBatches) {
    batches.addLinks(QStringLiteral("L-77"), QStringLiteral("Mühle"),
                     {QStringLiteral("A-1"), QStringLiteral("B-2")});
    batches.addLinks(QStringLiteral("M-5"), QStringLiteral("Hof"), {QStringLiteral("B-2")});
    const BatchTrace own = batches.traceOwn({QStringLiteral("A-1"), QStringLiteral("B-2")});
    EXPECT_TRUE(own.error.isEmpty());
    EXPECT_EQ(own.content, QStringLiteral("A-1\nB-2"));
    EXPECT_EQ(own.heading, QStringLiteral("Fremdcharge: L-77\tMühle¶Fremdcharge: M-5\tHof¶"));
    const BatchTrace foreign = batches.traceForeign(QStringLiteral("L-77"));
    EXPECT_EQ(foreign.content, QStringLiteral("A-1\nB-2"));
    EXPECT_EQ(foreign.heading, QStringLiteral("Fremdcharge: L-77\tMühle¶"));
    EXPECT_TRUE(batches.traceForeign(QStringLiteral("nichts")).heading.isEmpty());
    test::CaptionsRestorer restorer;
    Captions::global().setOffset(1000);
    EXPECT_EQ(batches.traceForeign(QStringLiteral("L-77")).heading,
              QStringLiteral("Foreign batch: L-77\tMühle¶"));
}

// Too many batches for one statement are refused whole, with the limit to mark.
TEST_F(BatchFixture, TooManyBatchesAreRefusedWithTheLimit) {
    batches.addLinks(QStringLiteral("F-1"), QString(), numbered(150, 12));
    EXPECT_EQ(
        *batches.removeLinksOf(numbered(2000, 20)),
        QStringLiteral("Löschen nicht möglich, zu viele Eigenchargen markiert.\n\n"
                       "Markieren Sie ca.  1332 Eigenchargen und wiederholen Sie den Vorgang."));
    EXPECT_EQ(linkRows(), 150);
    EXPECT_EQ(batches.traceOwn(numbered(200, 12)).error,
              QStringLiteral("Fehler: Es wurden  200 Eigenchargen markiert. Markieren Sie maximal "
                             "142 Eigenchargen und wiederholen Sie den Vorgang."));
    EXPECT_EQ(
        batches.traceForeign(QStringLiteral("F-1")).error,
        QStringLiteral("Fehler: Selektion mit mehr als ca. 166 Eigenchargen pro Fremdcharge ist "
                       "nicht möglich.\n"
                       "Die Fremdcharge ''F-1'' ist insgesamt zu 150 Eigenchargen zugeordnet."));
}

TEST(BatchPreselect, FieldOfTheBatchIdentifierOrTheLastBatch) {
    const QStringList owns = {"A-1", "B-2", "C-3"};
    const QStringList ids = {"(02) GTIN", "(10) Charge", "(10) zweite"};
    EXPECT_EQ(
        Batches::preselect(owns, ids, {"x", "B-2", "A-1"}, QStringLiteral("(10)   Losnummer")),
        "B-2");
    EXPECT_EQ(Batches::preselect(owns, ids, {"x", "Z-9", "A-1"}, QStringLiteral("(10)")), "C-3");
    EXPECT_EQ(Batches::preselect({}, ids, {"x", "B-2"}, QStringLiteral("(10)")), QString());
}
