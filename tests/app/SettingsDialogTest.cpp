#include "ui/app/SettingsDialog.h"
#include "app/Paths.h"

#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct DialogFixture : ::testing::Test {
    test::TempAppData appData;
    Settings settings{iniPath()};
    test::ScriptedPrompter prompter;
    SettingsDialog dialog{settings, prompter};

    void SetUp() override {
        dialog.setPrinters({QStringLiteral("Zebra, Lager"), QStringLiteral("Laser, Büro")},
                           {QStringLiteral("Zebra"), QStringLiteral("Laser")});
        dialog.setIdentifierEntries(
            {QStringLiteral("(01) GTIN|x"), QStringLiteral("(10) Charge|y")});
        dialog.load(loadSettingsRecord(settings), defaultDatabasePath());
    }

    template <typename W> W* find(const QString& text) {
        for (W* w : dialog.findChildren<W*>()) {
            if (w->text() == text)
                return w;
        }
        return nullptr;
    }
    QSpinBox* pageCount() { return dialog.tabs()->widget(0)->findChildren<QSpinBox*>().at(2); }
};

} // namespace

TEST_F(DialogFixture, OkWritesAtOnceAndZeroPagesBecomeOne) {
    QSignalSpy applied(&dialog, &SettingsDialog::applied);
    pageCount()->setValue(0);
    find<QCheckBox>(QStringLiteral("Rasterlinien in Vorschau anzeigen"))->setChecked(false);
    find<QRadioButton>(QStringLiteral("Englisch"))->setChecked(true);
    dialog.confirm();
    EXPECT_EQ(settings.read(QStringLiteral("Einstellungen"), QStringLiteral("Seitenanzahl")),
              QStringLiteral("1"));
    EXPECT_EQ(pageCount()->value(), 1);
    EXPECT_EQ(settings.read(QStringLiteral("Vorschau"), QStringLiteral("RasterLinien")),
              QStringLiteral("FALSE"));
    EXPECT_EQ(settings.read(QStringLiteral("Einstellungen"), QStringLiteral("Sprache")),
              QStringLiteral("1000"));
    EXPECT_EQ(settings.read(QStringLiteral("Einstellungen"), QStringLiteral("DB_Charge")),
              QStringLiteral("(01)"));
    EXPECT_EQ(settings.read(QStringLiteral("Scannen"), QStringLiteral("Scan_DBListe")),
              QStringLiteral("01|10|"));
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(applied.at(0).at(1).toString(), defaultDatabasePath());
}

TEST_F(DialogFixture, CancelLeavesTheFileAndRestoresTheControls) {
    auto* raster = find<QCheckBox>(QStringLiteral("Rasterlinien in Vorschau anzeigen"));
    ASSERT_TRUE(raster->isChecked());
    raster->setChecked(false);
    pageCount()->setValue(7);
    dialog.cancel();
    EXPECT_FALSE(QFile::exists(iniPath())) << "nothing was written";
    EXPECT_TRUE(raster->isChecked());
    EXPECT_EQ(pageCount()->value(), 1);
}

TEST_F(DialogFixture, AutomaticSavingGreysOutTheSaveQuestion) {
    auto* autoSave = find<QCheckBox>(QStringLiteral("Etiketten automatisch speichern"));
    auto* ask = find<QCheckBox>(QStringLiteral("Speichern-Frage bei Änderungen im Etikett"));
    autoSave->setChecked(true);
    EXPECT_FALSE(ask->isEnabled());
    ask->setChecked(true);
    dialog.confirm();
    EXPECT_EQ(settings.read(QStringLiteral("Einstellungen"), QStringLiteral("AutoSpeichern")),
              QStringLiteral("TRUE"));
    EXPECT_EQ(settings.read(QStringLiteral("Einstellungen"), QStringLiteral("SpeichernFrage")),
              QStringLiteral("TRUE"));
    autoSave->setChecked(false);
    EXPECT_TRUE(ask->isEnabled());
}
