#pragma once
// Identifiers of the texts of the label records, the open/delete dialog and the
// main window (string table ids 3-99, 120-199 and 500-599).

namespace palomex::msg {
// Window and dialog captions
inline constexpr int OpenLabelCaption = 10;    // "Etikett öffnen"
inline constexpr int DeleteLabelsCaption = 11; // "Etiketten löschen"
// Records
inline constexpr int NoteColumnMissing = 500;
inline constexpr int NoteNotANumber = 501;
inline constexpr int NotesLoaded = 502;
inline constexpr int AskLabelName = 510;
inline constexpr int SaveLabelTitle = 511;
inline constexpr int AskSaveChanges = 512;
inline constexpr int NameEmpty = 513;
inline constexpr int NameTooLong = 514;
inline constexpr int TextTooLong = 515;
} // namespace palomex::msg
