#include "ui/batches/BatchWindow.h"
#include "app/Paths.h"
#include "app/Startup.h"
#include "log/PrintLog.h"
#include "ui/log/LogWindow.h"

#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
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
        window.open(QStringLiteral("(10)   Losnummer"), {QStringLiteral("(10) Charge")},
                    {QStringLiteral("B-2")});
    }

    QStringList items(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

} // namespace

TEST_F(BatchWindowFixture, LinkTraceAndUnlink) {
    window.ownList()->selectAll();
    window.foreignText()->setText(QStringLiteral("L-77"));
    window.supplierBox()->setCurrentText(QStringLiteral("Mühle"));
    window.addLink();
    window.ownList()->clearSelection();
    window.ownList()->setCurrentRow(0);
    EXPECT_EQ(items(window.linkedList()), QStringList({"L-77"}));

    window.ownList()->selectAll();
    window.trace();
    const QStringList logLines = log.lines();
    EXPECT_TRUE(logLines.contains(QStringLiteral("Fremdcharge: L-77\tMühle")));
    EXPECT_TRUE(log.windowTitle().endsWith(QStringLiteral(":   3 Datensätze gefunden")))
        << log.windowTitle().toStdString();

    prompter.willAnswer(Answer::Ok);
    window.linkedList()->clearSelection();
    window.removeLinks();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(
        prompter.shown[0],
        QStringLiteral("Möchten Sie die Zuordnungen von  3 Eigenchargen zu Fremdchargen löschen?"));
    window.ownList()->setCurrentRow(0);
    EXPECT_TRUE(items(window.linkedList()).isEmpty());
}

TEST_F(BatchWindowFixture, DeletingWithNothingMarkedIsExplained) {
    window.ownList()->clearSelection();
    window.removeLinks();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral("Fehler: markieren Sie zuerst")));
}
