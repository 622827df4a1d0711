#pragma once
// Identifiers of the batch management's texts in the string table.

namespace palomex::batchmsg {
inline constexpr int TooManyToDelete = 350;
inline constexpr int TooManyToTrace = 351;
inline constexpr int ForeignTooLarge = 352;
inline constexpr int AskDeleteOne = 353;
inline constexpr int AskDeleteMany = 354;
inline constexpr int NothingMarked = 355;
inline constexpr int ForeignHeading = 463; // "Fremdcharge: " of a trace's heading
inline constexpr int NoOwnMarked = 464;
inline constexpr int NoBatchIdentifier = 465;
inline constexpr int NoForeignTyped = 466;
inline constexpr int DatabaseError = 389; // "Fehler: " number, line break, description
} // namespace palomex::batchmsg
