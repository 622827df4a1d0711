#pragma once
// Identifiers of the print log's texts in the string table.

namespace palomex::logmsg {
inline constexpr int NoDate = 340;
} // namespace palomex::logmsg
