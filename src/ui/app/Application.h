#pragma once
// The program frame: the workspace (settings, database, current label) and the
// windows that show it; runs the start-up sequence, the command line and the exit
// routine.

#include "app/CommandLine.h"
#include "app/Prompter.h"
#include "app/Workspace.h"
#include "ui/output/Printers.h"

#include <memory>
#include <optional>

class QAction;

namespace palomex {

class BatchWindow;
class ImportWindow;
class LogWindow;
class MainWindow;
class PrintCommands;
class PreviewWindow;
class LayoutEditor;
class ScanWindow;
class DataImportWindow;
class SettingsDialog;
class UserWindow;
class LabelListDialog;

class Application {
public:
    // headless: no display; messages go to the prompter only and no window is shown.
    Application(Prompter& prompter, bool headless);
    ~Application();

    // The start-up sequence. False when it failed (the error has been reported and
    // the program must end).
    bool start();
    // Runs the command line. Returns the exit code when the program is to end,
    // nothing when it stays open (no command, or "open").
    std::optional<int> processCommandLine(const CommandRequest& request);
    // The exit routine; false when the user cancelled and the program keeps running.
    bool exitRoutine();

    MainWindow& mainWindow() { return *window_; }
    SettingsDialog& settingsDialog() { return *settingsDialog_; }
    LogWindow& logWindow() { return *logWindow_; }
    UserWindow& userWindow() { return *userWindow_; }
    PreviewWindow& previewWindow() { return *preview_; }
    LayoutEditor& layoutEditor() { return *layoutEditor_; }
    ScanWindow& scanWindow() { return *scan_; }
    DataImportWindow& dataImportWindow() { return *dataImport_; }
    PrintCommands& printCommands() { return *print_; }
    Database& database() { return workspace_.database(); }
    const QString& labelTable() { return workspace_.session().table(); }
    LabelSession& session() { return workspace_.session(); }

private:
    void applySettings();
    // Every window shows the record's language and look; windows built in another
    // language are built anew, and those that were open open again.
    void followSettings();
    void createWindows();
    void rebuildWindows();
    // The label format option: the setting and the window size follow it.
    void formatChosen(int format);
    // The window takes the size of the format once its rows are laid out.
    void fitFormatSize(int format);
    void addMenus();
    void settingsApplied(const SettingsRecord& record, const QString& databasePath);
    void setLogging(bool on);
    void report(const QString& text, Icon icon);
    std::optional<QString> askLabelName(const QString& proposed);
    // The current user's label table, where every label command works from now on.
    void useLabelTable(const QString& table);
    // Prints the current label; with a display the window shows the run, and the
    // answers of the question whether a barcode fits open where to fix it.
    JobResult printShown(bool commandLine = false);
    void setAutoNve(bool on);
    void openLayoutEditor();
    // The settings on the page of the barcode scaling.
    void openBarcodeScaling();
    void openScan(const QString& first = {});
    void takeNextNve();

    Prompter& prompter_;
    bool headless_;
    Workspace workspace_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<SettingsDialog> settingsDialog_;
    std::unique_ptr<LogWindow> logWindow_;
    std::unique_ptr<BatchWindow> batchWindow_;
    std::unique_ptr<UserWindow> userWindow_;
    std::unique_ptr<ImportWindow> importWindow_;
    QAction* loggingAction_ = nullptr;
    QAction* viewLogAction_ = nullptr;
    QAction* batchesAction_ = nullptr;
    InstalledPrinters printers_;   // asked once at start, offered by the settings dialog
    int windowsLanguage_ = 0;      // the caption language the windows were built in
    bool resettingLayout_ = false; // the editor's reset loads the stored label
    std::unique_ptr<LabelListDialog> dialog_;
    std::unique_ptr<PrintCommands> print_;
    std::unique_ptr<PreviewWindow> preview_;
    std::unique_ptr<LayoutEditor> layoutEditor_;
    std::unique_ptr<ScanWindow> scan_;
    std::unique_ptr<DataImportWindow> dataImport_;
    bool importTemplateWanted_ = false; // the next label opened becomes the import template
};

} // namespace palomex
