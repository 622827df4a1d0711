#include "db/Database.h"
#include "app/AppError.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/TextCodec.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace palomex;
using palomex::test::readFile;
using palomex::test::TempAppData;
using palomex::test::writeFile;

namespace {

int rowCount(Database& db, const QString& table) {
    QSqlQuery q(db.connection());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(SqlDialect::quote(table))) ||
        !q.next())
        return -1;
    return q.value(0).toInt();
}

QStringList columnsOf(Database& db, const QString& table) {
    QStringList names;
    const QSqlRecord r = db.connection().record(table);
    for (int i = 0; i < r.count(); ++i)
        names << r.fieldName(i);
    return names;
}

QStringList schemaColumns(const TableSchema& schema) {
    QStringList names;
    for (const Column& c : schema.columns)
        names << c.name;
    return names;
}

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

TEST_F(StartupFixture, FirstStartCreatesFolderDatabaseTablesAndLabels) {
    ASSERT_FALSE(QFileInfo::exists(appData.dataFolder()));
    OpenedDatabase opened = start();
    Database& db = *opened.database;
    EXPECT_TRUE(QFileInfo(appData.file(QStringLiteral("Palomex.mdb"))).isFile());
    EXPECT_TRUE(opened.firstStart);
    EXPECT_EQ(db.tables(), QStringList({"Etiketten", "HöchstNVE", "Protokoll", "Chargen"}));
    EXPECT_EQ(columnsOf(db, QStringLiteral("Etiketten")), schemaColumns(labelTableSchema({})));
    EXPECT_EQ(columnsOf(db, QStringLiteral("Protokoll")), schemaColumns(protokollSchema()));
    EXPECT_EQ(columnsOf(db, QStringLiteral("HöchstNVE")), schemaColumns(hoechstNveSchema()));
    EXPECT_EQ(columnsOf(db, QStringLiteral("Chargen")), schemaColumns(chargenSchema()));
    ASSERT_TRUE(opened.seedAdded);
    const int seeded = *opened.seedAdded;
    EXPECT_GT(seeded, 0) << "the shipped seed database holds sample labels";
    EXPECT_EQ(standardLabelSaves, 1);
    EXPECT_EQ(rowCount(db, QStringLiteral("Etiketten")), seeded + 1);
    EXPECT_EQ(opened.labelTable, QStringLiteral("Etiketten"));
}

TEST_F(StartupFixture, SecondStartChangesNothing) {
    start();
    const QByteArray before = readFile(appData.file(QStringLiteral("Palomex.mdb")));
    OpenedDatabase again = start();
    EXPECT_FALSE(again.firstStart);
    EXPECT_FALSE(again.seedAdded) << "no upgrade without the Update flag";
    EXPECT_EQ(standardLabelSaves, 1);
    again.database.reset();
    EXPECT_EQ(readFile(appData.file(QStringLiteral("Palomex.mdb"))), before);
}

TEST_F(StartupFixture, UpdateFlagRunsTheUpgradeOnceAndOnlyForExactTrue) {
    {
        OpenedDatabase first = start();
        QSqlQuery q(first.database->connection());
        ASSERT_TRUE(q.exec(
            QStringLiteral("DELETE FROM \"Etiketten\" WHERE \"EtikName\" = 'Beispiel Palette'")));
    }
    settings.write(QStringLiteral("Einstellungen"), QStringLiteral("Update"),
                   QStringLiteral("true"));
    EXPECT_FALSE(start().seedAdded);

    settings.writeFlag(QStringLiteral("Einstellungen"), QStringLiteral("Update"), true);
    OpenedDatabase upgraded = start();
    ASSERT_TRUE(upgraded.seedAdded);
    EXPECT_EQ(*upgraded.seedAdded, 1) << "only the missing seed label is added";
    EXPECT_EQ(settings.get(QStringLiteral("Einstellungen"), QStringLiteral("Update")),
              QStringLiteral("FALSE"));
    EXPECT_EQ(upgraded.database->tables().size(), 4);
    upgraded.database.reset();

    settings.writeFlag(QStringLiteral("Einstellungen"), QStringLiteral("Update"), true);
    OpenedDatabase again = start();
    ASSERT_TRUE(again.seedAdded);
    EXPECT_EQ(*again.seedAdded, 0);
}

TEST_F(StartupFixture, CurrentLabelTableFallsBackToTheFirstLabelTable) {
    {
        OpenedDatabase opened = start();
        ASSERT_TRUE(opened.database->machNeuBenutzer(QStringLiteral("Müller")));
        EXPECT_FALSE(opened.database->machNeuBenutzer(QStringLiteral("Müller")))
            << "exists already";
    }
    struct Case {
        const char* stored;
        const char* expected;
    };
    const Case cases[] = {
        {"Müller", "Müller"}, {"Gibtsnicht", "Etiketten"}, {"", "Etiketten"}, {"   ", "Etiketten"}};
    for (const Case& c : cases) {
        settings.write(QStringLiteral("Einstellungen"), QStringLiteral("Benutzername"),
                       QString::fromUtf8(c.stored));
        EXPECT_EQ(start().labelTable, QString::fromUtf8(c.expected)) << c.stored;
    }
}

TEST_F(StartupFixture, ScratchTableIsNamedAfterTheComputerAndDroppedAtExit) {
    OpenedDatabase opened = start();
    const QString scratch = Database::scratchTableName();
    EXPECT_TRUE(scratch.endsWith(QLatin1Char('~')));
    QSqlQuery q(opened.database->connection());
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE %1 (x TEXT)").arg(SqlDialect::quote(scratch))));
    writeExitState(settings, opened.database.get(), {300, 400, QStringLiteral(" Lager ")});
    EXPECT_FALSE(opened.database->hasTable(scratch));
    EXPECT_EQ(settings.number(QStringLiteral("Einstellungen"), QStringLiteral("Left")), 300);
    EXPECT_EQ(settings.get(QStringLiteral("Einstellungen"), QStringLiteral("RecentEtik")),
              QStringLiteral("Lager"));
    writeExitState(settings, opened.database.get(),
                   {0, 999, QString()}); // table absent: no failure
    EXPECT_EQ(settings.number(QStringLiteral("Einstellungen"), QStringLiteral("Top")), 400)
        << "a minimised window does not overwrite the stored position";
    settings.writeFlag(QStringLiteral("Einstellungen"), QStringLiteral("LetztDatei"), false);
    writeExitState(settings, nullptr, {1, 1, QStringLiteral("Andere")});
    EXPECT_EQ(settings.get(QStringLiteral("Einstellungen"), QStringLiteral("RecentEtik")),
              QString());
}

// A file at the database path that is not ours, or a copy of ours that cannot be
// read through, is reported with its path and kept byte for byte.
TEST_F(StartupFixture, ForeignFilesAreRefusedAndLeftUnchanged) {
    start();
    const QByteArray ours = readFile(appData.file(QStringLiteral("Palomex.mdb")));
    // Everything behind the first page, which holds the header and the schema.
    const int page = (quint8(ours[16]) << 8) | quint8(ours[17]);
    ASSERT_GT(ours.size(), 3 * page);
    QByteArray overwritten = ours;
    overwritten.replace(page, ours.size() - page, QByteArray(ours.size() - page, '\xff'));
    QByteArray jet(2048, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    QByteArray foreignSqlite;
    {
        const QString path = appData.root() + QStringLiteral("/foreign.sqlite");
        QSqlDatabase f =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        f.setDatabaseName(path);
        ASSERT_TRUE(f.open());
        QSqlQuery(f).exec(QStringLiteral("CREATE TABLE kunden (id INTEGER)"));
        f.close();
        f = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        foreignSqlite = readFile(path);
    }
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
        writeFile(appData.file(QStringLiteral("Palomex.mdb")), c.content);
        try {
            start();
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), c.number) << c.name;
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.words)))
                << c.name << ": " << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(appData.file(QStringLiteral("Palomex.mdb")))) << c.name;
        }
        EXPECT_EQ(readFile(appData.file(QStringLiteral("Palomex.mdb"))), c.content) << c.name;
    }
}

TEST_F(StartupFixture, UnusablePathsAreReportedWithThePath) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission checks do not apply to root";
    start();
    const QString db = appData.file(QStringLiteral("Palomex.mdb"));
    const QByteArray before = readFile(db);
    ASSERT_EQ(::chmod(db.toLocal8Bit().constData(), 0444), 0);
    EXPECT_THROW(start(), AppError);
    EXPECT_EQ(readFile(db), before);
    ::chmod(db.toLocal8Bit().constData(), 0644);
}

TEST_F(StartupFixture, MissingSharedFolderIsReportedNotCreated) {
    const QString shared = appData.root() + QStringLiteral("/netz/nicht/da/Palomex.mdb");
    settings.write(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad"), shared);
    try {
        start();
        ADD_FAILURE() << "a missing shared folder was accepted";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::PathNotFound);
        EXPECT_TRUE(e.text().contains(shared)) << e.text().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(appData.root() + QStringLiteral("/netz")));
}

TEST_F(StartupFixture, SharedPathNamingAMissingFileGetsANewDatabaseThere) {
    QDir().mkpath(appData.root() + QStringLiteral("/netz"));
    const QString shared = appData.root() + QStringLiteral("/netz/Gemeinsam.mdb");
    settings.write(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad"), shared);
    OpenedDatabase opened = start();
    EXPECT_EQ(opened.database->path(), shared);
    EXPECT_TRUE(opened.firstStart);
    EXPECT_FALSE(QFileInfo::exists(appData.file(QStringLiteral("Palomex.mdb"))));
}

TEST(DataFolder, FollowsAppDataAndNeedsItsParent) {
    TempAppData appData;
    EXPECT_EQ(dataFolder(), appData.dataFolder());
    qputenv("APPDATA", (appData.root() + QStringLiteral("/gibtsnicht")).toLocal8Bit());
    EXPECT_THROW(ensureDataFolder(), AppError);
    qunsetenv("APPDATA");
    qputenv("AppData", appData.root().toLocal8Bit());
    EXPECT_EQ(dataFolder(), appData.dataFolder());
    qunsetenv("AppData");
    qputenv("APPDATA", appData.root().toLocal8Bit());
}

TEST_F(StartupFixture, SwitchingStoresTheShownPathButABadPathKeepsTheOldDatabase) {
    OpenedDatabase opened = start();
    Database& db = *opened.database;
    const QString old = db.path();
    // The first OK of the settings stores the path in use.
    EXPECT_FALSE(switchDatabase(db, settings, old, QString()));
    const QString bad = appData.root() + QStringLiteral("/kaputt.mdb");
    writeFile(bad, "kein Datenbankinhalt");
    const auto refused = switchDatabase(db, settings, bad, QString());
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(bad));
    EXPECT_EQ(db.path(), old);
    EXPECT_TRUE(db.hasTable(QStringLiteral("Etiketten")));
    EXPECT_EQ(settings.get(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad")),
              old);

    const QString fresh = appData.root() + QStringLiteral("/Gemeinsam.mdb");
    EXPECT_FALSE(switchDatabase(db, settings, fresh, seedDatabasePath()));
    EXPECT_EQ(db.path(), fresh);
    EXPECT_TRUE(db.hasTable(QStringLiteral("Protokoll")));
    EXPECT_EQ(db.labelTables(), QStringList({"Etiketten"}));
    EXPECT_EQ(settings.get(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad")),
              fresh);
}
