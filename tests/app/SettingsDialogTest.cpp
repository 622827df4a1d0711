#include "ui/app/SettingsDialog.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "entry/Catalogue.h"

#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

const QString kE = QStringLiteral("Einstellungen");
const QString kS = QStringLiteral("Scannen");

struct DialogFixture : ::testing::Test {
    test::TempAppData appData;
    Settings settings{iniPath()};
    test::ScriptedPrompter prompter;
    SettingsDialog dialog{settings, prompter};

    void SetUp() override {
        dialog.setPrinters({QStringLiteral("Zebra, Lager"), QStringLiteral("Laser, Büro")},
                           {QStringLiteral("Zebra"), QStringLiteral("Laser")});
        dialog.setCatalogue(Catalogue::forLanguage(0));
        dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
    }

    template <typename W> W* child(const char* name) {
        W* w = dialog.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QByteArray iniBytes() {
        QFile ini(iniPath());
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    }
    void pressOk() { QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton); }
};

} // namespace

// Cancel writes nothing and restores the controls; OK writes at once, zero pages as one.
TEST_F(DialogFixture, CancelRestoresAndOkWritesAtOnce) {
    auto* raster = child<QCheckBox>("RasterLinien");
    auto* pages = child<QSpinBox>("Seitenanzahl");
    raster->setChecked(false);
    pages->setValue(7);
    QTest::mouseClick(child<QPushButton>("abbruch"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(iniPath())) << "nothing was written";
    EXPECT_TRUE(raster->isChecked());
    EXPECT_EQ(pages->value(), 1);

    QSignalSpy applied(&dialog, &SettingsDialog::applied);
    pages->setValue(0);
    raster->setChecked(false);
    child<QRadioButton>("Englisch")->setChecked(true);
    pressOk();
    EXPECT_EQ(settings.read(kE, QStringLiteral("Seitenanzahl")), QStringLiteral("1"));
    EXPECT_EQ(pages->value(), 1);
    EXPECT_EQ(settings.read(QStringLiteral("Vorschau"), QStringLiteral("RasterLinien")),
              QStringLiteral("FALSE"));
    EXPECT_EQ(settings.read(kE, QStringLiteral("Sprache")), QStringLiteral("1000"));
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(applied.at(0).at(1).toString(), defaultDatabasePath());
}

// Stored identifiers, also those the lists of the caption language do not offer,
// survive an OK without change byte for byte.
TEST_F(DialogFixture, OkWithoutChangeWritesTheStoredIdentifiersBack) {
    const test::CaptionsRestorer restore;
    const struct {
        int language;
        const char* dbCharge;
        const char* scanList;
        int stelleDb; // of every slice
    } cases[] = {
        {0, "(10)", "01|10|", 8},
        {0, "", "", 0},                  // no batch identifier, every identifier scanned
        {0, "(252)", "01|252|", 999},    // 252 is offered in English only
        {1000, "(255)", "255|10|", 420}, // 255 in German only
        {1000, "(3102)", "3102|", 6},
    };
    for (const auto& c : cases) {
        SettingsRecord stored;
        stored.druckerschacht = 0;
        stored.dbCharge = QString::fromLatin1(c.dbCharge);
        stored.scanDBListe = QString::fromLatin1(c.scanList);
        for (ScanPositionRow& row : stored.stellen)
            row = {1, 2, c.stelleDb};
        saveSettingsRecord(settings, stored);
        const QByteArray before = iniBytes();
        Captions::global().setOffset(c.language);
        dialog.setCatalogue(Catalogue::forLanguage(c.language));
        dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
        pressOk();
        EXPECT_EQ(iniBytes().toStdString(), before.toStdString())
            << c.language << " " << c.dbCharge << " " << c.scanList;
    }
}

TEST_F(DialogFixture, ChosenIdentifiersAreWrittenAndUnlistedOnesStay) {
    settings.write(kE, QStringLiteral("DB_Charge"), QStringLiteral("(252)"));
    settings.write(kS, QStringLiteral("Scan_DBListe"), QStringLiteral("01|252|"));
    settings.writeNumber(kS, QStringLiteral("Stelle_DB0"), 999);
    dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
    auto* batch = child<QComboBox>("DB_Charge");
    auto* scan = child<QListWidget>("Scan_DBListe");
    ASSERT_EQ(scan->selectedItems().size(), 1);
    auto* target = child<QComboBox>("Stelle_DB0");

    batch->setCurrentIndex(batch->findText(QStringLiteral("(10)"), Qt::MatchStartsWith));
    scan->selectedItems().first()->setSelected(false);
    scan->findItems(QStringLiteral("(10)"), Qt::MatchStartsWith).first()->setSelected(true);
    target->setCurrentIndex(target->findText(QStringLiteral("Eingabefeld: Absender")));
    pressOk();
    EXPECT_EQ(settings.read(kE, QStringLiteral("DB_Charge")), QStringLiteral("(10)"));
    EXPECT_EQ(settings.read(kS, QStringLiteral("Scan_DBListe")), QStringLiteral("10|252|"));
    EXPECT_EQ(settings.number(kS, QStringLiteral("Stelle_DB0")), 1);

    dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
    batch->setCurrentIndex(batch->findText(QString()));
    pressOk();
    EXPECT_EQ(settings.read(kE, QStringLiteral("DB_Charge")), QString())
        << "the blank entry chooses no batch identifier";
}

// The printer lists show the stored printer, also one stored with an empty port (its
// blank after the comma trimmed away on reading), and the system's current printer
// where the stored one is not installed. The PDF driver list offers the built-in writer.
TEST_F(DialogFixture, PrinterListsFindTheStoredPrinterOrShowTheCurrentOne) {
    dialog.setPrinters({QStringLiteral("Zebra, Lager"), QStringLiteral("Laser, ")},
                       {QStringLiteral("Zebra"), QStringLiteral("Laser")}, QStringLiteral("Zebra"));
    const struct {
        const char* stored;
        int shown;
    } cases[] = {{"Laser,", 1}, {"Laser", 1}, {"Zebra, Lager", 0}, {"Gibtsnicht, Halle", 0}};
    for (const auto& c : cases) {
        settings.write(QStringLiteral("Drucker"), QStringLiteral("Drucker"), c.stored);
        settings.write(QStringLiteral("Drucker"), QStringLiteral("Listendrucker"), c.stored);
        dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
        EXPECT_EQ(child<QComboBox>("Drucker")->currentIndex(), c.shown) << c.stored;
        EXPECT_EQ(child<QComboBox>("Listendrucker")->currentIndex(), c.shown) << c.stored;
    }
    // The built-in writer, named in the caption language, is stored by one name.
    auto* pdf = child<QComboBox>("PDFTreiber");
    for (const int language : {1000, 0}) {
        Captions::global().setOffset(language);
        dialog.setPrinters({}, {}, {});
        dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
        pdf->setCurrentIndex(1);
        EXPECT_EQ(pdf->currentText(), language ? "PDF file (Palomex)" : "PDF-Datei (Palomex)");
        pressOk();
        EXPECT_EQ(settings.read(QStringLiteral("Drucker"), QStringLiteral("PDFTreiber")),
                  QStringLiteral("PDF-Datei (Palomex)"));
    }
}
