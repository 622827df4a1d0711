#include "db/Database.h"

#include "app/AppError.h"
#include "app/Captions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <atomic>

namespace palomex {

namespace {

// Marks a SQLite file as ours ("PLMX"), so a foreign SQLite database is recognised.
constexpr int kApplicationId = 0x504C4D58;

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("palomex-db-%1").arg(++counter);
}

[[noreturn]] void refuse(int number, int message, const QString& path, const QString& detail = {}) {
    throw AppError(number, QStringLiteral("Datenbank"),
                   detail.isEmpty() ? caption(message).arg(QDir::toNativeSeparators(path))
                                    : caption(message).arg(QDir::toNativeSeparators(path), detail));
}

// Checks the file before the engine sees it, so that nothing of ours is ever
// written into a file we do not own, and the reason is named.
void checkFileBeforeOpening(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        refuse(err::PathNotFound, msg::DbPathIsFolder, path);
    const QFileInfo folder(info.absolutePath());
    if (!info.exists()) {
        if (!folder.isDir())
            refuse(err::PathNotFound, msg::DbFolderMissing, path);
        if (!folder.isWritable())
            refuse(err::PermissionDenied, msg::DbNotCreatable, path);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(err::PermissionDenied, msg::DbCannotOpen, path, file.errorString());
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return; // an empty file is an empty database to the engine
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        refuse(err::FileNotOurs, msg::DbIsAccess, path);
    if (!head.startsWith(QByteArray("SQLite format 3\0", 16)))
        refuse(err::FileNotOurs, msg::DbNotOurs, path);
    // The engine writes a journal beside the file, so the folder must be writable too.
    if (!info.isWritable() || !folder.isWritable())
        refuse(err::PermissionDenied, msg::DbReadOnly, path);
}

int applicationId(QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA application_id")) && q.next() ? q.value(0).toInt() : -1;
}

bool isOurs(QSqlDatabase& db, const QStringList& tables) {
    const int id = applicationId(db);
    if (id == kApplicationId)
        return true;
    if (id != 0)
        return false;
    // Unmarked: an empty database, or one whose tables are ours.
    if (tables.isEmpty())
        return true;
    for (const QString& t : tables) {
        if (db.record(t).fieldName(0) == QLatin1String("EtikName") || t == table::HoechstNVE ||
            t == table::Protokoll)
            return true;
    }
    return false;
}

} // namespace

Database::Database(QString path, std::unique_ptr<SqlDialect> dialect, QString connectionName)
    : path_(std::move(path)), dialect_(std::move(dialect)),
      connectionName_(std::move(connectionName)) {}

Database::~Database() {
    closeConnection();
}

void Database::closeConnection() {
    if (connectionName_.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    connectionName_.clear();
}

void Database::swap(Database& other) noexcept {
    std::swap(path_, other.path_);
    std::swap(dialect_, other.dialect_);
    std::swap(connectionName_, other.connectionName_);
}

std::unique_ptr<Database> Database::open(const QString& path) {
    checkFileBeforeOpening(path);
    auto dialect = std::make_unique<SqliteDialect>();
    const QString name = nextConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driver(), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_ENABLE_REGEXP"));
        if (!db.open()) {
            const QString why = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            refuse(err::DatabaseFailure, msg::DbCannotOpen, path, why);
        }
    }
    std::unique_ptr<Database> result(new Database(path, std::move(dialect), name));
    QSqlDatabase db = result->connection();
    const QStringList existing = result->tables();
    if (!isOurs(db, existing)) {
        result.reset();
        refuse(err::FileNotOurs, msg::DbNotOurs, path);
    }
    // Marked once; a database that is already marked is not written on opening.
    if (applicationId(db) != kApplicationId)
        QSqlQuery(db).exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
    return result;
}

QStringList Database::tables() const {
    QStringList names;
    QSqlQuery q(connection());
    if (q.exec(dialect_->listTablesQuery())) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}

QStringList Database::labelTables() const {
    QStringList names;
    QSqlDatabase db = connection();
    for (const QString& t : tables()) {
        if (db.record(t).fieldName(0) == QLatin1String("EtikName"))
            names << t;
    }
    return names;
}

bool Database::hasTable(const QString& name) const {
    return tables().contains(name, Qt::CaseInsensitive);
}

QString Database::currentLabelTable(const QString& benutzername) const {
    const QString wanted = benutzername.trimmed().isEmpty() ? table::Etiketten : benutzername;
    const QStringList labels = labelTables();
    for (const QString& t : labels) {
        if (t.compare(wanted, Qt::CaseInsensitive) == 0)
            return t;
    }
    return labels.value(0);
}

bool Database::createTable(const TableSpec& spec) {
    QSqlQuery q(connection());
    if (!q.exec(dialect_->createTable(spec)))
        return false;
    for (const QString& statement : dialect_->createIndexes(spec))
        q.exec(statement);
    return true;
}

void Database::ensureIndexes() {
    QSqlQuery q(connection());
    for (const TableSpec& spec : sharedTableSpecs()) {
        if (!hasTable(spec.name))
            continue;
        for (const QString& statement : dialect_->createIndexes(spec))
            q.exec(statement);
    }
}

int Database::update(const QString& seedPath) {
    for (const TableSpec& spec : sharedTableSpecs()) {
        if (!hasTable(spec.name))
            createTable(spec);
    }
    ensureIndexes();
    return importSeedLabels(seedPath);
}

int Database::importSeedLabels(const QString& seedPath) {
    if (!QFileInfo(seedPath).isFile() || !hasTable(table::Etiketten))
        return 0;
    const QString seedName = nextConnectionName();
    int added = 0;
    {
        QSqlDatabase seed = QSqlDatabase::addDatabase(dialect_->driver(), seedName);
        seed.setDatabaseName(seedPath);
        seed.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (seed.open()) {
            QSqlDatabase db = connection();
            const QSqlRecord target = db.record(table::Etiketten);
            const QSqlRecord source = seed.record(table::Etiketten);
            QStringList shared;
            for (int i = 0; i < target.count(); ++i) {
                if (source.indexOf(target.fieldName(i)) >= 0)
                    shared << target.fieldName(i);
            }
            const QString table = SqlDialect::quote(table::Etiketten);
            QSqlQuery rows(seed);
            rows.setForwardOnly(true);
            if (!shared.contains(QLatin1String("EtikName")) ||
                !rows.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                               .arg(SqlDialect::quotedList(shared), table))) {
                shared.clear();
            }
            db.transaction();
            const int nameColumn = static_cast<int>(shared.indexOf(QLatin1String("EtikName")));
            while (!shared.isEmpty() && rows.next()) {
                QSqlQuery exists(db);
                exists.prepare(
                    QStringLiteral("SELECT 1 FROM %1 WHERE \"EtikName\" = ?").arg(table));
                exists.addBindValue(rows.value(nameColumn));
                if (!exists.exec() || exists.next())
                    continue;
                QSqlQuery insert(db);
                insert.prepare(SqlDialect::insertInto(table::Etiketten, shared));
                for (int i = 0; i < shared.size(); ++i)
                    insert.addBindValue(rows.value(i));
                if (insert.exec())
                    ++added;
            }
            db.commit();
        }
    }
    QSqlDatabase::removeDatabase(seedName);
    return added;
}

QString Database::scratchTableName() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("~TmpTabelle") : host + QLatin1Char('~');
}

void Database::dropScratchTable() {
    QSqlQuery q(connection());
    q.exec(QStringLiteral("DROP TABLE %1").arg(SqlDialect::quote(scratchTableName())));
}

} // namespace palomex
