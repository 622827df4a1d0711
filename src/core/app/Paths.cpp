#include "app/Paths.h"

#include "app/AppError.h"
#include "app/Captions.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace palomex {

namespace {

QString appDataEnv() {
    for (const char* name : {"APPDATA", "AppData"}) {
        const QString v = qEnvironmentVariable(name);
        if (!v.isEmpty())
            return v;
    }
    return {};
}

} // namespace

QString dataFolder() {
    QString base = appDataEnv();
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("Hallvik Software"));
}

QString iniPath() {
    return QDir(dataFolder()).filePath(QStringLiteral("Palomex.ini"));
}

QString defaultDatabasePath() {
    return QDir(dataFolder()).filePath(QStringLiteral("Palomex.mdb"));
}

QString databasePath(const QString& mehrbenutzerpfad) {
    return mehrbenutzerpfad.isEmpty() ? defaultDatabasePath() : mehrbenutzerpfad;
}

void ensureDataFolder() {
    const QString folder = dataFolder();
    if (QFileInfo(folder).isDir())
        return;
    // With APPDATA set only the last level is ours to create; the XDG base may be
    // missing on a fresh account and is created with it.
    const bool made = appDataEnv().isEmpty() ? QDir().mkpath(folder) : QDir().mkdir(folder);
    if (!made)
        throw AppError(err::PathNotFound, QStringLiteral("Form1.Load"),
                       caption(msg::FolderNotCreated).arg(folder));
}

} // namespace palomex
