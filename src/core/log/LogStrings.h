#pragma once
// Identifiers of the print log's texts in the string table.

namespace palomex::logmsg {
inline constexpr int NoDate = 340;
inline constexpr int ListHeading = 341;
inline constexpr int OneRowFound = 342;
inline constexpr int RowsFound = 343;
inline constexpr int FileCreated = 344;
inline constexpr int TableCreated = 345;
inline constexpr int ListCopied = 346;
inline constexpr int RowsCopied = 347;
inline constexpr int ExportFailed = 348;
} // namespace palomex::logmsg
