// Database files as import sources: Access files and databases of the program's own
// format, read through the same table sources as the label import from another
// database, their values turned into the texts the field mappings work on.

#include "admin/DatabaseImport.h"
#include "admin/MdbSource.h"
#include "import/ScriptValue.h"
#include "import/SourceReaders.h"

#include <QDateTime>

namespace palomex::readers {

namespace {

// Numbers and dates as a German user types them (decimal comma; the time only
// where the value has one), as they would read in an Excel or text file.
QString importText(const QVariant& value) {
    if (value.typeId() == QMetaType::Double)
        return script::formatNumber(value.toDouble());
    if (value.typeId() != QMetaType::QDateTime)
        return value.toString();
    const QDateTime when = value.toDateTime();
    return when.time() == QTime(0, 0) ? when.toString(QStringLiteral("dd.MM.yyyy"))
                                      : when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

class DatabaseTables final : public ImportSource {
public:
    explicit DatabaseTables(std::unique_ptr<TableSource> source) : source_(std::move(source)) {}

    QStringList tables() const override { return source_->tables(); }

    ImportTable read(const QString& table) const override {
        if (!source_->tables().contains(table))
            noTable(table);
        ImportTable result;
        result.columns = source_->columns(table);
        for (const QVariantList& values : source_->rows(table)) {
            QStringList row;
            for (const QVariant& v : values)
                row << importText(v);
            result.rows.push_back(row);
        }
        return result;
    }

private:
    std::unique_ptr<TableSource> source_;
};

} // namespace

std::unique_ptr<ImportSource> openDatabaseFile(const QString& path) {
    checkReadable(path);
    QString error;
    // Our own database files carry the .mdb name too; they are SQLite inside.
    auto source =
        isAccessFile(path) ? openAccessSource(path, &error) : openDatabaseSource(path, &error);
    if (!source)
        damaged(path, error);
    return std::make_unique<DatabaseTables>(std::move(source));
}

} // namespace palomex::readers
