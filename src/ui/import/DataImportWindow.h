#pragma once
// The data import window: an external table, a template label and twenty mapping
// boxes; "Jetzt importieren" makes one stored label per row.

#include "import/DataImport.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;

namespace palomex {

class Database;
class ExpressionEditor;

class DataImportWindow : public QWidget {
    Q_OBJECT
public:
    DataImportWindow(Database& db, const Settings& settings, Prompter& prompter);
    ~DataImportWindow() override;

    // The file dialog by default; it gets the file to propose.
    void setFileChooser(std::function<QString(const QString&)> chooser) {
        chooseFile_ = std::move(chooser);
    }
    // How the window reaches the entry window: its label, saving it, and the open
    // dialog to pick the template with (the chosen name is then stored by the caller).
    struct EntryWindow {
        std::function<Label()> label;
        std::function<void()> save;
        std::function<void()> chooseTemplate;
    };
    void open(const QString& labelTable, EntryWindow entry);

    // The source file; fills the table list.
    bool loadFile(const QString& path);
    void chooseTable(const QString& table);
    QComboBox* mappingBox(int i) const { return boxes_[static_cast<size_t>(i)]; }
    ExpressionEditor& expressionEditor() { return *editor_; }
    // Opens the expression editor of box i; on OK the box gets "@" + the expression.
    void editExpression(int i);
    ImportOutcome runImport();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ImportChoices choices() const;
    void fillBoxes();

    Database& db_;
    const Settings& settings_;
    Prompter& prompter_;
    QString labelTable_;
    EntryWindow entry_;
    std::function<QString(const QString&)> chooseFile_;
    QString file_;
    std::unique_ptr<ImportSource> source_;
    ImportTable table_;
    QLabel* fileLabel_ = nullptr;
    QComboBox* tableBox_ = nullptr;
    QLabel* templateLabel_ = nullptr;
    std::array<QLabel*, kMappingCount> captions_{};
    std::array<QComboBox*, kMappingCount> boxes_{};
    std::unique_ptr<ExpressionEditor> editor_;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

} // namespace palomex
