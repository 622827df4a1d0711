#pragma once
// Identifiers of the texts of the shared database on a server and of a database
// in exclusive use (700-749).

namespace palomex::dbmsg {
inline constexpr int Unreachable = 700;     // %1: the server's own text
inline constexpr int BadUri = 701;          // %1: the connection text as given
inline constexpr int TargetNotEmpty = 702;  // %1: target, %2: its first table
inline constexpr int CountMismatch = 703;   // %1 table, %2 rows read, %3 rows written
inline constexpr int CopyFailed = 704;      // %1 table, %2 engine text
inline constexpr int Migrated = 705;        // %1 tables, %2 rows, %3 target
inline constexpr int MigrateUsage = 706;    // %1 program name
inline constexpr int TargetNotServer = 707; // %1 target
inline constexpr int MigrateLine = 708;     // %1 table, %2 rows
inline constexpr int ServerNotOurs = 709;   // %1 the database's URI
inline constexpr int MoveToServer = 710;    // button of the administration window
inline constexpr int AskServerUri = 711;    // asks for the target of the move
inline constexpr int InExclusiveUse = 712;  // %1 the database file
inline constexpr int StillInUse = 713;      // compaction refused
} // namespace palomex::dbmsg
