#include "admin/MdbSource.h"

#include "admin/AdminStrings.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Settings.h"
#include "db/Database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mdbtools.h>

namespace palomex {

namespace {

class MdbSource final : public TableSource {
public:
    explicit MdbSource(MdbHandle* mdb) : mdb_(mdb) {
        // Dates come back in one fixed form that converts to date values.
        mdb_set_date_fmt(mdb_, "%Y-%m-%d %H:%M:%S");
        mdb_read_catalog(mdb_, MDB_TABLE);
        for (unsigned i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
                tables_ << QString::fromUtf8(entry->object_name);
        }
    }
    ~MdbSource() override { mdb_close(mdb_); }
    MdbSource(const MdbSource&) = delete;
    MdbSource& operator=(const MdbSource&) = delete;

    QStringList tables() const override { return tables_; }

    QStringList columns(const QString& table) const override {
        QStringList out;
        withTable(table, [&](MdbTableDef* t) {
            for (unsigned c = 0; c < t->num_cols; ++c)
                out << QString::fromUtf8(
                    static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c))->name);
        });
        return out;
    }

    std::vector<QVariantList> rows(const QString& table) const override {
        std::vector<QVariantList> out;
        withTable(table, [&](MdbTableDef* t) {
            std::vector<std::vector<char>> buffers(t->num_cols, std::vector<char>(MDB_BIND_SIZE));
            std::vector<int> lengths(t->num_cols, 0);
            for (unsigned c = 0; c < t->num_cols; ++c)
                mdb_bind_column(t, static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
            mdb_rewind_table(t);
            while (mdb_fetch_row(t)) {
                QVariantList row;
                for (unsigned c = 0; c < t->num_cols; ++c) {
                    const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
                    if (lengths[c] == 0 && col->col_type != MDB_TEXT && col->col_type != MDB_MEMO) {
                        row << QVariant();
                        continue;
                    }
                    const QString text = QString::fromUtf8(buffers[c].data(), lengths[c]);
                    if (col->col_type == MDB_DATETIME)
                        row << QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                    else
                        row << text;
                }
                out.push_back(row);
            }
        });
        return out;
    }

private:
    template <typename F> void withTable(const QString& table, F&& use) const {
        MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb_, table.toUtf8().constData());
        if (!entry)
            return;
        MdbTableDef* t = mdb_read_table(entry);
        if (!t)
            return;
        mdb_read_columns(t);
        use(t);
        mdb_free_tabledef(t);
    }

    MdbHandle* mdb_;
    QStringList tables_;
};

} // namespace

bool isAccessFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(32).mid(4, 15);
    return head == "Standard Jet DB" || head == "Standard ACE DB";
}

std::unique_ptr<TableSource> openAccessSource(const QString& path, QString* error) {
    if (!isAccessFile(path)) {
        if (error)
            *error = caption(adminmsg::UnknownDatabaseType);
        return nullptr;
    }
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb) {
        if (error)
            *error = caption(adminmsg::UnknownDatabaseType);
        return nullptr;
    }
    return std::make_unique<MdbSource>(mdb);
}

Migration migrateAccessDatabase(const QString& path, const Settings& settings) {
    Migration m;
    const QFileInfo info(path);
    m.keptAs =
        info.dir().filePath(info.completeBaseName() + QStringLiteral(" (Access).") + info.suffix());
    for (int n = 2; QFileInfo::exists(m.keptAs); ++n)
        m.keptAs = info.dir().filePath(QStringLiteral("%1 (Access %2).%3")
                                           .arg(info.completeBaseName())
                                           .arg(n)
                                           .arg(info.suffix()));
    if (!QFile::rename(path, m.keptAs)) {
        m.error = caption(msg::DbReadOnly).arg(path);
        return m;
    }
    const auto undo = [&](const QString& why) {
        QFile::remove(path);
        QFile::rename(m.keptAs, path);
        m.error = why;
        return m;
    };
    QString error;
    auto source = openAccessSource(m.keptAs, &error);
    if (!source)
        return undo(error);
    try {
        auto db = Database::open(path);
        const QStringList labelTables = source->labelTables();
        for (const QString& t : labelTables)
            db->machNeuBenutzer(t);
        if (!db->hasTable(table::Etiketten))
            db->machNeuBenutzer(table::Etiketten);
        db->update(QString());
        for (int i = 0; i < labelTables.size(); ++i) {
            QStringList names;
            const QStringList columns = source->columns(labelTables[i]);
            const int nameColumn = static_cast<int>(columns.indexOf(QStringLiteral("EtikName")));
            for (const QVariantList& row : source->rows(labelTables[i]))
                names << row.value(nameColumn).toString();
            const bool first = i == 0;
            const ImportSummary s =
                importFromDatabase(*db, labelTables[i], *source, labelTables[i], names,
                                   {first, first, first, false}, settings, QString());
            if (!s.error.isEmpty()) {
                db.reset();
                return undo(s.error);
            }
            m.labels += s.labelsImported;
        }
        if (labelTables.isEmpty()) {
            // No label table: the shared tables are still taken over.
            const ImportSummary s =
                importFromDatabase(*db, table::Etiketten, *source, QString(), {},
                                   {true, true, true, false}, settings, QString());
            if (!s.error.isEmpty()) {
                db.reset();
                return undo(s.error);
            }
        }
    } catch (const AppError& e) {
        return undo(e.text());
    }
    m.ok = true;
    return m;
}

} // namespace palomex
