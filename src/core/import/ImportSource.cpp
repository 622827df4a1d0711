#include "import/ImportSource.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "app/TextCodec.h"
#include "import/ImportStrings.h"
#include "import/SourceReaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace palomex {

namespace {
const QString kModule = QStringLiteral("Datenimport");
constexpr qint64 kMaxFileSize = 512LL * 1024 * 1024;
} // namespace

void readers::checkReadable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(err::FileNotFound, kModule, caption(msg::ImportCannotOpen).arg(path));
    if (file.size() > kMaxFileSize)
        throw AppError(err::FileNotOurs, kModule, caption(msg::ImportTooLarge).arg(path));
}

QByteArray readers::readWhole(const QString& path) {
    checkReadable(path);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

int ImportTable::columnIndex(const QString& name) const {
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString textTableName(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.completeBaseName() + QLatin1Char('#') + info.suffix();
}

ImportTable parseDelimitedText(const QByteArray& bytes) {
    const QString text = decodeUtf8OrCp1252(bytes);
    // The separator is the candidate the header line uses most outside quotes.
    const QString candidates = QStringLiteral("\t;,|");
    QChar separator = QLatin1Char(';');
    int best = 0;
    {
        bool quoted = false;
        std::array<int, 4> counts{};
        for (const QChar c : text) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
                break;
            else if (!quoted && candidates.contains(c))
                ++counts[static_cast<size_t>(candidates.indexOf(c))];
        }
        for (size_t i = 0; i < counts.size(); ++i)
            if (counts[i] > best) {
                best = counts[i];
                separator = candidates[static_cast<int>(i)];
            }
    }

    std::vector<QStringList> records;
    QStringList record;
    QString value;
    bool quoted = false;
    bool wasQuoted = false;
    bool lineHasContent = false;
    auto endValue = [&] {
        record << (wasQuoted ? value : value.trimmed());
        value.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endValue();
        if (lineHasContent)
            records.push_back(record);
        record.clear();
        lineHasContent = false;
    };
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    value += QLatin1Char('"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                value += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && value.trimmed().isEmpty()) {
            value.clear();
            quoted = true;
            wasQuoted = true;
            lineHasContent = true;
        } else if (c == separator) {
            endValue();
            lineHasContent = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            endRecord();
        } else {
            value += c;
            if (!c.isSpace())
                lineHasContent = true;
        }
    }
    endRecord();

    ImportTable table;
    if (records.empty())
        return table;
    table.columns = records.front();
    table.rows.assign(std::make_move_iterator(records.begin() + 1),
                      std::make_move_iterator(records.end()));
    return table;
}

namespace readers {

ImportTable sheetTable(std::vector<QStringList> rows) {
    ImportTable table;
    if (rows.empty())
        return table;
    table.columns = rows.front();
    table.rows.assign(std::make_move_iterator(rows.begin() + 1),
                      std::make_move_iterator(rows.end()));
    for (QStringList& row : table.rows)
        while (row.size() < table.columns.size())
            row << QString();
    return table;
}

void damaged(const QString& path, const QString& why) {
    throw AppError(err::FileNotOurs, kModule, caption(msg::ImportDamaged).arg(path, why));
}

void noTable(const QString& table) {
    throw AppError(err::FileNotFound, kModule, caption(msg::ImportNoTable).arg(table));
}

namespace {

// The text files of the chosen file's folder, each a table.
class TextFolder : public ImportSource {
public:
    explicit TextFolder(const QString& path) : chosen_(QFileInfo(path)) {
        const QDir dir = chosen_.absoluteDir();
        const QStringList patterns = {QStringLiteral("*.txt"), QStringLiteral("*.csv"),
                                      QStringLiteral("*.tab"), QStringLiteral("*.asc")};
        for (const QFileInfo& f :
             dir.entryInfoList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase))
            files_.push_back(f);
        if (!files_.contains(chosen_))
            files_.push_back(chosen_);
    }
    QStringList tables() const override {
        QStringList names;
        for (const QFileInfo& f : files_)
            names << textTableName(f.fileName());
        return names;
    }
    QString preferredTable() const override { return textTableName(chosen_.fileName()); }
    ImportTable read(const QString& table) const override {
        for (const QFileInfo& f : files_)
            if (textTableName(f.fileName()).compare(table, Qt::CaseInsensitive) == 0)
                return parseDelimitedText(readWhole(f.absoluteFilePath()));
        noTable(table);
    }

private:
    QFileInfo chosen_;
    QList<QFileInfo> files_;
};

} // namespace

std::unique_ptr<ImportSource> openTextFolder(const QString& path) {
    checkReadable(path);
    return std::make_unique<TextFolder>(path);
}

} // namespace readers

std::unique_ptr<ImportSource> openImportSource(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (ext == QLatin1String("TXT") || ext == QLatin1String("CSV"))
        return readers::openTextFolder(path);
    if (ext == QLatin1String("XLSX"))
        return readers::openXlsx(path);
    if (ext == QLatin1String("XLS"))
        return readers::openXls(path);
    if (ext == QLatin1String("MDB") || ext == QLatin1String("ACCDB"))
        return readers::openDatabaseFile(path);
    throw AppError(err::FileNotOurs, kModule, caption(msg::ImportUnknownType));
}

} // namespace palomex
