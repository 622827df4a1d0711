#pragma once
// The string table: every language-dependent text by number, German at N and
// English at N + 1000. Loaded once from the text resources under :/strings.

#include <QHash>
#include <QString>

namespace palomex {

class Captions {
public:
    static Captions& global();

    // The text stored under exactly this identifier, or an empty text.
    QString raw(int id) const { return texts_.value(id); }
    bool contains(int id) const { return texts_.contains(id); }
    // The text of the current language; falls back to German where no English exists.
    QString text(int id) const;

    int offset() const { return offset_; }
    void setOffset(int offset) { offset_ = offset == 0 ? 0 : 1000; }

    // Parses lines "id<TAB>text" ('#' starts a comment line; "\n", "\t" and "\\"
    // are escapes). Later definitions of an id replace earlier ones.
    void load(const QString& content);

private:
    Captions();
    QHash<int, QString> texts_;
    int offset_ = 0;
};

inline QString caption(int id) {
    return Captions::global().text(id);
}

// Identifiers of the texts the program code refers to by name.
namespace msg {
inline constexpr int Title = 1;
inline constexpr int ErrorTitle = 2;
inline constexpr int MenuEtikett = 120;
inline constexpr int MenuBeenden = 141;
inline constexpr int MenuHilfe = 150;
inline constexpr int HelpContents = 151;
inline constexpr int HelpGeneral = 152;
inline constexpr int HelpNve = 153;
inline constexpr int HelpOn = 154;
inline constexpr int HelpWindowTitle = 155;
inline constexpr int HelpDb = 156;
inline constexpr int HelpShortGuide = 157;
inline constexpr int HelpNetwork = 158;
inline constexpr int HelpDataEntry = 159;
inline constexpr int FolderNotCreated = 300;
inline constexpr int DbPathIsFolder = 301;
inline constexpr int DbFolderMissing = 302;
inline constexpr int DbNotCreatable = 303;
inline constexpr int DbReadOnly = 304;
inline constexpr int DbIsAccess = 305;
inline constexpr int DbNotOurs = 306;
inline constexpr int DbCannotOpen = 307;
inline constexpr int DbDamaged = 308;
inline constexpr int SeedImported = 310;
inline constexpr int NewUserCreated = 311;
inline constexpr int NoPrinter = 312;
inline constexpr int ErrorBox = 320; // "Fehler: %1,   Modul: %2\n%3\n\n"
inline constexpr int UsageText = 330;
inline constexpr int UnknownCommand = 331;
inline constexpr int WrongParameter = 332;
inline constexpr int LabelNotFound = 333;
inline constexpr int FilePrintUnreadable = 334;
inline constexpr int NeedsDisplay = 335; // %1 the command as given, or the program name
} // namespace msg

} // namespace palomex
