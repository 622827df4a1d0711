#include "admin/Maintenance.h"

#include "admin/AdminStrings.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "db/DropConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <cstdio>

namespace palomex {

namespace {

// Checks that a compacted copy is a sound database with the tables of the original,
// on a connection of its own that leaves nothing behind.
std::optional<QString> checkCopy(const QString& path, const QStringList& tables) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("palomex-compacted-%1").arg(++counter);
    std::optional<QString> problem;
    {
        QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        copy.setDatabaseName(path);
        QSqlQuery q(copy);
        if (!copy.open()) {
            problem = copy.lastError().text();
        } else if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next() ||
                   q.value(0).toString() != QLatin1String("ok")) {
            problem = q.lastError().text().isEmpty() ? q.value(0).toString() : q.lastError().text();
        } else {
            QStringList found;
            if (q.exec(SqliteDialect().listTablesQuery())) {
                while (q.next())
                    found << q.value(0).toString();
            }
            if (found != tables)
                problem = caption(adminmsg::CopyIncomplete);
        }
    }
    dropConnection(name);
    return problem;
}

} // namespace

DeleteUser deleteUser(Database& db, const QString& name) {
    if (name.compare(table::Etiketten, Qt::CaseInsensitive) == 0)
        return DeleteUser::Refused;
    if (!db.labelTables().contains(name))
        return DeleteUser::Failed;
    QSqlQuery q(db.connection());
    return q.exec(QStringLiteral("DROP TABLE %1").arg(SqlDialect::quote(name)))
               ? DeleteUser::Dropped
               : DeleteUser::Failed;
}

CompactResult compactDatabase(Database& db, const QString& seedPath) {
    CompactResult r;
    const QString path = db.path();
    r.sizeBefore = QFileInfo(path).size();
    // No other connection may have the file open while it is replaced: a print run
    // elsewhere would go on writing into the old file and lose its numbers and log.
    if (auto busy = db.takeExclusiveUse()) {
        r.error = *busy;
        return r;
    }
    r.seedAdded = db.update(seedPath);
    for (const QString& t : db.tables()) {
        if (t.startsWith(QLatin1Char('~'))) {
            QSqlQuery(db.connection())
                .exec(QStringLiteral("DROP TABLE %1").arg(SqlDialect::quote(t)));
        }
    }
    const QStringList tables = db.tables();
    const QString fresh = path + QStringLiteral(".compact");
    const QString backup = path.left(path.size() - 3) + QStringLiteral("$$$");
    QFile::remove(fresh);
    QSqlQuery vacuum(db.connection());
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(fresh);
    if (!vacuum.exec()) {
        r.error = vacuum.lastError().text();
    } else if (auto bad = checkCopy(fresh, tables)) {
        r.error = *bad;
    } else {
        vacuum = QSqlQuery();
        // The old file is kept as the backup until the new one has taken its place;
        // the replacement itself is one rename, so a process killed at any moment
        // leaves a complete database at the path.
        const auto reopened = db.reopenAfter([&] {
            QFile::remove(backup);
            if (!QFile::copy(path, backup) || std::rename(QFile::encodeName(fresh).constData(),
                                                          QFile::encodeName(path).constData()) != 0)
                r.error = caption(adminmsg::CannotReplace).arg(path);
            else
                r.ok = true;
            QFile::remove(backup);
        });
        if (reopened)
            r.error = *reopened;
    }
    QFile::remove(fresh);
    db.endExclusiveUse();
    r.sizeAfter = QFileInfo(path).size();
    return r;
}

QString compactMessage(const CompactResult& r) {
    return caption(adminmsg::Compacted).arg(r.sizeBefore).arg(r.sizeAfter);
}

} // namespace palomex
