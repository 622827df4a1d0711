#include "ui/admin/UserWindow.h"
#include "app/Paths.h"
#include "app/Startup.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct UserWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    UserWindow window{db, settings, prompter, QString()};

    void SetUp() override {
        window.setNameAsker([](const QString&) { return "Lager"; });
        window.reload("Etiketten");
    }
};

} // namespace

TEST_F(UserWindowFixture, NewUserBecomesCurrentAndDeletingReturnsToTheFirst) {
    QSignalSpy changed(&window, &UserWindow::userChanged);
    window.newUser();
    EXPECT_EQ(window.currentUser(), "Lager");
    EXPECT_EQ(prompter.shown.value(0), R"(Der neue Benutzer "Lager" wurde erstellt)");
    EXPECT_GE(changed.count(), 1);

    prompter.willAnswer(Answer::Yes);
    window.deleteCurrentUser();
    EXPECT_EQ(prompter.shown.value(1), R"(Möchten Sie den Benutzer "Lager" löschen ?)");
    EXPECT_EQ(prompter.shown.value(2), R"(Der Benutzer "Lager" wurde gelöscht)");
    EXPECT_EQ(window.currentUser(), "Etiketten");
    EXPECT_EQ(settings.get("Einstellungen", "Benutzername"), "Etiketten");

    prompter.shown.clear();
    window.deleteCurrentUser();
    EXPECT_EQ(prompter.shown.value(0), "Dieser Benutzer kann nicht gelöscht werden.\n"
                                       "Es können hieraus nur einzelne Etiketten gelöscht werden.");
    EXPECT_EQ(db.labelTables(), QStringList({"Etiketten"})) << "the default user stays";
}

TEST_F(UserWindowFixture, RawEditorAsksFirstAndOnlyEverRaisesAHighestNve) {
    QSqlQuery(opened.database->connection())
        .exec(R"(INSERT INTO "HöchstNVE" VALUES ('4012345', '000000007'))");
    EXPECT_EQ(window.tableList()->currentItem()->text(), "HöchstNVE");
    prompter.willAnswer(Answer::Cancel);
    window.edit();
    EXPECT_FALSE(window.grid()->isEnabled());
    prompter.willAnswer(Answer::Ok);
    window.edit();
    ASSERT_TRUE(window.grid()->isEnabled());
    QAbstractItemModel* model = window.grid()->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), "000000007");
    const struct {
        int column;
        const char* typed;
        const char* stored;
        bool refused;
    } edits[] = {
        {1, "1234567890", "4012345=000000007", true}, // one digit too many
        {1, "5", "4012345=000000007", true},          // lower: printed NVEs again
        {0, "4099999", "4012345=000000007", true},    // another base for the row
        {1, "000000009", "4012345=000000009", false},
    };
    for (const auto& e : edits) {
        prompter.shown.clear();
        model->setData(model->index(0, e.column), QString::fromUtf8(e.typed));
        window.accept();
        QCoreApplication::processEvents(); // the grid shows the stored rows again
        QSqlQuery q(opened.database->connection());
        q.exec(R"(SELECT "NVE_Basis" || '=' || "NVE_LaufNr" FROM "HöchstNVE")");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), QString::fromUtf8(e.stored)) << e.typed;
        EXPECT_EQ(prompter.shown.size(), e.refused ? 1 : 0) << e.typed;
        EXPECT_EQ(model->data(model->index(0, 1)).toString(), QString::fromUtf8(e.stored).mid(8))
            << e.typed;
    }
    prompter.shown.clear();
    model->removeRow(0);
    QCoreApplication::processEvents();
    window.accept();
    EXPECT_EQ(prompter.shown.size(), 1);
    QSqlQuery rows(opened.database->connection());
    ASSERT_TRUE(rows.exec(R"(SELECT count(*) FROM "HöchstNVE")") && rows.next());
    EXPECT_EQ(rows.value(0).toInt(), 1) << "a row of HöchstNVE was deleted";
}

// The grid adds a row at the end and deletes the selected rows after a question.
TEST_F(UserWindowFixture, RawEditorAddsAndDeletesRows) {
    const auto count = [&] {
        QSqlQuery q(opened.database->connection());
        return q.exec(R"(SELECT count(*) FROM "Etiketten")") && q.next() ? q.value(0).toInt() : -1;
    };
    window.tableList()->setCurrentItem(
        window.tableList()->findItems("Etiketten", Qt::MatchExactly).value(0));
    window.show();
    prompter.willAnswer(Answer::Ok);
    window.edit();
    const int before = count();
    QTest::mouseClick(window.findChild<QPushButton*>("ZeileNeu"), Qt::LeftButton);
    QAbstractItemModel* model = window.grid()->model();
    ASSERT_EQ(model->headerData(0, Qt::Horizontal), "EtikName");
    model->setData(model->index(model->rowCount() - 1, 0), "Handangelegt");
    window.accept();
    EXPECT_EQ(count(), before + 1);
    for (const Answer answer : {Answer::Cancel, Answer::Ok}) {
        model = window.grid()->model();
        const QModelIndexList found =
            model->match(model->index(0, 0), Qt::DisplayRole, "Handangelegt");
        ASSERT_EQ(found.size(), 1);
        window.grid()->selectRow(found[0].row());
        prompter.willAnswer(answer);
        QTest::mouseClick(window.findChild<QPushButton*>("ZeilenLoeschen"), Qt::LeftButton);
        EXPECT_EQ(count(), answer == Answer::Ok ? before : before + 1);
    }
}
