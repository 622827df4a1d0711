#pragma once
// The label entry window: the program's main window. It shows and edits the
// current label of the LabelSession, which holds it; every edit goes there at once.

#include "app/Help.h"
#include "app/SettingsRecord.h"
#include "db/Label.h"
#include "db/LabelSession.h"

#include <QMainWindow>
#include <array>
#include <functional>

class QAction;
class QBoxLayout;
class QButtonGroup;
class QGridLayout;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolBar;
class QToolButton;
class QWidget;

namespace palomex {

class LabelListDialog;
class RowExtras;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    // Asked when the window is to close; returning false keeps the program running
    // (the save question was cancelled).
    void setExitHandler(std::function<bool()> handler) { exitHandler_ = std::move(handler); }
    // Connects the window to the label table; enables the label commands.
    void attach(LabelSession* session, LabelListDialog* dialog);

    QString currentLabelName() const;
    void setCurrentLabelName(const QString& name);

    // The label as the fields show it; what the fields do not show (the layout,
    // the logo rectangle, the height) comes from the current label.
    Label label() const;
    // Makes label the current one as if typed in (not counted as a change).
    void showLabel(const Label& label);
    // The identifier entries of every row's list, the blank entry first; each row
    // keeps its identifier. The lists take the caption language with applyCaptions.
    void setIdentifierEntries(const QStringList& entries);

    // The label commands (menus and toolbar).
    void newLabel();
    void openLabel();
    bool saveLabel();
    bool saveLabelAs();
    void deleteLabels();
    // holdaten for a chosen name; notes about an old row go to the status bar.
    bool loadLabel(const QString& name);

    // The colours, the font size of the fields and what a field does on the focus,
    // from the settings.
    void applyLook(const SettingsRecord& record);

    // Automatic NVE: the command shows its tick and the running number cannot be
    // typed (light grey) while it is on.
    void showAutoNve(bool on);

    // The status bar panels and the progress bar of a print run; empty texts
    // and 0 when none runs.
    void showRunProgress(const QString& panel1, const QString& panel2, int percent);

    // Asked for every character typed into the window: true when it starts a scan
    // (the scanner's first character), which then does not reach the field.
    void setScanStart(std::function<bool(const QString&)> start) { scanStart_ = std::move(start); }

    // The window's size for a label format; the fields fit it at the default font size.
    static QSize formatSize(LabelFormat format);

    // Sets every caption from the string table in the current language.
    void applyCaptions();
    // Points the topic entry of the help menu at a page.
    void setTopicHelp(const QString& page, const QString& fieldCaption = {},
                      const QString& identifierEntry = {});
    QString topicHelpPage() const { return topicPage_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QComboBox* identifier = nullptr;
        QLineEdit* caption = nullptr;
        QLineEdit* content = nullptr;
        RowExtras* extras = nullptr; // rows 0 to 5 only
        bool chosen = false;         // an identifier was picked since the list got the focus
        QString typedDigits;         // digits typed into the list since it got the focus
        QString before;              // the content before the edit being taken
    };
    struct Block {
        QLineEdit* caption = nullptr;
        QPlainTextEdit* text = nullptr;
        QComboBox* stored = nullptr; // sender and receiver: the texts of stored labels
        QToolButton* size = nullptr; // additional texts: enlarge and shrink
    };

    void buildMenus();
    void buildEntryArea();
    QAction* addCommand(QMenu* menu, const char* name, int captionId, int tooltipId,
                        std::function<void()> run, bool available);
    // The current label; the initial one while no session is attached.
    const Label& current() const;
    void showFields(const Label& label);
    void showTitle(const QString& name);
    void applyFormat(LabelFormat format);
    // The heights of the multi-line texts in lines of the fields' font.
    void fitTextHeights();
    // An additional text enlarged or shrunk; the window gives back what it grew by.
    void resizeText(QPlainTextEdit* text, QToolButton* size);
    void syncToSession();
    void changed();
    // Leaving an identifier list after a choice: caption, hint, duplicate check.
    void leaveIdentifier(int row, Qt::FocusReason reason);
    // Leaving the NVE base: a closing blank, the question about too many digits.
    void leaveBase();
    // "Heute + Tage" ticked: the content shows the date the days and format give.
    void showAutoDate(int row);
    void fetchStoredValues(int row);
    // A content the print would refuse is named on leaving it; a date has its own question.
    void checkContent(int row);
    void fetchPartyTexts(int party);
    // The logo: a click chooses a picture, the right button removes it.
    void logoClicked(Qt::MouseButton button);
    void showLogo(const QString& logoFile);
    // Completes a sender or receiver text from the stored ones as it is typed.
    void completePartyText(int party);
    // A date field left with text that is no date: the question whether to delete it.
    void checkDate(int row);
    // The content key filter of a row; true when the key was dealt with.
    bool filterContentKey(int row, QKeyEvent* key);
    bool findIdentifier(int row, const QKeyEvent* key, bool listOpen);
    // Whether the latest edit of the row's content stands; one that does not is undone
    // whole and told.
    bool contentEditTaken(int row);
    int rowOf(const QObject* widget) const;
    // An identifier picked in the list of a row, by click or by typed digits.
    void identifierChosen(int row);

    std::function<bool()> exitHandler_;
    std::function<bool(const QString&)> scanStart_;
    LabelSession* session_ = nullptr;
    LabelListDialog* dialog_ = nullptr;
    bool filling_ = false;
    QString topicPage_ = helppage::Contents;

    QLineEdit* nveBasis_ = nullptr;
    QLineEdit* nveLaufNr_ = nullptr;
    QLineEdit* anzahlNVEs_ = nullptr;
    QLineEdit* anzNVE_ = nullptr;
    QButtonGroup* format_ = nullptr;
    std::array<Block, 2> parties_{};
    std::array<Row, Label::kFieldCount> rows_{};
    std::array<Block, Label::kExtraCount> extras_{};
    QSize sizeBeforeEnlarging_; // the window's size while no additional text was enlarged
    std::vector<std::pair<QWidget*, int>> captioned_; // widgets whose text is a caption id
    std::vector<std::pair<QAction*, int>> actions_;   // menu caption ids
    std::vector<std::pair<QAction*, int>> tooltips_;  // toolbar tooltip ids
    std::vector<QAction*> labelCommands_;             // usable once a session is attached
    QGridLayout* body_ = nullptr;                     // the data rows and the additional texts
    QWidget* extrasArea_ = nullptr;
    QBoxLayout* extrasLayout_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QMenu* labelMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* extrasMenu_ = nullptr;
    QMenu* logMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* endAction_ = nullptr;
    QAction* contentsAction_ = nullptr;
    QAction* topicAction_ = nullptr;
    QAction* helpButton_ = nullptr;
    std::array<QLabel*, 2> runPanels_{};
    QLabel* logo_ = nullptr;
    int fieldFocus_ = 0; // 0 select all, 1 caret at the start, 2 at the end
    QProgressBar* runProgress_ = nullptr;
};

} // namespace palomex
