#pragma once
// The print log window: filters, the list of printed runs and its outputs.

#include "log/LogQuery.h"

#include <QWidget>
#include <array>
#include <functional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace palomex {

class Catalogue;
class Database;
class LogListModel;
class Prompter;

class LogWindow : public QWidget {
    Q_OBJECT
public:
    LogWindow(Database& db, const Settings& settings, Prompter& prompter,
              QWidget* parent = nullptr);

    // Offers the catalogue's identifiers in "Datenbez.:", each cut before its "|"; an
    // entry in the box becomes the entry of its code in this catalogue, typed text stays.
    // The window's texts follow the caption language with it.
    void setCatalogue(const Catalogue& catalogue);
    // Where the detailed list takes the captions of the three additional texts from:
    // the entry window's, as they are when the list is shown.
    using ZusatzCaptions = std::function<std::array<QString, 3>()>;
    void setZusatzCaptions(ZusatzCaptions source) { zusatzCaptions_ = std::move(source); }
    // Asks for a file to write (title, proposed name, filter); the file dialog by default.
    using FileChooser = std::function<QString(const QString&, const QString&, const QString&)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // Restores the filters and shows the window.
    void open();
    // Fills the list (ZeigListe); the heading may hold several "¶"-separated lines.
    // The heading shows at once; the rows follow as they are scrolled into view, and
    // the caption gets their number once they are counted, meanwhile ESC stops it.
    void showList(const QString& heading = {});
    // Sets the identifier and content boxes as a batch trace does.
    void setContentFilter(const QString& identifier, const QString& content);
    // Carries out the output choice of the "Liste ..." box.
    void runOutput();
    // Saves the filters and hides the window ("&Schließen").
    void closeWindow();

    QListView* list() const { return list_; }
    // Every line of the list; waits for the rows and the count not read yet.
    QStringList lines() const;
    // Whether a list is being shown whose rows are not counted yet.
    bool listing() const;
    QComboBox* outputChoice() const { return output_; }
    LogFilter filter() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyCaptions();
    // The caption names the rows of the list once they are counted (rows < 0: not yet).
    void showCount(qint64 rows);
    // The content box one line high, or with room for several lines and scroll bars.
    void expandContent(bool expand);
    bool contentExpanded() const;
    // Lays the content box over its place, opened upwards over the rows above it.
    void placeContent();
    void applyFilter(const LogFilter& f);
    // What the identifier box shows for an identifier: an entry of the catalogue of
    // either language, with or without its format code, as the entry of its code in
    // the current catalogue; any other text as it is.
    QString shownIdentifier(const QString& identifier) const;
    void exportText(bool semicolon);
    void exportDatabase();
    void printList(bool pdf);
    void replaceList(const QString& message);
    void listCounted(qint64 rows);
    void listFailed(const QString& error);
    void endBusy();
    QString chooseFile(const QString& filter);

    Database& db_;
    const Settings& settings_;
    Prompter& prompter_;
    ZusatzCaptions zusatzCaptions_;
    const Catalogue* catalogue_ = nullptr;
    qint64 counted_ = -1;                         // rows of the list shown, once counted
    std::vector<std::pair<QLabel*, int>> labels_; // field captions and their text ids
    FileChooser chooseFile_;
    QString currentDocumentName_;
    QString exportTable_;
    bool busy_ = false; // the busy cursor is shown
    QLineEdit* absender_;
    QLineEdit* empfaenger_;
    QLineEdit* vonNve_;
    QLineEdit* bisNve_;
    QComboBox* datumVon_;
    QComboBox* datumBis_;
    QComboBox* datenCombo_;
    QPlainTextEdit* datenText_;
    QWidget* contentSlot_; // holds the content box's place in the form
    QToolButton* expand_;
    QToolButton* collapse_;
    QComboBox* order_;
    QCheckBox* detail_;
    QCheckBox* cp1252_;
    QComboBox* output_;
    QGroupBox* selection_;
    QGroupBox* sorting_;
    QGroupBox* outputBox_;
    QPushButton* show_;
    QPushButton* help_;
    QPushButton* close_;
    LogListModel* model_;
    QListView* list_;
};

} // namespace palomex
