#pragma once
// Taking labels, highest NVEs, log and batch rows over from another database.

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

namespace palomex {

class Database;
class Settings;

// Read access to the tables of a source database, whatever its engine.
class TableSource {
public:
    virtual ~TableSource() = default;
    virtual QStringList tables() const = 0;
    virtual QStringList columns(const QString& table) const = 0;
    // Every row of the table, values in the order of columns().
    virtual std::vector<QVariantList> rows(const QString& table) const = 0;

    QStringList labelTables() const; // tables whose first column is EtikName
    bool hasTable(const QString& table) const {
        return tables().contains(table, Qt::CaseInsensitive);
    }
};

// A database of the program's own format, opened read-only.
std::unique_ptr<TableSource> openDatabaseSource(const QString& path, QString* error);

struct ImportOptions {
    bool nveBases = false;
    bool log = false;
    bool batches = false;
    bool settings = false;
};

struct ImportSummary {
    int labelsImported = 0;
    int labelsPresent = 0;
    int basesImported = 0;
    int runningNumbersRaised = 0;
    int logRowsImported = 0;
    int batchRowsImported = 0;
    bool settingsImported = false;
    bool settingsMissing = false;
    QString error; // the engine's text when a row was refused; the import stopped there
    QString text;  // the summary shown to the user
};

// Copies the selected labels of the source label table into the target label table
// (names present there are left alone, NVE_LaufNr is emptied) and merges the other
// tables as the options ask. A highest NVE is only ever raised.
ImportSummary importFromDatabase(Database& target, const QString& labelTable,
                                 const TableSource& source, const QString& sourceLabelTable,
                                 const QStringList& names, const ImportOptions& options,
                                 const Settings& settings, const QString& sourceFolder);

} // namespace palomex
