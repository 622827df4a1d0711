// What only the server engine has: connecting by URI and password, a server that
// goes away and comes back, and moving an embedded database onto a server.

#include "TcpProxy.h"
#include "TestDatabases.h"
#include "app/Captions.h"
#include "db/DatabaseStrings.h"
#include "db/Migration.h"
#include "db/NveLock.h"
#include "log/LogListing.h"
#include "log/LogQuery.h"
#include "log/PrintLog.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

// Restores an environment variable at the end of a test.
class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvGuard() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
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
        {"from ~/.pgpass", {}, {}, pgpass, true},
        {"the URI wins over the file", "falsch", {}, pgpass, false},
        {"wrong password", "falsch", {}, {}, false},
        {"no password anywhere", {}, {}, {}, false},
    };
    for (const Case& c : cases) {
        QFile::remove(home.filePath(".pgpass"));
        if (!c.passwordFile.isEmpty()) {
            writeFile(home.filePath(".pgpass"), c.passwordFile.toUtf8());
            QFile::setPermissions(home.filePath(".pgpass"), QFile::ReadOwner | QFile::WriteOwner);
        }
        EnvGuard homeGuard("HOME", home.path().toLocal8Bit());
        EnvGuard passGuard("PGPASSWORD", c.environment);
        EnvGuard fileGuard("PGPASSFILE", QByteArray());
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
}

TEST_F(Server, MalformedAddressesAreRefusedWithTheExpectedForm) {
    for (const char* uri : {"postgresql://", "postgresql://host", "postgresql://host:5432/",
                            "postgresql://host/a/b", "postgresql://host:port/db"}) {
        try {
            Database::open(QString::fromLatin1(uri));
            ADD_FAILURE() << uri << " was accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.text(), caption(dbmsg::BadUri).arg(QString::fromLatin1(uri))) << uri;
        }
    }
}

TEST_F(Server, ServerGoneGivesTheMessageLosesNothingAndWorksAgainWhenBack) {
    TcpProxy proxy(static_cast<std::uint16_t>(QUrl(scratch->path()).port()));
    QUrl viaProxy(scratch->path());
    viaProxy.setPort(proxy.port());
    const auto db = Database::open(viaProxy.toString());
    db->update(QString());
    const QString insert = R"(INSERT INTO "Chargen" ("Fremdcharge") VALUES (?))";

    // A write in progress when the server goes: the first row must not remain.
    QSqlDatabase c = db->connection();
    ASSERT_TRUE(c.transaction());
    ASSERT_TRUE(exec(*db, insert, {"vor dem Ausfall"}));
    {
        const auto lock = lockNveBase(*db, "4012345", 0);
        lock->recordPrinted(7);
        proxy.down();
        EXPECT_THROW(lock->release(7), AppError);
    }
    QSqlQuery q(c);
    q.prepare(insert);
    q.addBindValue("während des Ausfalls");
    EXPECT_FALSE(q.exec());
    const AppError failure = db->failure(q.lastError());
    EXPECT_TRUE(failure.text().startsWith(unreachablePrefix())) << failure.text().toStdString();
    EXPECT_GT(failure.text().size(), unreachablePrefix().size()) << "the server's text follows";
    EXPECT_FALSE(db->reachable());
    try {
        const auto refused = lockNveBase(*db, "4012345", 0);
        ADD_FAILURE() << "locked without a server";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.text().startsWith(unreachablePrefix())) << e.text().toStdString();
    }

    proxy.up();
    EXPECT_TRUE(db->reachable());
    EXPECT_EQ(firstValue(*db, R"(SELECT count(*) FROM "Chargen")"), "0");
    EXPECT_TRUE(exec(*db, insert, {"nach dem Ausfall"}));
    EXPECT_EQ(firstValue(*db, R"(SELECT "Fremdcharge" FROM "Chargen")"), "nach dem Ausfall");
    // What was recorded before the failure stays; the lock died with the connection.
    const auto again = lockNveBase(*db, "4012345", 0);
    EXPECT_EQ(again->highest(), 7);
    again->release(7);
}

TEST_F(Server, ConnectionEndedByTheServerShowsItsTextAndIsOpenedAgain) {
    const auto db = scratch->open();
    db->update(QString());
    const QString pid = firstValue(*db, "SELECT pg_backend_pid()");
    // What an administrator's restart of the server does to each client.
    {
        const auto other = scratch->open();
        ASSERT_EQ(firstValue(*other, QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid)),
                  "true");
    }
    QSqlQuery q(db->connection());
    EXPECT_FALSE(q.exec(R"(SELECT count(*) FROM "Chargen")"));
    const AppError failure = db->failure(q.lastError());
    EXPECT_TRUE(failure.text().startsWith(unreachablePrefix())) << failure.text().toStdString();
    EXPECT_TRUE(failure.text().contains("terminat")) << failure.text().toStdString();
    EXPECT_EQ(firstValue(*db, R"(SELECT count(*) FROM "Chargen")"), "0");
    EXPECT_NE(firstValue(*db, "SELECT pg_backend_pid()"), pid);

    // The reservations keep a connection of their own from run to run; one that the
    // server ended between two runs is opened again without failing the next run.
    for (qint64 run = 1; run <= 3; ++run) {
        if (run == 3) {
            ASSERT_NE(firstValue(*db,
                                 "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                                 "WHERE datname = current_database() AND pid <> pg_backend_pid()"),
                      "0");
        }
        const auto lock = lockNveBase(*db, "4012345", 0);
        EXPECT_EQ(lock->highest(), run - 1);
        lock->release(run);
    }
}

TEST_F(Server, ADatabaseOfAnotherProgramIsRefusedAndLeftAlone) {
    // Set up and checked past our own code, which would add its collation.
    const QUrl url(scratch->path());
    const auto onForeign = [&](const QString& sql) {
        QVariantList row;
        {
            QSqlDatabase raw = QSqlDatabase::addDatabase("QPSQL", "foreign");
            raw.setHostName(url.host());
            raw.setPort(url.port());
            raw.setUserName(url.userName());
            raw.setDatabaseName(url.path().mid(1));
            QSqlQuery q(raw);
            if (raw.open() && q.exec(sql) && q.next()) {
                for (int i = 0; i < q.record().count(); ++i)
                    row << q.value(i);
            }
        }
        QSqlDatabase::removeDatabase("foreign");
        return row;
    };
    onForeign("CREATE TABLE kunden (nr integer)");
    try {
        Database::open(scratch->path());
        ADD_FAILURE() << "opened a database that is not ours";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::FileNotOurs);
        EXPECT_EQ(e.text(), caption(dbmsg::ServerNotOurs).arg(scratch->path()));
    }
    const QVariantList counts =
        onForeign("SELECT (SELECT count(*) FROM pg_tables WHERE schemaname = 'public'), "
                  "(SELECT count(*) FROM pg_collation WHERE collname LIKE 'palomex%')");
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
    // Sender filters ignore case also beyond ASCII, as LIKE and as a pattern.
    for (const char* typed : {"SÜD", "s?d", "[S]ÜD G", "s[ü]d"}) {
        LogFilter f;
        f.absender = QString::fromUtf8(typed);
        const LogQuery query = selectstring(*db, f);
        QSqlQuery found(db->connection());
        found.prepare(query.sql);
        for (const QVariant& p : query.params)
            found.addBindValue(p);
        EXPECT_TRUE(found.exec() && found.next())
            << typed << found.lastError().text().toStdString();
    }
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

TEST_F(Migration, CopiesEveryTableWithItsRowsInOrder) {
    const auto copied = copyToServer(*source, scratch->path());
    const auto target = scratch->open();
    EXPECT_EQ(target->tables(), source->tables());
    EXPECT_EQ(target->labelTables(), source->labelTables());
    ASSERT_EQ(copied.size(), static_cast<size_t>(source->tables().size()));
    for (const CopiedTable& t : copied) {
        const QString count =
            QStringLiteral("SELECT count(*) FROM %1").arg(SqlDialect::quote(t.name));
        EXPECT_EQ(firstValue(*target, count), firstValue(*source, count)) << t.name.toStdString();
        EXPECT_EQ(QString::number(t.rows), firstValue(*source, count));
    }
    EXPECT_EQ(
        firstValue(*target, R"(SELECT "DIText0" FROM "Etiketten" WHERE "EtikName" = 'größe äöü')"),
        "Straße");
    EXPECT_EQ(firstValue(*target, R"(SELECT "NVE_LaufNr" FROM "HöchstNVE")"), "99");
    EXPECT_EQ(firstValue(*target, R"(SELECT max("Datum") FROM "Protokoll")"),
              QDateTime(QDate(2026, 12, 3), QTime(8, 30)).toString(Qt::ISODateWithMs));
    // The copy is a database of ours: the reservation works on it.
    const auto lock = lockNveBase(*target, "4012345", 0);
    EXPECT_EQ(lock->highest(), 99);
    lock->release(100);
}

TEST_F(Migration, RefusesATargetThatIsNotEmptyAndLeavesItAlone) {
    {
        const auto target = scratch->open();
        target->machNeuBenutzer("Vorhanden");
    }
    try {
        copyToServer(*source, scratch->path());
        ADD_FAILURE() << "copied into a database that holds tables";
    } catch (const AppError& e) {
        EXPECT_EQ(e.text(), caption(dbmsg::TargetNotEmpty).arg(scratch->path(), "Vorhanden"));
    }
    EXPECT_EQ(scratch->open()->tables(), QStringList{"Vorhanden"});
}

TEST_F(Migration, ARowThatDoesNotFitLeavesTheTargetEmpty) {
    // A table the program does not know gets text columns of 255 characters.
    ASSERT_TRUE(exec(*source, R"(CREATE TABLE "Altdaten" ("Notiz" TEXT))"));
    ASSERT_TRUE(exec(*source, R"(INSERT INTO "Altdaten" VALUES (?))", {QString(300, u'x')}));
    EXPECT_THROW(copyToServer(*source, scratch->path()), AppError);
    EXPECT_TRUE(scratch->open()->tables().isEmpty());
}

TEST_F(Migration, CommandLineFormReportsTablesAndExitCode) {
    struct Case {
        const char* what;
        QString target;
        int exitCode;
        QString lastLineStart;
    };
    const int tables = static_cast<int>(source->tables().size());
    const std::vector<Case> cases{
        {"not a server", dir.filePath("Kopie.mdb"), 1, "Fehler: "},
        {"empty server database", scratch->path(), 0,
         caption(dbmsg::Migrated).arg(tables).arg(QString()).arg(QString()).section(' ', 0, 2)},
        {"the same target again", scratch->path(), 1, "Fehler: "},
    };
    for (const Case& c : cases) {
        QStringList lines;
        const int code =
            migrateCommand(source->path(), c.target, [&](const QString& l) { lines << l; });
        EXPECT_EQ(code, c.exitCode) << c.what;
        ASSERT_FALSE(lines.isEmpty()) << c.what;
        EXPECT_TRUE(lines.last().startsWith(c.lastLineStart))
            << c.what << ": " << lines.last().toStdString();
        if (code == 0) {
            EXPECT_EQ(lines.size(), tables + 1) << "one line per table and the summary";
        }
    }
}

} // namespace
} // namespace palomex::test
