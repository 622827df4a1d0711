#pragma once
// The print commands of the entry window: "&Drucken" to the label printer and
// "PDF Export" through a PDF printer or the built-in writer. Both print the
// current label of the workspace; the window only shows the run.

#include "output/PrintJob.h"

#include <functional>

namespace palomex {

class MainWindow;
class Workspace;

class PrintCommands {
public:
    // headless: no display; nothing to poll for ESC and no file dialog. The window
    // shows the progress of a run.
    PrintCommands(Workspace& workspace, MainWindow& window, bool headless);

    // Prints the current label on the label printer of the settings. From the
    // command line a reprint of logged NVEs is warned of, not asked about.
    JobResult print(bool commandLine = false);
    // The same through the PDF driver of the settings; the built-in writer asks for
    // a file. Without a driver the user is asked to choose one, and chooseDriver
    // opens the settings on OK.
    void exportPdf(const std::function<void()>& chooseDriver);
    // Asks where the built-in writer puts the PDF; the file dialog by default.
    void setFileChooser(std::function<QString(const QString& proposed)> chooser) {
        chooseFile_ = std::move(chooser);
    }

private:
    JobResult run(const SinkOpener& open, bool commandLine = false);

    Workspace& workspace_;
    MainWindow& window_;
    bool headless_;
    bool running_ = false;
    std::function<QString(const QString&)> chooseFile_;
};

} // namespace palomex
