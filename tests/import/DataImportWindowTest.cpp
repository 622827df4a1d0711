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
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1_5"))
                  ->text()
                  .contains(QStringLiteral("Charge")),
              true)
        << "captions come from the label of the entry window";
    name->setEditText(QStringLiteral("[Name]"));
    window.mappingBox(mapping::FirstField + 2)
        ->setEditText(QStringLiteral("@[Kunde] & \"/\" & Left([Menge], 1)"));
    const ImportOutcome out = window.runImport();
    EXPECT_FALSE(out.error);
    EXPECT_EQ(out.created, out.rows);
    EXPECT_EQ(saved, 1) << "the label in the entry window is saved first";
    const auto a = LabelStore(db, opened.labelTable).load(QStringLiteral("Etikett A"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->label.fields[2].content, QStringLiteral("Bauer/1"));
    EXPECT_EQ(a->label.nveBasis, QStringLiteral("4012345")) << "the rest from the template";
    ASSERT_FALSE(prompter.shown.isEmpty());
    EXPECT_TRUE(prompter.shown.back().contains(QStringLiteral("Vorlage")))
        << prompter.shown.back().toStdString();
    EXPECT_EQ(settings.get(QStringLiteral("Datenimport"), QStringLiteral("DatenCombo(0)")),
              QStringLiteral("[Name]"))
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
    window.runImport();
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral(
                                  "Es wurden keine Felder der Importdatei gewählt,\ndaher kann "
                                  "auch nichts importiert werden.")});
    EXPECT_EQ(saved, 0);
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
    EXPECT_EQ(editor.expression(), QStringLiteral("[Kunde] & UCase(\"x\")"));
    EXPECT_EQ(editor.preview(), QStringLiteral("BauerX"));
    // A click inside a column name picks that column in the list.
    auto* text = editor.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* columns = editor.findChild<QListWidget*>(QStringLiteral("List1"));
    ASSERT_TRUE(text && columns);
    for (const int caret : {1, 6}) {
        columns->setCurrentRow(-1);
        text->setCursorPosition(caret);
        ASSERT_NE(columns->currentItem(), nullptr) << caret;
        EXPECT_EQ(columns->currentItem()->text(), QStringLiteral("Kunde"));
    }
    columns->setCurrentRow(-1);
    text->setCursorPosition(10);
    EXPECT_EQ(columns->currentItem(), nullptr) << "outside the brackets";
    editor.insert(QStringLiteral("Left("));
    EXPECT_EQ(editor.preview(), QStringLiteral("Ausdruck unvollständig oder ungültig"));
}

TEST_F(DataImportWindowTest, NoChoiceOfTheWindowChangesWhileTheImportRuns) {
    ASSERT_TRUE(window.loadFile(sample("lieferungen.txt")));
    window.mappingBox(mapping::Name)->setEditText(QStringLiteral("[Name]"));
    int chosen = 0;
    window.setFileChooser([&](const QString&) {
        ++chosen;
        return sample("lieferungen.csv");
    });
    // A click on the file choice and a close of the window, waiting for the run.
    auto* pick = window.findChild<QWidget*>(QStringLiteral("Command1"));
    const QPointF centre = QRectF(pick->rect()).center();
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(pick, new QMouseEvent(t, centre, pick->mapToGlobal(centre),
                                                          Qt::LeftButton, Qt::LeftButton,
                                                          Qt::NoModifier));
    QCoreApplication::postEvent(&window, new QCloseEvent);
    const ImportOutcome out = window.runImport();
    EXPECT_EQ(chosen, 0) << "the file was changed under the import";
    EXPECT_FALSE(out.cancelled);
    EXPECT_EQ(out.created, out.rows);
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("Dateiname"))
                    ->text()
                    .endsWith(QStringLiteral("lieferungen.txt")));
}

TEST_F(DataImportWindowTest, EscapeDuringTheImportAsksAndStopsAfterTheRowInHand) {
    ASSERT_TRUE(window.loadFile(sample("lieferungen.txt")));
    window.mappingBox(mapping::Name)->setEditText(QStringLiteral("[Name]"));
    prompter.shown.clear();
    prompter.willAnswer(Answer::Yes);
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    const ImportOutcome out = window.runImport();
    EXPECT_TRUE(out.cancelled);
    EXPECT_EQ(out.created, 1);
    ASSERT_FALSE(prompter.shown.isEmpty());
    EXPECT_EQ(prompter.shown.front(), QStringLiteral("Datenimport abbrechen ?"));
}
