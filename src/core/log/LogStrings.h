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
// Heading lines, column heads and captions of the list.
inline constexpr int SenderFilter = 450;
inline constexpr int ReceiverFilter = 451;
inline constexpr int FromNve = 452;
inline constexpr int ToNve = 453;
inline constexpr int FromDate = 454;
inline constexpr int ToDate = 455;
inline constexpr int IdentifierFilter = 456;
inline constexpr int ShortColumns = 457;
inline constexpr int DetailedColumns = 458;
inline constexpr int DetailedFieldColumns = 459;
inline constexpr int SenderCaption = 460;
inline constexpr int ReceiverCaption = 461;
inline constexpr int DocumentName = 462;
// Named days of the date lists.
inline constexpr int FirstDayPreviousYear = 430;
inline constexpr int FirstDayYear = 431;
inline constexpr int FirstDayPreviousQuarter = 432;
inline constexpr int FirstDayQuarter = 433;
inline constexpr int FirstDayPreviousMonth = 434;
inline constexpr int FirstDayMonth = 435;
inline constexpr int FirstDayPreviousWeek = 436;
inline constexpr int FirstDayWeek = 437;
inline constexpr int LastDayPreviousYear = 438;
inline constexpr int LastDayYear = 439;
inline constexpr int LastDayPreviousQuarter = 440;
inline constexpr int LastDayQuarter = 441;
inline constexpr int LastDayPreviousMonth = 442;
inline constexpr int LastDayMonth = 443;
inline constexpr int LastDayPreviousWeek = 444;
inline constexpr int LastDayWeek = 445;
inline constexpr int DayBeforeYesterday = 446;
inline constexpr int Yesterday = 447;
inline constexpr int Today = 448;
} // namespace palomex::logmsg
