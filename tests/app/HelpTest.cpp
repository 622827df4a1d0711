#include "app/Help.h"
#include "app/Captions.h"
#include "entry/EntryStrings.h"
#include "entry/FieldRules.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace palomex;

// Every page the program opens is installed, and every link between pages leads somewhere.
TEST(Help, PagesAndLinksExist) {
    const QDir folder(helpFolder());
    QStringList opened = windowHelpPages();
    const Captions& c = Captions::global();
    for (int id = ids::CatalogueFirst; id <= ids::CatalogueLast; ++id)
        if (const auto topic = helpTopicFor(c.raw(id)))
            opened << topic->page;
    opened.removeDuplicates();
    for (const QString& page : opened)
        EXPECT_TRUE(folder.exists(page)) << page.toStdString();
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)\""));
    for (const QString& page : folder.entryList({QStringLiteral("*.htm")})) {
        const QString html = QString::fromUtf8(palomex::test::readFile(folder.filePath(page)));
        EXPECT_TRUE(html.contains(QStringLiteral("<h1>"))) << page.toStdString();
        for (const auto& m : link.globalMatch(html))
            EXPECT_TRUE(folder.exists(m.captured(1)))
                << page.toStdString() << " -> " << m.captured(1).toStdString();
    }
}

TEST(Captions, EveryEnglishTextHasItsGermanOriginal) {
    const Captions& c = Captions::global();
    for (int id = 1000; id < 2000; ++id)
        EXPECT_TRUE(!c.contains(id) || c.contains(id - 1000)) << "English " << id << " alone";
}

TEST(Captions, OffsetSelectsLanguageFallsBackToGermanAndLinesAreParsed) {
    const test::CaptionsRestorer restore;
    Captions& c = Captions::global();
    c.setOffset(1000);
    EXPECT_EQ(c.text(msg::Title), QStringLiteral("Freight Marker EAN 128"));
    c.load(QStringLiteral("# test\n9999\tnur deutsch\n"));
    EXPECT_EQ(c.text(9999), QStringLiteral("nur deutsch"));
    c.setOffset(0);
    EXPECT_EQ(c.text(msg::Title), QStringLiteral("Frachtmarker EAN 128"));
    // Escapes, and lines that define nothing.
    c.load(QStringLiteral(
        "9990\ta\\nb\\tc\\\\d\r\n9991\tam Ende \\\nkein tab\nx9\tnicht numerisch\n"));
    EXPECT_EQ(c.raw(9990), QStringLiteral("a\nb\tc\\d"));
    EXPECT_EQ(c.raw(9991), QStringLiteral("am Ende \\"));
    EXPECT_FALSE(c.contains(9));
}
