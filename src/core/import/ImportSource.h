#pragma once
// The external tables a data import reads: text files with a header line, Excel
// workbooks (.xls, .xlsx), Access databases and the program's own database files.
// Every reader yields named columns and rows of text in source order.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace palomex {

struct ImportTable {
    QStringList columns;
    // A row of a text file may hold fewer values than there are columns.
    std::vector<QStringList> rows;

    // The column's index, compared without case; -1 when there is none.
    int columnIndex(const QString& name) const;
};

class ImportSource {
public:
    virtual ~ImportSource() = default;
    virtual QStringList tables() const = 0;
    // Throws AppError when the table cannot be read.
    virtual ImportTable read(const QString& table) const = 0;
    // The table to preselect for the chosen file (the text file itself); empty: the first.
    virtual QString preferredTable() const { return {}; }
};

// Chooses the reader by the file's extension. Throws AppError with
// "Datenbanktyp nicht gefunden" for any other extension, and a text naming the
// file when it cannot be opened.
std::unique_ptr<ImportSource> openImportSource(const QString& path);

// Parsers for the readers' raw contents, usable without a file.
// Text: the separator (tab, ";", "," or "|") is the one the header line uses most
// outside quotes; double quotes enclose values, "" inside is a quote, a quoted
// value may span lines. Bytes are UTF-8 when valid, else Windows-1252.
ImportTable parseDelimitedText(const QByteArray& bytes);
// Workbook (.xlsx): the worksheet names and one sheet. Throws AppError on a
// damaged file.
QStringList xlsxSheetNames(const QByteArray& file);
ImportTable readXlsxSheet(const QByteArray& file, const QString& sheet);

// Table name of a text file, as text tables are named: base name "#" extension.
QString textTableName(const QString& fileName);

} // namespace palomex
