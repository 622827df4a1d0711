#include "admin/DatabaseImport.h"

#include "admin/AdminStrings.h"
#include "app/Captions.h"
#include "app/Settings.h"
#include "db/Database.h"
#include "db/DropConnection.h"
#include "db/NveLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>

namespace palomex {

namespace {

class SqliteSource final : public TableSource {
public:
    explicit SqliteSource(QString connection) : connection_(std::move(connection)) {}
    ~SqliteSource() override { dropConnection(connection_); }
    QStringList tables() const override {
        QStringList out;
        QSqlQuery q(db());
        if (q.exec(SqliteDialect().listTablesQuery())) {
            while (q.next())
                out << q.value(0).toString();
        }
        return out;
    }
    QStringList columns(const QString& table) const override {
        return SqliteDialect().columnNames(db(), table);
    }
    std::vector<QVariantList> rows(const QString& table) const override {
        std::vector<QVariantList> out;
        QSqlQuery q(db());
        q.setForwardOnly(true);
        if (q.exec(QStringLiteral("SELECT * FROM %1").arg(SqlDialect::quote(table)))) {
            while (q.next()) {
                QVariantList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << q.value(i);
                out.push_back(row);
            }
        }
        return out;
    }

private:
    QSqlDatabase db() const { return QSqlDatabase::database(connection_); }
    QString connection_;
};

struct Copier {
    Database& target;
    const TableSource& source;
    QString error;
    // Per table, why its rows cannot go into the target; empty when they can. The
    // columns of a table's rows are the same for every row, so it is decided once.
    QHash<QString, QString> columnProblem;

    bool exists(const QString& table, const QStringList& keys, const QVariantList& values) {
        QStringList cond;
        for (const QString& k : keys)
            cond << SqlDialect::quote(k) + QStringLiteral(" = ?");
        QSqlQuery q(target.connection());
        q.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2")
                      .arg(SqlDialect::quote(table), cond.join(" AND ")));
        bindValues(q, values);
        return q.exec() && q.next();
    }

    bool insert(const QString& table, const QStringList& columns, const QVariantList& row) {
        // The engine's own text for this is English and speaks of SQL; the user
        // needs to know which column to add or drop.
        auto problem = columnProblem.find(table);
        if (problem == columnProblem.end()) {
            const QStringList present = target.columnNames(table);
            const auto missing =
                std::find_if(columns.begin(), columns.end(), [&](const QString& c) {
                    return !present.contains(c, Qt::CaseInsensitive);
                });
            problem = columnProblem.insert(
                table, missing == columns.end()
                           ? QString()
                           : caption(adminmsg::MissingColumn).arg(*missing, table));
        }
        if (!problem->isEmpty()) {
            error = *problem;
            return false;
        }
        QSqlQuery q(target.connection());
        q.prepare(SqlDialect::insertInto(table, columns));
        bindValues(q, row);
        if (q.exec())
            return true;
        error = q.lastError().text();
        return false;
    }

    // Copies every source row whose key columns are not in the target yet.
    int merge(const QString& table, const QStringList& keys) {
        if (!source.hasTable(table))
            return 0;
        const QStringList columns = source.columns(table);
        int copied = 0;
        for (const QVariantList& row : source.rows(table)) {
            QVariantList keyValues;
            for (const QString& k : keys)
                keyValues << row.value(static_cast<int>(columns.indexOf(k)));
            if (exists(table, keys, keyValues))
                continue;
            if (!insert(table, columns, row))
                break;
            ++copied;
        }
        return copied;
    }
};

} // namespace

QStringList TableSource::labelTables() const {
    QStringList out;
    for (const QString& t : tables()) {
        if (columns(t).value(0) == QLatin1String("EtikName"))
            out << t;
    }
    return out;
}

std::unique_ptr<TableSource> openDatabaseSource(const QString& path, QString* error) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("palomex-source-%1").arg(++counter);
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(16) : QByteArray();
    if (!head.startsWith("SQLite format 3")) {
        if (error)
            *error = caption(adminmsg::UnknownDatabaseType);
        return nullptr;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
            dropConnection(db);
            return nullptr;
        }
    }
    return std::make_unique<SqliteSource>(name);
}

ImportSummary importFromDatabase(Database& target, const QString& labelTable,
                                 const TableSource& source, const QString& sourceLabelTable,
                                 const QStringList& names, const ImportOptions& options,
                                 const Settings& settings, const QString& sourceFolder) {
    ImportSummary s;
    Copier copier{target, source, {}, {}};
    const QStringList columns = source.columns(sourceLabelTable);
    const int nameColumn = static_cast<int>(columns.indexOf(QStringLiteral("EtikName")));
    const int laufNrColumn = static_cast<int>(columns.indexOf(QStringLiteral("NVE_LaufNr")));
    const std::vector<QVariantList> rows = source.rows(sourceLabelTable);
    for (const QString& name : names) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const QVariantList& r) {
            return r.value(nameColumn).toString() == name;
        });
        if (row == rows.end())
            continue;
        if (copier.exists(labelTable, {QStringLiteral("EtikName")}, {name})) {
            ++s.labelsPresent;
            continue;
        }
        QVariantList copy = *row;
        if (laufNrColumn >= 0)
            copy[laufNrColumn] = QString(QLatin1String(""));
        if (!copier.insert(labelTable, columns, copy))
            break;
        ++s.labelsImported;
    }
    s.text = caption(adminmsg::ImportedLabels).arg(s.labelsImported).arg(s.labelsPresent);

    if (copier.error.isEmpty() && options.nveBases && source.hasTable(table::HoechstNVE)) {
        const QStringList cols = source.columns(table::HoechstNVE);
        const int basis = static_cast<int>(cols.indexOf(QStringLiteral("NVE_Basis")));
        const int laufNr = static_cast<int>(cols.indexOf(QStringLiteral("NVE_LaufNr")));
        for (const QVariantList& row : source.rows(table::HoechstNVE)) {
            // Merged under each base's reservation, only ever raising a number: no
            // NVE printed here is handed out again, and a running print keeps its own.
            try {
                switch (recordHighest(target, row.value(basis).toString().trimmed(),
                                      row.value(laufNr).toString())) {
                case HighestChange::Added:
                    ++s.basesImported;
                    break;
                case HighestChange::Raised:
                    ++s.runningNumbersRaised;
                    break;
                case HighestChange::Unchanged:
                    break;
                }
            } catch (const AppError& e) {
                copier.error = e.text();
                break;
            }
        }
        s.text += caption(adminmsg::ImportedBases).arg(s.basesImported).arg(s.runningNumbersRaised);
    }
    if (copier.error.isEmpty() && options.log && source.hasTable(table::Protokoll)) {
        s.logRowsImported =
            copier.merge(table::Protokoll, {QStringLiteral("von_NVE"), QStringLiteral("bis_NVE")});
        s.text += caption(adminmsg::ImportedLog).arg(s.logRowsImported);
    }
    if (copier.error.isEmpty() && options.batches && source.hasTable(table::Chargen)) {
        s.batchRowsImported = copier.merge(
            table::Chargen, {QStringLiteral("Fremdcharge"), QStringLiteral("Eigencharge")});
        s.text += caption(adminmsg::ImportedBatches).arg(s.batchRowsImported);
    }
    if (copier.error.isEmpty() && options.settings) {
        const QString ini = QDir(sourceFolder).filePath(QStringLiteral("Palomex.ini"));
        if (QFileInfo(ini).isFile() &&
            QFileInfo(ini).absoluteFilePath() != QFileInfo(settings.path()).absoluteFilePath()) {
            const QString shared =
                settings.read(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad"));
            QFile in(ini);
            QSaveFile out(settings.path());
            if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
                out.write(in.readAll());
                out.commit();
            }
            settings.write(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad"),
                           shared);
            s.settingsImported = true;
            s.text += caption(adminmsg::ImportedSettings);
        } else {
            s.settingsMissing = true;
            s.text +=
                caption(adminmsg::SettingsNotFound).arg(QDir::toNativeSeparators(sourceFolder));
        }
    }
    s.error = copier.error;
    return s;
}

} // namespace palomex
