#include "ui/import/DataImportWindow.h"
#include "ui/import/ExpressionEditor.h"

#include "db/LabelStore.h"
#include "entry/Catalogue.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

QString sample(const char* name) {
    return qEnvironmentVariable("PALOMEX_SOURCE_DIR") + QStringLiteral("/tests/data/") +
           QString::fromLatin1(name);
}

struct DataImportWindowTest : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    DataImportWindow window{db, settings, prompter};
    int saved = 0;

    void SetUp() override {
        Label model;
        model.name = QStringLiteral("Vorlage");
        model.fields[2].identifier = QStringLiteral("(10)");
        model.nveBasis = QStringLiteral("4012345");
        LabelStore(db, opened.labelTable).save(model);
        settings.write(QStringLiteral("Datenimport"), QStringLiteral("ImportEtikett"), model.name);
        Label shown = model;
        shown.fields[2].identifier = Catalogue::forLanguage(0).find(u"10")->text;
        shown.fields[2].caption = QStringLiteral("Charge");
        window.open(opened.labelTable, {[shown] { return shown; }, [this] { ++saved; }, {}});
    }
};

} // namespace

TEST_F(DataImportWindowTest, ColumnsDatesAndExpressionsMakeOneLabelPerRow) {
    ASSERT_TRUE(window.loadFile(sample("lieferungen.txt")));
    QComboBox* name = window.mappingBox(mapping::Name);
    EXPECT_GE(name->findText(QStringLiteral("[Kunde]")), 0) << "the lists offer the columns";
    EXPECT_GE(name->findText(daysFromTodayText(7)), 0) << "and dates after today";
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1_5"))->text(),
              QStringLiteral("(10) Losnummer / Chargennummer - Charge"))
        << "captions come from the label of the entry window, without format codes";
    name->setEditText(QStringLiteral("[Name]"));
    window.mappingBox(mapping::FirstField + 2)
        ->setEditText(QStringLiteral("@[Kunde] & \"/\" & Left([Menge], 1)"));
    const ImportOutcome out = window.runImport();
    EXPECT_FALSE(out.error);
    EXPECT_EQ(out.created, out.rows);
    EXPECT_EQ(saved, 1) << "the label in the entry window is saved first";
    EXPECT_EQ(LabelStore(db, opened.labelTable)
                  .load(QStringLiteral("Etikett A"))
                  ->label.fields[2]
                  .content,
              QStringLiteral("Bauer/1"));
    ASSERT_FALSE(prompter.shown.isEmpty());
    EXPECT_TRUE(prompter.shown.back().contains(QStringLiteral("Vorlage")))
        << prompter.shown.back().toStdString();
    DataImportWindow next{db, settings, prompter};
    next.open(opened.labelTable, {});
    EXPECT_EQ(next.mappingBox(mapping::Name)->currentText(), QStringLiteral("[Name]"))
        << "the choices are kept for the next import";
}

TEST_F(DataImportWindowTest, NothingMappedIsRefusedAndAnUnknownFileTypeToo) {
    prompter.shown.clear();
    EXPECT_FALSE(window.loadFile(sample("lieferungen.txt").replace(".txt", ".doc")));
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("Datenbanktyp nicht gefunden")});
    prompter.shown.clear();
    ASSERT_TRUE(window.loadFile(sample("lieferungen.txt")));
    for (int i = 0; i < kMappingCount; ++i)
        window.mappingBox(i)->setEditText(QString());
    window.mappingBox(mapping::FirstExtra)->setEditText(QStringLiteral("  \t ")); // blanks only
    window.runImport();
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral(
                                  "Es wurden keine Felder der Importdatei gewählt,\ndaher kann "
                                  "auch nichts importiert werden.")});
    EXPECT_EQ(saved, 0);
    // A template that is not stored: its error alone, no report of nothing done.
    window.mappingBox(0)->setEditText(QStringLiteral("[Name]"));
    window.findChild<QLabel*>(QStringLiteral("Vorlage"))->setText(QStringLiteral("Fehlt"));
    prompter.shown.clear();
    window.runImport();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains(QStringLiteral("\"Fehlt\"")))
        << prompter.shown[0].toStdString();
}

TEST_F(DataImportWindowTest, TheEditorJoinsInsertionsAndShowsTheFirstRowsValue) {
    ASSERT_TRUE(window.loadFile(sample("lieferungen.txt")));
    const ImportTable table =
        openImportSource(sample("lieferungen.txt"))->read(QStringLiteral("lieferungen#txt"));
    ExpressionEditor& editor = window.expressionEditor();
    editor.edit(QStringLiteral("Charge"), QString(), &table);
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Ausdruckseditor für Feld: Charge"));
    editor.insert(QStringLiteral("[Kunde]"));
    editor.insert(QStringLiteral("UCase(\"x\")"));
    EXPECT_EQ(editor.preview(), QStringLiteral("BauerX"));
    // A click inside a column name picks that column in the list.
    auto* text = editor.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* columns = editor.findChild<QListWidget*>(QStringLiteral("List1"));
    ASSERT_TRUE(text && columns);
    for (const int caret : {1, 6, 10}) { // 10: outside the brackets
        columns->setCurrentRow(-1);
        text->setCursorPosition(caret);
        EXPECT_EQ(columns->currentItem() ? columns->currentItem()->text() : QString(),
                  caret < 10 ? QStringLiteral("Kunde") : QString());
    }
    editor.insert(QStringLiteral("Left("));
    EXPECT_EQ(editor.preview(), QStringLiteral("Ausdruck unvollständig oder ungültig"));
}

// A click on the file choice, a close of the window and Escape wait for the run in
// hand; Escape asks and, answered Yes, stops it after the row in hand.
TEST_F(DataImportWindowTest, NoChoiceOfTheWindowChangesWhileTheImportRunsAndEscapeAsks) {
    ASSERT_TRUE(window.loadFile(sample("lieferungen.txt")));
    window.mappingBox(mapping::Name)->setEditText(QStringLiteral("[Name]"));
    int chosen = 0;
    window.setFileChooser([&](const QString&) {
        ++chosen;
        return sample("lieferungen.csv");
    });
    auto* pick = window.findChild<QWidget*>(QStringLiteral("Command1"));
    const QPointF centre = QRectF(pick->rect()).center();
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(pick, new QMouseEvent(t, centre, pick->mapToGlobal(centre),
                                                          Qt::LeftButton, Qt::LeftButton,
                                                          Qt::NoModifier));
    QCoreApplication::postEvent(&window, new QCloseEvent);
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    prompter.shown.clear();
    prompter.willAnswer(Answer::Yes);
    const ImportOutcome out = window.runImport();
    EXPECT_EQ(chosen, 0) << "the file was changed under the import";
    EXPECT_TRUE(out.cancelled);
    EXPECT_EQ(out.created, 1);
    EXPECT_EQ(prompter.shown.value(0), QStringLiteral("Datenimport abbrechen ?"));
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("Dateiname"))
                    ->text()
                    .endsWith(QStringLiteral("lieferungen.txt")));
}
