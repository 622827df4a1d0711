#pragma once
// Identifiers of the administration's texts in the string table.

namespace palomex::adminmsg {
inline constexpr int Compacted = 900;
inline constexpr int CopyIncomplete = 901;
inline constexpr int CannotReplace = 902;
inline constexpr int CannotDeleteDefault = 903;
inline constexpr int AskDeleteUser = 904;
inline constexpr int UserDeleted = 905;
inline constexpr int AskNewUser = 906;
inline constexpr int AskEditData = 907;
inline constexpr int SortTip = 908;
inline constexpr int AskDeleteRows = 909; // %1 how many rows
inline constexpr int WindowTitle = 910;
inline constexpr int CurrentUser = 911;
inline constexpr int NewUser = 912;
inline constexpr int DeleteUserButton = 913;
inline constexpr int CompactButton = 914;
inline constexpr int EditButton = 915;
inline constexpr int Ok = 916;
inline constexpr int Help = 917;
inline constexpr int Tables = 918;
inline constexpr int AddRow = 919;
inline constexpr int DeleteRows = 945;
inline constexpr int MissingColumn = 946; // %1 column, %2 table
} // namespace palomex::adminmsg

namespace palomex::adminmsg {
inline constexpr int ImportedLabels = 920;
inline constexpr int ImportedBases = 921;
inline constexpr int ImportedLog = 922;
inline constexpr int ImportedBatches = 923;
inline constexpr int ImportedSettings = 924;
inline constexpr int SettingsNotFound = 925;
inline constexpr int UnknownDatabaseType = 926;
inline constexpr int NothingSelected = 927;
inline constexpr int OfferMigration = 928;
inline constexpr int Migrated = 929;
} // namespace palomex::adminmsg
