#pragma once
// Ending a named connection of Qt's list of database connections.

#include <QSqlDatabase>
#include <QString>

namespace palomex {

// Closes the named connection and removes it from the list. Qt removes a connection
// cleanly only when no handle to it is left, so the caller's handles must be gone;
// the one asked for here is a temporary, gone before the removal.
inline void dropConnection(const QString& name) {
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

// The same for the connection of the caller's last handle, which is emptied first.
inline void dropConnection(QSqlDatabase& last) {
    const QString name = last.connectionName();
    last = QSqlDatabase();
    dropConnection(name);
}

} // namespace palomex
