#pragma once
// Identifiers of the print run's texts in the string table.

namespace palomex::runmsg {
inline constexpr int AskCancel = 970;
inline constexpr int Printing = 971;
inline constexpr int EscToCancel = 972;
inline constexpr int ChoosePdfDriver = 973;
inline constexpr int BaseLocked = 974;     // %1 number, %2 engine text
inline constexpr int RunError = 975;       // %1 number, %2 module, %3 text
inline constexpr int PdfNotWritten = 976;  // %1 file, %2 reason
inline constexpr int NoSuchPrinter = 977;  // %1 printer name
inline constexpr int PrinterRefused = 978; // %1 reason
inline constexpr int SavePdfTitle = 979;
inline constexpr int PdfFilter = 980;
inline constexpr int PrintedBefore = 981; // %1 first, %2 last NVE, %3 day, %4 time
inline constexpr int AskReprint = 982;
inline constexpr int Reprinting = 983;
} // namespace palomex::runmsg
