#pragma once
// What the content field of a data row accepts while typing, the characters its
// special keys insert, the help page it points at, the date check when it is left,
// and the printed form of its text.

#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace palomex {

namespace chars {
inline const QString Digits = QStringLiteral("0123456789");
// Characters GS1 allows in alphanumeric data, plus the three print-only characters.
inline const QString Gs1 = QStringLiteral("!#$%&()*+,-./:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"
                                          "abcdefghijklmnopqrstuvwxyz{|}~\u00B7\u00B8\u00AF");
inline const QString Umlauts = QStringLiteral("ÄÖÜäöüß");
// Everything a decimal content may hold that is neither digit nor separator.
inline const QString DecimalStrip = QStringLiteral(
    " €!#$%&()*+-/:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_abcdefghijklmnopqrstuvwxyz{|}~");
inline constexpr QChar Backspace{8};
inline constexpr QChar PrintDot{0x00B7};   // · printed as "."
inline constexpr QChar PrintComma{0x00B8}; // ¸ printed as ","
inline constexpr QChar PrintBlank{0x00AF}; // printed as a blank
inline const QString PrintOnly = QStringLiteral("\u00AF\u00B7\u00B8");
} // namespace chars

// Replaces every character of from by the one at the same place in to, or removes
// it when to is empty.
QString translateChars(const QString& text, const QString& from, const QString& to = {});
// The text without the print-only characters: what of it reaches a barcode.
QString withoutPrintOnly(const QString& text);
// The printed form of a data field content: print-only characters become what
// they stand for, "*" disappears, and "~" of a date field too.
QString printedFieldText(const QString& content, bool isDate);

// Characters no field of the entry window takes: they are marks of the barcode data.
bool rejectedEverywhere(QChar c);

// korrekt_eingabe: the key filter of the plain number fields. Backspace, blank,
// "," "." and digits pass, Enter becomes 10, everything else 0.
int korrekt_eingabe(int keyCode);

// The answer of the content key filter: the character to insert (it may differ from
// the typed one) or nothing, and whether typing ends the field's automatic date.
struct KeyVerdict {
    std::optional<QChar> insert;
    bool endsAutoDate = false;
};
// A character typed into the content field of a row whose identifier entry is
// entryText. text is the field's text; selected characters are replaced by the key.
KeyVerdict filterContentKey(const QString& entryText, const QString& text, int cursor, int selected,
                            QChar typed);

// A character a special key inserts: AltGr + Space, "," and "." give the print-only
// characters, the keypad's decimal key gives "." in a date field.
std::optional<QChar> specialKeyChar(int key, bool altGr, bool keypad, bool dateField);

struct HelpTopic {
    QString name;
    QString page;
};
// The help topic of a content field; nothing where the topic stays as it is.
std::optional<HelpTopic> helpTopicFor(const QString& entryText);

// The question to ask when a date field is left holding text that is no date;
// nothing when the text is empty, a date, or a calendar week.
std::optional<QString> dateCheckQuestion(const QString& entryText, const QString& caption,
                                         const QString& text, QDate today = QDate::currentDate(),
                                         const QLocale& locale = QLocale());

} // namespace palomex
