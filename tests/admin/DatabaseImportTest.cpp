#include "admin/DatabaseImport.h"
#include "app/Paths.h"
#include "app/Startup.h"
#include "log/PrintLog.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

void exec(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
}

QStringList column(Database& db, const QString& sql) {
    QStringList out;
    QSqlQuery q(db.connection());
    q.exec(sql);
    while (q.next())
        out << q.value(0).toString();
    return out;
}

struct ImportFixture : test::DatabaseFixture {
    QString sourceFolder = QDir(appData.root()).filePath("alt");
    QString sourcePath = QDir(sourceFolder).filePath("Palomex.mdb");

    void SetUp() override {
        QDir().mkpath(sourceFolder);
        auto src = Database::open(sourcePath);
        src->machNeuBenutzer("Versand");
        src->update(QString());
        exec(*src, R"(INSERT INTO "Versand" ("EtikName", "NVE_Basis", "NVE_LaufNr", )"
                   R"("AbsEmpfText0", "AnzahlNVEs") VALUES ('Neu A', '4012345', '000000777', )"
                   R"('Absender A', '3'))");
        exec(*src, R"(INSERT INTO "Versand" ("EtikName", "AbsEmpfText0") )"
                   R"(VALUES ('Neu B', 'B'), ('Standardetikett', 'fremd'))");
        exec(*src, R"(INSERT INTO "HöchstNVE" VALUES ('111', '000120'), ('222', '000180'), )"
                   R"(('333', '000005'))");
        exec(*src, R"(INSERT INTO "Chargen" VALUES ('L-77', 'Mühle', '(10)', 'A-1'), )"
                   R"(('L-77', 'Mühle', '(10)', 'B-2'))");
        for (int i = 0; i < 3; ++i) {
            LogEntry e;
            e.vonNve = QStringLiteral("3401234500000000%1").arg(i);
            e.bisNve = e.vonNve;
            ASSERT_FALSE(appendLogRow(*src, e));
        }
        test::writeFile(QDir(sourceFolder).filePath("Palomex.ini"),
                        "[Einstellungen]\nSchriftart=Arial\nMehrbenutzerpfad=/alt/Palomex.mdb\n");

        exec(db, R"(INSERT INTO "Etiketten" ("EtikName", "AbsEmpfText0") )"
                 R"(VALUES ('Standardetikett', 'hier'))");
        exec(db, R"(INSERT INTO "HöchstNVE" VALUES ('111', '000150'), ('222', '000150'))");
        LogEntry e;
        e.vonNve = e.bisNve = "34012345000000001";
        ASSERT_FALSE(appendLogRow(db, e));
        exec(db, R"(INSERT INTO "Chargen" VALUES ('L-77', 'Mühle', '(10)', 'A-1'))");
        settings.write("Einstellungen", "Mehrbenutzerpfad", QString());
    }

    ImportSummary run(const ImportOptions& options) {
        QString error;
        auto source = openDatabaseSource(sourcePath, &error);
        EXPECT_TRUE(source) << error.toStdString();
        EXPECT_EQ(source->labelTables(), QStringList({"Versand"}));
        return importFromDatabase(db, "Etiketten", *source, "Versand",
                                  {"Neu A", "Neu B", "Standardetikett"}, options, settings,
                                  sourceFolder);
    }
};

} // namespace

TEST_F(ImportFixture, EveryKindIsMergedAndASecondImportChangesNothing) {
    const ImportSummary s = run({true, true, true, true});
    ASSERT_TRUE(s.error.isEmpty()) << s.error.toStdString();
    EXPECT_EQ(column(db, "SELECT \"AbsEmpfText0\" FROM \"Etiketten\" WHERE "
                         "\"EtikName\" = 'Standardetikett'"),
              QStringList({"hier"}));
    EXPECT_EQ(column(db,
                     "SELECT \"NVE_LaufNr\" || '|' || \"NVE_Basis\" || '|' || \"AnzahlNVEs\" FROM "
                     "\"Etiketten\" WHERE \"EtikName\" = 'Neu A'"),
              QStringList({"|4012345|3"}));
    EXPECT_EQ(
        column(db, R"(SELECT "NVE_Basis" || '=' || "NVE_LaufNr" FROM "HöchstNVE" ORDER BY 1)"),
        QStringList({"111=000150", "222=000180", "333=000005"}));
    EXPECT_EQ(settings.get("Einstellungen", "Schriftart"), "Arial");
    EXPECT_EQ(settings.get("Einstellungen", "Mehrbenutzerpfad"), QString())
        << "this workstation keeps its database path";
    // Two of the three log rows: the run 34012345000000001 is logged here already.
    EXPECT_EQ(s.text,
              "Neue Etiketten importiert:      2      \nBereits vorhandene Etiketten: 1\n\n"
              "NVE-Basisnummern importiert: 1\nNVE-Laufnummern geändert:    1\n\n"
              "Protokolldaten importiert:  2\nChargendaten importiert:   1\n\n"
              "Einstellungen wurden importiert.\nEventuell muss der Drucker neu gewählt werden.\n");

    // Without a settings file beside the source, the summary says where to put it.
    QFile::remove(QDir(sourceFolder).filePath("Palomex.ini"));
    const ImportSummary again = run({true, true, true, true});
    EXPECT_EQ(again.labelsImported, 0);
    EXPECT_EQ(again.labelsPresent, 3);
    EXPECT_EQ(again.basesImported + again.runningNumbersRaised + again.logRowsImported +
                  again.batchRowsImported,
              0);
    EXPECT_TRUE(again.text.endsWith(
        QStringLiteral("kopieren Sie bitte die Datei Palomex.ini nach: \n%1\nund führen den "
                       "Import erneut durch.")
            .arg(sourceFolder)));
}

TEST_F(ImportFixture, ARefusedRowStopsTheImportAndKeepsWhatWasWritten) {
    {
        auto src = Database::open(sourcePath);
        exec(*src, R"(ALTER TABLE "Versand" ADD COLUMN "Fremd" TEXT)");
        exec(*src, R"(UPDATE "Versand" SET "Fremd" = 'x')");
    }
    const ImportSummary s = run({true, false, false, false});
    EXPECT_EQ(s.error, QStringLiteral("Die Spalte \"Fremd\" fehlt in der Tabelle \"Etiketten\"."));
    EXPECT_EQ(s.labelsImported, 0);
    EXPECT_EQ(s.basesImported, 0) << "the import stopped before the other tables";
}
