#include "ui/output/PrintCommands.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "output/PdfSink.h"
#include "output/RunStrings.h"
#include "ui/app/EscapeWatch.h"
#include "ui/entry/MainWindow.h"
#include "ui/output/PrinterSink.h"
#include "ui/output/Printers.h"

#include <QApplication>
#include <QFileDialog>
#include <QStandardPaths>

namespace palomex {

PrintCommands::PrintCommands(Database& db, const Settings& settings, Prompter& prompter,
                             MainWindow& window, bool headless)
    : db_(db), settings_(settings), prompter_(prompter), window_(window), headless_(headless) {
    chooseFile_ = [this](const QString& proposed) {
        return QFileDialog::getSaveFileName(&window_, caption(runmsg::SavePdfTitle), proposed,
                                            caption(runmsg::PdfFilter));
    };
}

JobResult PrintCommands::run(const SettingsRecord& record, const QString& labelTable,
                             const SinkOpener& open, bool commandLine) {
    if (running_)
        return {};
    JobSettings js = jobSettings(record, settings_, labelTable);
    js.askBeforeReprint = !commandLine;
    PrintJob job(db_, record, js, prompter_);
    std::unique_ptr<EscapeWatch> escape;
    if (!headless_) {
        escape = std::make_unique<EscapeWatch>();
        job.setEscapeCheck([&escape] { return escape->pressed(); });
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    job.setProgress([this](const QString& nve, int percent) {
        window_.showRunProgress(caption(runmsg::Printing).arg(nve), caption(runmsg::EscToCancel),
                                percent);
    });
    // While a run polls for ESC the window's commands stay live; a second run
    // does not start meanwhile.
    running_ = true;
    const JobResult result = job.print(window_.label(), open);
    running_ = false;
    window_.showRunProgress({}, {}, 0);
    if (!headless_)
        QApplication::restoreOverrideCursor();
    if (result.label.nveLaufNr != window_.label().nveLaufNr)
        window_.showLabel(result.label);
    return result;
}

JobResult PrintCommands::print(const SettingsRecord& record, const QString& labelTable,
                               bool commandLine) {
    const QString title = window_.currentLabelName();
    return run(record, labelTable,
               PrinterSink::opener(installedPrinter(record.drucker), title, prompter_,
                                   record.druckerschacht),
               commandLine);
}

void PrintCommands::exportPdf(const SettingsRecord& record, const QString& labelTable,
                              const std::function<void()>& chooseDriver) {
    const QString title = window_.currentLabelName();
    const QString driver = record.pdfTreiber.trimmed();
    if (driver.isEmpty()) {
        if (prompter_.ask(caption(runmsg::ChoosePdfDriver), Buttons::OkCancel, Icon::Critical) ==
            Answer::Ok)
            chooseDriver();
        return;
    }
    if (driver != builtInPdfDriver()) {
        run(record, labelTable, PrinterSink::opener(driver, title, prompter_));
        return;
    }
    if (headless_)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = title.isEmpty() ? QStringLiteral("Etikett") : title;
    const QString path = chooseFile_(folder + QLatin1Char('/') + name + QStringLiteral(".pdf"));
    if (!path.isEmpty())
        run(record, labelTable, PdfSink::opener(path, title, prompter_));
}

} // namespace palomex
