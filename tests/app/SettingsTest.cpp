#include "app/Settings.h"
#include "app/SettingsRecord.h"
#include "app/TextCodec.h"
#include "output/PdfSink.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <climits>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::readFile;
using palomex::test::writeFile;

namespace {

const QString kE = QStringLiteral("Einstellungen");
const QString kP = QStringLiteral("Protokoll");

struct IniFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return QDir(dir.path()).filePath(QStringLiteral("Palomex.ini")); }
    Settings settings() const { return Settings(path()); }
    void given(const char* utf8) const { writeFile(path(), QByteArray(utf8)); }
};

} // namespace

TEST(SettingsNumbers, LeadingNumberReadsLikeTheOldConversion) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {" 1000", 1000}, {"1000", 1000}, {"-5", -5},      {"12 mm", 12}, {"12abc", 12},
        {"abc", 0},      {"", 0},        {"  7.5x", 7.5}, {"+3", 3},     {"-", 0},
        {".", 0},        {"1e3", 1},     {"0000", 0},     {"²", 0},      {"٣", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST_F(IniFixture, FlagsCountOnlyExactTrue) {
    given("[Einstellungen]\nLetztDatei=true\nAutoSpeichern=TRUE\nSpeichernFrage= TRUE \n"
          "ComboHinweis=yes\nUpdate=\n");
    const Settings s = settings();
    EXPECT_FALSE(s.flag(kE, QStringLiteral("LetztDatei")));
    EXPECT_TRUE(s.flag(kE, QStringLiteral("AutoSpeichern")));
    EXPECT_TRUE(s.flag(kE, QStringLiteral("SpeichernFrage"))) << "values are trimmed";
    EXPECT_FALSE(s.flag(kE, QStringLiteral("ComboHinweis")));
    EXPECT_FALSE(s.flag(kE, QStringLiteral("Update"))) << "empty counts as missing: default FALSE";
}

// Sections and keys are found whatever their case and keep the file's spelling;
// new keys go to the end of their section, new sections to the end of the file.
TEST_F(IniFixture, WritesKeepTheFileAndAddWhatIsMissing) {
    given("; comment\n[einstellungen]\nBenutzerName=Lager\n[Drucker]\nRandoben= 4\n");
    const Settings s = settings();
    EXPECT_EQ(s.get(kE, QStringLiteral("Benutzername")), QStringLiteral("Lager"));
    EXPECT_EQ(s.number(QStringLiteral("DRUCKER"), QStringLiteral("randOben")), 4);
    s.write(kE, QStringLiteral("benutzername"), QStringLiteral("Versand"));
    s.writeNumber(kE, QStringLiteral("Sprache"), 1000);
    s.writeFlag(kE, QStringLiteral("LetztDatei"), false);
    s.write(QStringLiteral("Scannen"), QStringLiteral("FNC1_Trenner"), QStringLiteral("@"));
    EXPECT_EQ(
        QString::fromUtf8(readFile(path())),
        QStringLiteral("; comment\n[einstellungen]\nBenutzerName=Versand\nSprache= 1000\n"
                       "LetztDatei=FALSE\n[Drucker]\nRandoben= 4\n[Scannen]\nFNC1_Trenner=@\n"));
    EXPECT_EQ(languageOffset(s.get(kE, QStringLiteral("Sprache"))), 1000);
}

TEST_F(IniFixture, ValuesAreCleanedOnReadAndLineBreaksCannotBreakTheFile) {
    given("[Protokoll]\nDatenText=  a\xC2\xB6"
          "b  \nAbsender=\n");
    const Settings s = settings();
    EXPECT_EQ(s.read(kP, QStringLiteral("DatenText")), QStringLiteral("a¶b"));
    EXPECT_EQ(s.read(kP, QStringLiteral("Absender"), QStringLiteral("x")), QStringLiteral("x"));
    s.write(kP, QStringLiteral("Absender"), QStringLiteral("Zeile1\r\nZeile2"));
    EXPECT_EQ(s.read(kP, QStringLiteral("Absender")), QStringLiteral("Zeile1  Zeile2"));
    EXPECT_EQ(s.read(kP, QStringLiteral("DatenText")), QStringLiteral("a¶b"));
    const QString longValue(3000, QLatin1Char('x'));
    s.write(kP, QStringLiteral("Exportdatei"), longValue);
    EXPECT_EQ(s.read(kP, QStringLiteral("Exportdatei")).size(), 1999);
}

TEST_F(IniFixture, FileOfTheWindowsProgramReadsAsCodePage1252) {
    // "Linienstärke" and "Prog_Schriftgröße" in Windows-1252, a value with the euro sign.
    writeFile(
        path(),
        encodeCp1252(QStringLiteral(
            "[Einstellungen]\r\nLinienstärke=7\r\nProg_Schriftgröße=3\r\nSchriftart=Größe €\r\n")));
    const Settings s = settings();
    EXPECT_EQ(s.number(kE, QStringLiteral("Linienstärke")), 7);
    EXPECT_EQ(s.get(kE, QStringLiteral("Schriftart")), QStringLiteral("Größe €"));
    // What we write back stays readable, including the old values.
    s.write(kE, QStringLiteral("RecentEtik"), QStringLiteral("Büro"));
    EXPECT_EQ(s.number(kE, QStringLiteral("Prog_Schriftgröße")), 3);
    EXPECT_EQ(s.get(kE, QStringLiteral("RecentEtik")), QStringLiteral("Büro"));
}

TEST_F(IniFixture, MalformedAndAbsurdContentGivesDefaultsWithoutCrash) {
    given("garbage without section\n=novalue\n[Einstellungen\nLeft=99999999999999999999\n"
          "[Einstellungen]\nTop=abc\nSeitenanzahl=-4\n[Drucker]]\n\x01\x02\xff\xfe\n");
    const SettingsRecord r = loadSettingsRecord(settings());
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.left, 200) << "a key under a broken section header is not in the section";
    EXPECT_EQ(r.seitenanzahl, 1) << "page counts below 1 count as 1";
    EXPECT_EQ(r.benutzername, QStringLiteral("Etiketten"));
    EXPECT_EQ(settings().number(QStringLiteral("EINSTELLUNGEN"), QStringLiteral("LINIENSTÄRKE")), 5)
        << "a default is found whatever the case, also of a non-ASCII letter";
    given("[Einstellungen]\nLeft=99999999999999999999\n");
    EXPECT_EQ(settings().number(kE, QStringLiteral("Left")), INT_MAX);
}

TEST(SettingsWindow, StoredEdgeIsKeptOnScreen) {
    EXPECT_EQ(clampWindowEdge(99999, 19200), 15360);
    EXPECT_EQ(clampWindowEdge(200, 19200), 200);
}

// A writer killed at any moment leaves either the old or the new file, never a
// truncated one: the child rewrites a large INI in a loop until it is killed.
TEST_F(IniFixture, KilledWriterNeverLeavesACorruptFile) {
    if (qEnvironmentVariableIsSet("PALOMEX_INI_WRITER")) {
        const Settings s(qEnvironmentVariable("PALOMEX_INI_WRITER"));
        for (long i = 0;; ++i)
            s.write(QStringLiteral("Datenimport"), QStringLiteral("Ausdruck(%1)").arg(i % 200),
                    QString(500, QLatin1Char('a' + i % 26)));
    }
    const Settings s = settings();
    for (int i = 0; i < 200; ++i)
        s.write(QStringLiteral("Datenimport"), QStringLiteral("Ausdruck(%1)").arg(i),
                QString(500, QLatin1Char('z')));
    s.write(kE, QStringLiteral("RecentEtik"), QStringLiteral("Lager"));

    for (int round = 0; round < 5; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PALOMEX_INI_WRITER"), path());
        child.setProcessEnvironment(env);
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=IniFixture.KilledWriterNeverLeavesACorruptFile")});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(150 + 37 * round);
        ASSERT_EQ(child.state(), QProcess::Running) << "the writer ended on its own";
        child.kill(); // SIGKILL: no chance to finish the write
        child.waitForFinished();
        EXPECT_EQ(s.get(kE, QStringLiteral("RecentEtik")), QStringLiteral("Lager"));
        EXPECT_EQ(s.get(QStringLiteral("Datenimport"), QStringLiteral("Ausdruck(199)")).size(),
                  500);
    }
}

TEST(ScanList, AnEmptySettingSelectsEveryIdentifier) {
    EXPECT_EQ(scanListSelection(QString(), {"(00) NVE", "(01) GTIN", "(10) Charge"}).size(), 3);
}

// The PDF driver of a fresh installation: the first whose name says PDF, the
// built-in writer being offered first; a chosen driver is kept.
TEST(PdfDriver, StartUpTakesTheFirstPdfDriverOnlyWhenNoneIsChosen) {
    const QStringList drivers = {builtInPdfDriver(), "Zebra", "CUPS-PDF", "Acrobat Distiller"};
    const struct {
        const char* stored;
        QStringList drivers;
        QString taken;
    } cases[] = {
        {"", drivers, builtInPdfDriver()},
        {" x ", drivers, builtInPdfDriver()}, // one character after trimming counts as none
        {"CUPS-PDF", drivers, QString()},
        {"", {"Zebra", "cups-pdf", "Acrobat Distiller", "CUPS-PDF"}, "Acrobat Distiller"},
        {"", {"Zebra", "pdf-writer"}, QString()}, // the search is case-sensitive
    };
    for (const auto& c : cases)
        EXPECT_EQ(pdfDriverToTake(QString::fromUtf8(c.stored), c.drivers), c.taken) << c.stored;
}
