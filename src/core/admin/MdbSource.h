#pragma once
// Tables of an Access (Jet) database file, read through mdbtools.

#include "admin/DatabaseImport.h"

namespace palomex {

// True when the file starts like a Jet or ACE database.
bool isAccessFile(const QString& path);

// Opens the Access file for reading; nothing when it cannot be read (error says why).
std::unique_ptr<TableSource> openAccessSource(const QString& path, QString* error);

struct Migration {
    bool ok = false;
    QString keptAs; // where the Access file is now
    QString error;
    int labels = 0;
};

// Takes an Access database at path over into a new database of the program's own
// format at the same path: every label table with all its labels, the highest NVEs,
// the log and the batch links. The Access file is kept beside it under a new name;
// on failure it gets its name back and no new file is left.
Migration migrateAccessDatabase(const QString& path, const Settings& settings);

} // namespace palomex
