#pragma once
// Moving an embedded database to a shared database on a server.

#include "db/Database.h"

#include <QString>
#include <functional>
#include <vector>

namespace palomex {

struct CopiedTable {
    QString name;
    qint64 rows = 0;
};

// Copies every table of source, in its order and with its rows, into the empty
// server database at targetUri, and checks that each table holds as many rows as
// it was given. All of it happens in one transaction of the server: on any failure
// the target is left empty. Throws AppError with the reason.
std::vector<CopiedTable> copyToServer(const Database& source, const QString& targetUri);

// Copies source to targetUri and reports one line per table and a summary, or the
// error. Returns whether the copy was made.
bool migrateDatabase(const Database& source, const QString& targetUri,
                     const std::function<void(const QString&)>& report);

// The command line form: opens the configured database and copies it to targetUri.
// Returns the exit code; report receives the summary or the error text.
int migrateCommand(const QString& sourcePath, const QString& targetUri,
                   const std::function<void(const QString&)>& report);

} // namespace palomex
