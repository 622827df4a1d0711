#pragma once
// The label import window: labels and shared data taken over from another database.

#include "admin/DatabaseImport.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

namespace palomex {

class Prompter;

class ImportWindow : public QWidget {
    Q_OBJECT
public:
    ImportWindow(Database& db, const Settings& settings, Prompter& prompter,
                 QWidget* parent = nullptr);

    // Asks for the source file; the file dialog by default.
    void setFileChooser(std::function<QString()> chooser) { chooseFile_ = std::move(chooser); }

    // Shows the window for the current user and asks for the source file at once.
    void open(const QString& labelTable);
    // Opens a source file: a database of ours or an Access file.
    bool openSource(const QString& path);
    void importNow();

    QListWidget* labels() const { return labels_; }
    QComboBox* sourceTables() const { return tables_; }
    QCheckBox* option(int i) const { return options_[i]; }

signals:
    // Settings were taken over: the program re-reads them.
    void settingsImported();

private:
    void loadTable(const QString& table);

    Database& db_;
    const Settings& settings_;
    Prompter& prompter_;
    QString labelTable_;
    QString sourcePath_;
    std::unique_ptr<TableSource> source_;
    std::function<QString()> chooseFile_;
    QLabel* user_;
    QLabel* file_;
    QComboBox* tables_;
    QLabel* listCaption_;
    QListWidget* labels_;
    std::array<QCheckBox*, 4> options_{};
};

} // namespace palomex
