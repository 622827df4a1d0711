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
inline constexpr int ExprBadDateLiteral = 826; // %1 the text between the "#" signs
inline constexpr int ExprNoColumn = 835;
} // namespace palomex::msg

namespace palomex::msg {
inline constexpr int ImportUnknownType = 830; // "Datenbanktyp nicht gefunden"
inline constexpr int ImportCannotOpen = 831;  // file could not be opened: %1
inline constexpr int ImportDamaged = 832;     // file damaged: %1 (%2)
inline constexpr int ImportNoTable = 833;     // no table %1
inline constexpr int ImportTooLarge = 834;    // file too large
} // namespace palomex::msg

namespace palomex::msg {
inline constexpr int ImportInRow = 836;      // "Datensatz %1: %2"
inline constexpr int ImportShortRow = 837;   // the line ends before column %1
inline constexpr int ImportNotACount = 838;  // %1 is no count for %2
inline constexpr int ImportNoTemplate = 839; // template label %1 not stored
inline constexpr int ImportNoFields = 840;   // no mapping box holds text
inline constexpr int ImportReportHead = 841; // template %1, %2 rows processed
inline constexpr int ImportNewOnly1 = 842;   // nothing overwritten, one new label
inline constexpr int ImportNewOnlyN = 855;   // nothing overwritten, %1 new labels
inline constexpr int ImportOverwrote1 = 843; // one row overwrote a label
inline constexpr int ImportOverwroteN = 844; // %1 rows overwrote labels
inline constexpr int ImportNew1 = 845;       // after the overwritten count, one new label
inline constexpr int ImportNewN = 846;       // after the overwritten count, %1 new labels
inline constexpr int ImportUniqueHint = 847; // no new label: names must be unique
inline constexpr int ImportSkipped = 848;    // %1 rows not imported
inline constexpr int ImportExprFailed = 849; // expressions that failed, the first one
inline constexpr int ImportError = 850;      // "Fehler: %1\n%2"
inline constexpr int ImportErrorField = 851; // " ---> %1"
inline constexpr int ImportPosition = 852;   // row %1 of %2
inline constexpr int ImportEscHint = 853;    // "Abbruch mit ESC"
inline constexpr int ImportAskCancel = 854;  // "Datenimport abbrechen ?"
inline constexpr int ImportTitle = 856;
inline constexpr int ImportTemplateButton = 857;
inline constexpr int ImportNow = 858;
inline constexpr int ImportClose = 859;
inline constexpr int ImportHelp = 860;
inline constexpr int ImportNameCaption = 861;
inline constexpr int ImportFileTitle = 862;
inline constexpr int ImportFileFilter = 863;
inline constexpr int ImportAskTemplate = 864;
inline constexpr int ImportFileCaption = 865;
inline constexpr int ImportTableCaption = 866;
inline constexpr int EditorTitle = 867;
inline constexpr int EditorExpression = 868;
inline constexpr int EditorColumns = 869;
inline constexpr int EditorInsertFrame = 870;
inline constexpr int EditorInsert = 871;
inline constexpr int EditorBlank = 872;
inline constexpr int EditorCrLf = 873;
inline constexpr int EditorTab = 874;
inline constexpr int EditorBlankTip = 875;
inline constexpr int EditorCrLfTip = 876;
inline constexpr int EditorTabTip = 877;
inline constexpr int EditorAmpersandTip = 878;
inline constexpr int EditorResult = 879;
inline constexpr int EditorOk = 880;
inline constexpr int EditorCancel = 881;
inline constexpr int EditorInsertTip = 882;
inline constexpr int ImportMenu = 883;         // "&Daten importieren"
inline constexpr int ImportFieldCaption = 884; // a data field without identifier or caption
} // namespace palomex::msg
