#pragma once
// The label entry window: the program's main window.

#include <QMainWindow>
#include <functional>

class QAction;
class QMenu;

namespace palomex {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();

    // Asked when the window is to close; returning false keeps the program running
    // (the save question was cancelled).
    void setExitHandler(std::function<bool()> handler) { exitHandler_ = std::move(handler); }

    QString currentLabelName() const { return currentLabelName_; }
    void setCurrentLabelName(const QString& name);

    // Sets every caption from the string table in the current language.
    void applyCaptions();
    // Points the topic entry of the help menu at a page.
    void setTopicHelp(const QString& page, const QString& fieldCaption = {},
                      const QString& identifierEntry = {});
    QString topicHelpPage() const { return topicPage_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> exitHandler_;
    QString currentLabelName_;
    QString topicPage_ = QStringLiteral("Inhalt.htm");
    QMenu* labelMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* endAction_ = nullptr;
    QAction* contentsAction_ = nullptr;
    QAction* topicAction_ = nullptr;
};

} // namespace palomex
