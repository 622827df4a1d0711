#pragma once
// Identifiers of the print run's texts in the string table.

namespace palomex::runmsg {
inline constexpr int AskCancel = 970;
inline constexpr int Printing = 971;
inline constexpr int EscToCancel = 972;
} // namespace palomex::runmsg
