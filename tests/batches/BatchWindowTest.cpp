#include "ui/batches/BatchWindow.h"
#include "log/PrintLog.h"
#include "ui/app/HelpWindow.h"
#include "ui/log/LogWindow.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

struct BatchWindowFixture : test::DatabaseFixture {
    test::ScriptedPrompter prompter;
    LogWindow log{*opened.database, settings, prompter};
    BatchWindow window{*opened.database, log, prompter};

    void SetUp() override {
        for (const char* batch : {"A-1", "B-2", "C-3"}) {
            LogEntry e;
            e.vonNve = e.bisNve = QStringLiteral("34012345000000100");
            e.identifierEntries[0] = QStringLiteral("(10) Charge");
            e.contents[0] = QString::fromUtf8(batch);
            ASSERT_FALSE(appendLogRow(*opened.database, e));
        }
        // A label's field holds the identifier code alone.
        window.open(QStringLiteral("(10)   Losnummer"), {QStringLiteral("(10)")},
                    {QStringLiteral("B-2")});
    }

    template <typename W> W* child(const char* name) {
        W* w = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

} // namespace

TEST_F(BatchWindowFixture, LinkTraceAndUnlinkTheMarkedBatches) {
    // A link lacking a side is refused with a word; without a batch identifier there
    // are no own batches, and the message says why.
    window.ownList()->clearSelection();
    window.foreignText()->setText(QStringLiteral("L-77"));
    window.addLink();
    window.ownList()->selectAll();
    window.foreignText()->clear();
    window.addLink();
    window.open(QString(), {}, {});
    window.foreignText()->setText(QStringLiteral("L-77"));
    window.addLink();
    ASSERT_EQ(prompter.shown.size(), 3);
    EXPECT_EQ(
        prompter.shown[0],
        QStringLiteral("Fehler: markieren Sie zuerst eine Charge im Feld ''Eigene Chargen''."));
    EXPECT_EQ(prompter.shown[1], QStringLiteral("Fehler: geben Sie zuerst die Fremdcharge ein."));
    EXPECT_TRUE(prompter.shown[2].startsWith(prompter.shown[0]) &&
                prompter.shown[2].contains(QStringLiteral("kein Datenbezeichner für Chargen")));
    prompter.shown.clear();
    window.open(QStringLiteral("(10)   Losnummer"), {}, {});

    window.ownList()->selectAll();
    window.foreignText()->setText(QStringLiteral("L-77"));
    window.supplierBox()->setCurrentText(QStringLiteral("Mühle"));
    window.addLink();
    EXPECT_GE(window.foreignBox()->findText(QStringLiteral("L-77")), 0) << "offered at once";
    EXPECT_GE(window.supplierBox()->findText(QStringLiteral("Mühle")), 0);
    window.trace();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Fremdcharge: L-77\tMühle")));
    EXPECT_TRUE(log.windowTitle().endsWith(QStringLiteral(":   3 Datensätze gefunden")))
        << log.windowTitle().toStdString();

    prompter.willAnswer(Answer::Ok);
    window.removeLinks();
    window.ownList()->setCurrentRow(0);
    EXPECT_EQ(window.linkedList()->count(), 0);
    window.ownList()->clearSelection();
    window.removeLinks();
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0], QStringLiteral("Möchten Sie die Zuordnungen von  3 Eigenchargen "
                                                "zu Fremdchargen löschen?"));
    EXPECT_TRUE(prompter.shown[1].startsWith(QStringLiteral("Fehler: markieren Sie zuerst")))
        << "nothing marked";
}

TEST_F(BatchWindowFixture, OpensOnTheLabelsBatchAndSwitchesModeWithTheFocus) {
    EXPECT_EQ(window.ownList()->currentItem()->text(), QStringLiteral("B-2"));
    auto* caption = child<QLabel>("Label1");
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    const auto focus = [&](QWidget* w) { QApplication::sendEvent(w, &in); };
    focus(child<QComboBox>("Combo2"));
    EXPECT_EQ(caption->text(), QStringLiteral("\nHieraus entstandene eigene Chargen:"));
    EXPECT_TRUE(window.ownList()->selectedItems().isEmpty());
    EXPECT_EQ(child<QPushButton>("Command2")->text(),
              QStringLiteral("Zeige Protokoll mit der Fremdcharge"));
    focus(window.ownList());
    EXPECT_EQ(caption->text(),
              QStringLiteral("Hierin enthaltene Fremdchargen der Vorlieferanten:"));

    QTest::mouseClick(child<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_FALSE(window.foreignBox()->isVisibleTo(&window)) << "the own batches cover the window";
    QTest::keyClick(window.ownList(), Qt::Key_Escape);
    EXPECT_TRUE(window.foreignBox()->isVisibleTo(&window));

    QTest::keyClick(&window, Qt::Key_F1);
    const auto helps = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::any_of(helps.begin(), helps.end(), [](QWidget* w) {
        auto* help = qobject_cast<HelpWindow*>(w);
        return help && help->source().fileName() == QStringLiteral("Chargenverwaltung.htm");
    }));
    HelpWindow::closeAll();
}

TEST_F(BatchWindowFixture, DatabaseErrorsAreReported) {
    QSqlQuery(db.connection()).exec(QStringLiteral("DROP TABLE \"Chargen\""));
    window.open(QStringLiteral("(10)"), {}, {});
    ASSERT_EQ(prompter.shown.size(), 1) << prompter.shown.join('|').toStdString();
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral("Fehler: ")) &&
                prompter.shown[0].contains(QLatin1Char('\n')))
        << prompter.shown[0].toStdString();
}
