#include "admin/Maintenance.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "app/Startup.h"
#include "db/DatabaseStrings.h"
#include "db/NveLock.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct AdminFixture : ::testing::Test {
    test::TempAppData appData;
    Settings settings{iniPath()};
    OpenedDatabase opened = openStartupDatabase(settings, seedDatabasePath(), {});
    Database& db = *opened.database;

    int count(const QString& t) {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(SqlDialect::quote(t)));
        return q.next() ? q.value(0).toInt() : -1;
    }
};

} // namespace

TEST_F(AdminFixture, CompactionKeepsTheDataDropsScratchTablesAndReportsSizes) {
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(R"(CREATE TABLE "~TmpTabelle" (x TEXT))"));
    ASSERT_TRUE(q.exec(R"(CREATE TABLE "LAGER1~" (x TEXT))"));
    ASSERT_TRUE(q.exec(R"(CREATE TABLE "Ballast" (x TEXT))"));
    db.connection().transaction();
    for (int i = 0; i < 2000; ++i)
        q.exec(QStringLiteral("INSERT INTO \"Ballast\" VALUES ('%1')")
                   .arg(QString(200, QLatin1Char('x'))));
    db.connection().commit();
    q.exec(R"(DROP TABLE "Ballast")");
    q.exec(R"(INSERT INTO "HöchstNVE" VALUES ('4012345', '000000042'))");
    const int labels = count("Etiketten");
    const QString path = db.path();

    const CompactResult r = compactDatabase(db, seedDatabasePath());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_LT(r.sizeAfter, r.sizeBefore);
    EXPECT_EQ(r.sizeAfter, QFileInfo(path).size());
    EXPECT_FALSE(db.hasTable("~TmpTabelle"));
    EXPECT_TRUE(db.hasTable("LAGER1~"));
    EXPECT_EQ(count("Etiketten"), labels);
    EXPECT_EQ(count("HöchstNVE"), 1);
    EXPECT_EQ(QDir(appData.dataFolder()).entryList({"*.mdb*", "*.$$$"}, QDir::Files),
              QStringList({"Palomex.mdb", "Palomex.mdb.nve-lock"}));
    EXPECT_EQ(compactMessage(r),
              QStringLiteral("Die Datenbank wurde komprimiert.\n\nDie Dateigröße war vorher: %1 "
                             "Bytes,\ndie aktuelle Dateigröße ist:  %2 Bytes.")
                  .arg(r.sizeBefore)
                  .arg(r.sizeAfter));
}

TEST_F(AdminFixture, CompactionThatCannotRunLeavesTheDatabaseAsItWas) {
    const QString path = db.path();
    struct Case {
        const char* what;
        std::function<std::shared_ptr<void>()> block;
        bool inUse;
    };
    const std::vector<Case> cases{
        {"another connection, as another workstation's",
         [&] { return std::shared_ptr<void>(Database::open(path)); }, true},
        {"a print run's reservation",
         [&] { return std::shared_ptr<void>(lockNveBase(db, "4012345", 0)); }, true},
    };
    for (const Case& c : cases) {
        {
            const auto blocker = c.block();
            const QByteArray before = test::readFile(path);
            const CompactResult r = compactDatabase(db, QString());
            EXPECT_FALSE(r.ok || r.error.isEmpty()) << c.what;
            EXPECT_EQ(r.error == caption(dbmsg::StillInUse), c.inUse) << c.what;
            EXPECT_EQ(db.path(), path) << c.what;
            EXPECT_EQ(test::readFile(path), before) << c.what;
        }
        EXPECT_TRUE(compactDatabase(db, QString()).ok) << c.what << ", once it is gone";
        EXPECT_GT(count("Etiketten"), 0) << c.what;
    }
}

// A compaction killed at any moment leaves a database at the path that opens with
// all its rows: the child compacts in a loop until it is killed.
TEST_F(AdminFixture, KilledCompactionLeavesACompleteDatabase) {
    if (qEnvironmentVariableIsSet("PALOMEX_COMPACT_LOOP")) {
        auto target = Database::open(qEnvironmentVariable("PALOMEX_COMPACT_LOOP"));
        for (;;)
            compactDatabase(*target, QString());
    }
    QSqlQuery q(db.connection());
    db.connection().transaction();
    for (int i = 0; i < 3000; ++i)
        q.exec(QStringLiteral("INSERT INTO \"Protokoll\" (\"von_NVE\") VALUES ('%1')").arg(i));
    db.connection().commit();
    const QString path = db.path();
    opened.database.reset();
    for (int round = 0; round < 6; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PALOMEX_COMPACT_LOOP", path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=AdminFixture.KilledCompactionLeavesACompleteDatabase"});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(300 + 71 * round);
        ASSERT_EQ(child.state(), QProcess::Running);
        child.kill();
        child.waitForFinished();
        auto reopened = Database::open(path);
        QSqlQuery c(reopened->connection());
        ASSERT_TRUE(c.exec(R"(SELECT COUNT(*) FROM "Protokoll")") && c.next());
        EXPECT_EQ(c.value(0).toInt(), 3000) << "round " << round;
    }
}
