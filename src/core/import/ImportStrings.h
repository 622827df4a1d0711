#pragma once
// Identifiers of the data import texts (resources/strings/import.txt).

namespace palomex::msg {
inline constexpr int ExprInvalid = 800; // result text of an expression that fails
inline constexpr int ExprSyntaxAt = 801;
inline constexpr int ExprRuntimeAt = 802;
inline constexpr int ExprUnexpectedEnd = 810;
inline constexpr int ExprUnexpectedChar = 811;
inline constexpr int ExprCloseParen = 812;
inline constexpr int ExprUnterminatedString = 813;
inline constexpr int ExprTooDeep = 814;
inline constexpr int ExprTooLong = 815;
inline constexpr int ExprTypeMismatch = 816;
inline constexpr int ExprDivisionByZero = 817;
inline constexpr int ExprArgCount = 818;
inline constexpr int ExprBadArgument = 819;
inline constexpr int ExprOverflow = 820;
inline constexpr int ExprUnknownFunction = 821;
inline constexpr int ExprTooManySteps = 822;
inline constexpr int ExprStringTooLong = 823;
inline constexpr int ExprNoProperty = 824;
inline constexpr int ExprTrailing = 825;
} // namespace palomex::msg

namespace palomex::msg {
inline constexpr int ImportUnknownType = 830; // "Datenbanktyp nicht gefunden"
inline constexpr int ImportCannotOpen = 831;  // file could not be opened: %1
inline constexpr int ImportDamaged = 832;     // file damaged: %1 (%2)
inline constexpr int ImportNoTable = 833;     // no table %1
inline constexpr int ImportTooLarge = 834;    // file too large
} // namespace palomex::msg
