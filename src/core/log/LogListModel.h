#pragma once
// The lines of the print log list as a model for a list view: the heading at once,
// the rows read a page at a time as they are scrolled into view, and the row count,
// each query on a connection and a thread of its own, so that a log of millions of
// rows never holds up the window.

#include "log/LogListing.h"
#include "log/LogQuery.h"

#include <QAbstractListModel>
#include <QSqlDatabase>
#include <QStringList>
#include <atomic>
#include <memory>

namespace palomex {

class Database;

class LogListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit LogListModel(const Database& db, QObject* parent = nullptr);
    ~LogListModel() override;
    LogListModel(const LogListModel&) = delete;
    LogListModel& operator=(const LogListModel&) = delete;

    // Starts a display of the rows of query (for a content order its sortedSelection):
    // the listing's heading lines now, the rows and the count when they are read.
    void show(const LogQuery& query, const LogListing& listing);
    // Ends a display still reading (its queries are interrupted) and shows these
    // lines instead; no lines clears the list.
    void showLines(const QStringList& lines);
    // Whether the rows of the display are still being counted.
    bool counting() const { return counting_; }
    // Every line of the display, reading the rows not read yet, or the lines shown.
    QStringList allLines();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The display's rows are counted.
    void counted(qint64 rows);
    // The display's query failed with the engine's text; the list is cleared.
    void failed(const QString& error);

private:
    class Reader;
    struct Display;
    void stop();
    void count(const Display& display);
    void requestPage(int rows);
    void readPage(const QSqlDatabase& connection, Display& display, int rows);
    void fail(int generation, const QString& error);
    void takeWhatWasRead(Reader& reader);

    const Database& db_;
    std::unique_ptr<Reader> pages_; // the display's rows
    std::unique_ptr<Reader> count_; // their number, read alongside
    // Results of an earlier display that arrive late are dropped by this number.
    std::atomic<int> generation_{0};
    std::shared_ptr<Display> display_;
    QStringList lines_;
    bool atEnd_ = true;
    bool reading_ = false; // a page is being read
    bool counting_ = false;
};

} // namespace palomex
