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

TEST_F(AdminFixture, UsersAreCreatedAndDeletedButNotTheDefault) {
    ASSERT_TRUE(db.machNeuBenutzer(QStringLiteral("Lager")));
    EXPECT_EQ(db.labelTables(), QStringList({"Etiketten", "Lager"}));
    EXPECT_EQ(deleteUser(db, QStringLiteral("Etiketten")), DeleteUser::Refused);
    EXPECT_EQ(deleteUser(db, QStringLiteral("etiketten")), DeleteUser::Refused);
    EXPECT_EQ(deleteUser(db, QStringLiteral("Protokoll")), DeleteUser::Failed)
        << "only label tables are users";
    EXPECT_EQ(deleteUser(db, QStringLiteral("Lager")), DeleteUser::Dropped);
    EXPECT_EQ(db.labelTables(), QStringList({"Etiketten"}));
    EXPECT_TRUE(db.hasTable(QStringLiteral("Protokoll")));
}

TEST_F(AdminFixture, CompactionKeepsTheDataDropsScratchTablesAndReportsSizes) {
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"~TmpTabelle\" (x TEXT)")));
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"LAGER1~\" (x TEXT)")));
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"Ballast\" (x TEXT)")));
    db.connection().transaction();
    for (int i = 0; i < 2000; ++i)
        q.exec(QStringLiteral("INSERT INTO \"Ballast\" VALUES ('%1')")
                   .arg(QString(200, QLatin1Char('x'))));
    db.connection().commit();
    q.exec(QStringLiteral("DROP TABLE \"Ballast\""));
    q.exec(QStringLiteral("INSERT INTO \"HöchstNVE\" VALUES ('4012345', '000000042')"));
    const int labels = count(QStringLiteral("Etiketten"));
    const QString path = db.path();

    const CompactResult r = compactDatabase(db, seedDatabasePath());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_LT(r.sizeAfter, r.sizeBefore);
    EXPECT_EQ(r.sizeAfter, QFileInfo(path).size());
    EXPECT_FALSE(db.hasTable(QStringLiteral("~TmpTabelle")));
    EXPECT_TRUE(db.hasTable(QStringLiteral("LAGER1~")));
    EXPECT_EQ(count(QStringLiteral("Etiketten")), labels);
    EXPECT_EQ(count(QStringLiteral("HöchstNVE")), 1);
    EXPECT_FALSE(QFileInfo::exists(appData.file(QStringLiteral("Palomex.$$$"))));
    EXPECT_EQ(QDir(appData.dataFolder())
                  .entryList({QStringLiteral("*.mdb*"), QStringLiteral("*.$$$")}, QDir::Files),
              QStringList({"Palomex.mdb", "Palomex.mdb.nve-lock"}));
    EXPECT_EQ(compactMessage(r),
              QStringLiteral("Die Datenbank wurde komprimiert.\n\nDie Dateigröße war vorher: %1 "
                             "Bytes,\ndie aktuelle Dateigröße ist:  %2 Bytes.")
                  .arg(r.sizeBefore)
                  .arg(r.sizeAfter));
}

TEST_F(AdminFixture, FailedCompactionLeavesTheDatabaseAsItWas) {
    const QString path = db.path();
    // A folder in the way of the compacted copy makes the engine's copy step fail.
    QDir().mkpath(path + QStringLiteral(".compact/blocker"));
    const QByteArray before = test::readFile(path);
    const CompactResult r = compactDatabase(db, QString());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(db.path(), path);
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_GT(count(QStringLiteral("Etiketten")), 0);
}

TEST_F(AdminFixture, CompactionWaitsForEveryOtherUserOfTheFile) {
    struct Case {
        const char* what;
        std::function<std::shared_ptr<void>()> holdOpen;
    };
    const std::vector<Case> cases{
        {"another connection, as another workstation's",
         [&] { return std::shared_ptr<void>(Database::open(db.path())); }},
        {"a print run's reservation",
         [&] { return std::shared_ptr<void>(lockNveBase(db, QStringLiteral("4012345"), 0)); }},
    };
    const QString path = db.path();
    for (const Case& c : cases) {
        {
            const auto other = c.holdOpen();
            const QByteArray before = test::readFile(path);
            const CompactResult r = compactDatabase(db, QString());
            EXPECT_FALSE(r.ok) << c.what;
            EXPECT_EQ(r.error, caption(dbmsg::StillInUse)) << c.what;
            EXPECT_EQ(test::readFile(path), before) << c.what;
        }
        EXPECT_TRUE(compactDatabase(db, QString()).ok) << c.what << ", once it is gone";
        EXPECT_GT(count(QStringLiteral("Etiketten")), 0) << c.what;
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
        env.insert(QStringLiteral("PALOMEX_COMPACT_LOOP"), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral(
                        "--gtest_filter=AdminFixture.KilledCompactionLeavesACompleteDatabase")});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(300 + 71 * round);
        ASSERT_EQ(child.state(), QProcess::Running);
        child.kill();
        child.waitForFinished();
        auto reopened = Database::open(path);
        QSqlQuery c(reopened->connection());
        ASSERT_TRUE(c.exec(QStringLiteral("SELECT COUNT(*) FROM \"Protokoll\"")) && c.next());
        EXPECT_EQ(c.value(0).toInt(), 3000) << "round " << round;
    }
}
