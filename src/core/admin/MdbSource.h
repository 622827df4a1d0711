#pragma once
// Tables of an Access (Jet) database file, read through mdbtools.

#include "admin/DatabaseImport.h"

namespace palomex {

// True when the file starts like a Jet or ACE database.
bool isAccessFile(const QString& path);

// Opens the Access file for reading; nothing when it cannot be read (error says why).
std::unique_ptr<TableSource> openAccessSource(const QString& path, QString* error);

} // namespace palomex
