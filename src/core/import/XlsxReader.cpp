// Excel workbooks in the zipped XML format: the worksheets are the tables, the
// first row of a sheet names the columns.

#include "app/AppError.h"
#include "import/ImportSource.h"
#include "import/ScriptValue.h"
#include "import/SourceReaders.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <minizip/unzip.h>

namespace palomex {

namespace {

constexpr uLong kMaxEntrySize = 256UL * 1024 * 1024;
constexpr int kMaxColumns = 16384; // the format's own limit (XFD)

// minizip reads the archive straight from memory through these callbacks.
struct MemoryStream {
    const QByteArray* data;
    qint64 pos = 0;
};

voidpf ZCALLBACK memOpen(voidpf opaque, const void*, int) {
    return new MemoryStream{static_cast<const QByteArray*>(opaque)};
}
uLong ZCALLBACK memRead(voidpf, voidpf stream, void* buf, uLong size) {
    auto* s = static_cast<MemoryStream*>(stream);
    const qint64 left = s->data->size() - s->pos;
    const qint64 n = std::min<qint64>(left, static_cast<qint64>(size));
    if (n <= 0)
        return 0;
    memcpy(buf, s->data->constData() + s->pos, static_cast<size_t>(n));
    s->pos += n;
    return static_cast<uLong>(n);
}
uLong ZCALLBACK memWrite(voidpf, voidpf, const void*, uLong) {
    return 0;
}
ZPOS64_T ZCALLBACK memTell(voidpf, voidpf stream) {
    return static_cast<ZPOS64_T>(static_cast<MemoryStream*>(stream)->pos);
}
long ZCALLBACK memSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<MemoryStream*>(stream);
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = s->pos;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = s->data->size();
    const qint64 target = base + static_cast<qint64>(offset);
    if (target < 0 || target > s->data->size())
        return -1;
    s->pos = target;
    return 0;
}
int ZCALLBACK memClose(voidpf, voidpf stream) {
    delete static_cast<MemoryStream*>(stream);
    return 0;
}
int ZCALLBACK memError(voidpf, voidpf) {
    return 0;
}

class Archive {
public:
    explicit Archive(const QByteArray& data) : data_(data) {
        zlib_filefunc64_def io{};
        io.zopen64_file = memOpen;
        io.zread_file = memRead;
        io.zwrite_file = memWrite;
        io.ztell64_file = memTell;
        io.zseek64_file = memSeek;
        io.zclose_file = memClose;
        io.zerror_file = memError;
        io.opaque = const_cast<QByteArray*>(&data_);
        zip_ = unzOpen2_64("workbook", &io);
        if (!zip_)
            fail(QStringLiteral("zip"));
    }
    ~Archive() {
        if (zip_)
            unzClose(zip_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool has(const QString& name) const {
        return unzLocateFile(zip_, name.toUtf8().constData(), 0) == UNZ_OK;
    }

    QByteArray entry(const QString& name) const {
        if (!has(name))
            fail(name);
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > kMaxEntrySize || unzOpenCurrentFile(zip_) != UNZ_OK)
            fail(name);
        QByteArray out;
        char buffer[65536];
        int n = 0;
        while ((n = unzReadCurrentFile(zip_, buffer, sizeof buffer)) > 0) {
            out.append(buffer, n);
            if (static_cast<uLong>(out.size()) > kMaxEntrySize)
                break;
        }
        unzCloseCurrentFile(zip_);
        if (n < 0 || static_cast<uLong>(out.size()) > kMaxEntrySize)
            fail(name);
        return out;
    }

    [[noreturn]] static void fail(const QString& why) {
        readers::damaged(QStringLiteral("*.xlsx"), why);
    }

private:
    const QByteArray& data_;
    unzFile zip_ = nullptr;
};

struct Sheet {
    QString name;
    QString part; // path inside the archive
};

QString resolvePart(const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

std::vector<Sheet> sheetsOf(const Archive& zip) {
    QHash<QString, QString> targets;
    QXmlStreamReader rels(zip.entry(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == QLatin1String("Relationship"))
            targets.insert(rels.attributes().value(QLatin1String("Id")).toString(),
                           rels.attributes().value(QLatin1String("Target")).toString());
    }
    std::vector<Sheet> sheets;
    QXmlStreamReader book(zip.entry(QStringLiteral("xl/workbook.xml")));
    while (!book.atEnd()) {
        book.readNext();
        if (book.isStartElement() && book.name() == QLatin1String("sheet")) {
            QString id;
            for (const auto& a : book.attributes())
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
            const QString target = targets.value(id);
            if (!target.isEmpty())
                sheets.push_back({book.attributes().value(QLatin1String("name")).toString(),
                                  resolvePart(target)});
        }
    }
    if (book.hasError())
        Archive::fail(QStringLiteral("workbook.xml: ") + book.errorString());
    return sheets;
}

QStringList sharedStrings(const Archive& zip) {
    QStringList strings;
    if (!zip.has(QStringLiteral("xl/sharedStrings.xml")))
        return strings;
    QXmlStreamReader xml(zip.entry(QStringLiteral("xl/sharedStrings.xml")));
    QString current;
    bool inPhonetic = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("si"))
                current.clear();
            else if (xml.name() == QLatin1String("rPh"))
                inPhonetic = true;
            else if (xml.name() == QLatin1String("t") && !inPhonetic)
                current += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("si"))
                strings << current;
            else if (xml.name() == QLatin1String("rPh"))
                inPhonetic = false;
        }
    }
    if (xml.hasError())
        Archive::fail(QStringLiteral("sharedStrings.xml: ") + xml.errorString());
    return strings;
}

bool isDateFormatCode(const QString& code) {
    // A custom format is a date when it uses day, month or year letters outside
    // quoted text and brackets ("[Red]", "[$-407]").
    bool quoted = false;
    int bracket = 0;
    for (const QChar c : code) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('['))
            ++bracket;
        else if (!quoted && c == QLatin1Char(']'))
            bracket = std::max(0, bracket - 1);
        else if (!quoted && bracket == 0 && QStringLiteral("dDmMyYhH").contains(c))
            return true;
    }
    return false;
}

// Index of a cell style -> whether it shows a date.
std::vector<bool> dateStyles(const Archive& zip) {
    std::vector<bool> styles;
    if (!zip.has(QStringLiteral("xl/styles.xml")))
        return styles;
    QSet<int> dateFormats = {14, 15, 16, 17, 18, 19, 20, 21, 22, 45, 46, 47};
    QXmlStreamReader xml(zip.entry(QStringLiteral("xl/styles.xml")));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("numFmt")) {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                if (isDateFormatCode(
                        xml.attributes().value(QLatin1String("formatCode")).toString()))
                    dateFormats.insert(id);
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
                styles.push_back(dateFormats.contains(
                    xml.attributes().value(QLatin1String("numFmtId")).toInt()));
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
    return styles;
}

// "BC12" -> 54 (zero-based column); -1 for a reference without letters.
int columnOfReference(QStringView ref) {
    int col = 0;
    int letters = 0;
    for (const QChar c : ref) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            col = col * 26 + (c.unicode() - 'A' + 1);
            if (++letters > 3)
                return -1;
        } else {
            break;
        }
    }
    return letters == 0 ? -1 : col - 1;
}

QString cellText(const QString& type, const QString& raw, int style, const QStringList& shared,
                 const std::vector<bool>& dates) {
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = raw.toInt(&ok);
        return ok && index >= 0 && index < shared.size() ? shared[index] : QString();
    }
    if (type == QLatin1String("b"))
        return raw == QLatin1String("1") ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
    if (type == QLatin1String("str") || type == QLatin1String("inlineStr") ||
        type == QLatin1String("e"))
        return raw;
    bool ok = false;
    const double number = raw.toDouble(&ok);
    if (!ok)
        return raw;
    // Numbers with a date style are day serials counted from 1899-12-30.
    if (style >= 0 && static_cast<size_t>(style) < dates.size() &&
        dates[static_cast<size_t>(style)] && number > -657434.0 && number < 2958466.0)
        return script::formatDate(number);
    return script::formatNumber(number);
}

} // namespace

QStringList xlsxSheetNames(const QByteArray& file) {
    const Archive zip(file);
    QStringList names;
    for (const Sheet& s : sheetsOf(zip))
        names << s.name;
    return names;
}

ImportTable readXlsxSheet(const QByteArray& file, const QString& sheetName) {
    const Archive zip(file);
    const std::vector<Sheet> sheets = sheetsOf(zip);
    const auto sheet = std::find_if(sheets.begin(), sheets.end(), [&](const Sheet& s) {
        return s.name.compare(sheetName, Qt::CaseInsensitive) == 0;
    });
    if (sheet == sheets.end())
        readers::noTable(sheetName);
    const QStringList shared = sharedStrings(zip);
    const std::vector<bool> dates = dateStyles(zip);

    std::vector<QStringList> rows;
    QXmlStreamReader xml(zip.entry(sheet->part));
    QStringList row;
    int nextColumn = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            row.clear();
            nextColumn = 0;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            while (!row.isEmpty() && row.back().isEmpty())
                row.removeLast();
            rows.push_back(row);
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const auto attrs = xml.attributes();
            const int referenced = columnOfReference(attrs.value(QLatin1String("r")));
            const int column = referenced >= 0 ? referenced : nextColumn;
            const QString type = attrs.value(QLatin1String("t")).toString();
            const int style = attrs.hasAttribute(QLatin1String("s"))
                                  ? attrs.value(QLatin1String("s")).toInt()
                                  : -1;
            QString raw;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
                if (xml.isStartElement() &&
                    (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t")))
                    raw += xml.readElementText();
            }
            if (column < kMaxColumns && column >= row.size()) {
                while (row.size() < column)
                    row << QString();
                row << cellText(type, raw, style, shared, dates);
                nextColumn = column + 1;
            }
        }
    }
    if (xml.hasError())
        Archive::fail(sheet->part + QStringLiteral(": ") + xml.errorString());

    return readers::sheetTable(std::move(rows));
}

namespace readers {

namespace {
class XlsxWorkbook : public ImportSource {
public:
    explicit XlsxWorkbook(QByteArray data)
        : data_(std::move(data)), sheets_(xlsxSheetNames(data_)) {}
    QStringList tables() const override { return sheets_; }
    ImportTable read(const QString& table) const override { return readXlsxSheet(data_, table); }

private:
    QByteArray data_;
    QStringList sheets_;
};
} // namespace

std::unique_ptr<ImportSource> openXlsx(const QString& path) {
    return std::make_unique<XlsxWorkbook>(readWhole(path));
}

} // namespace readers
} // namespace palomex
