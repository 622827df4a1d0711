// Access database files, read through mdbtools: the user tables of the file.

#include "import/ImportSource.h"
#include "import/SourceReaders.h"

#include <QFile>
#include <mdbtools.h>

namespace palomex::readers {

namespace {

class AccessDatabase : public ImportSource {
public:
    explicit AccessDatabase(const QString& path) : path_(path) {
        mdb_ = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        if (!mdb_ || !mdb_read_catalog(mdb_, MDB_TABLE)) {
            if (mdb_)
                mdb_close(mdb_);
            mdb_ = nullptr;
            damaged(path, QStringLiteral("Access"));
        }
        mdb_set_date_fmt(mdb_, "%d.%m.%Y %H:%M:%S");
        for (unsigned int i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
                tables_ << QString::fromUtf8(entry->object_name);
        }
    }
    ~AccessDatabase() override {
        if (mdb_)
            mdb_close(mdb_);
    }
    AccessDatabase(const AccessDatabase&) = delete;
    AccessDatabase& operator=(const AccessDatabase&) = delete;

    QStringList tables() const override { return tables_; }

    ImportTable read(const QString& name) const override {
        if (!tables_.contains(name))
            noTable(name);
        MdbTableDef* table = mdb_read_table_by_name(mdb_, name.toUtf8().data(), MDB_TABLE);
        if (!table)
            damaged(path_, name);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        ImportTable result;
        const unsigned int count = table->num_cols;
        std::vector<QByteArray> buffers(count, QByteArray(MDB_BIND_SIZE, '\0'));
        std::vector<int> lengths(count, 0);
        for (unsigned int c = 0; c < count; ++c) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            result.columns << QString::fromUtf8(column->name);
            mdb_bind_column(table, static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
        }
        while (mdb_fetch_row(table)) {
            QStringList row;
            for (unsigned int c = 0; c < count; ++c)
                row << QString::fromUtf8(buffers[c].constData(),
                                         std::clamp(lengths[c], 0, MDB_BIND_SIZE - 1));
            result.rows.push_back(row);
        }
        mdb_free_tabledef(table);
        return result;
    }

private:
    QString path_;
    MdbHandle* mdb_ = nullptr;
    QStringList tables_;
};

} // namespace

std::unique_ptr<ImportSource> openAccess(const QString& path) {
    readWhole(path);
    return std::make_unique<AccessDatabase>(path);
}

} // namespace palomex::readers
