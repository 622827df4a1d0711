#pragma once
// Identifiers of the texts of the NVE numbering in the string table (470-499).

namespace palomex::nvemsg {
inline constexpr int TooLong = 470; // %1 digits in all, %2 base as typed + number
inline constexpr int BaseTooLong = 471;
inline constexpr int AskNveHelp = 476;       // after BaseTooLong on leaving the field
inline constexpr int BaseLocked = 472;       // %1 base; the embedded engine's lock text
inline constexpr int NumberTooWide = 473;    // %1 running number, %2 width of the column
inline constexpr int BaseNotDigits = 474;    // %1 base as typed
inline constexpr int LockFileUnusable = 475; // %1 file, %2 the system's reason
inline constexpr int RunningNotNumber = 477; // %1 running number as typed
inline constexpr int CountNotNumber = 478;   // %1 number of NVEs as typed
inline constexpr int OnlyRaised = 479;       // %1 number stored for the base
inline constexpr int RowsKept = 480;         // a row deleted or its base changed by hand
inline constexpr int CopiesNotNumber = 481;  // %1 labels per NVE as given
} // namespace palomex::nvemsg
