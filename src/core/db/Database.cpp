#include "db/Database.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "db/DatabaseStrings.h"
#include "db/DropConnection.h"
#include "db/EmbeddedNveLock.h"
#include "db/PgClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

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
    // An empty file is no database either: one is created only where no file is.
    const QByteArray head = file.read(32);
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        refuse(err::FileNotOurs, msg::DbIsAccess, path);
    if (!head.startsWith(QByteArray("SQLite format 3\0", 16)))
        refuse(err::FileNotOurs, msg::DbNotOurs, path);
    // The engine writes a journal beside the file, so the folder must be writable too.
    if (!info.isWritable() || !folder.isWritable())
        refuse(err::PermissionDenied, msg::DbReadOnly, path);
}

// An empty database, or one that holds a table of ours.
bool holdsOurTables(const Database& db, const QStringList& tables) {
    if (tables.isEmpty())
        return true;
    for (const QString& t : tables) {
        if (t == table::HoechstNVE || t == table::Protokoll ||
            db.columnNames(t).value(0) == QLatin1String("EtikName"))
            return true;
    }
    return false;
}

// A copy cut short or overwritten: its header promises more pages than the file
// has, or the first page of a table cannot be read. A check of every page would
// read the whole file at each start, which a large log makes slow.
bool damaged(const QSqlDatabase& db, const QString& path) {
    const auto number = [&db](const QString& sql) -> std::optional<qint64> {
        QSqlQuery q(db);
        if (!q.exec(sql) || !q.next())
            return std::nullopt;
        return q.value(0).toLongLong();
    };
    const auto pages = number(QStringLiteral("PRAGMA page_count"));
    const auto pageSize = number(QStringLiteral("PRAGMA page_size"));
    if (!pages || !pageSize || *pages * *pageSize > QFileInfo(path).size())
        return true;
    QStringList tables;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return true;
    while (q.next())
        tables << q.value(0).toString();
    return std::any_of(tables.cbegin(), tables.cend(), [&db](const QString& t) {
        QSqlQuery first(db);
        return !first.exec(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(SqlDialect::quote(t)));
    });
}

int applicationId(const QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA application_id")) && q.next() ? q.value(0).toInt() : -1;
}

bool isOurs(const Database& db, const QStringList& tables) {
    const int id = applicationId(db.connection());
    if (id == kApplicationId)
        return true;
    return id == 0 && holdsOurTables(db, tables);
}

// Marks the database at path in use for as long as the returned descriptor is open:
// a shared lock on the first byte of the file that holds its NVE reservations (the
// bases lock the bytes after it). Waits a little while another workstation compacts.
int markInUse(const QString& path) {
    const int fd = EmbeddedNveLock::openLockFile(path);
    constexpr int kTries = 200; // 50 ms apart
    int error = 0;
    for (int i = 0; i < kTries; ++i) {
        if (EmbeddedNveLock::lockBytes(fd, F_RDLCK, 0, 1))
            return fd;
        error = errno;
        if (error != EAGAIN && error != EACCES)
            break;
        QThread::msleep(50);
    }
    ::close(fd);
    if (error == EAGAIN || error == EACCES)
        throw AppError(err::RecordLocked, QStringLiteral("Datenbank"),
                       caption(dbmsg::InExclusiveUse).arg(QDir::toNativeSeparators(path)));
    throw EmbeddedNveLock::lockFileUnusable(path, error);
}

[[noreturn]] void unreachable(const QString& serverText) {
    throw AppError(err::DatabaseFailure, QStringLiteral("Datenbank"),
                   caption(dbmsg::Unreachable).arg(serverText.trimmed()));
}

} // namespace

Database::Database(QString path, std::unique_ptr<SqlDialect> dialect, QString connectionName)
    : path_(std::move(path)), dialect_(std::move(dialect)),
      connectionName_(std::move(connectionName)) {}

Database::~Database() {
    closeConnection();
    if (useLock_ >= 0)
        ::close(useLock_);
}

void Database::closeConnection() {
    if (auto kept = std::exchange(idleReservationConnection_, std::nullopt))
        giveBackReservationConnection(std::move(*kept), false);
    if (connectionName_.isEmpty())
        return;
    dropConnection(connectionName_);
    connectionName_.clear();
}

void Database::swap(Database& other) noexcept {
    std::swap(path_, other.path_);
    std::swap(dialect_, other.dialect_);
    std::swap(connectionName_, other.connectionName_);
    std::swap(lastConnectError_, other.lastConnectError_);
    std::swap(idleReservationConnection_, other.idleReservationConnection_);
    std::swap(useLock_, other.useLock_);
}

std::optional<QString> Database::takeExclusiveUse() {
    if (useLock_ < 0 || EmbeddedNveLock::lockBytes(useLock_, F_WRLCK, 0, 0))
        return std::nullopt;
    return caption(dbmsg::StillInUse);
}

void Database::endExclusiveUse() {
    if (useLock_ >= 0) {
        EmbeddedNveLock::lockBytes(useLock_, F_RDLCK, 0, 1);
        EmbeddedNveLock::lockBytes(useLock_, F_UNLCK, 1, 0);
    }
}

std::optional<QString> Database::reopenAfter(const std::function<void()>& whileClosed) {
    QSqlDatabase::database(connectionName_, false).close();
    whileClosed();
    QSqlDatabase c = QSqlDatabase::database(connectionName_, false);
    if (!c.open())
        return c.lastError().text();
    return std::nullopt;
}

bool Database::isServerUri(const QString& path) {
    return path.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           path.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::unique_ptr<Database> Database::openServer(const QString& uri) {
    const QUrl url(uri, QUrl::StrictMode);
    const QString dbname = url.path(QUrl::FullyDecoded).mid(1);
    if (!url.isValid() || url.host().isEmpty() || dbname.isEmpty() || dbname.contains(u'/'))
        throw AppError(err::DatabaseFailure, QStringLiteral("Datenbank"),
                       caption(dbmsg::BadUri).arg(uri));
    auto dialect = std::make_unique<PostgresDialect>();
    const QString name = nextConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driver(), name);
        db.setHostName(url.host(QUrl::FullyDecoded));
        db.setPort(url.port(5432));
        db.setUserName(url.userName(QUrl::FullyDecoded));
        db.setPassword(url.password(QUrl::FullyDecoded));
        db.setDatabaseName(dbname);
        // A server that does not answer is reported after a few seconds, not never.
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        if (!db.open()) {
            const QString why = db.lastError().databaseText();
            dropConnection(db);
            unreachable(why);
        }
    }
    std::unique_ptr<Database> result(new Database(uri, std::move(dialect), name));
    const QStringList existing = result->tables();
    if (!holdsOurTables(*result, existing)) {
        result.reset();
        throw AppError(err::FileNotOurs, QStringLiteral("Datenbank"),
                       caption(dbmsg::ServerNotOurs).arg(QUrl(uri).toString(QUrl::RemovePassword)));
    }
    for (const QString& statement : result->dialect().schemaPrerequisites()) {
        QSqlQuery q(result->connection());
        if (!q.exec(statement))
            throw result->failure(q.lastError());
    }
    return result;
}

std::unique_ptr<Database> Database::open(const QString& path) {
    if (isServerUri(path))
        return openServer(path);
    checkFileBeforeOpening(path);
    // In use before the engine opens the file, so a compaction elsewhere is over
    // before, and not while, this connection reaches the file.
    const QString lockPath = EmbeddedNveLock::lockFilePath(path);
    const bool lockFileExisted = QFileInfo::exists(lockPath);
    const int inUse = markInUse(path);
    const auto giveUp = [&] {
        ::close(inUse);
        // Nothing of ours stays beside a file that is not ours.
        if (!lockFileExisted)
            QFile::remove(lockPath);
    };
    auto dialect = std::make_unique<SqliteDialect>();
    const QString name = nextConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driver(), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_ENABLE_REGEXP"));
        if (!db.open()) {
            const QString why = db.lastError().text();
            dropConnection(db);
            giveUp();
            refuse(err::DatabaseFailure, msg::DbCannotOpen, path, why);
        }
    }
    std::unique_ptr<Database> result(new Database(path, std::move(dialect), name));
    if (damaged(result->connection(), path)) {
        result.reset();
        giveUp();
        refuse(err::DatabaseFailure, msg::DbDamaged, path);
    }
    const QStringList existing = result->tables();
    if (!isOurs(*result, existing)) {
        result.reset();
        giveUp();
        refuse(err::FileNotOurs, msg::DbNotOurs, path);
    }
    result->useLock_ = inUse;
    // Marked once; a database that is already marked is not written on opening.
    if (applicationId(result->connection()) != kApplicationId)
        QSqlQuery(result->connection())
            .exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
    return result;
}

// The driver keeps a lost server connection marked open; the client library's own
// state tells whether the last exchange found the server gone.
bool Database::connectionLost(const QSqlDatabase& db) const {
    if (!dialect_->isServer())
        return false;
    if (!db.isOpen())
        return true;
    const PGconn* conn = pgclient::connectionOf(db);
    return conn == nullptr || !pgclient::connectionOk(conn);
}

QSqlDatabase Database::connection() const {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (connectionLost(db)) {
        db.close();
        if (db.open())
            lastConnectError_.clear();
        else
            lastConnectError_ = db.lastError().databaseText();
    }
    return db;
}

bool Database::reachable() const {
    return !connectionLost(connection());
}

AppError Database::failure(const QSqlError& error) const {
    return failure(error, QSqlDatabase::database(connectionName_, false));
}

// Decided on the connection as it was when the statement failed: a connection the
// server ended is reported as such even when the next use will reconnect.
AppError Database::failure(const QSqlError& error, const QSqlDatabase& on) const {
    const QString engineText =
        (error.databaseText().isEmpty() ? error.text() : error.databaseText()).trimmed();
    if (connectionLost(on)) {
        const QString text =
            !on.isOpen() && !lastConnectError_.isEmpty() ? lastConnectError_ : engineText;
        return AppError(err::DatabaseFailure, QStringLiteral("Datenbank"),
                        caption(dbmsg::Unreachable).arg(text.trimmed()));
    }
    return AppError(error.nativeErrorCode().toInt(), QStringLiteral("Datenbank"), engineText);
}

QSqlDatabase Database::openSeparateConnection(const QString& name) const {
    QSqlDatabase db = QSqlDatabase::cloneDatabase(connectionName_, name);
    if (!db.open()) {
        const QSqlError why = db.lastError();
        dropConnection(db);
        if (dialect_->isServer())
            unreachable(why.databaseText());
        throw AppError(err::DatabaseFailure, QStringLiteral("Datenbank"),
                       caption(msg::DbCannotOpen).arg(path_, why.text()));
    }
    return db;
}

Database::ReservationConnection Database::takeReservationConnection() const {
    if (auto kept = std::exchange(idleReservationConnection_, std::nullopt))
        return std::move(*kept);
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("palomex-nve-lock-%1").arg(++counter);
    openSeparateConnection(name);
    return {name, {}};
}

void Database::giveBackReservationConnection(ReservationConnection connection,
                                             bool reusable) const {
    if (reusable && !idleReservationConnection_) {
        idleReservationConnection_ = std::move(connection);
        return;
    }
    connection.prepared.reset();
    dropConnection(connection.name);
}

QStringList Database::columnNames(const QString& table) const {
    return dialect_->columnNames(connection(), table);
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
    for (const QString& t : tables()) {
        if (columnNames(t).value(0) == QLatin1String("EtikName"))
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

bool Database::createTable(const TableSchema& schema) {
    QSqlQuery q(connection());
    if (!q.exec(dialect_->createTable(schema)))
        return false;
    for (const QString& statement : dialect_->createIndexes(schema))
        q.exec(statement);
    return true;
}

void Database::ensureIndexes() {
    QSqlQuery q(connection());
    for (const TableSchema& schema : sharedTableSchemas()) {
        if (!hasTable(schema.name))
            continue;
        for (const QString& statement : dialect_->createIndexes(schema))
            q.exec(statement);
    }
}

int Database::update(const QString& seedPath) {
    for (const TableSchema& schema : sharedTableSchemas()) {
        if (!hasTable(schema.name))
            createTable(schema);
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
        // The seed is always an embedded file, whatever engine the database runs on.
        QSqlDatabase seed = QSqlDatabase::addDatabase(SqliteDialect().driver(), seedName);
        seed.setDatabaseName(seedPath);
        seed.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (seed.open()) {
            QSqlDatabase db = connection();
            const QStringList source = SqliteDialect().columnNames(seed, table::Etiketten);
            QStringList shared;
            for (const QString& column : columnNames(table::Etiketten)) {
                if (source.contains(column))
                    shared << column;
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
                // A refused row must not take the rest of the transaction with it,
                // as a failed statement does on the server.
                QSqlQuery mark(db);
                mark.exec(QStringLiteral("SAVEPOINT seed_row"));
                if (insert.exec()) {
                    ++added;
                    mark.exec(QStringLiteral("RELEASE SAVEPOINT seed_row"));
                } else {
                    mark.exec(QStringLiteral("ROLLBACK TO SAVEPOINT seed_row"));
                }
            }
            db.commit();
        }
    }
    dropConnection(seedName);
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
