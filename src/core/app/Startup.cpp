#include "app/Startup.h"

#include "admin/MdbSource.h"
#include "app/AppError.h"
#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>

namespace palomex {

namespace {
const QString kE = QStringLiteral("Einstellungen");
}

QString seedDatabasePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("NeuEtik.mdb"));
}

OpenedDatabase
openStartupDatabase(const Settings& settings, const QString& seedPath,
                    const std::function<void(Database&, const QString&)>& saveStandardLabel,
                    const std::function<bool(const QString&)>& offerMigration) {
    ensureDataFolder();
    OpenedDatabase result;
    const QString path = databasePath(settings.get(kE, QStringLiteral("Mehrbenutzerpfad")));
    if (offerMigration && isAccessFile(path) && offerMigration(path)) {
        const Migration m = migrateAccessDatabase(path, settings);
        if (!m.ok)
            throw AppError(err::FileNotOurs, QStringLiteral("Datenbank"), m.error);
        result.accessFileKeptAs = m.keptAs;
        result.migratedLabels = m.labels;
    }
    result.database = Database::open(path);
    Database& db = *result.database;

    if (!db.hasTable(table::Etiketten)) {
        result.firstStart = true;
        db.machNeuBenutzer(table::Etiketten);
        result.seedAdded = db.update(seedPath);
        if (saveStandardLabel)
            saveStandardLabel(db, table::Etiketten);
    }
    if (settings.get(kE, QStringLiteral("Update")) == QLatin1String("TRUE")) {
        result.seedAdded = db.update(seedPath);
        settings.writeFlag(kE, QStringLiteral("Update"), false);
    }
    // Databases written before the log filters had indexes get them here.
    db.ensureIndexes();
    result.labelTable = db.currentLabelTable(settings.get(kE, QStringLiteral("Benutzername")));
    return result;
}

std::optional<QString> switchDatabase(Database& current, const Settings& settings,
                                      const QString& path, const QString& seedPath) {
    if (path.isEmpty())
        return std::nullopt;
    if (path == current.path()) {
        // The first OK after installation stores the default path it shows.
        if (settings.get(kE, QStringLiteral("Mehrbenutzerpfad")) != path)
            settings.write(kE, QStringLiteral("Mehrbenutzerpfad"), path);
        return std::nullopt;
    }
    std::unique_ptr<Database> next;
    try {
        next = Database::open(path);
    } catch (const AppError& e) {
        return e.text();
    }
    // A database that is new at that place gets the tables it needs to be used.
    if (!next->hasTable(table::Etiketten)) {
        next->machNeuBenutzer(table::Etiketten);
        next->update(seedPath);
    }
    settings.write(kE, QStringLiteral("Mehrbenutzerpfad"), path);
    current.swap(*next);
    return std::nullopt;
}

void writeExitState(const Settings& settings, Database* database, const ExitState& state) {
    if (state.left > 0 && state.top > 0) {
        settings.writeNumber(kE, QStringLiteral("Left"), state.left);
        settings.writeNumber(kE, QStringLiteral("Top"), state.top);
    }
    if (settings.flag(kE, QStringLiteral("LetztDatei")))
        settings.write(kE, QStringLiteral("RecentEtik"), state.currentLabelName.trimmed());
    if (database)
        database->dropScratchTable();
}

} // namespace palomex
