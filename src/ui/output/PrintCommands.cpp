#include "ui/output/PrintCommands.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "app/Workspace.h"
#include "output/PdfSink.h"
#include "output/RunStrings.h"
#include "ui/app/EscapeWatch.h"
#include "ui/entry/MainWindow.h"
#include "ui/output/PrinterSink.h"

#include <QApplication>
#include <QFileDialog>
#include <QStandardPaths>

namespace palomex {

namespace {
constexpr int kUnnamedLabel = 336; // file name proposed for a label without a name
} // namespace

PrintCommands::PrintCommands(Workspace& workspace, MainWindow& window, bool headless)
    : workspace_(workspace), window_(window), headless_(headless) {
    chooseFile_ = [this](const QString& proposed) {
        return QFileDialog::getSaveFileName(&window_, caption(runmsg::SavePdfTitle), proposed,
                                            caption(runmsg::PdfFilter));
    };
}

JobResult PrintCommands::run(const SinkOpener& open, bool commandLine) {
    if (running_)
        return {};
    std::unique_ptr<EscapeWatch> escape;
    std::function<bool()> escapeHeld;
    if (!headless_) {
        escape = std::make_unique<EscapeWatch>();
        escapeHeld = [&escape] { return escape->pressed(); };
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    // While a run polls for ESC the window's commands stay live; a second run
    // does not start meanwhile.
    running_ = true;
    const JobResult result =
        workspace_.print(open, commandLine, escapeHeld, [this](const QString& nve, int percent) {
            window_.showRunProgress(caption(runmsg::Printing).arg(nve),
                                    caption(runmsg::EscToCancel), percent);
        });
    running_ = false;
    window_.showRunProgress({}, {}, 0);
    if (!headless_)
        QApplication::restoreOverrideCursor();
    return result;
}

JobResult PrintCommands::print(bool commandLine) {
    return run(PrinterSink::labelPrinter(workspace_), commandLine);
}

void PrintCommands::exportPdf(const std::function<void()>& chooseDriver) {
    const SettingsRecord& record = workspace_.record();
    Prompter& prompter = workspace_.prompter();
    const QString title = workspace_.session().name();
    const QString driver = record.pdfTreiber.trimmed();
    if (driver.isEmpty()) {
        if (prompter.ask(caption(runmsg::ChoosePdfDriver), Buttons::OkCancel, Icon::Critical) ==
            Answer::Ok)
            chooseDriver();
        return;
    }
    if (driver != builtInPdfDriver()) {
        // A PDF driver that has gone is reported: another printer would print on paper.
        run(PrinterSink::opener(driver, title, prompter, -1, PrinterSink::Missing::Refuse));
        return;
    }
    if (headless_)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = title.isEmpty() ? caption(kUnnamedLabel) : title;
    const QString path = chooseFile_(folder + QLatin1Char('/') + name + QStringLiteral(".pdf"));
    if (!path.isEmpty())
        run(PdfSink::opener(path, title, prompter));
}

} // namespace palomex
