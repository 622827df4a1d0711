#include "db/EmbeddedNveLock.h"

#include "app/Captions.h"
#include "db/DropConnection.h"
#include "entry/NveStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace palomex {

namespace {

QString nextName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("palomex-nve-file-lock-%1").arg(++counter);
}

// The byte of a base: its digits behind a leading 1, so that "0123" and "123" get
// bytes of their own. Up to 18 digits fit; bases have at most 10.
std::optional<off_t> byteOf(const QString& base) {
    constexpr int kMaxDigits = 18;
    if (base.size() > kMaxDigits)
        return std::nullopt;
    off_t offset = 1;
    for (const QChar c : base) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        offset = offset * 10 + (c.unicode() - u'0');
    }
    return offset;
}

} // namespace

QString EmbeddedNveLock::lockFilePath(const QString& databasePath) {
    const QFileInfo file(databasePath);
    QString real = file.canonicalFilePath();
    if (real.isEmpty()) { // a database about to be created
        const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
        real =
            (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
    }
    return real + QStringLiteral(".nve-lock");
}

EmbeddedNveLock::EmbeddedNveLock(const Database& db, const QString& base, qint64 startNumber)
    : db_(db), base_(base), connectionName_(nextName()) {
    lockBase();
    try {
        db_.openSeparateConnection(connectionName_);
        // Durable at the end of every statement even where the engine's default
        // would trade that for speed.
        run(QStringLiteral("PRAGMA synchronous = FULL"), {});
        // Created under the base's lock, so two runs never add two rows for one base.
        const bool create = readRow() == 0;
        if (create) {
            run(insertMissingBaseSql(), {base_, storedRunningNumber(startNumber), base_});
            readRow();
        }
        held(highest_, create);
    } catch (...) {
        abandon();
        throw;
    }
}

EmbeddedNveLock::~EmbeddedNveLock() {
    abandon();
}

int EmbeddedNveLock::openLockFile(const QString& databasePath) {
    const int fd = ::open(QFile::encodeName(lockFilePath(databasePath)).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw lockFileUnusable(databasePath, errno);
    return fd;
}

bool EmbeddedNveLock::lockBytes(int fd, short type, off_t from, off_t len) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = from;
    range.l_len = len;
    return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
}

AppError EmbeddedNveLock::lockFileUnusable(const QString& databasePath, int error) {
    return AppError(err::DatabaseFailure, QStringLiteral("HöchstNVE"),
                    caption(nvemsg::LockFileUnusable)
                        .arg(QDir::toNativeSeparators(lockFilePath(databasePath)),
                             QString::fromLocal8Bit(std::strerror(error))));
}

void EmbeddedNveLock::lockBase() {
    const std::optional<off_t> byte = byteOf(base_);
    if (!byte)
        throw AppError(err::DatabaseFailure, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::BaseNotDigits).arg(base_));
    lockFile_ = openLockFile(db_.path());
    if (lockBytes(lockFile_, F_WRLCK, *byte, 1))
        return;
    const int error = errno;
    ::close(lockFile_);
    lockFile_ = -1;
    if (error == EAGAIN || error == EACCES)
        throw AppError(err::RecordLocked, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::BaseLocked).arg(base_));
    // A folder without working locks is refused: printing unlocked could repeat NVEs.
    throw lockFileUnusable(db_.path(), error);
}

void EmbeddedNveLock::abandon() {
    dropConnection(connectionName_);
    if (lockFile_ >= 0) {
        ::close(lockFile_);
        lockFile_ = -1;
    }
}

QSqlQuery EmbeddedNveLock::run(const QString& sql, const QVariantList& values) {
    const QSqlDatabase c = QSqlDatabase::database(connectionName_, false);
    QSqlQuery q(c);
    if (!q.prepare(sql))
        throw db_.failure(q.lastError(), c);
    bindValues(q, values);
    if (!q.exec())
        throw db_.failure(q.lastError(), c);
    return q;
}

int EmbeddedNveLock::readRow() {
    QSqlQuery q = run(selectBaseSql(), {base_});
    const BaseRows rows = readBaseRows(q);
    highest_ = rows.highest;
    return rows.count;
}

std::optional<qint64> EmbeddedNveLock::beginWrite() {
    // Takes the database's write lock before reading, so that no writer outside the
    // program can change the row between the read and the write.
    run(QStringLiteral("BEGIN IMMEDIATE"));
    readRow();
    return highest_;
}

void EmbeddedNveLock::writeRow(const QString& stored) {
    run(updateBaseSql(), {stored, base_});
}

void EmbeddedNveLock::endWrite() {
    run(QStringLiteral("COMMIT"));
}

} // namespace palomex
