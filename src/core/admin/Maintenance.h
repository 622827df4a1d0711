#pragma once
// Users (label tables) and database maintenance.

#include "db/Database.h"

#include <QString>
#include <memory>
#include <optional>

namespace palomex {

enum class DeleteUser { Refused, Dropped, Failed };

// The default user "Etiketten" cannot be deleted; any other label table is dropped.
DeleteUser deleteUser(Database& db, const QString& name);

struct CompactResult {
    bool ok = false;
    qint64 sizeBefore = 0;
    qint64 sizeAfter = 0;
    int seedAdded = 0;
    QString error; // the engine's text when a step failed
};

// Runs the upgrade, drops the scratch tables ("~" names), writes a compacted copy,
// checks it and puts it in place of the database, keeping a copy of the old file
// as "<name>.$$$" until the new one is in place. The database is reopened; on any
// failure the old file stays the database.
CompactResult compactDatabase(Database& db, const QString& seedPath);

// The text shown after a compaction.
QString compactMessage(const CompactResult& result);

} // namespace palomex
