#include "app/Captions.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace palomex;

TEST(Captions, EveryEnglishTextHasItsGermanOriginal) {
    const Captions& c = Captions::global();
    for (int id = 1000; id < 2000; ++id) {
        if (c.contains(id)) {
            EXPECT_TRUE(c.contains(id - 1000)) << "English " << id << " without German text";
        }
    }
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
    c.load(QStringLiteral("9990\ta\\nb\\tc\\\\d\r\nkein tab\nx9\tnicht numerisch\n"));
    EXPECT_EQ(c.raw(9990), QStringLiteral("a\nb\tc\\d"));
    EXPECT_FALSE(c.contains(9));
}
