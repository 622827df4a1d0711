#pragma once
// A print command from start to end: the NVE reservation, the copies of the run,
// the device, the log record and the automatic NVE advance. The entry window's
// print and PDF commands, the command line and the benchmark all go through it;
// the preview takes its first running number and its painter from here.

#include "app/SettingsRecord.h"
#include "db/Label.h"
#include "log/PrintLog.h"
#include "output/LabelRenderer.h"
#include "output/PrintRun.h"

#include <QDate>
#include <QDateTime>
#include <QSizeF>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace palomex {

class Database;
class Prompter;

// What a print command reads from the settings besides the label.
struct JobSettings {
    PageMode mode = PageMode::A4Sheets;
    int copies = 1; // the whole run, this many times in one document
    double scale = 1.0;
    double randOben = 0; // mm
    double randLinks = 0;
    bool autoNve = false;
    bool logging = false;
    QString benutzer; // the current label table, as the log names the user
    // Typed NVEs the log shows as printed: asked about (No by default), or, where
    // nobody can answer (the command line), named in a warning before the run goes on.
    bool askBeforeReprint = true;
};

// The settings as a print command starts: the record, the automatic NVE and the
// logging switch from the settings file.
JobSettings jobSettings(const SettingsRecord& record, const Settings& settings,
                        const QString& labelTable);

// Large labels lie across a DIN A4 sheet; everything else is upright.
bool landscapeOutput(const Label& label, PageMode mode);
// The paper: the label itself for single labels, else DIN A4 in the orientation.
QSizeF paperSizeMm(const Label& label, PageMode mode);

// The number of NVEs as typed, when it is one a run can print (1 to 9999).
std::optional<int> nveCountOf(const QString& typed);

// Draws labels with the renderer; what the user chose in its fit question is
// collected in outcome. The renderer and outcome must outlive the painter.
LabelPainter rendererPainter(LabelRenderer& renderer, RenderMode mode, RenderOutcome& outcome,
                             QDate today = QDate::currentDate());

struct JobResult {
    int labelsPrinted = 0; // labels that came out
    bool refused = false;  // a message ended the command
    bool complete = false; // every label asked for came out
    Label label;           // the label as the entry window shows it afterwards
    bool openLayoutEditor = false;
    bool openBarcodeScaling = false;
};

class PrintJob {
public:
    PrintJob(Database& db, const SettingsRecord& record, JobSettings settings, Prompter& prompter);

    // Polled once per label: whether ESC is held.
    void setEscapeCheck(std::function<bool()> escapeHeld) { escapeHeld_ = std::move(escapeHeld); }
    // After every label: the NVE (17 digits) and the progress in per cent.
    void setProgress(std::function<void(const QString&, int)> progress) {
        progress_ = std::move(progress);
    }

    // Prints the label as shown. Every message goes to the prompter; the stored
    // highest NVE and the log always match what came out.
    JobResult print(const Label& shown, const SinkOpener& open);

private:
    // A log row written before the job went to the device, withdrawn when the
    // device refuses it.
    struct Logged {
        LogEntry entry;
        QDateTime at;
    };
    // One run of the copies; false when the command ends.
    bool runOnce(JobResult& job, const LabelPainter& painter, const SinkOpener& open,
                 std::unique_ptr<PageSink>& sink, std::vector<Logged>& logged);
    void tellError(int number, const QString& module, const QString& text);
    // Whether typed NVEs the log already shows are to be printed again.
    bool reprintAccepted(const Label& shown);

    Database& db_;
    SettingsRecord record_;
    JobSettings settings_;
    Prompter& prompter_;
    std::function<bool()> escapeHeld_;
    std::function<void(const QString&, int)> progress_;
};

} // namespace palomex
