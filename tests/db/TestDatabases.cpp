#include "TestDatabases.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <stdexcept>

namespace palomex::test {

QString testServerUri() {
    return qEnvironmentVariable("PALOMEX_TEST_PG");
}

bool engineAvailable(Engine engine) {
    return engine == Engine::Sqlite || !testServerUri().isEmpty();
}

std::string engineName(Engine engine) {
    return engine == Engine::Sqlite ? "SQLite" : "PostgreSQL";
}

QVariantList onServer(const QString& sql, const QString& dbname) {
    const QUrl url(testServerUri());
    const QString name = QStringLiteral("palomex-test-admin-") + dbname;
    QVariantList row;
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase("QPSQL", name);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(dbname);
        if (!db.isOpen() && !db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw std::runtime_error(q.lastError().text().toStdString());
        for (int i = 0; q.first() && i < q.record().count(); ++i)
            row << q.value(i);
    }
    // Only the maintenance connection is kept; a scratch database is dropped later.
    if (dbname != QLatin1String("postgres"))
        QSqlDatabase::removeDatabase(name);
    return row;
}

namespace {

bool run(QSqlQuery& q, const QString& sql, const QVariantList& values) {
    if (values.isEmpty())
        return q.exec(sql);
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    return q.exec();
}

} // namespace

bool exec(const Database& db, const QString& sql, const QVariantList& values) {
    QSqlQuery q(db.connection());
    return run(q, sql, values);
}

QString firstValue(const Database& db, const QString& sql, const QVariantList& values) {
    QSqlQuery q(db.connection());
    return run(q, sql, values) && q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

ScratchDatabase::ScratchDatabase(Engine engine, const QString& owner) : engine_(engine) {
    if (engine == Engine::Sqlite) {
        path_ = dir_.filePath(QStringLiteral("Palomex.mdb"));
        return;
    }
    static std::atomic<int> counter{0};
    serverName_ =
        QStringLiteral("palomex_t_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    onServer(QStringLiteral("CREATE DATABASE %1%2")
                 .arg(serverName_, owner.isEmpty() ? QString() : " OWNER " + owner));
    QUrl url(testServerUri());
    url.setPath(QLatin1Char('/') + serverName_);
    path_ = url.toString();
}

ScratchDatabase::~ScratchDatabase() {
    if (engine_ == Engine::Postgres) {
        try {
            onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(serverName_));
        } catch (const std::exception&) {
            // A database left behind dies with the throw-away server.
        }
    }
}

} // namespace palomex::test
