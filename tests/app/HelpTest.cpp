#include "app/Help.h"
#include "app/Captions.h"
#include "entry/EntryStrings.h"
#include "entry/FieldRules.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace palomex;

TEST(Help, TopicEntryCaptions) {
    const struct {
        const char* page;
        const char* field;
        const char* identifier;
        const char* expected;
    } cases[] = {
        {"Inhalt.htm", "", "", "Allgemein"},
        {"NVE.htm", "", "", "Aufbau der NVE"},
        {"Datumsangaben.htm", "MHD", "(15) Mindesthaltbarkeitsdatum", "Hilfe zu MHD (DB 15)"},
        {"Mengenangaben.htm", "Netto", "(310n) Nettogewicht (kg)", "Hilfe zu Netto (DB 310n)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(topicHelpCaption(QString::fromUtf8(c.page), QString::fromUtf8(c.field),
                                   QString::fromUtf8(c.identifier)),
                  QString::fromUtf8(c.expected))
            << c.page;
}

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
