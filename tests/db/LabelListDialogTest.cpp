#include "ui/db/LabelListDialog.h"
#include "db/LabelPicking.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::ScriptedPrompter;
using palomex::test::TempAppData;

// The other counts are asked through the dialog below.
TEST(LabelPicking, DeletingTheOnlyLabelAsksForAll) {
    EXPECT_EQ(deleteQuestion(1, 1), "Soll alle Etikett gelöscht werden ?");
}

namespace {

void press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &down);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(app.dataFolder());
        db = Database::open(app.file("Palomex.mdb"));
        db->machNeuBenutzer(table::Etiketten);
        store = std::make_unique<LabelStore>(*db, table::Etiketten);
        for (const char* n : {"Alpha", "Lager 2", "O'Neil", "Zebra", "Lager"}) {
            Label l;
            l.name = QString::fromUtf8(n);
            store->save(l);
        }
        settings = std::make_unique<Settings>(app.file("Palomex.ini"));
        dialog = std::make_unique<LabelListDialog>(*store, *settings, prompter,
                                                   [this](const QString& n) { opened << n; });
    }

    TempAppData app;
    std::unique_ptr<Database> db;
    std::unique_ptr<LabelStore> store;
    std::unique_ptr<Settings> settings;
    ScriptedPrompter prompter;
    std::unique_ptr<LabelListDialog> dialog;
    QStringList opened;
};

} // namespace

TEST_F(DialogTest, ListsByNameAndSelectsTheCurrentLabel) {
    dialog->load(LabelListDialog::Mode::Open, "Zebra");
    QStringList shown;
    for (int i = 0; i < dialog->list()->count(); ++i)
        shown << dialog->list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"Alpha", "Lager", "Lager 2", "O'Neil", "Zebra"}));
    EXPECT_EQ(dialog->selectedNames(), QStringList{"Zebra"});
    EXPECT_EQ(dialog->windowTitle(), "Etikett öffnen");
}

// Typed letters find the first name beginning with them; the caption shows them in
// the found name's spelling; Backspace takes one back.
TEST_F(DialogTest, TypingSearchesAndShowsTheBufferInTheCaption) {
    dialog->load(LabelListDialog::Mode::Open, {});
    dialog->show();
    const struct {
        const char* typed;
        const char* buffer;
        QStringList selected;
    } steps[] = {
        {"la", "La", {"Lager"}},
        {"\b", "L", {"Lager"}},
        {"x", "Lx", {}},
        {"\bager ", "Lager ", {"Lager 2"}},
        {"\b\b\b\b\b\bo'", "O'", {"O'Neil"}},
    };
    for (const auto& s : steps) {
        for (const QChar c : QString::fromUtf8(s.typed))
            c == u'\b' ? press(dialog->list(), Qt::Key_Backspace)
                       : press(dialog->list(), c.toUpper().unicode(), QString(c));
        EXPECT_EQ(dialog->windowTitle(), "Etikett öffnen  " + QString::fromUtf8(s.buffer));
        EXPECT_EQ(dialog->selectedNames(), s.selected) << s.typed;
    }
    press(dialog->list(), Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{"O'Neil"});
}

TEST_F(DialogTest, DeleteAsksAndRemovesOnlyTheSelection) {
    const struct {
        Answer answer;
        QStringList selected;
        const char* question;
        int left;
    } cases[] = {
        {Answer::Cancel, {"Alpha", "O'Neil"}, "Soll 2 Etiketten gelöscht werden ?", 5},
        {Answer::Ok, {"Alpha", "O'Neil"}, "Soll 2 Etiketten gelöscht werden ?", 3},
        {Answer::Ok, {"Zebra"}, "Soll 1 Etikett gelöscht werden ?", 2},
        {Answer::Ok, {"Lager", "Lager 2"}, "Soll alle Etiketten gelöscht werden ?", 0},
    };
    for (const auto& c : cases) {
        dialog->load(LabelListDialog::Mode::Delete, {});
        for (int i = 0; i < dialog->list()->count(); ++i) {
            QListWidgetItem* item = dialog->list()->item(i);
            item->setSelected(c.selected.contains(item->text()));
        }
        prompter.shown.clear();
        prompter.willAnswer(c.answer);
        press(dialog->list(), Qt::Key_Delete);
        EXPECT_EQ(prompter.shown, QStringList{QString::fromUtf8(c.question)});
        EXPECT_EQ(store->names().size(), c.left);
        for (const QString& n : c.selected)
            EXPECT_EQ(store->load(n).has_value(), c.answer != Answer::Ok) << n.toStdString();
    }
}
