#pragma once
// Identifiers of the barcode and label output texts (resources/strings/output.txt).

namespace palomex::msg {
inline constexpr int BarcodeTooLong = 600;    // %1 count, %2 data, %3 read-back
inline constexpr int BarcodeDoesNotFit = 601; // %1 symbol width, %2 label width
inline constexpr int LogoNotOpened = 602;     // %1 file name
} // namespace palomex::msg
