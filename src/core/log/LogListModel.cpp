#include "log/LogListModel.h"

#include "app/AppError.h"
#include "db/Database.h"
#include "db/DropConnection.h"
#include "db/PgClient.h"

#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <functional>
#include <limits>
#include <mutex>
#include <sqlite3.h>

namespace palomex {

namespace {

// Rows of the first page: a screenful and some; later pages as the list is scrolled.
constexpr int kFirstPage = 100;
constexpr int kPage = 500;

sqlite3* sqliteHandle(const QSqlDatabase& c) {
    const QVariant handle = c.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

// One thread with a connection of its own; work posted to it runs there in turn,
// and a statement running there can be interrupted from any thread.
class LogListModel::Reader {
public:
    Reader(const Database& db, QString name) : db_(db), name_(std::move(name)) {
        context_ = new QObject;
        context_->moveToThread(&thread_);
        thread_.start();
    }
    ~Reader() {
        interrupt();
        QThread* owner = QThread::currentThread();
        QMetaObject::invokeMethod(
            context_,
            [this, owner] {
                close();
                context_->moveToThread(owner);
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        delete context_;
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Runs work in the reader's thread on a connection to the database at path. A
    // server connection is kept for the next work while the path stays (opened again
    // when the server ended it); an embedded file is let go after each work, so that
    // a compaction or another database path never finds it held. cannotOpen gets the
    // engine's text when no connection can be opened.
    void post(const QString& path, std::function<void(const QSqlDatabase&)> work,
              std::function<void(const QString&)> cannotOpen) {
        QMetaObject::invokeMethod(
            context_,
            [this, path, work = std::move(work), cannotOpen = std::move(cannotOpen)] {
                try {
                    work(connection(path));
                } catch (const AppError& e) {
                    cannotOpen(e.text());
                }
                if (!Database::isServerUri(path))
                    close();
            },
            Qt::QueuedConnection);
    }
    // Returns when the work posted so far is done.
    void wait() {
        QMetaObject::invokeMethod(
            context_, [] {}, Qt::BlockingQueuedConnection);
    }
    // Stops the statement running on the connection, if any.
    void interrupt() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (sqlite_)
            sqlite3_interrupt(sqlite_);
        if (cancel_) {
            pgclient::cancel(cancel_);
        }
    }

private:
    QSqlDatabase connection(const QString& path) {
        QSqlDatabase c = QSqlDatabase::database(name_, false);
        if (c.isOpen() && path == path_ && !db_.connectionLost(c))
            return c;
        close();
        c = db_.openSeparateConnection(name_);
        path_ = path;
        const std::lock_guard<std::mutex> lock(mutex_);
        sqlite_ = sqliteHandle(c);
        if (PGconn* pg = pgclient::connectionOf(c))
            cancel_ = pgclient::cancelHandle(pg);
        return c;
    }
    void close() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            sqlite_ = nullptr;
            if (cancel_)
                pgclient::freeCancelHandle(cancel_);
            cancel_ = nullptr;
        }
        dropConnection(name_);
    }

    const Database& db_;
    const QString name_;
    QString path_; // of the open connection
    QThread thread_;
    QObject* context_;
    std::mutex mutex_;
    sqlite3* sqlite_ = nullptr;
    PGcancel* cancel_ = nullptr;
};

namespace {

QString readerName(const char* what) {
    static std::atomic<int> counter{0};
    return QStringLiteral("palomex-log-%1-%2").arg(QLatin1String(what)).arg(++counter);
}

} // namespace

// What the page reader keeps of a display between its pages; only its thread
// touches it once the display has started.
struct LogListModel::Display {
    int generation;
    QString path; // of the database when the display started
    LogQuery query;
    LogListing listing;
    qint64 offset = 0;
};

LogListModel::LogListModel(const Database& db, QObject* parent)
    : QAbstractListModel(parent), db_(db),
      pages_(std::make_unique<Reader>(db, readerName("pages"))),
      count_(std::make_unique<Reader>(db, readerName("count"))) {}

LogListModel::~LogListModel() = default;

int LogListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LogListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= lines_.size())
        return {};
    return lines_.at(index.row());
}

bool LogListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_ && !reading_;
}

void LogListModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent))
        requestPage(kPage);
}

void LogListModel::stop() {
    ++generation_;
    pages_->interrupt();
    count_->interrupt();
    reading_ = false;
    counting_ = false;
    atEnd_ = true;
    display_.reset();
}

void LogListModel::showLines(const QStringList& lines) {
    stop();
    beginResetModel();
    lines_ = lines;
    endResetModel();
}

void LogListModel::show(const LogQuery& query, const LogListing& listing) {
    showLines(listing.lines());
    display_ = std::make_shared<Display>(Display{generation_, db_.path(), query, listing});
    atEnd_ = false;
    counting_ = true;
    count(*display_);
    requestPage(kFirstPage);
}

void LogListModel::count(const Display& d) {
    const int generation = d.generation;
    const LogQuery query = d.query;
    count_->post(
        d.path,
        [this, generation, query](const QSqlDatabase& c) {
            if (generation != generation_)
                return;
            QSqlQuery q(c);
            q.setForwardOnly(true);
            q.prepare(query.countSql);
            bindValues(q, query.params);
            if (!q.exec() || !q.next())
                return fail(generation, q.lastError().text());
            const qint64 rows = q.value(0).toLongLong();
            QMetaObject::invokeMethod(
                this,
                [this, generation, rows] {
                    if (generation != generation_)
                        return;
                    counting_ = false;
                    emit counted(rows);
                },
                Qt::QueuedConnection);
        },
        [this, generation](const QString& error) { fail(generation, error); });
}

void LogListModel::requestPage(int rows) {
    if (atEnd_ || reading_ || !display_)
        return;
    reading_ = true;
    const std::shared_ptr<Display> d = display_;
    pages_->post(
        d->path,
        [this, d, rows](const QSqlDatabase& c) {
            if (d->generation == generation_)
                readPage(c, *d, rows);
        },
        [this, d](const QString& error) { fail(d->generation, error); });
}

// In the page reader's thread. Each page is a query of its own, so no statement stays
// open on the log while the list is looked at: it would keep a print run from
// writing its log row.
void LogListModel::readPage(const QSqlDatabase& c, Display& d, int rows) {
    QSqlQuery q(c);
    q.setForwardOnly(true);
    q.prepare(d.query.sql + QStringLiteral(" LIMIT %1 OFFSET %2").arg(rows).arg(d.offset));
    bindValues(q, d.query.params);
    if (!q.exec())
        return fail(d.generation, q.lastError().text());
    QStringList lines;
    int read = 0;
    while (q.next()) {
        lines << d.listing.rowLines(q.record());
        ++read;
    }
    d.offset += read;
    const bool atEnd = read < rows;
    QMetaObject::invokeMethod(
        this,
        [this, generation = d.generation, lines = std::move(lines), atEnd] {
            if (generation != generation_)
                return;
            if (!lines.isEmpty()) {
                beginInsertRows({}, static_cast<int>(lines_.size()),
                                static_cast<int>(lines_.size() + lines.size()) - 1);
                lines_ += lines;
                endInsertRows();
            }
            atEnd_ = atEnd;
            reading_ = false;
        },
        Qt::QueuedConnection);
}

void LogListModel::fail(int generation, const QString& error) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, error] {
            if (generation != generation_)
                return;
            showLines({});
            emit failed(error);
        },
        Qt::QueuedConnection);
}

// What the readers have handed over so far is taken in here, and nothing else: no
// input reaches the windows while the rest is read.
void LogListModel::takeWhatWasRead(Reader& reader) {
    reader.wait();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

QStringList LogListModel::allLines() {
    takeWhatWasRead(*pages_);
    if (!atEnd_ && display_) {
        requestPage(std::numeric_limits<int>::max());
        takeWhatWasRead(*pages_);
    }
    takeWhatWasRead(*count_);
    return lines_;
}

} // namespace palomex
