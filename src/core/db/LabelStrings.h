#pragma once
// Identifiers of the texts of the label records, the open/delete dialog and the
// main window (string table ids 3-99, 120-199 and 500-599).

namespace palomex::msg {
// Window and dialog captions
inline constexpr int OpenLabelCaption = 10;    // "Etikett öffnen"
inline constexpr int DeleteLabelsCaption = 11; // "Etiketten löschen"
inline constexpr int OkButton = 12;
inline constexpr int CancelButton = 13;
inline constexpr int DeleteButton = 14;
// Designations of a new label's sender, receiver and additional texts (%1 the number)
inline constexpr int SenderDesignation = 28;
inline constexpr int ReceiverDesignation = 29;
inline constexpr int ExtraDesignation = 30;
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
// Deleting
inline constexpr int DeleteQuestion = 520;
inline constexpr int DeleteAll = 521;
inline constexpr int DeletePlural = 522;
inline constexpr int TooManyToDelete = 523;
} // namespace palomex::msg
