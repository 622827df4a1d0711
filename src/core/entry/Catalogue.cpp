#include "entry/Catalogue.h"

#include "app/Captions.h"
#include "entry/EntryStrings.h"

namespace palomex {

namespace {

// The literal the stored-values button has always been decided by.
const QString kStoredValueIdentifiers =
    QStringLiteral("(01) (02) (90) (91) (92) (93) (94) (95) (96) (97) (98) (99)");

QStringList loadList(const Captions& captions, int first, int last, int offset) {
    QStringList items;
    for (int id = first; id <= last; ++id) {
        const QString t = captions.raw(id + offset);
        if (!t.isEmpty())
            items << t;
    }
    return items;
}

bool startsWithParen(QStringView entryText) {
    return entryText.startsWith(QLatin1Char('('));
}

} // namespace

int CatalogueEntry::decimalPlaces() const {
    const qsizetype close = text.indexOf(QLatin1Char(')'));
    return close > 0 && text[close - 1].isDigit() ? text[close - 1].digitValue() : 0;
}

bool CatalogueEntry::offersStoredValues() const {
    return kStoredValueIdentifiers.contains(code());
}

std::optional<CatalogueEntry> CatalogueEntry::parse(QStringView text) {
    if (!startsWithParen(text))
        return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char(')'));
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (close < 2 || bar < close)
        return std::nullopt;
    CatalogueEntry e;
    e.text = text.toString();
    e.identifier = text.mid(1, close - 1).toString();
    for (const QChar c : std::as_const(e.identifier)) {
        if (!c.isDigit())
            return std::nullopt;
    }
    e.description = text.mid(close + 1, bar - close - 1).trimmed().toString();
    auto format = FormatCode::parse(text.mid(bar + 1));
    if (!format)
        return std::nullopt;
    e.format = *format;
    return e;
}

bool isDecimalStem(int number) {
    return (number >= 310 && number <= 369) || (number >= 390 && number <= 393);
}

QString blankEntry() {
    return QString(50, QLatin1Char(' ')) + QStringLiteral("| ");
}

QString entryDisplayText(const QString& entryText) {
    if (entryText == blankEntry())
        return {};
    const auto entry = CatalogueEntry::parse(entryText);
    if (!entry || !entry->format.isDecimal())
        return entryText;
    const int places = entry->decimalPlaces();
    return entryText + QStringLiteral("   ") +
           (places == 1 ? caption(ids::OneDecimalPlace) : caption(ids::DecimalPlaces).arg(places));
}

const Catalogue& Catalogue::forLanguage(int offset) {
    // Each built when first asked for: a run in one language never needs the other.
    if (offset == 0) {
        static const Catalogue german(Captions::global(), 0);
        return german;
    }
    static const Catalogue english(Captions::global(), 1000);
    return english;
}

Catalogue::Catalogue(const Captions& captions, int offset) {
    selection_ << blankEntry();
    for (int id = ids::CatalogueFirst; id <= ids::CatalogueLast; ++id) {
        const QString text = captions.raw(id + offset);
        auto entry = CatalogueEntry::parse(text);
        if (!entry)
            continue; // the catalogue is fixed data; its tests make sure this never happens
        entries_.push_back(*entry);
        if (id == ids::CatalogueNve)
            continue;
        if (isDecimalStem(entry->identifier.toInt())) {
            for (int d = 0; d <= 5; ++d)
                selection_ << text.left(4) + QString::number(d) + text.mid(4);
        } else {
            selection_ << text;
        }
    }
    countries_ = loadList(captions, ids::CountryFirst, ids::CountryLast, offset);
    currencies_ = loadList(captions, ids::CurrencyFirst, ids::CurrencyLast, offset);
}

std::optional<CatalogueEntry> Catalogue::find(QStringView identifier) const {
    if (identifier == entries_.front().identifier)
        return entries_.front();
    const QString prefix = QLatin1Char('(') + identifier.toString() + QLatin1Char(')');
    for (const QString& text : selection_) {
        if (text.startsWith(prefix))
            return CatalogueEntry::parse(text);
    }
    return std::nullopt;
}

QString Catalogue::entryOfCode(const QString& code) const {
    if (!code.startsWith(QLatin1Char('(')) || !code.endsWith(QLatin1Char(')')))
        return code;
    const auto entry = find(QStringView(code).mid(1, code.size() - 2));
    return entry ? entry->text : code;
}

ChoiceList choiceListFor(const Catalogue& catalogue, QStringView entryText) {
    ChoiceList list;
    const auto entry = CatalogueEntry::parse(entryText);
    if (!entry)
        return list;
    if (entry->format.country) {
        list.kind = ChoiceList::Kind::Countries;
        list.items = catalogue.countries();
        list.selected = Catalogue::CountryPreselect;
    } else if (entry->isCurrencyAmount()) {
        list.kind = ChoiceList::Kind::Currencies;
        list.items = catalogue.currencies();
        list.selected = Catalogue::CurrencyPreselect;
    }
    if (list.selected >= list.items.size())
        list.selected = list.items.isEmpty() ? -1 : 0;
    return list;
}

std::optional<QString> codeForChoice(QStringView entryText, QStringView item) {
    const auto entry = CatalogueEntry::parse(entryText);
    if (!entry || !(entry->format.country || entry->isCurrencyAmount()))
        return std::nullopt;
    return item.left(3).toString();
}

QString holDB(const QString& entryText, const QString& content, bool selectionVisible) {
    if (!startsWithParen(entryText) || content.isEmpty() || !selectionVisible)
        return {};
    const qsizetype close = entryText.indexOf(QLatin1Char(')'));
    if (close < 0)
        return {};
    return mark::OpenRun + entryText.mid(1, close - 1) + mark::CloseRun;
}

QString readableIdentifier(QString barcodeForm) {
    return barcodeForm.replace(mark::OpenRun, QLatin1Char('('))
        .replace(mark::CloseRun, QLatin1Char(')'));
}

} // namespace palomex
