// The program itself, started as a shipping system's job would start it: "print"
// and "fileprint" without a display, to a real CUPS queue that writes PDFs.

#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "db/LabelStore.h"
#include "db/NveLock.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::nveSymbol;

namespace {

struct Ran {
    int exitCode;
    QString stderrText;
};

struct CommandLinePrint : ::testing::Test {
    test::TempAppData appData;
    QString cupsSocket, queue, outDir;

    void SetUp() override {
        // The first start creates the data folder and the database.
        ASSERT_EQ(palomex({QStringLiteral("?")}).exitCode, 0);
        Settings settings(iniPath());
        OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
        LabelStore(*opened.database, opened.labelTable).save(test::printTestLabel());
        settings.writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("Etikettentyp"), 1);
        settings.writeFlag(QStringLiteral("Protokoll"), QStringLiteral("Protokollaufz"), true);
        const QStringList cups = qEnvironmentVariable("PALOMEX_TEST_CUPS").split(u'|');
        if (cups.size() == 3) {
            cupsSocket = cups[0];
            queue = cups[1];
            outDir = cups[2];
        }
    }

    // Runs the program without a display, as a server's job does.
    Ran palomex(const QStringList& args, const QString& server = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("CUPS_SERVER"));
        if (!server.isEmpty())
            env.insert(QStringLiteral("CUPS_SERVER"), server);
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/palomex"), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    }

    void usePrinter(const QString& name) {
        Settings(iniPath()).write(QStringLiteral("Drucker"), QStringLiteral("Drucker"), name);
    }

    std::optional<qint64> highest() {
        Settings settings(iniPath());
        return storedHighest(*openStartupDatabase(settings, QString(), {}).database,
                             QStringLiteral("4012345"));
    }

    // The first column of a query on the program's database, row by row.
    QStringList column(const QString& sql) {
        Settings settings(iniPath());
        OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
        QSqlQuery q(opened.database->connection());
        q.exec(sql);
        QStringList values;
        while (q.next())
            values << q.value(0).toString();
        return values;
    }
    // The last two digits of each printed range.
    QStringList logRanges() {
        return column(
            R"(SELECT substr("von_NVE", 16) || '-' || substr("bis_NVE", 16) FROM "Protokoll" ORDER BY 1)");
    }

    // The NVE symbols of every page of the PDFs CUPS writes, once `jobs` are there.
    std::vector<QByteArray> printedNves(int jobs) {
        const QDir out(outDir);
        QDeadlineTimer deadline(30000);
        QStringList pdfs;
        while (!deadline.hasExpired()) {
            pdfs =
                out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time | QDir::Reversed);
            if (pdfs.size() >= jobs)
                break;
            QThread::msleep(200);
        }
        std::vector<QByteArray> nves;
        for (const QString& pdf : pdfs)
            for (const QImage& page : test::pdfPages(out.filePath(pdf), 200))
                nves.push_back(test::printTestSymbols(page, 200).back());
        return nves;
    }
};

} // namespace

TEST_F(CommandLinePrint, PrintWithoutADisplayGoesToTheCupsQueue) {
    if (queue.isEmpty())
        GTEST_SKIP() << "no CUPS test printer (PALOMEX_TEST_CUPS is not set)";
    for (const QString& old : QDir(outDir).entryList({QStringLiteral("*.pdf")}))
        QFile::remove(QDir(outDir).filePath(old));
    usePrinter(queue);
    const Ran r = palomex({QStringLiteral("print"), QStringLiteral("Palette groß"), "-",
                           QStringLiteral("5"), QStringLiteral("3")},
                          cupsSocket);
    EXPECT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    EXPECT_EQ(printedNves(1), (std::vector<QByteArray>{nveSymbol(5), nveSymbol(6), nveSymbol(7)}));
    EXPECT_EQ(highest(), 7);

    test::writeFile(appData.file(QStringLiteral("auftrag.txt")),
                    "'Palette groß' - 10 2\n\n'Palette groß' - 20 1\n'Palette groß' - 5x 1\n");
    // The file stops at its first refused line, after what came before it.
    const Ran f = palomex(
        {QStringLiteral("fileprint"), appData.file(QStringLiteral("auftrag.txt"))}, cupsSocket);
    EXPECT_EQ(f.exitCode, 4) << f.stderrText.toStdString();
    EXPECT_TRUE(f.stderrText.contains(QStringLiteral("Die NVE-Laufnummer")));
    EXPECT_EQ(printedNves(3),
              (std::vector<QByteArray>{nveSymbol(5), nveSymbol(6), nveSymbol(7), nveSymbol(10),
                                       nveSymbol(11), nveSymbol(20)}));
    EXPECT_EQ(highest(), 20);
    EXPECT_EQ(logRanges(), (QStringList{"05-07", "10-11", "20-20"}));

    // A stored printer that is gone, and one stored with an empty port (read back
    // without the blank after its comma), both print on an installed printer.
    int jobs = 3;
    for (const QString& entry :
         {QStringLiteral("Gibtsnicht, Lager"), queue + QStringLiteral(", ")}) {
        usePrinter(entry);
        const Ran r = palomex({QStringLiteral("print"), QStringLiteral("Palette groß"), "-",
                               QString::number(31 + jobs), QStringLiteral("1")},
                              cupsSocket);
        EXPECT_EQ(r.exitCode, 0) << entry.toStdString() << r.stderrText.toStdString();
        ++jobs;
        EXPECT_EQ(printedNves(jobs).back(), nveSymbol(31 + jobs - 1)) << entry.toStdString();
    }
}

// A run that cannot be done says why and leaves no trace: a value that does not fit
// (not cut to fit), no printer at all, or a window without a display.
TEST_F(CommandLinePrint, RefusedRunsSayWhyAndTakeNothing) {
    // Parameter n of the print line, the ones before it "-".
    const auto at = [](int n, const QString& value) {
        return QStringList{QStringLiteral("print"), QStringLiteral("Palette groß")}
               << QStringList(n - 3, QStringLiteral("-")) << value;
    };
    test::writeFile(appData.file(QStringLiteral("auftrag.txt")), "'Palette groß' - - 12000\n");
    const struct {
        bool printer; // a printer that would print: the refusal, not its lack, stops the run
        int code;
        QStringList args;
        const char* message;
    } cases[] = {
        // A line break is stored as CR LF: 127 + 127 characters around one are 256.
        {true, 4, at(20, QString(127, u'a') + "\\n" + QString(127, u'b')),
         "Der Text in AbsEmpfText0 ist zu lang: höchstens 255 Zeichen"},
        {true,
         4,
         {"fileprint", appData.file(QStringLiteral("auftrag.txt"))},
         "Die Anzahl der NVEs muss eine Zahl von 1 bis 9999 sein: \"12000\""},
        {false, 4, {"print", "Palette groß"}, "Es ist kein Drucker vorhanden !"},
        {false, 1, {"open", "Palette groß"}, "Palomex braucht für \"open\" einen Bildschirm."},
        {false, 1, {}, "palomex: Palomex braucht für \"palomex\" einen Bildschirm."},
    };
    for (const auto& c : cases) {
        if (!c.printer)
            usePrinter(QStringLiteral("Gibtsnicht"));
        else if (!queue.isEmpty())
            usePrinter(queue);
        const Ran r = palomex(c.args, c.printer ? cupsSocket : QString());
        EXPECT_EQ(r.exitCode, c.code) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.stderrText.contains(QString::fromUtf8(c.message)))
            << c.message << "\n"
            << r.stderrText.toStdString();
    }
    EXPECT_EQ(highest().value_or(0), 0);
    EXPECT_TRUE(logRanges().isEmpty());
}
