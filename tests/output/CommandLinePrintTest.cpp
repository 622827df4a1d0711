// The program itself, started as a shipping system's job would start it: "print"
// and "fileprint" without a display, to a real CUPS queue that writes PDFs.

#include "Decode.h"
#include "PrintTestLabel.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "db/LabelStore.h"
#include "db/NveLock.h"
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

    QStringList logRanges() {
        Settings settings(iniPath());
        OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
        QSqlQuery q(opened.database->connection());
        q.exec(QStringLiteral(R"(SELECT "von_NVE", "bis_NVE" FROM "Protokoll" ORDER BY 1)"));
        QStringList ranges;
        while (q.next())
            ranges << q.value(0).toString().right(2) + "-" + q.value(1).toString().right(2);
        return ranges;
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
                    "'Palette groß' - 10 2\n\n'Palette groß' - 20 1\n");
    const Ran f = palomex(
        {QStringLiteral("fileprint"), appData.file(QStringLiteral("auftrag.txt"))}, cupsSocket);
    EXPECT_EQ(f.exitCode, 0) << f.stderrText.toStdString();
    EXPECT_EQ(printedNves(3),
              (std::vector<QByteArray>{nveSymbol(5), nveSymbol(6), nveSymbol(7), nveSymbol(10),
                                       nveSymbol(11), nveSymbol(20)}));
    EXPECT_EQ(highest(), 20);
    EXPECT_EQ(logRanges(), (QStringList{"05-07", "10-11", "20-20"}));

    // A replacement label for a pallet already labelled: printed, with a warning.
    const Ran again = palomex({QStringLiteral("print"), QStringLiteral("Palette groß"), "-",
                               QStringLiteral("6"), QStringLiteral("1")},
                              cupsSocket);
    EXPECT_EQ(again.exitCode, 0) << again.stderrText.toStdString();
    EXPECT_TRUE(again.stderrText.contains(
        QStringLiteral("Die NVEs 40123450000000006 bis 40123450000000006 wurden laut Protokoll "
                       "bereits am ")))
        << again.stderrText.toStdString();
    EXPECT_EQ(printedNves(4).back(), nveSymbol(6));
}

TEST_F(CommandLinePrint, AMissingPrinterOrALockedBaseEndsWithAMessageAndNothingStored) {
    usePrinter(QStringLiteral("Gibtsnicht"));
    Ran r = palomex({QStringLiteral("print"), QStringLiteral("Palette groß")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(
        r.stderrText.contains(QStringLiteral("Der Drucker \"Gibtsnicht\" ist nicht vorhanden.")))
        << r.stderrText.toStdString();
    EXPECT_EQ(highest().value_or(0), 0);

    Settings settings(iniPath());
    OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
    const auto held = lockNveBase(*opened.database, QStringLiteral("4012345"), 0);
    r = palomex({QStringLiteral("print"), QStringLiteral("Palette groß")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("Fehler-Nr.: 3260")))
        << r.stderrText.toStdString();
    EXPECT_TRUE(logRanges().isEmpty());
}

TEST_F(CommandLinePrint, AFilePrintFileThatCannotBeReadIsAWrongParameter) {
    const Ran r = palomex({QStringLiteral("fileprint"), appData.file(QStringLiteral("fehlt.txt"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("Falscher Parameter, aufgerufen wurde: ")))
        << r.stderrText.toStdString();
}
