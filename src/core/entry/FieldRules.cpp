#include "entry/FieldRules.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "entry/Catalogue.h"
#include "entry/Dates.h"
#include "entry/EntryStrings.h"

namespace palomex {

namespace {

// The keys of the Central European code page that type the running-number marks
// (178 and 179), as they arrive from a Central European or a German keyboard.
bool opensRunningPart(QChar c) {
    return c == QChar(0x02DB) || c == QChar(0x00B2) || c == mark::OpenRun;
}
bool closesRunningPart(QChar c) {
    return c == QChar(0x0142) || c == QChar(0x00B3) || c == mark::CloseRun;
}

qsizetype nonDigits(const QString& text) {
    qsizetype n = 0;
    for (const QChar c : text) {
        if (!chars::Digits.contains(c))
            ++n;
    }
    return n;
}

bool isDigitOrBlank(QChar c) {
    return chars::Digits.contains(c) || c == QLatin1Char(' ');
}

} // namespace

QString translateChars(const QString& text, const QString& from, const QString& to) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const qsizetype k = from.indexOf(c);
        if (k < 0)
            out += c;
        else if (k < to.size())
            out += to[k];
    }
    return out;
}

QString withoutPrintOnly(const QString& text) {
    return translateChars(text, chars::PrintOnly);
}

QString printedFieldText(const QString& content, bool isDate) {
    QString s = translateChars(content, chars::PrintOnly, QStringLiteral(" .,"));
    s.remove(QLatin1Char('*'));
    if (isDate)
        s.remove(QLatin1Char('~'));
    return s;
}

bool rejectedEverywhere(QChar c) {
    const char16_t u = c.unicode();
    return u == '\'' || u == '|' || u == 0x00B5 || (u >= 0x00A1 && u <= 0x00A5);
}

int korrekt_eingabe(int keyCode) {
    if (keyCode == 13)
        return 10;
    if (keyCode == 8 || keyCode == 32 || keyCode == 44 || keyCode == 46 ||
        (keyCode >= 48 && keyCode <= 57))
        return keyCode;
    return 0;
}

KeyVerdict filterContentKey(const QString& entryText, const QString& text, int cursor, int selected,
                            QChar typed) {
    KeyVerdict verdict;
    const auto entry = CatalogueEntry::parse(entryText);
    if (!entry)
        return verdict;
    const FormatCode& f = entry->format;
    if (typed == chars::Backspace) {
        verdict.insert = typed;
        verdict.endsAutoDate = f.isDate();
        return verdict;
    }
    const bool gs1 = chars::Gs1.contains(typed) || isDigitOrBlank(typed);
    qsizetype limit = f.length;
    QChar insert = typed;
    bool allowed = false;
    if (f.numeric()) {
        const bool star = typed == QLatin1Char('*') && cursor == 0 &&
                          (entry->identifier == u"01" || entry->identifier == u"02");
        allowed = isDigitOrBlank(typed) || star;
        limit += nonDigits(text);
    } else if (f.isDate()) {
        allowed = gs1 || chars::Umlauts.contains(typed) || typed == QLatin1Char('~');
        limit += 2 + nonDigits(text);
        verdict.endsAutoDate = allowed;
    } else if (f.isDecimal()) {
        const bool extra = gs1 && !chars::Digits.contains(typed);
        allowed = gs1 || typed == QChar(0x20AC);
        limit += nonDigits(text) + ((extra || typed == QChar(0x20AC)) ? 1 : 0);
    } else if (f.running && (opensRunningPart(typed) || closesRunningPart(typed))) {
        // Each mark may stand once: the running part is what lies between them.
        insert = opensRunningPart(typed) ? mark::OpenRun : mark::CloseRun;
        allowed = !text.contains(insert);
    } else {
        allowed = gs1;
    }
    if (allowed && text.size() - selected < limit)
        verdict.insert = insert;
    else
        verdict.endsAutoDate = false;
    return verdict;
}

// Qt names the key of a character without a key code of its own by the character.
constexpr int kEllipsisKey = 0x2026;

std::optional<QChar> specialKeyChar(int key, bool altGr, bool keypad, bool dateField) {
    if (altGr && key == Qt::Key_Space)
        return chars::PrintBlank;
    if (altGr && key == Qt::Key_Comma)
        return chars::PrintComma;
    if (altGr && key == Qt::Key_Period)
        return chars::PrintDot;
    // A German keyboard under X11 reports these chords as the keys' third level
    // without a modifier: "·" for AltGr + "," and "…" for AltGr + ".".
    if (key == Qt::Key_periodcentered)
        return chars::PrintComma;
    if (key == kEllipsisKey)
        return chars::PrintDot;
    if (keypad && dateField && (key == Qt::Key_Comma || key == Qt::Key_Period))
        return QChar(u'.');
    return std::nullopt;
}

std::optional<HelpTopic> helpTopicFor(const QString& entryText) {
    const auto entry = CatalogueEntry::parse(entryText);
    if (!entry)
        return HelpTopic{QString(), helppage::Contents};
    const FormatCode& f = entry->format;
    if (entry->identifier == u"01" || entry->identifier == u"02")
        return HelpTopic{QStringLiteral("GTIN Nummern"), QStringLiteral("EAN_Handelseinheit.htm")};
    if (f.running)
        return HelpTopic{QStringLiteral("Seriennummern"),
                         QStringLiteral("Fortlaufende_Nummer.htm")};
    if (f.isDate())
        return HelpTopic{QStringLiteral("Datumsangaben"), QStringLiteral("Datumsangaben.htm")};
    if (f.isDecimal()) {
        const int stem = entry->identifier.left(3).toInt();
        if (stem >= 310 && stem <= 369)
            return HelpTopic{QStringLiteral("Größen"), QStringLiteral("Mengenangaben.htm")};
        if (stem >= 390 && stem <= 393)
            return HelpTopic{QStringLiteral("Währungen"), QStringLiteral("Waehrungsbetraege.htm")};
        return std::nullopt;
    }
    if (f.country)
        return HelpTopic{QStringLiteral("ISO Ländercodes"), QStringLiteral("Laendercodes.htm")};
    return HelpTopic{QString(), helppage::Contents};
}

std::optional<QString> dateCheckQuestion(const QString& entryText, const QString& caption,
                                         const QString& text, QDate today, const QLocale& locale) {
    const auto entry = CatalogueEntry::parse(entryText);
    if (!entry || !entry->format.isDate() || text.isEmpty() || text.contains(u"KW"))
        return std::nullopt;
    if (readDate(QString(text).remove(QLatin1Char('~')), today, locale))
        return std::nullopt;
    return palomex::caption(ids::NotADate).arg(text, entry->code(), caption);
}

} // namespace palomex
