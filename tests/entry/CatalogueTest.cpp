#include "entry/Catalogue.h"
#include "app/Captions.h"
#include "entry/EntryStrings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace palomex;

TEST(Catalogue, EveryEntryParsesInBothLanguages) {
    for (int offset : {0, 1000}) {
        const Captions& c = Captions::global();
        for (int id = ids::CatalogueFirst; id <= ids::CatalogueLast; ++id) {
            const QString text = c.raw(id + offset);
            const auto e = CatalogueEntry::parse(text);
            ASSERT_TRUE(e.has_value()) << id + offset << ": " << text.toStdString();
            EXPECT_GE(e->identifier.size(), 2);
            EXPECT_LE(e->identifier.size(), 4);
            EXPECT_FALSE(e->description.isEmpty()) << id + offset;
            const bool stem = isDecimalStem(e->identifier.toInt()) && e->identifier.size() == 3;
            EXPECT_EQ(stem, e->format.isDecimal()) << text.toStdString();
        }
        EXPECT_EQ(Catalogue::forLanguage(offset).entries().size(), 141u);
    }
}

TEST(Catalogue, SelectionListsExpandDecimalStemsAndSkipTheNve) {
    struct Case {
        int offset;
        std::vector<const char*> offered;
        std::vector<const char*> absent;
    };
    const Case cases[] = {
        {0, {"(253)", "(254)", "(255)", "(3100)", "(3105)", "(3935)"}, {"(252)", "(3106)", "(00)"}},
        {1000, {"(252)", "(253)", "(254)", "(3100)"}, {"(255)", "(00)", "(3109)"}},
    };
    for (const Case& c : cases) {
        const QStringList& list = Catalogue::forLanguage(c.offset).selectionList();
        ASSERT_EQ(list.size(), 416);
        EXPECT_EQ(list.front(), blankEntry());
        EXPECT_FALSE(CatalogueEntry::parse(list.front()).has_value());
        auto offered = [&](const char* prefix) {
            return std::any_of(list.begin(), list.end(), [&](const QString& t) {
                return t.startsWith(QLatin1String(prefix));
            });
        };
        for (const char* p : c.offered)
            EXPECT_TRUE(offered(p)) << c.offset << " " << p;
        for (const char* p : c.absent)
            EXPECT_FALSE(offered(p)) << c.offset << " " << p;
        for (const QString& t : list.mid(1)) {
            const auto e = CatalogueEntry::parse(t);
            ASSERT_TRUE(e) << t.toStdString();
            EXPECT_EQ(t.indexOf(QLatin1Char('|')) + 1,
                      c.offset == 0 ? 48 : (e->format.isDecimal() ? 49 : 48))
                << t.toStdString();
        }
    }
}

TEST(Catalogue, CountryAndCurrencyListsAndTheirPreselection) {
    const Catalogue& de = Catalogue::forLanguage(0);
    const Catalogue& en = Catalogue::forLanguage(1000);
    EXPECT_EQ(de.countries().size(), 239);
    EXPECT_EQ(en.countries().size(), 238); // one id is empty and skipped
    EXPECT_EQ(de.currencies().size(), 52);
    EXPECT_EQ(en.currencies(), de.currencies());

    const struct {
        const char* entry;
        ChoiceList::Kind kind;
        const char* selected;
    } cases[] = {
        {"(422)", ChoiceList::Kind::Countries, "276 Deutschland"},
        {"(7031)", ChoiceList::Kind::Countries, "276 Deutschland"},
        {"(3932)", ChoiceList::Kind::Currencies, "352 Island, isländische Krone"},
        {"(10)", ChoiceList::Kind::None, ""},
    };
    for (const auto& c : cases) {
        const QString id = QString::fromUtf8(c.entry).mid(1).chopped(1);
        const auto e = de.find(id);
        ASSERT_TRUE(e) << c.entry;
        const ChoiceList list = choiceListFor(de, e->text);
        EXPECT_EQ(list.kind, c.kind) << c.entry;
        if (c.kind == ChoiceList::Kind::None) {
            EXPECT_TRUE(list.items.isEmpty());
            EXPECT_FALSE(codeForChoice(e->text, u"276 Deutschland"));
            continue;
        }
        ASSERT_GE(list.selected, 0);
        EXPECT_EQ(list.items[list.selected], QString::fromUtf8(c.selected)) << c.entry;
        EXPECT_EQ(codeForChoice(e->text, list.items[list.selected]),
                  QString::fromUtf8(c.selected).left(3));
    }
}

TEST(Catalogue, ListsShowTheBlankEntryEmptyAndTheDecimalPlaces) {
    const test::CaptionsRestorer restore;
    const struct {
        int offset;
        const char* id;
        const char* hint; // after the entry
    } cases[] = {
        {0, "3100", "   0 Dezimalstellen"},
        {0, "3101", "   1 Dezimalstelle"},
        {0, "3925", "   5 Dezimalstellen"},
        {1000, "3102", "   2 decimal places"},
        {1000, "3101", "   1 decimal place"},
        {0, "01", ""},
        {0, "15", ""},
    };
    for (const auto& c : cases) {
        Captions::global().setOffset(c.offset);
        const QString text = Catalogue::forLanguage(c.offset).find(QString::fromUtf8(c.id))->text;
        EXPECT_EQ(entryDisplayText(text), text + QString::fromUtf8(c.hint)) << c.id;
    }
    EXPECT_EQ(entryDisplayText(blankEntry()), QString());
}

TEST(Catalogue, HolDbAndItsReadableForm) {
    const QString gtin = Catalogue::forLanguage(0).find(u"01")->text;
    EXPECT_EQ(holDB(gtin, "4012345"), QString::fromUtf8("«01»"));
    for (const auto& [entry, content, visible] :
         {std::tuple{gtin, "", true}, {gtin, "1", false}, {blankEntry(), "1", true}})
        EXPECT_EQ(holDB(entry, content, visible), QString()) << content << visible;
    EXPECT_EQ(readableIdentifier(QString::fromUtf8("«3102»")), "(3102)");
}
