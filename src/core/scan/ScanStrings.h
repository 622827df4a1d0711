#pragma once
// Identifiers of the scan module's texts in the string table.

namespace palomex::scanmsg {
inline constexpr int UnknownIdentifier = 950;
inline constexpr int ErrorTitle = 951;
inline constexpr int NoPositions = 952;
inline constexpr int PrintTestBarcode = 953;
inline constexpr int ScanTestBarcode = 954;
inline constexpr int Fnc1Found = 955;
inline constexpr int Fnc1NotFound = 956;
inline constexpr int ScanBarcode = 957;
inline constexpr int TypeBarcode = 958;
inline constexpr int IdentifierFound = 959;
inline constexpr int NoIdentifier = 960;
inline constexpr int ElementIncomplete = 240;
inline constexpr int ElementTooLong = 241;
inline constexpr int ElementNotDigits = 242;
inline constexpr int ElementNoDate = 243;
inline constexpr int WindowTitle = 245;
inline constexpr int Apply = 246;
inline constexpr int Cancel = 247;
inline constexpr int Help = 248;
inline constexpr int ScanNow = 249;
inline constexpr int DetectFnc1 = 250;
inline constexpr int DetectIdentifier = 251;
inline constexpr int SaveTestPdf = 252;
inline constexpr int TestPageLine = 253;
inline constexpr int ProductTitle = 254;
inline constexpr int TestPageFailed = 255;
inline constexpr int TestButton = 256;
} // namespace palomex::scanmsg
