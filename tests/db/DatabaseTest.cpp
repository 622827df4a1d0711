#include "db/Database.h"
#include "TestDatabases.h"
#include "app/AppError.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Startup.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;
using namespace palomex::test;

namespace {

struct StartupFixture : ::testing::Test {
    TempAppData appData;
    Settings settings{iniPath()};
    int standardLabelSaves = 0;

    OpenedDatabase start() {
        return openStartupDatabase(
            settings, seedDatabasePath(), [this](Database& db, const QString& t) {
                ++standardLabelSaves;
                QSqlQuery q(db.connection());
                q.exec(QStringLiteral("INSERT INTO %1 (\"EtikName\") VALUES ('Standardetikett')")
                           .arg(t));
            });
    }
};

} // namespace

TEST_F(StartupFixture, FirstStartSeedsASecondChangesNothingAndUpdateUpgradesOnceForExactTrue) {
    ASSERT_FALSE(QFileInfo::exists(appData.dataFolder()));
    {
        OpenedDatabase opened = start();
        EXPECT_TRUE(opened.firstStart);
        EXPECT_EQ(opened.labelTable, "Etiketten");
        ASSERT_TRUE(opened.seedAdded);
        EXPECT_GT(*opened.seedAdded, 0) << "the shipped seed database holds sample labels";
        EXPECT_EQ(test::firstValue(*opened.database, R"(SELECT count(*) FROM "Etiketten")"),
                  QString::number(*opened.seedAdded + 1));
        ASSERT_TRUE(test::exec(*opened.database,
                               R"(DELETE FROM "Etiketten" WHERE "EtikName" = 'Beispiel Palette')"));
    }
    const QByteArray before = readFile(appData.file("Palomex.mdb"));
    {
        OpenedDatabase again = start();
        EXPECT_FALSE(again.firstStart);
        EXPECT_FALSE(again.seedAdded) << "no upgrade without the Update flag";
    }
    EXPECT_EQ(readFile(appData.file("Palomex.mdb")), before);
    EXPECT_EQ(standardLabelSaves, 1);
    settings.write("Einstellungen", "Update", "true");
    EXPECT_FALSE(start().seedAdded);

    settings.writeFlag("Einstellungen", "Update", true);
    OpenedDatabase upgraded = start();
    ASSERT_TRUE(upgraded.seedAdded);
    EXPECT_EQ(*upgraded.seedAdded, 1) << "only the missing seed label is added";
    EXPECT_EQ(settings.get("Einstellungen", "Update"), "FALSE");
    EXPECT_EQ(upgraded.database->tables().size(), 4);
    upgraded.database.reset();

    settings.writeFlag("Einstellungen", "Update", true);
    OpenedDatabase again = start();
    ASSERT_TRUE(again.seedAdded);
    EXPECT_EQ(*again.seedAdded, 0);
}

TEST_F(StartupFixture, CurrentLabelTableFallsBackToTheFirstLabelTable) {
    {
        OpenedDatabase opened = start();
        ASSERT_TRUE(opened.database->machNeuBenutzer("Müller"));
    }
    struct Case {
        const char* stored;
        const char* expected;
    };
    const Case cases[] = {
        {"Müller", "Müller"}, {"Gibtsnicht", "Etiketten"}, {"", "Etiketten"}, {"   ", "Etiketten"}};
    for (const Case& c : cases) {
        settings.write("Einstellungen", "Benutzername", QString::fromUtf8(c.stored));
        EXPECT_EQ(start().labelTable, QString::fromUtf8(c.expected)) << c.stored;
    }
}

TEST_F(StartupFixture, ExitDropsTheScratchTableAndKeepsTheWindowState) {
    OpenedDatabase opened = start();
    const QString scratch = Database::scratchTableName();
    ASSERT_TRUE(
        test::exec(*opened.database, "CREATE TABLE " + SqlDialect::quote(scratch) + " (x TEXT)"));
    writeExitState(settings, opened.database.get(), {300, 400, " Lager "});
    EXPECT_FALSE(opened.database->hasTable(scratch));
    EXPECT_EQ(settings.number("Einstellungen", "Left"), 300);
    EXPECT_EQ(settings.get("Einstellungen", "RecentEtik"), "Lager");
    writeExitState(settings, opened.database.get(),
                   {0, 999, QString()}); // table absent: no failure
    EXPECT_EQ(settings.number("Einstellungen", "Top"), 400)
        << "a minimised window does not overwrite the stored position";
    settings.writeFlag("Einstellungen", "LetztDatei", false);
    writeExitState(settings, nullptr, {1, 1, "Andere"});
    EXPECT_EQ(settings.get("Einstellungen", "RecentEtik"), QString());
}

// A file at the database path that is not ours, or a copy of ours that cannot be
// read through, is reported with its path and kept byte for byte.
TEST_F(StartupFixture, ForeignFilesAreRefusedAndLeftUnchanged) {
    start();
    const QByteArray ours = readFile(appData.file("Palomex.mdb"));
    // Everything behind the first page, which holds the header and the schema.
    const int page = (quint8(ours[16]) << 8) | quint8(ours[17]);
    ASSERT_GT(ours.size(), 3 * page);
    QByteArray overwritten = ours;
    overwritten.replace(page, ours.size() - page, QByteArray(ours.size() - page, '\xff'));
    QByteArray jet(2048, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    {
        QSqlDatabase f = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        f.setDatabaseName(appData.root() + "/foreign.sqlite");
        ASSERT_TRUE(f.open() && QSqlQuery(f).exec("CREATE TABLE kunden (id INTEGER)"));
    }
    QSqlDatabase::removeDatabase("foreign");
    const QByteArray foreignSqlite = readFile(appData.root() + "/foreign.sqlite");
    struct Case {
        const char* name;
        QByteArray content;
        int number;
        const char* words;
    };
    const Case cases[] = {
        {"garbage", QByteArray("this is not a database at all, just text\n").repeated(20),
         err::FileNotOurs, "keine Datenbank"},
        {"jet", jet, err::FileNotOurs, "Access-Datenbank"},
        {"foreign sqlite", foreignSqlite, err::FileNotOurs, "keine Datenbank"},
        {"empty", QByteArray(), err::FileNotOurs, "keine Datenbank"},
        {"ours cut short", ours.left(ours.size() / 2), err::DatabaseFailure, "beschädigt"},
        {"ours overwritten", overwritten, err::DatabaseFailure, "beschädigt"},
    };
    for (const Case& c : cases) {
        writeFile(appData.file("Palomex.mdb"), c.content);
        const AppError e = test::thrownBy([&] { start(); });
        EXPECT_EQ(e.number(), c.number) << c.name;
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.words)))
            << c.name << ": " << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(appData.file("Palomex.mdb"))) << c.name;
        EXPECT_EQ(readFile(appData.file("Palomex.mdb")), c.content) << c.name;
    }
}

// A shared path is used as given: a missing folder is reported, never created, and
// a missing file in an existing folder becomes a new database there.
TEST_F(StartupFixture, ASharedPathNeedsItsFolderAndGetsANewDatabaseThere) {
    const QString missing = appData.root() + "/netz/nicht/da/Palomex.mdb";
    settings.write("Einstellungen", "Mehrbenutzerpfad", missing);
    const AppError e = test::thrownBy([&] { start(); });
    EXPECT_EQ(e.number(), err::PathNotFound);
    EXPECT_TRUE(e.text().contains(missing)) << e.text().toStdString();
    EXPECT_FALSE(QFileInfo::exists(appData.root() + "/netz"));

    QDir().mkpath(appData.root() + "/netz");
    const QString shared = appData.root() + "/netz/Gemeinsam.mdb";
    settings.write("Einstellungen", "Mehrbenutzerpfad", shared);
    OpenedDatabase opened = start();
    EXPECT_EQ(opened.database->path(), shared);
    EXPECT_TRUE(opened.firstStart);
    EXPECT_FALSE(QFileInfo::exists(appData.file("Palomex.mdb")));
}

TEST_F(StartupFixture, SwitchingStoresTheShownPathButABadPathKeepsTheOldDatabase) {
    OpenedDatabase opened = start();
    Database& db = *opened.database;
    const QString old = db.path();
    // The first OK of the settings stores the path in use.
    EXPECT_FALSE(switchDatabase(db, settings, old, QString()));
    const QString bad = appData.root() + "/kaputt.mdb";
    writeFile(bad, "kein Datenbankinhalt");
    const auto refused = switchDatabase(db, settings, bad, QString());
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(bad));
    EXPECT_EQ(db.path(), old);
    EXPECT_TRUE(db.hasTable("Etiketten"));
    EXPECT_EQ(settings.get("Einstellungen", "Mehrbenutzerpfad"), old);

    const QString fresh = appData.root() + "/Gemeinsam.mdb";
    EXPECT_FALSE(switchDatabase(db, settings, fresh, seedDatabasePath()));
    EXPECT_EQ(db.path(), fresh);
    EXPECT_TRUE(db.hasTable("Protokoll"));
    EXPECT_EQ(db.labelTables(), QStringList({"Etiketten"}));
    EXPECT_EQ(settings.get("Einstellungen", "Mehrbenutzerpfad"), fresh);
}
