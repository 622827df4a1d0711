#pragma once
// The data identifier catalogue: entries "(" digits ")" description "|" format code,
// held in the string table, the selection list of a data row, the country and
// currency lists, and holDB.

#include "entry/FormatCode.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace palomex {

class Captions;

struct CatalogueEntry {
    QString text;        // the whole entry as the selection list shows it
    QString identifier;  // digits between "(" and ")", e.g. "01", "3102"
    QString description; // between ")" and "|", trimmed: the printed label text
    FormatCode format;

    QString code() const { return QLatin1Char('(') + identifier + QLatin1Char(')'); }
    // The decimal places of a "‡" entry: the digit just before ")".
    int decimalPlaces() const;
    // Amounts with an ISO currency code in front (393x).
    bool isCurrencyAmount() const { return text.startsWith(QLatin1String("(393")); }
    // Identifiers whose stored values the row offers (01, 02, 90 to 99).
    bool offersStoredValues() const;

    // Parses a list entry; nothing for the blank entry or a text that is no entry.
    static std::optional<CatalogueEntry> parse(QStringView text);
};

// Three-digit stems that the selection list expands by a decimal-place digit.
bool isDecimalStem(int number);

// The first entry of every selection list: choosing it leaves the row without identifier.
QString blankEntry();

// How a selection list shows an entry: the blank entry as nothing at all, a decimal
// entry followed by the number of decimal places its last digit stands for. The
// entry text itself stays as the catalogue words it.
QString entryDisplayText(const QString& entryText);

class Catalogue {
public:
    // Position of "276 Deutschland" and "352 Island, isländische Krone" in their lists.
    static constexpr int CountryPreselect = 42;
    static constexpr int CurrencyPreselect = 17;

    // The catalogue of a language (offset 0 or 1000), read once from the string table.
    static const Catalogue& forLanguage(int offset);
    Catalogue(const Captions& captions, int offset);

    // The catalogue texts in resource order, the NVE (00) first.
    const std::vector<CatalogueEntry>& entries() const { return entries_; }
    // The selection list of a data row: blank entry, then every entry but the NVE,
    // each decimal stem as six entries with 0 to 5 places.
    const QStringList& selectionList() const { return selection_; }
    // The selection list entry of an identifier ("01", "3102"), as a scan splits it.
    std::optional<CatalogueEntry> find(QStringView identifier) const;

    // The selection list entry a label row stores as its code ("(10)"); the code
    // itself when no entry has it, so that nothing of the row is lost.
    QString entryOfCode(const QString& code) const;

    const QStringList& countries() const { return countries_; }
    const QStringList& currencies() const { return currencies_; }

private:
    std::vector<CatalogueEntry> entries_;
    QStringList selection_;
    QStringList countries_;
    QStringList currencies_;
};

// The country or currency list a row offers for its entry, with its pre-selection.
struct ChoiceList {
    enum class Kind { None, Countries, Currencies };
    Kind kind = Kind::None;
    QStringList items;
    int selected = -1;
};
ChoiceList choiceListFor(const Catalogue& catalogue, QStringView entryText);
// What choosing a list item writes into the content field: its three-digit code, but
// only while the row's entry is one that takes a country or currency code.
std::optional<QString> codeForChoice(QStringView entryText, QStringView item);

// The row's identifier in barcode form ("«01»"), or "" for the blank entry, an empty
// content or a hidden selection field.
QString holDB(const QString& entryText, const QString& content, bool selectionVisible = true);
// "«01»" -> "(01)": the form printed under the barcode.
QString readableIdentifier(QString barcodeForm);

} // namespace palomex
