#pragma once
// The readers behind openImportSource, one per kind of file.

#include "import/ImportSource.h"

namespace palomex::readers {

std::unique_ptr<ImportSource> openTextFolder(const QString& path);
std::unique_ptr<ImportSource> openXlsx(const QString& path);
std::unique_ptr<ImportSource> openXls(const QString& path);
std::unique_ptr<ImportSource> openAccess(const QString& path);
std::unique_ptr<ImportSource> openOwnDatabase(const QString& path);

// The whole file; AppError when it cannot be read or is too large.
QByteArray readWhole(const QString& path);

// AppError for a file that is there but cannot be read as its kind.
[[noreturn]] void damaged(const QString& path, const QString& why);
[[noreturn]] void noTable(const QString& table);

} // namespace palomex::readers
