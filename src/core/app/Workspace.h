#pragma once
// What the program works on, with windows or without: the settings, the open
// database, the current user's labels and the current label. The command line's
// print commands run here from start to end; the windows only show what it holds.

#include "app/CommandLine.h"
#include "app/Prompter.h"
#include "app/Settings.h"
#include "app/SettingsRecord.h"
#include "app/Startup.h"
#include "db/LabelSession.h"
#include "db/LabelStore.h"
#include "output/PrintJob.h"

#include <functional>
#include <memory>
#include <optional>

namespace palomex {

// The captions in the chosen language, and Qt's own texts with them.
void applyLanguage(int sprache);

class Workspace {
public:
    explicit Workspace(Prompter& prompter);
    ~Workspace();

    // Opens the database of the settings (first start, upgrade, an Access file
    // taken over) and reads the settings record. Throws AppError when the database
    // cannot be used. askName asks for a label name when one is saved without.
    void open(LabelSession::NameAsker askName);

    Prompter& prompter() { return prompter_; }
    Settings& settings() { return settings_; }
    const SettingsRecord& record() const { return record_; }
    // The settings as a dialog or an import left them; the language follows.
    void setRecord(const SettingsRecord& record);
    Database& database() { return *opened_.database; }
    LabelStore& store() { return *store_; }
    LabelSession& session() { return *session_; }

    // Opens the label a command names and fills in its parameters. After telling
    // why not, the exit code: 3 when the label was not found, 4 when a parameter is
    // refused (as a refused print is).
    std::optional<int> openRequested(const CommandRequest& request);
    // Prints the current label through the device open gives; the label then holds
    // what the run left (the next running number). From the command line a reprint
    // of logged NVEs is warned of, not asked about.
    JobResult print(const SinkOpener& open, bool commandLine,
                    const std::function<bool()>& escapeHeld = {},
                    const std::function<void(const QString&, int)>& progress = {});
    // Runs a command line: the exit code when the program is to end, nothing when it
    // stays open (no command, or "open"). printCurrent prints the current label.
    std::optional<int> runCommandLine(const CommandRequest& request,
                                      const std::function<JobResult()>& printCurrent);
    // The exit routine: false when the user cancelled the save question. The
    // window's place is written in twips.
    bool finish(int leftTwips, int topTwips);

private:
    void unnamedLabelInCaptionLanguage();
    int filePrint(const CommandRequest& request, const std::function<JobResult()>& printCurrent);

    Prompter& prompter_;
    Settings settings_;
    SettingsRecord record_;
    OpenedDatabase opened_;
    std::unique_ptr<LabelStore> store_;
    std::unique_ptr<LabelSession> session_;
};

class AppError;
// The message of a start-up that failed.
QString startFailure(const AppError& error);

// The exit code of a command line print: 4 whenever less came out than was asked for.
int printExitCode(const JobResult& result);

} // namespace palomex
