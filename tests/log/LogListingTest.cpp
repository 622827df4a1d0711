#include "log/LogListing.h"
#include "app/Captions.h"
#include "log/LogExport.h"
#include "log/LogPrint.h"
#include "log/PrintLog.h"

#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QPdfWriter>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct ListingFixture : test::DatabaseFixture {
    const QDateTime now{QDate(2026, 12, 4), QTime(11, 20, 39)};

    void add(const QString& sender, const QString& receiver, const QString& bis,
             const QString& content, const QTime& at = QTime(8, 0)) {
        LogEntry e;
        e.etikett = QStringLiteral("Lager");
        e.absender = sender;
        e.empfaenger = receiver;
        e.vonNve = QStringLiteral("34012345000000100");
        e.bisNve = bis;
        e.identifierEntries[1] = QStringLiteral("(10)");
        e.captions[1] = QStringLiteral("Charge");
        e.contents[1] = content;
        e.zusatz[0] = QStringLiteral("Zerbrechlich");
        ASSERT_FALSE(appendLogRow(db, e, QDateTime(now.date(), at)));
    }

    LogListing list(LogFilter f, const QString& heading = {}) {
        LogListing listing(f, now, heading, {QStringLiteral("Hinweis"), QString(), QString()});
        const LogQuery lq = selectstring(db, f);
        QSqlQuery q(db.connection());
        q.prepare(lq.sql);
        bindValues(q, lq.params);
        EXPECT_TRUE(q.exec());
        while (q.next())
            listing.addRow(q.record());
        return listing;
    }

    QString file(const QString& name) const { return QDir(appData.root()).filePath(name); }
};

QStringList runTool(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted())
        return {QStringLiteral("<%1 not available>").arg(program)};
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST_F(ListingFixture, ShortListKeepsItsColumnsAligned) {
    add(QStringLiteral("Musterfirma\nLagerstraße 1"),
        QStringLiteral("Ein sehr langer Empfängername AG"), QStringLiteral("34012345000000123"),
        QStringLiteral("LOT7"));
    add(QString(), QStringLiteral("Kurz"), QStringLiteral("34012345000000200"),
        QStringLiteral("LOT8"), QTime(9, 0));
    const LogListing l = list({.datenCombo = "(10)   Losnummer"});
    EXPECT_EQ(l.lines(),
              QStringList({"Protokoll vom: 04.12.2026 11:20:39", " ",
                           "Datum      Absender        Empfänger            von_NVE          "
                           "bis_NVE (10) Losnummer",
                           QString(100, QLatin1Char('-')),
                           "04.12.2026 Musterfirma, La Ein sehr langer Empf 34012345000000100 "
                           "…00123  LOT7",
                           "04.12.2026                 Kurz                 34012345000000100 "
                           "…00200  LOT8"}));
    EXPECT_EQ(l.caption(QStringLiteral("Protokoll der gedruckten Etiketten")),
              QStringLiteral("Protokoll der gedruckten Etiketten:   2 Datensätze gefunden"));
    EXPECT_EQ(l.documentName(), QStringLiteral("Protokoll 04_12_2026 11-20-39"));
    EXPECT_EQ(l.exportTableName(), QStringLiteral("Protokoll vom: 04/12/2026 11:20:39"));
}

TEST_F(ListingFixture, HeadingNamesTheFiltersAndCountsOneOrNone) {
    add(QStringLiteral("Nord"), QStringLiteral("Süd"), QStringLiteral("34012345000000101"),
        QStringLiteral("4711"));
    LogFilter f{.absender = "Nor",
                .vonNve = "34012345000000100",
                .datumVon = firstDayEntries(now.date())[11],
                .datenCombo = "(10)   Losnummer",
                .datenText = "4711"};
    LogListing one = list(f, QStringLiteral("Charge 4711¶zurückverfolgt"));
    EXPECT_EQ(one.lines().mid(1, 6),
              QStringList({"Absender = \"Nor\"", "von NVE: 34012345000000100   bis NVE: ",
                           "von Datum: 04.12.2026   bis Datum: ", "Charge 4711", "zurückverfolgt",
                           "Datenbez.: (10) Losnummer = \"4711\""}));
    EXPECT_TRUE(
        one.caption(QStringLiteral("P")).endsWith(QStringLiteral(":   1 Datensatz gefunden")));
    f.absender = QStringLiteral("gibtsnicht");
    EXPECT_TRUE(
        list(f).caption(QStringLiteral("P")).endsWith(QStringLiteral(":   0 Datensätze gefunden")));

    // In English the heading is English; the exported table keeps its one name.
    test::CaptionsRestorer restorer;
    Captions::global().setOffset(1000);
    f.absender = QStringLiteral("Nor");
    const LogListing english = list(f);
    EXPECT_EQ(
        english.lines().mid(0, 7),
        QStringList({"Log of: 04.12.2026 11:20:39", "Sender = \"Nor\"",
                     "from NVE: 34012345000000100   to NVE: ", "from date: 04.12.2026   to date: ",
                     "Data id.: (10) Losnummer = \"4711\"", " ",
                     "Date       Sender          Receiver             from_NVE         "
                     "to_NVE  (10) Losnummer"}));
    EXPECT_EQ(english.documentName(), QStringLiteral("Log 04_12_2026 11-20-39"));
    EXPECT_EQ(english.exportTableName(), QStringLiteral("Protokoll vom: 04/12/2026 11:20:39"));
}

TEST_F(ListingFixture, DetailedListShowsEveryFilledField) {
    add(QStringLiteral("Nord\nHafen"), QString(), QStringLiteral("34012345000000101"),
        QStringLiteral("4711"));
    const QStringList lines = list({.detailliste = true}).lines();
    EXPECT_EQ(lines.value(2),
              QStringLiteral("Datum      Zeit      von_NVE           bis_NVE            Etikett"));
    EXPECT_EQ(lines.mid(5, 5),
              QStringList({"04.12.2026 08:00:00  34012345000000100 34012345000000101  Lager",
                           "Absender:  Nord, Hafen", "(10) Charge                        4711",
                           "Hinweis                            Zerbrechlich", "  "}));
    test::CaptionsRestorer restorer;
    Captions::global().setOffset(1000);
    EXPECT_EQ(
        list({.detailliste = true}).lines().mid(2, 5),
        QStringList({"Date       Time      from_NVE          to_NVE             Label",
                     "  Data identifier                  Content", QString(100, QLatin1Char('-')),
                     lines.value(5), "Sender:    Nord, Hafen"}));
}

// A printed run is kept whole, no column left null and the identifier reduced to its
// code; a value too long for its column is refused and nothing of the row is kept.
TEST_F(ListingFixture, LogRowIsKeptWholeOrRefusedWhole) {
    LogEntry e;
    e.identifierEntries[0] = QStringLiteral("(310n) Nettogewicht (kg)");
    e.identifierEntries[2] = QStringLiteral("freier Text");
    e.zusatz[2] = QString(80, QLatin1Char('z'));
    e.contents[4] = QString(51, QLatin1Char('9'));
    const auto error = appendLogRow(db, e);
    EXPECT_TRUE(error && !error->isEmpty());
    e.contents[4].chop(1);
    ASSERT_FALSE(appendLogRow(db, e));
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT * FROM \"Protokoll\"")) && q.next());
    const QSqlRecord r = q.record();
    EXPECT_EQ(r.value(QStringLiteral("DB0")).toString(), QStringLiteral("(310n)"));
    EXPECT_EQ(r.value(QStringLiteral("DB2")).toString(), QString());
    EXPECT_EQ(r.value(QStringLiteral("Zusatz2")).toString(), e.zusatz[2]);
    EXPECT_EQ(r.value(QStringLiteral("Daten4")).toString(), e.contents[4]);
    for (int i = 0; i < r.count(); ++i)
        EXPECT_FALSE(r.isNull(i)) << "column " << r.fieldName(i).toStdString() << " is null";
    EXPECT_FALSE(q.next()) << "the refused row was kept";
}

// The semicolon file read by an independent CSV reader gives back every value; the
// tab file in the Windows character set.
TEST_F(ListingFixture, TextExportsReadBack) {
    add(QStringLiteral("Firma \"Nord\"; Hafen\nZeile 2"), QStringLiteral("Süd"),
        QStringLiteral("34012345000000101"), QStringLiteral("4711"));
    LogFilter f;
    const QString path = file(QStringLiteral("export.csv"));
    const ExportResult r = exportLogText(db, f, path, TextExport::Semicolon);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.rows, 1);
    EXPECT_EQ(r.message, QStringLiteral(" \nDie Datei:\n%1\nwurde erstellt.").arg(path));
    const QByteArray bytes = test::readFile(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF\"Datum\"; \"Uhrzeit\"; "));
    EXPECT_TRUE(bytes.contains("\r\n"));
    // 41 columns, each followed by the separator, then the values by column name.
    const QStringList parsed =
        runTool(QStringLiteral("python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import csv,sys\n"
                                "h,r=csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline=''),"
                                "delimiter=';',skipinitialspace=True)\n"
                                "print(len(h),len(r),*[r[h.index(c)] for c in "
                                "('Absender','Empfänger','Datum')],sep='|')"),
                 path});
    EXPECT_EQ(parsed, QStringList({"42|42|Firma \"Nord\"; Hafen¶ Zeile 2|Süd|04.12.2026"}));

    ASSERT_TRUE(exportLogText(db, f, path, TextExport::Tab, TextEncoding::Windows1252).ok);
    const QByteArray tabs = test::readFile(path);
    EXPECT_TRUE(tabs.startsWith("Datum\tUhrzeit\t"));
    EXPECT_TRUE(tabs.contains("\tS\xFC"
                              "d\t"))
        << "Windows-1252";
    EXPECT_EQ(tabs.count("\r\n"), 2);
}

TEST_F(ListingFixture, FailedExportLeavesTheOldFileUntouched) {
    const QString path = file(QStringLiteral("export.txt"));
    test::writeFile(path, "alter Inhalt");
    LogFilter f;
    f.datumVon = QStringLiteral("kein Datum");
    const ExportResult r = exportLogText(db, f, path, TextExport::Tab);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.startsWith(QStringLiteral("Fehler: ")) && r.message.contains(path))
        << r.message.toStdString();
    EXPECT_EQ(test::readFile(path), QByteArray("alter Inhalt"));
    EXPECT_FALSE(exportLogText(db, f, file(QStringLiteral("nicht/da/x.txt")), TextExport::Tab).ok);
}

TEST_F(ListingFixture, DatabaseExportCreatesATableTheSqliteToolReads) {
    add(QStringLiteral("Nord"), QStringLiteral("Süd"), QStringLiteral("34012345000000101"),
        QStringLiteral("4711"));
    add(QStringLiteral("West"), QStringLiteral("Ost"), QStringLiteral("34012345000000102"),
        QStringLiteral("4712"));
    LogFilter f;
    const QString path = file(QStringLiteral("Export.mdb"));
    const QString table = QStringLiteral("Protokoll vom: 04/12/2026 11:20:39");
    const ExportResult r = exportLogDatabase(db, f, path, table);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.rows, 2);
    const auto sqlite = [&](const QString& sql) {
        return runTool(QStringLiteral("sqlite3"), {path, sql});
    };
    EXPECT_EQ(
        sqlite(
            QStringLiteral("SELECT Absender, bis_NVE FROM \"%1\" ORDER BY Absender;").arg(table)),
        QStringList({"Nord|34012345000000101", "West|34012345000000102"}));
    EXPECT_FALSE(exportLogDatabase(db, f, path, table).ok) << "the table exists already";
    EXPECT_TRUE(exportLogDatabase(db, f, path, table + QStringLiteral("x")).ok);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT count(*) FROM sqlite_master;")), QStringList({"2"}));
    EXPECT_EQ(QDir(appData.root()).entryList({QStringLiteral("Export.mdb*")}, QDir::Files),
              QStringList({"Export.mdb"}));

    // Into the program's own database: the table is added there, and the log is
    // written on as before.
    const ExportResult own = exportLogDatabase(db, f, db.path(), table);
    ASSERT_TRUE(own.ok) << own.message.toStdString();
    EXPECT_TRUE(db.hasTable(table));
    add(QStringLiteral("Süd"), QStringLiteral("Ost"), QStringLiteral("34012345000000103"),
        QStringLiteral("4713"));
}

TEST_F(ListingFixture, RowsToClipboardAsTabText) {
    add(QStringLiteral("Nord\nHafen"), QStringLiteral("S\tüd"), QStringLiteral("34012345000000101"),
        QStringLiteral("4711"));
    LogFilter f;
    QString text;
    EXPECT_EQ(logRowsClipboardText(db, f, text).message,
              QStringLiteral(" \nEs wurden 1 Datensätze in die Zwischenablage kopiert. "));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Datum\tUhrzeit\t")) &&
                !lines[0].endsWith(QLatin1Char('\t')));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\tNord Hafen\tSüd\t")) &&
                lines[1].endsWith(QLatin1Char('\t')));
}

// The printed list, written to PDF and turned back into text by an independent tool,
// carries every line over several pages.
TEST_F(ListingFixture, PrintedListInPdf) {
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines << QStringLiteral("Zeile %1 Müller").arg(i, 3, 10, QLatin1Char('0'));
    const QString path = file(QStringLiteral("liste.pdf"));
    {
        QPdfWriter pdf(path);
        EXPECT_GE(printLogList(pdf, lines), 2);
    }
    const QString all = test::pdfText(path);
    for (const char* line : {"Frachtmarker", "Zeile 000 Müller", "Zeile 149 Müller"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(line))) << line;
}
