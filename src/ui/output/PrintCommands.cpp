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
#include <QPrinterInfo>
#include <QStandardPaths>

namespace palomex {

bool pdfPrinterInstalled() {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    return std::any_of(names.begin(), names.end(), [](const QString& n) {
        return n.contains(QLatin1String("pdf"), Qt::CaseInsensitive);
    });
}

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
    if (!record.pdfTreiber.trimmed().isEmpty()) {
        run(PrinterSink::opener(record.pdfTreiber, title, prompter));
        return;
    }
    if (pdfPrinterInstalled()) {
        if (prompter.ask(caption(runmsg::ChoosePdfDriver), Buttons::OkCancel, Icon::Critical) ==
            Answer::Ok)
            chooseDriver();
        return;
    }
    if (headless_)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = title.isEmpty() ? QStringLiteral("Etikett") : title;
    const QString path = chooseFile_(folder + QLatin1Char('/') + name + QStringLiteral(".pdf"));
    if (!path.isEmpty())
        run(PdfSink::opener(path, title, prompter));
}

} // namespace palomex
