#pragma once
// The print commands of the entry window: "&Drucken" to the label printer and
// "PDF Export" through a PDF printer or the built-in writer. The command line
// prints through the same commands.

#include "app/SettingsRecord.h"
#include "output/PrintJob.h"

#include <functional>

namespace palomex {

class Database;
class MainWindow;
class Prompter;
class Settings;

class PrintCommands {
public:
    // headless: no display; nothing to poll for ESC and no file dialog.
    PrintCommands(Database& db, const Settings& settings, Prompter& prompter, MainWindow& window,
                  bool headless);

    // Prints the label the window shows on the label printer of the settings; the
    // window then shows the label as the run left it (the next running number).
    // From the command line a reprint of logged NVEs is warned of, not asked about.
    JobResult print(const SettingsRecord& record, const QString& labelTable,
                    bool commandLine = false);
    // The same through the PDF driver of the settings; the built-in writer asks for
    // a file. Without a driver the user is asked to choose one, and chooseDriver
    // opens the settings on OK.
    void exportPdf(const SettingsRecord& record, const QString& labelTable,
                   const std::function<void()>& chooseDriver);
    // Asks where the built-in writer puts the PDF; the file dialog by default.
    void setFileChooser(std::function<QString(const QString& proposed)> chooser) {
        chooseFile_ = std::move(chooser);
    }

private:
    JobResult run(const SettingsRecord& record, const QString& labelTable, const SinkOpener& open,
                  bool commandLine = false);

    Database& db_;
    const Settings& settings_;
    Prompter& prompter_;
    MainWindow& window_;
    bool headless_;
    bool running_ = false;
    std::function<QString(const QString&)> chooseFile_;
};

} // namespace palomex
