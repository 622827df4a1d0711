#pragma once
// Fresh, empty databases on each engine for the database tests: an embedded file
// always, and a database of its own on the server named by PALOMEX_TEST_PG.

#include "app/AppError.h"
#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace palomex::test {

// Tests are listed for each engine whether or not its server is there.
enum class Engine { Sqlite, Postgres };

// SQLite always, PostgreSQL when PALOMEX_TEST_PG is set.
bool engineAvailable(Engine engine);
std::string engineName(Engine engine);
inline void PrintTo(Engine engine, std::ostream* os) {
    *os << engineName(engine);
}

// The server URI from PALOMEX_TEST_PG, or empty.
QString testServerUri();
// Runs one statement on the server past the program's own code, on its maintenance
// database or the one named, and gives the first row the statement returns.
QVariantList onServer(const QString& sql, const QString& dbname = QStringLiteral("postgres"));

// Runs one statement; with values it is prepared (the server prepares no table definitions).
bool exec(const Database& db, const QString& sql, const QVariantList& values = {});
// The first value the query gives, or "<none>".
QString firstValue(const Database& db, const QString& sql, const QVariantList& values = {});

// What f throws as AppError; number 0 and no text when it throws nothing.
template <typename F> AppError thrownBy(F&& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e;
    }
    return AppError(0, {}, {});
}

// One empty database; a server database is dropped again on destruction.
class ScratchDatabase {
public:
    // owner: the server account that owns the new database (default: the URI's).
    explicit ScratchDatabase(Engine engine, const QString& owner = {});
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const QString& path() const { return path_; }
    std::unique_ptr<Database> open() const { return Database::open(path_); }

private:
    Engine engine_;
    QTemporaryDir dir_;
    QString path_;
    QString serverName_;
};

} // namespace palomex::test
