#pragma once
// The readers behind openImportSource, one per kind of file.

#include "import/ImportSource.h"

namespace palomex::readers {

std::unique_ptr<ImportSource> openTextFolder(const QString& path);
std::unique_ptr<ImportSource> openXlsx(const QString& path);
std::unique_ptr<ImportSource> openXls(const QString& path);
// Access files and databases of the program's own format.
std::unique_ptr<ImportSource> openDatabaseFile(const QString& path);

// AppError naming the file when it cannot be opened or is too large.
void checkReadable(const QString& path);
// The whole file, after checkReadable.
QByteArray readWhole(const QString& path);

// A worksheet's rows as a table: the first row names the columns. Worksheets store
// no blank cells, so every row is filled up to the header's width with blanks; only
// a text file can hold a row that really lacks a column.
ImportTable sheetTable(std::vector<QStringList> rows);

// AppError for a file that is there but cannot be read as its kind.
[[noreturn]] void damaged(const QString& path, const QString& why);
[[noreturn]] void noTable(const QString& table);

} // namespace palomex::readers
