#pragma once
// The widget-free steps of start-up and exit: data folder, database, first start,
// the one-shot schema upgrade, and what the exit routine writes.

#include "app/Settings.h"
#include "db/Database.h"

#include <functional>
#include <memory>
#include <optional>

namespace palomex {

struct OpenedDatabase {
    std::unique_ptr<Database> database;
    QString labelTable;           // the current user's label table
    bool firstStart = false;      // the database had no "Etiketten" table
    std::optional<int> seedAdded; // labels added by a schema upgrade that ran
    QString accessFileKeptAs;     // an Access file found at the path was taken over
    int migratedLabels = 0;
};

// Steps 1 to 6 of locating and opening: creates the data folder, opens (or creates)
// the database at the configured path, runs the first-start steps on a new
// database and the upgrade when the setting "Update" asks for it. saveStandardLabel
// stores the entry window's initial contents as "Standardetikett" on a first start.
// An Access file at the path (a database of the Windows program) is taken over into
// a new database of our own format when offerMigration agrees.
// Throws AppError when the folder or the database cannot be used.
OpenedDatabase
openStartupDatabase(const Settings& settings, const QString& seedPath,
                    const std::function<void(Database&, const QString&)>& saveStandardLabel,
                    const std::function<bool(const QString&)>& offerMigration = {});

// Switches the program's database to another path (a file or, where the engine
// layer supports it, a server address). The new database is opened and checked
// first; only then is the path stored and the database replaced, so a bad path
// keeps the old database open. Returns the reason when the path was refused.
std::optional<QString> switchDatabase(Database& current, const Settings& settings,
                                      const QString& path, const QString& seedPath);

// The seed database beside the program.
QString seedDatabasePath();

struct ExitState {
    int left = 0; // twips
    int top = 0;
    QString currentLabelName;
};

// What the exit routine writes once the save question has been answered.
void writeExitState(const Settings& settings, Database* database, const ExitState& state);

} // namespace palomex
