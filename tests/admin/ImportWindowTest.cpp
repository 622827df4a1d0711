#include "ui/admin/ImportWindow.h"

#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct ImportWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    ImportWindow window{db, settings, prompter};
    QString source = QDir(appData.root()).filePath("Quelle.mdb");

    void SetUp() override {
        auto src = Database::open(source);
        src->machNeuBenutzer("Etiketten");
        src->update(QString());
        QSqlQuery q(src->connection());
        q.exec(R"(INSERT INTO "Etiketten" ("EtikName") VALUES ('Eins'), ('Zwei'))");
        q.exec(R"(INSERT INTO "HöchstNVE" VALUES ('4012345', '000000099'))");
        window.setFileChooser([this] { return source; });
    }
};

} // namespace

TEST_F(ImportWindowFixture, ImportsTheSelectedLabelsAndRefusesNoneOrUnknownFiles) {
    window.open("Etiketten");
    ASSERT_EQ(window.labels()->count(), 2);
    EXPECT_EQ(window.labels()->selectedItems().size(), 2) << "all are selected after loading";
    window.labels()->item(1)->setSelected(false);
    window.option(0)->setChecked(true);
    window.importNow();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith("Neue Etiketten importiert:      1      \n"))
        << prompter.shown[0].toStdString();
    EXPECT_TRUE(prompter.shown[0].contains("NVE-Basisnummern importiert: 1"));

    prompter.shown.clear();
    window.labels()->clearSelection();
    window.importNow();
    EXPECT_EQ(prompter.shown.value(0), "Bitte markieren Sie die zu importierenden Etiketten.");
    EXPECT_TRUE(window.labels()->item(0)->isSelected());
    const QString text = QDir(appData.root()).filePath("liste.xls");
    test::writeFile(text, "kein Datenbankformat");
    EXPECT_FALSE(window.openSource(text));
    EXPECT_EQ(prompter.shown.value(1), "Datenbanktyp nicht gefunden");
}
