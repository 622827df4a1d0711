#include "ui/admin/UserWindow.h"
#include "app/Paths.h"
#include "app/Startup.h"

#include "support/TestSupport.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct UserWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    UserWindow window{db, settings, prompter, QString()};

    void SetUp() override {
        window.setNameAsker([](const QString&) { return QStringLiteral("Lager"); });
        window.reload(QStringLiteral("Etiketten"));
    }
};

} // namespace

TEST_F(UserWindowFixture, NewUserBecomesCurrentAndDeletingReturnsToTheFirst) {
    QSignalSpy changed(&window, &UserWindow::userChanged);
    window.newUser();
    EXPECT_EQ(window.currentUser(), QStringLiteral("Lager"));
    EXPECT_EQ(prompter.shown.value(0),
              QStringLiteral("Der neue Benutzer \"Lager\" wurde erstellt"));
    EXPECT_GE(changed.count(), 1);

    prompter.willAnswer(Answer::Yes);
    window.deleteCurrentUser();
    EXPECT_EQ(prompter.shown.value(1),
              QStringLiteral("Möchten Sie den Benutzer \"Lager\" löschen ?"));
    EXPECT_EQ(prompter.shown.value(2), QStringLiteral("Der Benutzer \"Lager\" wurde gelöscht"));
    EXPECT_EQ(window.currentUser(), QStringLiteral("Etiketten"));
    EXPECT_EQ(settings.get(QStringLiteral("Einstellungen"), QStringLiteral("Benutzername")),
              QStringLiteral("Etiketten"));

    prompter.shown.clear();
    window.deleteCurrentUser();
    EXPECT_EQ(prompter.shown.value(0),
              QStringLiteral("Dieser Benutzer kann nicht gelöscht werden.\n"
                             "Es können hieraus nur einzelne Etiketten gelöscht werden."));
}

TEST_F(UserWindowFixture, RawEditorAsksFirstAndRefusesBadValues) {
    QSqlQuery(opened.database->connection())
        .exec(QStringLiteral("INSERT INTO \"HöchstNVE\" VALUES ('4012345', '000000007')"));
    EXPECT_EQ(window.tableList()->currentItem()->text(), QStringLiteral("HöchstNVE"));
    prompter.willAnswer(Answer::Cancel);
    window.edit();
    EXPECT_FALSE(window.grid()->isEnabled());
    prompter.willAnswer(Answer::Ok);
    window.edit();
    ASSERT_TRUE(window.grid()->isEnabled());
    QAbstractItemModel* model = window.grid()->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("000000007"));
    model->setData(model->index(0, 1), QStringLiteral("1234567890")); // one digit too many
    window.accept();
    QSqlQuery q(opened.database->connection());
    q.exec(QStringLiteral("SELECT \"NVE_LaufNr\" FROM \"HöchstNVE\""));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("000000007"));
}
