// Excel workbooks in the older binary format, read through FreeXL: the
// worksheets are the tables, the first row of a sheet names the columns.

#include "import/ImportSource.h"
#include "import/ScriptValue.h"
#include "import/SourceReaders.h"

#include <QFile>
#include <freexl.h>

namespace palomex::readers {

namespace {

class XlsWorkbook : public ImportSource {
public:
    explicit XlsWorkbook(const QString& path) : path_(path) {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle_);
        if (rc != FREEXL_OK) {
            freexl_close(handle_);
            handle_ = nullptr;
            damaged(path, QStringLiteral("FreeXL %1").arg(rc));
        }
        unsigned int count = 0;
        freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count);
        for (unsigned int i = 0; i < count; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) ==
                    FREEXL_OK &&
                name)
                sheets_ << QString::fromUtf8(name);
        }
    }
    ~XlsWorkbook() override {
        if (handle_)
            freexl_close(handle_);
    }
    XlsWorkbook(const XlsWorkbook&) = delete;
    XlsWorkbook& operator=(const XlsWorkbook&) = delete;

    QStringList tables() const override { return sheets_; }

    ImportTable read(const QString& table) const override {
        const int index = static_cast<int>(sheets_.indexOf(table));
        if (index < 0)
            noTable(table);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) !=
                FREEXL_OK ||
            freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK)
            damaged(path_, table);
        std::vector<QStringList> all;
        for (unsigned int r = 0; r < rows; ++r) {
            QStringList row;
            for (unsigned short c = 0; c < columns; ++c)
                row << cell(r, c);
            while (!row.isEmpty() && row.back().isEmpty())
                row.removeLast();
            all.push_back(row);
        }
        return sheetTable(std::move(all));
    }

private:
    QString cell(unsigned int r, unsigned short c) const {
        FreeXL_CellValue value{};
        if (freexl_get_cell_value(handle_, r, c, &value) != FREEXL_OK)
            return {};
        switch (value.type) {
        case FREEXL_CELL_INT:
            return QString::number(value.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return script::formatNumber(value.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return QString::fromUtf8(value.value.text_value);
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: {
            // FreeXL writes ISO text; the rest of the import uses the German forms.
            const QString iso = QString::fromUtf8(value.value.text_value);
            const auto serial = script::parseDate(iso);
            return serial ? script::formatDate(*serial) : iso;
        }
        default:
            return {};
        }
    }

    QString path_;
    const void* handle_ = nullptr;
    QStringList sheets_;
};

} // namespace

std::unique_ptr<ImportSource> openXls(const QString& path) {
    readWhole(path); // a clear message for a missing or unreadable file first
    return std::make_unique<XlsWorkbook>(path);
}

} // namespace palomex::readers
