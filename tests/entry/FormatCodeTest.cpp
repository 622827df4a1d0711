#include "entry/FormatCode.h"

#include <gtest/gtest.h>

using namespace palomex;
using Type = FormatCode::Type;

TEST(FormatCode, ParsesMarkersTypeAndLength) {
    const struct {
        const char* code;
        Type type;
        bool fixed;
        int length;
        bool check, running, country, separator;
        bool needsSeparator;
    } cases[] = {
        {"¤N=17", Type::Numeric, true, 17, true, false, false, false, false},
        {"©A…20", Type::Alphanumeric, false, 20, false, true, false, false, true},
        {"†=6", Type::Date, true, 6, false, false, false, false, false},
        {"‡…15", Type::Decimal, false, 15, false, false, false, false, true},
        {"µN=17", Type::Numeric, true, 17, false, false, false, true, true},
        {"®µN=3", Type::Numeric, true, 3, false, false, true, true, true},
        {"®N…15", Type::Numeric, false, 15, false, false, true, false, true},
        {" N=2 ", Type::Numeric, true, 2, false, false, false, false, false},
        {"=8", Type::Alphanumeric, true, 8, false, false, false, false, false},
        {"¤µN=27", Type::Numeric, true, 27, true, false, false, true, true},
    };
    for (const auto& c : cases) {
        const auto f = FormatCode::parse(QString::fromUtf8(c.code));
        ASSERT_TRUE(f.has_value()) << c.code;
        EXPECT_EQ(f->type, c.type) << c.code;
        EXPECT_EQ(f->fixedLength, c.fixed) << c.code;
        EXPECT_EQ(f->length, c.length) << c.code;
        EXPECT_EQ(f->checkDigit, c.check) << c.code;
        EXPECT_EQ(f->running, c.running) << c.code;
        EXPECT_EQ(f->country, c.country) << c.code;
        EXPECT_EQ(f->separator, c.separator) << c.code;
        EXPECT_EQ(f->needsSeparator(), c.needsSeparator) << c.code;
        EXPECT_EQ(f->digitsWithoutCheck(), c.check ? c.length - 1 : c.length) << c.code;
    }
}
