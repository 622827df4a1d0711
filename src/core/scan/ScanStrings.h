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
} // namespace palomex::scanmsg
