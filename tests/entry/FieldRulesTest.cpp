#include "entry/FieldRules.h"
#include "app/Captions.h"
#include "entry/Catalogue.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace palomex;

namespace {

QString entry(const char* identifier) {
    const auto e = Catalogue::forLanguage(0).find(QString::fromUtf8(identifier));
    EXPECT_TRUE(e) << identifier;
    return e ? e->text : QString();
}

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(FieldRules, ContentKeyFilterPerFormat) {
    const QString fourteen = QStringLiteral("12345678901231");
    const struct {
        const char* id; // "" for the blank entry
        QString text;
        int cursor;
        int selected;
        const char* typed;
        const char* inserted; // nullptr: rejected
    } cases[] = {
        // numeric: digits and blanks; "*" only first in 01 and 02
        {"01", "", 0, 0, "*", "*"},
        {"01", "1", 1, 0, "*", nullptr},
        {"20", "", 0, 0, "*", nullptr},
        {"01", "401234", 6, 0, "A", nullptr},
        {"01", "401234", 6, 0, " ", " "},
        {"01", "1234567890123", 13, 0, "4", "4"},
        {"01", fourteen, 14, 0, "5", nullptr},
        {"01", fourteen, 14, 1, "5", "5"},
        {"01", "40 1234 5678 901", 16, 0, "2", "2"},
        {"01", "40 1234 5678 90123", 18, 0, "3", nullptr},
        // date: free text with umlauts and "~", n + 2 digits at most
        {"15", "", 0, 0, "K", "K"},
        {"15", "", 0, 0, "~", "~"},
        {"15", "3. M", 4, 0, "ä", "ä"},
        {"15", "31.12.202", 9, 0, "6", "6"},
        {"15", "31.12.2026", 10, 0, "1", nullptr},
        {"15", "", 0, 0, "€", nullptr},
        // decimal: digits, separators, units and the euro sign; digits limited to n
        {"3102", "12", 2, 0, ",", ","},
        {"3102", "12", 2, 0, "k", "k"},
        {"3102", "12", 2, 0, "ä", nullptr},
        {"3102", "123456", 6, 0, "7", nullptr},
        {"3102", "123456", 6, 0, ",", ","},
        {"3102", "1.234,5", 7, 0, "6", "6"},
        {"3932", "978 1234,5", 10, 0, "6", "6"},
        // running number: the two marks, each once
        {"10", "LOT", 3, 0, "\u02DB", "«"},
        {"10", "LOT«1", 5, 0, "³", "»"},
        {"10", "LOT«1", 5, 0, "«", nullptr},
        {"10", "LOT«1»", 6, 0, "³", nullptr},
        {"10", "LOT", 3, 0, "ä", nullptr},
        // plain alphanumeric: the GS1 set only
        {"240", "", 0, 0, "a", "a"},
        {"240", "", 0, 0, "ä", nullptr},
        {"240", "", 0, 0, "€", nullptr},
        {"240", "", 0, 0, "²", nullptr},
        {"240", "", 0, 0, "\u00AF", "\u00AF"},
        {"240", QString(30, u'x'), 30, 0, "y", nullptr},
        {"", "", 0, 0, "1", nullptr},
    };
    for (const auto& c : cases) {
        const QString e = *c.id ? entry(c.id) : blankEntry();
        const KeyVerdict v = filterContentKey(e, c.text, c.cursor, c.selected, u8(c.typed)[0]);
        const std::string what =
            std::string(c.id) + " \"" + c.text.toStdString() + "\" + " + c.typed;
        if (c.inserted) {
            ASSERT_TRUE(v.insert.has_value()) << what;
            EXPECT_EQ(*v.insert, u8(c.inserted)[0]) << what;
        } else {
            EXPECT_FALSE(v.insert.has_value()) << what;
        }
        // Only an accepted key in a date field ends its automatic date.
        EXPECT_EQ(v.endsAutoDate, v.insert.has_value() && QString(c.id) == "15") << what;
    }
    EXPECT_TRUE(filterContentKey(entry("01"), "1", 1, 0, QChar(8)).insert.has_value());
    EXPECT_TRUE(filterContentKey(entry("15"), "1", 1, 0, QChar(8)).endsAutoDate);
}

TEST(FieldRules, SpecialKeys) {
    const struct {
        int key;
        bool altGr, keypad, date;
        const char* expected;
    } cases[] = {
        {Qt::Key_Space, true, false, false, "\u00AF"},
        {Qt::Key_Comma, true, false, false, "¸"},
        {Qt::Key_Period, true, false, true, "·"},
        {Qt::Key_Comma, false, true, true, "."},
        {Qt::Key_Period, false, true, true, "."},
        {Qt::Key_Comma, false, true, false, nullptr},
        {Qt::Key_Space, false, false, false, nullptr},
        {Qt::Key_A, true, false, false, nullptr},
        // AltGr + "," and "." on a German keyboard under X11
        {Qt::Key_periodcentered, false, false, false, "¸"},
        {0x2026, false, false, false, "·"},
    };
    for (const auto& c : cases) {
        const auto ch = specialKeyChar(c.key, c.altGr, c.keypad, c.date);
        if (c.expected)
            EXPECT_EQ(ch, u8(c.expected)[0]) << c.key;
        else
            EXPECT_FALSE(ch.has_value()) << c.key;
    }
}

TEST(FieldRules, HelpTopicPerIdentifier) {
    const struct {
        QString entry;
        const char* page; // nullptr: the topic stays
    } cases[] = {
        {entry("01"), "EAN_Handelseinheit.htm"},
        {entry("10"), "Fortlaufende_Nummer.htm"},
        {entry("15"), "Datumsangaben.htm"},
        {entry("3102"), "Mengenangaben.htm"},
        {entry("3922"), "Waehrungsbetraege.htm"},
        {entry("3932"), "Waehrungsbetraege.htm"},
        {entry("422"), "Laendercodes.htm"},
        {entry("240"), "Inhalt.htm"},
        {entry("00"), "Inhalt.htm"},
        {blankEntry(), "Inhalt.htm"},
        {u8("(3700) Stück                                   |‡=6"), nullptr},
    };
    for (const auto& c : cases) {
        const auto topic = helpTopicFor(c.entry);
        if (c.page)
            EXPECT_EQ(topic ? topic->page : QString(), c.page) << c.entry.toStdString();
        else
            EXPECT_FALSE(topic.has_value()) << c.entry.toStdString();
    }
    EXPECT_EQ(helpTopicFor(entry("3102"))->name, u8("Größen"));
    EXPECT_EQ(helpTopicFor(entry("422"))->name, u8("ISO Ländercodes"));
}

TEST(FieldRules, DateCheckOnLeavingTheField) {
    const test::CaptionsRestorer restore;
    const QDate today(2026, 12, 6);
    const QLocale de(QLocale::German, QLocale::Germany);
    for (const char* ok :
         {"", "KW 12/26", "~3/2027", "29.02.2028", "31.12.26", "6. Dezember 2026", "24.12."}) {
        EXPECT_FALSE(dateCheckQuestion(entry("15"), "MHD", u8(ok), today, de)) << ok;
    }
    EXPECT_FALSE(dateCheckQuestion(entry("10"), "Charge", "31.02.26", today, de));
    Captions::global().setOffset(0);
    EXPECT_EQ(dateCheckQuestion(entry("15"), "Mindesthaltbarkeitsdatum", "31.02.26", today, de),
              u8("Die Eingabe: 31.02.26\nim Feld:    (15) \"Mindesthaltbarkeitsdatum\"\n"
                 "ist kein korrektes Datum.\n\nEingabe löschen ?"));
    for (const char* bad : {"29.02.2027", "00.13.", "30.02.", "~13/2026", "morgen"}) {
        EXPECT_TRUE(dateCheckQuestion(entry("17"), "Verfall", u8(bad), today, de)) << bad;
    }
}
