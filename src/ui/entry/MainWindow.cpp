#include "ui/entry/MainWindow.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "ui/app/HelpWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace palomex {

MainWindow::MainWindow() {
    setObjectName(QStringLiteral("Form1"));
    auto* placeholder = new QLabel(this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
    resize(760, 560);

    labelMenu_ = menuBar()->addMenu(QString());
    endAction_ = labelMenu_->addAction(QString(), this, &QWidget::close);
    endAction_->setObjectName(QStringLiteral("endmenu"));

    helpMenu_ = menuBar()->addMenu(QString());
    contentsAction_ = helpMenu_->addAction(QString(), this, [] { HelpWindow::showPage(); });
    topicAction_ =
        helpMenu_->addAction(QString(), this, [this] { HelpWindow::showPage(topicPage_); });
    topicAction_->setShortcut(QKeySequence(Qt::Key_F1));
    statusBar();
    applyCaptions();
}

void MainWindow::setCurrentLabelName(const QString& name) {
    currentLabelName_ = name;
    setWindowTitle(caption(msg::Title) + QStringLiteral(" - ") + name);
}

void MainWindow::applyCaptions() {
    setCurrentLabelName(currentLabelName_);
    labelMenu_->setTitle(caption(msg::MenuEtikett));
    endAction_->setText(caption(msg::MenuBeenden));
    helpMenu_->setTitle(caption(msg::MenuHilfe));
    contentsAction_->setText(caption(msg::HelpContents));
    setTopicHelp(topicPage_);
}

void MainWindow::setTopicHelp(const QString& page, const QString& fieldCaption,
                              const QString& identifierEntry) {
    topicPage_ = page;
    topicAction_->setText(topicHelpCaption(page, fieldCaption, identifierEntry));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exitHandler_ && !exitHandler_()) {
        event->ignore();
        return;
    }
    HelpWindow::closeAll();
    event->accept();
}

} // namespace palomex
