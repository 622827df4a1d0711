#include "admin/Maintenance.h"

#include "admin/AdminStrings.h"
#include "app/AppError.h"
#include "app/Captions.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace palomex {

namespace {

// Checks that a compacted copy is a sound database with the tables of the original.
std::optional<QString> checkCopy(const QString& path, const QStringList& tables) {
    try {
        auto copy = Database::open(path);
        QSqlQuery q(copy->connection());
        if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next() ||
            q.value(0).toString() != QLatin1String("ok"))
            return q.lastError().text().isEmpty() ? q.value(0).toString() : q.lastError().text();
        if (copy->tables() != tables)
            return caption(adminmsg::CopyIncomplete);
    } catch (const AppError& e) {
        return e.text();
    }
    return std::nullopt;
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
        QFile::remove(fresh);
        return r;
    }
    if (auto bad = checkCopy(fresh, tables)) {
        r.error = *bad;
        QFile::remove(fresh);
        return r;
    }
    // The old file is kept as the backup until the new one has taken its place; the
    // replacement itself is one rename, so a process killed at any moment leaves a
    // complete database at the path.
    {
        // The file is replaced while no connection holds it.
        auto closed = Database::open(fresh);
        db.swap(*closed);
    }
    QFile::remove(backup);
    if (!QFile::copy(path, backup) || std::rename(QFile::encodeName(fresh).constData(),
                                                  QFile::encodeName(path).constData()) != 0) {
        r.error = caption(adminmsg::CannotReplace).arg(path);
        QFile::remove(fresh);
    } else {
        r.ok = true;
    }
    QFile::remove(backup);
    auto reopened = Database::open(path);
    db.swap(*reopened);
    r.sizeAfter = QFileInfo(path).size();
    return r;
}

QString compactMessage(const CompactResult& r) {
    return caption(adminmsg::Compacted).arg(r.sizeBefore).arg(r.sizeAfter);
}

} // namespace palomex
