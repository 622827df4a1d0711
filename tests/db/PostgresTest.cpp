// What only the server engine has: connecting by URI and password, a server that
// goes away and comes back, and moving an embedded database onto a server.

#include "TestDatabases.h"
#include "app/Captions.h"
#include "db/DatabaseStrings.h"
#include "db/Migration.h"
#include "db/NveLock.h"
#include "log/LogListing.h"
#include "log/PrintLog.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QSqlQuery>
#include <QUrl>
#include <gtest/gtest.h>

namespace palomex::test {
namespace {

QString unreachablePrefix() {
    return caption(dbmsg::Unreachable).arg(QString());
}

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        if (testServerUri().isEmpty())
            GTEST_SKIP() << "PALOMEX_TEST_PG is not set";
        scratch = std::make_unique<ScratchDatabase>(Engine::Postgres);
    }

    std::unique_ptr<ScratchDatabase> scratch;
};

TEST_F(Server, PasswordComesFromTheUriTheEnvironmentOrThePasswordFile) {
    // The account that must give a password (set up by the test server script).
    scratch = std::make_unique<ScratchDatabase>(Engine::Postgres, "palomex_pw");
    QTemporaryDir home;
    const QUrl base(scratch->path());
    const QString pgpass =
        QStringLiteral("%1:%2:*:palomex_pw:geheim\n").arg(base.host()).arg(base.port());
    struct Case {
        const char* what;
        QString password; // in the URI
        QByteArray environment;
        QString passwordFile;
        bool connects;
    };
    const std::vector<Case> cases{
        {"in the URI", "geheim", {}, {}, true},
        {"from PGPASSWORD", {}, "geheim", {}, true},
        {"no password anywhere", {}, {}, {}, false},
        {"from ~/.pgpass", {}, {}, pgpass, true},
    };
    // The test run sets neither PGPASSWORD nor PGPASSFILE; HOME is put back.
    const QByteArray realHome = qgetenv("HOME");
    for (const Case& c : cases) {
        if (!c.passwordFile.isEmpty()) {
            writeFile(home.filePath(".pgpass"), c.passwordFile.toUtf8());
            QFile::setPermissions(home.filePath(".pgpass"), QFile::ReadOwner | QFile::WriteOwner);
        }
        qputenv("HOME", home.path().toLocal8Bit());
        c.environment.isNull() ? qunsetenv("PGPASSWORD") : qputenv("PGPASSWORD", c.environment);
        QUrl url = base;
        url.setUserName("palomex_pw");
        url.setPassword(c.password);
        try {
            const auto db = Database::open(url.toString());
            EXPECT_TRUE(c.connects) << c.what;
            EXPECT_TRUE(db->machNeuBenutzer(QString::fromUtf8(c.what))) << c.what;
        } catch (const AppError& e) {
            EXPECT_FALSE(c.connects) << c.what << ": " << e.text().toStdString();
            EXPECT_TRUE(e.text().startsWith(unreachablePrefix())) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains("password")) << "the server's own text is shown";
        }
    }
    qputenv("HOME", realHome);
    qunsetenv("PGPASSWORD");
}

TEST_F(Server, ServerGoneGivesItsTextLosesNothingAndWorksAgainWhenBack) {
    const auto db = scratch->open();
    db->update(QString());
    const QString name = QUrl(scratch->path()).path().mid(1);
    const QString insert = R"(INSERT INTO "Chargen" ("Fremdcharge") VALUES (?))";
    const QString endOthers =
        QStringLiteral("SELECT count(pg_terminate_backend(pid, 5000)) FROM pg_stat_activity "
                       "WHERE datname = '%1' AND pid <> pg_backend_pid()")
            .arg(name);

    // A write in progress when the server goes: the first row must not remain.
    QSqlDatabase c = db->connection();
    ASSERT_TRUE(c.transaction());
    ASSERT_TRUE(exec(*db, insert, {"vor dem Ausfall"}));
    {
        const auto lock = lockNveBase(*db, "4012345", 0);
        lock->recordPrinted(7);
        // What a server going down does to its clients: every connection ends and
        // new ones are refused.
        onServer(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS false").arg(name));
        onServer(endOthers);
        EXPECT_THROW(lock->release(7), AppError);
    }
    QSqlQuery q(c);
    EXPECT_FALSE(q.exec(R"(INSERT INTO "Chargen" ("Fremdcharge") VALUES ('im Ausfall'))"));
    const AppError failure = db->failure(q.lastError());
    EXPECT_TRUE(failure.text().startsWith(unreachablePrefix())) << failure.text().toStdString();
    EXPECT_TRUE(failure.text().contains("terminat")) << failure.text().toStdString();
    EXPECT_FALSE(db->reachable());
    const AppError refused = thrownBy([&] { lockNveBase(*db, "4012345", 0); });
    EXPECT_TRUE(refused.text().startsWith(unreachablePrefix())) << refused.text().toStdString();

    onServer(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS true").arg(name));
    EXPECT_TRUE(db->reachable());
    EXPECT_EQ(firstValue(*db, R"(SELECT count(*) FROM "Chargen")"), "0");
    EXPECT_TRUE(exec(*db, insert, {"nach dem Ausfall"}));
    EXPECT_EQ(firstValue(*db, R"(SELECT "Fremdcharge" FROM "Chargen")"), "nach dem Ausfall");
    // What was recorded before the failure stays; the lock died with the connection.
    // The reservations keep a connection of their own from run to run; one that the
    // server ended between two runs is opened again without failing the next run.
    for (qint64 run = 0; run < 2; ++run) {
        if (run == 1) {
            ASSERT_NE(firstValue(*db, endOthers), "0");
        }
        const auto again = lockNveBase(*db, "4012345", 0);
        EXPECT_EQ(again->highest(), 7 + run);
        again->release(8 + run);
    }
}

TEST_F(Server, MalformedAddressesAndADatabaseOfAnotherProgramAreRefused) {
    for (const char* uri : {"postgresql://", "postgresql://host", "postgresql://host:5432/",
                            "postgresql://host/a/b", "postgresql://host:port/db"}) {
        EXPECT_EQ(thrownBy([&] { Database::open(QString::fromLatin1(uri)); }).text(),
                  caption(dbmsg::BadUri).arg(QString::fromLatin1(uri)));
    }
    // Set up and checked past our own code, which would add its collation.
    const QString name = QUrl(scratch->path()).path().mid(1);
    onServer("CREATE TABLE kunden (nr integer)", name);
    const AppError e = thrownBy([&] { Database::open(scratch->path()); });
    EXPECT_EQ(e.number(), err::FileNotOurs);
    EXPECT_EQ(e.text(), caption(dbmsg::ServerNotOurs).arg(scratch->path()));
    const QVariantList counts =
        onServer("SELECT (SELECT count(*) FROM pg_tables WHERE schemaname = 'public'), "
                 "(SELECT count(*) FROM pg_collation WHERE collname LIKE 'palomex%')",
                 name);
    EXPECT_EQ(counts, (QVariantList{1, 0})) << "a table or the collation was added";
}

TEST_F(Server, APrintLogRowKeepsItsDayAndTimeAndCanBeTakenBack) {
    const auto db = scratch->open();
    db->update(QString());
    LogEntry e;
    e.vonNve = "40123450000000001";
    e.bisNve = "40123450000000003";
    e.absender = "Süd GmbH";
    const QDateTime at(QDate(2026, 12, 6), QTime(14, 5, 9, 250));
    const auto refused = appendLogRow(*db, e, at);
    ASSERT_FALSE(refused) << refused->toStdString();
    QSqlQuery q(db->connection());
    ASSERT_TRUE(q.exec(R"(SELECT "Datum", "Uhrzeit" FROM "Protokoll")") && q.next());
    EXPECT_EQ(q.value(0).toDate(), at.date());
    EXPECT_EQ(q.value(1).toTime(), at.time());
    EXPECT_EQ(formatLogValue(q.value(1), "Uhrzeit"), "14:05:09");
    EXPECT_FALSE(withdrawLogRow(*db, e, at));
    EXPECT_EQ(firstValue(*db, R"(SELECT count(*) FROM "Protokoll")"), "0");
}

class Migration : public Server {
protected:
    void SetUp() override {
        Server::SetUp();
        if (IsSkipped())
            return;
        source = Database::open(dir.filePath("Palomex.mdb"));
        source->machNeuBenutzer("Etiketten");
        source->update("NeuEtik.mdb");
        source->machNeuBenutzer("Müller");
        const QString label =
            R"(INSERT INTO %1 ("EtikName", "AnzahlNVEs", "DIText0") VALUES (?, ?, ?))";
        ASSERT_TRUE(exec(*source, label.arg(R"("Etiketten")"), {"Größe ÄÖÜ", "12", "Straße"}));
        ASSERT_TRUE(exec(*source, label.arg(R"("Müller")"), {"Größe ÄÖÜ", "1", ""}));
        ASSERT_TRUE(exec(*source, R"(INSERT INTO "HöchstNVE" VALUES (?, ?))", {"4012345", "99"}));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(exec(
                *source,
                R"(INSERT INTO "Protokoll" ("Datum", "Empfänger", "von_NVE") VALUES (?, ?, ?))",
                {QDateTime(QDate(2026, 12, 1 + i), QTime(8, 30)), "Köln",
                 QString::number(40123450000000000LL + i)}));
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> source;
};

// As from the command line: one line per table with its rows, then the summary; the
// copy holds every row; a target that is no server, or is not empty, is refused.
TEST_F(Migration, CommandLineCopiesEveryTableOnceIntoAnEmptyServerDatabase) {
    QStringList expected;
    qint64 rows = 0;
    for (const QString& t : source->tables()) {
        const qint64 n =
            firstValue(*source, "SELECT count(*) FROM " + SqlDialect::quote(t)).toLongLong();
        expected << caption(dbmsg::MigrateLine).arg(t).arg(n);
        rows += n;
    }
    expected
        << caption(dbmsg::Migrated).arg(source->tables().size()).arg(rows).arg(scratch->path());
    const QString file = dir.filePath("Kopie.mdb");
    const struct {
        const char* what;
        QString target;
        int exitCode;
        QString lastLine;
    } cases[] = {
        {"not a server", file, 1, caption(dbmsg::TargetNotServer).arg(file)},
        {"empty server database", scratch->path(), 0, expected.last()},
        {"the same target again", scratch->path(), 1,
         caption(dbmsg::TargetNotEmpty).arg(scratch->path(), "Etiketten")},
    };
    for (const auto& c : cases) {
        QStringList lines;
        EXPECT_EQ(migrateCommand(source->path(), c.target, [&](const QString& l) { lines << l; }),
                  c.exitCode)
            << c.what;
        EXPECT_TRUE(lines.value(lines.size() - 1).contains(c.lastLine))
            << c.what << ": " << lines.join(u'\n').toStdString();
        if (c.exitCode == 0) {
            EXPECT_EQ(lines, expected);
        }
    }
    const auto target = scratch->open();
    EXPECT_EQ(target->tables(), source->tables());
    EXPECT_EQ(target->labelTables(), source->labelTables());
    EXPECT_EQ(
        firstValue(*target, R"(SELECT "DIText0" FROM "Etiketten" WHERE "EtikName" = 'größe äöü')"),
        "Straße");
    EXPECT_EQ(firstValue(*target, R"(SELECT count(*) FROM "Protokoll")"), "3");
    // The copy is a database of ours: the reservation works on it.
    const auto lock = lockNveBase(*target, "4012345", 0);
    EXPECT_EQ(lock->highest(), 99);
    lock->release(100);
}

TEST_F(Migration, ARowThatDoesNotFitLeavesTheTargetEmpty) {
    // A table the program does not know gets text columns of 255 characters.
    ASSERT_TRUE(exec(*source, R"(CREATE TABLE "Altdaten" ("Notiz" TEXT))"));
    ASSERT_TRUE(exec(*source, R"(INSERT INTO "Altdaten" VALUES (?))", {QString(300, u'x')}));
    EXPECT_THROW(copyToServer(*source, scratch->path()), AppError);
    EXPECT_TRUE(scratch->open()->tables().isEmpty());
}

} // namespace
} // namespace palomex::test
