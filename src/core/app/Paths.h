#pragma once
// Where the program keeps its files.

#include <QString>

namespace palomex {

// "$APPDATA/Hallvik Software" when APPDATA (or AppData) is set, else the XDG data
// folder ("~/.local/share/Hallvik Software").
QString dataFolder();
QString iniPath();             // data folder + "/Palomex.ini"
QString defaultDatabasePath(); // data folder + "/Palomex.mdb"
// The database path: the shared path of the settings when set, else the default.
QString databasePath(const QString& mehrbenutzerpfad);
// Creates the data folder when missing. Throws AppError naming the folder.
void ensureDataFolder();

} // namespace palomex
