// The program itself, started as a shipping system's job would start it: "print"
// and "fileprint" without a display, to a real CUPS queue that writes PDFs.

#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/Workspace.h"
#include "db/LabelStore.h"
#include "db/NveLock.h"
#include "output/PdfSink.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"
#include "ui/app/CommandRun.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::nveSymbol;
using palomex::test::referenceCheckDigit;

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

    // Every row of HöchstNVE, "base:running ...".
    std::string storedNves() {
        Settings settings(iniPath());
        OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
        QSqlQuery q(opened.database->connection());
        q.exec(QStringLiteral(R"(SELECT "NVE_Basis", "NVE_LaufNr" FROM "HöchstNVE" ORDER BY 1)"));
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString() + ":" + q.value(1).toString();
        return rows.join(u' ').toStdString();
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

    // A stored printer that is gone, and one stored with an empty port (read back
    // without the blank after its comma), both print on an installed printer.
    int jobs = 4;
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

// The print commands without a display run on the workspace alone: not one widget
// is built, and the run prints, stores its numbers and logs as any print does.
TEST_F(CommandLinePrint, WithoutADisplayAPrintBuildsNoWidget) {
    const QString pdf = appData.file(QStringLiteral("lauf.pdf"));
    test::writeFile(appData.file(QStringLiteral("auftrag.txt")),
                    "'Palette groß' - 10 2\n'Palette groß' - 5x 1\n");
    const struct {
        const char* line;
        int code;
        std::vector<qint64> printed; // running numbers on the pages, in order
        const char* message;         // start of the one message, or empty for none
    } cases[] = {
        {"print 'Palette groß' - 5 3", 0, {5, 6, 7}, ""},
        {"print Gibtsnicht", 3, {}, "Etikett \"Gibtsnicht\" wurde nicht gefunden"},
        {"print 'Palette groß' - - 0", 4, {}, "Die Anzahl der NVEs muss eine Zahl von 1 bis 9999"},
        // The file stops at its first refused line, after what came before it.
        {"fileprint auftrag.txt", 4, {10, 11}, "Die NVE-Laufnummer"},
    };
    const QList<QWidget*> existing = QApplication::allWidgets();
    const QSet<QWidget*> before(existing.begin(), existing.end());
    for (const auto& c : cases) {
        QFile::remove(pdf);
        test::ScriptedPrompter prompter;
        const QString line = QString::fromUtf8(c.line).replace(
            QStringLiteral("auftrag.txt"),
            u'"' + appData.file(QStringLiteral("auftrag.txt")) + u'"');
        const int code = runWithoutWindows(prompter, CommandRequest(line), [&](Workspace& w) {
            return PdfSink::opener(pdf, w.session().name(), w.prompter());
        });
        EXPECT_EQ(code, c.code) << c.line << ": " << prompter.shown.join(u'|').toStdString();
        const QList<QWidget*> after = QApplication::allWidgets();
        EXPECT_EQ(QSet<QWidget*>(after.begin(), after.end()), before) << c.line;
        std::vector<QByteArray> nves, expected;
        for (const QImage& page :
             QFile::exists(pdf) ? test::pdfPages(pdf, 200) : std::vector<QImage>{})
            nves.push_back(test::printTestSymbols(page, 200).back());
        for (const qint64 n : c.printed)
            expected.push_back(nveSymbol(n));
        EXPECT_EQ(nves, expected) << c.line;
        if (*c.message) {
            ASSERT_EQ(prompter.shown.size(), 1) << c.line;
            EXPECT_TRUE(prompter.shown[0].startsWith(QString::fromUtf8(c.message)))
                << prompter.shown[0].toStdString();
        } else {
            EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join(u'|').toStdString();
        }
    }
    EXPECT_EQ(highest(), 11);
    EXPECT_EQ(logRanges(), (QStringList{"05-07", "10-11"}));
}

TEST_F(CommandLinePrint, NoPrinterAtAllOrALockedBaseEndsWithAMessageAndNothingStored) {
    usePrinter(QStringLiteral("Gibtsnicht"));
    Ran r = palomex({QStringLiteral("print"), QStringLiteral("Palette groß")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("Es ist kein Drucker vorhanden !")))
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

// A value that does not fit where it goes is refused, whichever parameter brings it:
// not cut to fit, nothing printed, no NVE taken, no log row.
TEST_F(CommandLinePrint, ValuesThatDoNotFitAreRefusedNotCut) {
    {
        Settings settings(iniPath());
        OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
        Label withDate = test::printTestLabel();
        withDate.fields[3].identifier = QStringLiteral("(15)");
        withDate.fields[3].caption = QStringLiteral("MHD");
        withDate.fields[3].content = QStringLiteral("31.12.26");
        LabelStore(*opened.database, opened.labelTable).save(withDate);
    }
    // A printer that would print: the refusal, not a missing printer, stops the runs.
    // Any label printed would have taken its NVE and left its log row.
    if (!queue.isEmpty())
        usePrinter(queue);
    const std::string gtin = "4012345123456";
    const int checkDigit = referenceCheckDigit(gtin) - '0';
    const QString wrongGtin = QString::fromStdString(gtin) + QString::number((checkDigit + 1) % 10);
    const auto print = [](const QStringList& parameters) {
        return QStringList{QStringLiteral("print"), QStringLiteral("Palette groß")} + parameters;
    };
    // Parameter n of the print line, the ones before it "-".
    const auto at = [&](int n, const QString& value) {
        return print(QStringList(n - 3, QStringLiteral("-")) << value);
    };
    test::writeFile(appData.file(QStringLiteral("auftrag.txt")), "'Palette groß' - - 12000\n");
    const struct {
        QStringList args;
        QString message;
    } cases[] = {
        {print({"4011", "1234567890", "1"}),
         QStringLiteral("Der Text in NVE_LaufNr ist zu lang: höchstens 9 Zeichen")},
        {at(3, "401 234 567 89"),
         QStringLiteral("Die NVE-Basisnummer darf maximal 10 Ziffern enthalten.")},
        {at(5, "12000"),
         QStringLiteral("Die Anzahl der NVEs muss eine Zahl von 1 bis 9999 sein: \"12000\"")},
        {at(6, "12345"),
         QStringLiteral(
             "Die Anzahl der Etiketten pro NVE muss eine Zahl von 1 bis 9999 sein: \"12345\"")},
        {at(6, "12x"),
         QStringLiteral(
             "Die Anzahl der Etiketten pro NVE muss eine Zahl von 1 bis 9999 sein: \"12x\"")},
        {at(7, QString(51, u'x')),
         QStringLiteral("Der Text in DIText0 ist zu lang: höchstens 50 Zeichen")},
        {at(8, wrongGtin),
         QStringLiteral("Im Feld (01) \"GTIN\" stimmt die Prüfziffer nicht, sie wäre %1: \"%2\"")
             .arg(checkDigit)
             .arg(wrongGtin)},
        {at(10, "31.02.26"),
         QStringLiteral("Im Feld (15) \"MHD\" ist kein Datum zu erkennen: \"31.02.26\"")},
        {at(17, QString(81, u'z')),
         QStringLiteral("Der Text in ZusatzText0 ist zu lang: höchstens 80 Zeichen")},
        {at(20, QString(300, u's')),
         QStringLiteral("Der Text in AbsEmpfText0 ist zu lang: höchstens 255 Zeichen")},
        // A line break is stored as CR LF: 127 + 127 characters around one are 256.
        {at(20, QString(127, u'a') + "\\n" + QString(127, u'b')),
         QStringLiteral("Der Text in AbsEmpfText0 ist zu lang: höchstens 255 Zeichen")},
        {{QStringLiteral("fileprint"), appData.file(QStringLiteral("auftrag.txt"))},
         QStringLiteral("Die Anzahl der NVEs muss eine Zahl von 1 bis 9999 sein: \"12000\"")},
    };
    const std::string nvesBefore = storedNves();
    for (const auto& c : cases) {
        const Ran r = palomex(c.args, cupsSocket);
        EXPECT_EQ(r.exitCode, 4) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.stderrText.contains(c.message)) << c.message.toStdString() << "\n"
                                                      << r.stderrText.toStdString();
    }
    EXPECT_EQ(storedNves(), nvesBefore);
    EXPECT_TRUE(logRanges().isEmpty());
}

TEST_F(CommandLinePrint, WithoutADisplayTheWindowsSayWhatTheyNeed) {
    const struct {
        QStringList args;
        const char* what;
    } cases[] = {
        {{QStringLiteral("open"), QStringLiteral("Palette groß")}, "\"open\""},
        {{}, "\"palomex\""},
    };
    for (const auto& c : cases) {
        const Ran r = palomex(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_TRUE(r.stderrText.contains(QStringLiteral("palomex: Palomex braucht für %1 einen "
                                                         "Bildschirm.")
                                              .arg(QString::fromUtf8(c.what))))
            << r.stderrText.toStdString();
    }
}
