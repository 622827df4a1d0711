#include "output/Gs1Encoder.h"
#include "support/Decode.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::decodeAll;

namespace {

const QString Open = QStringLiteral("\u00AB");
const QString Close = QStringLiteral("\u00BB");
const QString Check = QStringLiteral("\u00A5");
const QString Sep = QStringLiteral("\u00B5");
const QByteArray GS("\x1d");

QString ai(const char* digits) {
    return Open + QLatin1String(digits) + Close;
}

std::string withCheck(const std::string& digits) {
    return digits + palomex::test::referenceCheckDigit(digits);
}

QImage render(Gs1Encoder& enc, int dpi) {
    // As a printer of that resolution draws it, in whole-pixel modules that may
    // make the symbol wider than nominal; the widths asked for afterwards stay
    // the nominal ones.
    enc.setDeviceResolution(dpi / 25.4);
    QImage image = palomex::test::blankImage(enc.width() + 10, enc.height() + 10, dpi);
    QPainter p(&image);
    p.scale(dpi / 25.4, dpi / 25.4);
    enc.draw(p, QPointF(5, 5));
    enc.setDeviceResolution(0);
    return image;
}

// The widths of the bars and spaces along a pixel row, from the first dark pixel
// to the last; first is set to where the first bar starts.
std::vector<int> runsAlong(const QImage& image, int y, int& first) {
    auto dark = [&](int x) { return qGray(image.pixel(x, y)) < 128; };
    int last = image.width() - 1;
    for (first = 0; first < last && !dark(first);)
        ++first;
    while (last > first && !dark(last))
        --last;
    std::vector<int> runs{1};
    for (int x = first + 1; x <= last; ++x) {
        if (dark(x) == dark(x - 1))
            ++runs.back();
        else
            runs.push_back(1);
    }
    return runs;
}

struct Case {
    const char* name;
    QString data;
    QByteArray content; // what a reader must transmit
    QString readable;
    bool bare = false; // an element string without identifiers
};

std::vector<Case> cases() {
    const std::string sscc = withCheck("34012345000000001");
    const std::string gtin = withCheck("0401234512345");
    return {
        {"nve", ai("00") + "34012345000000001" + Check, QByteArray("00") + sscc.c_str(),
         "(00)" + QString::fromStdString(sscc)},
        {"gtin_lot_date",
         ai("01") + "0401234512345" + Check + ai("10") + "ABC-12" + Sep + ai("17") + "261231",
         QByteArray("01") + gtin.c_str() + "10ABC-12" + GS + "17261231",
         "(01)" + QString::fromStdString(gtin) + "(10)ABC-12(17)261231"},
        {"trailing_separator_dropped_by_reader", ai("10") + "LOT1" + Sep, "10LOT1", "(10)LOT1"},
        {"fixed_length_needs_no_separator", ai("11") + "261201" + ai("21") + "S/N-7",
         QByteArray("11261201") + "21S/N-7", ""},
        {"two_variable_fields", ai("400") + "ORDER4711" + Sep + ai("21") + "x%&",
         QByteArray("400ORDER4711") + GS + "21x%&", "(400)ORDER4711(21)x%&"},
        {"bare", "0" + Sep + "0", QByteArray("0") + GS + "0", "", true},
        {"bare, separators in a row", "xyz" + Sep + Sep + "y", QByteArray("xyz") + GS + GS + "y",
         "", true},
    };
}

// Bare element strings are built from our own Code 128 table, so every symbol
// character the table holds must reach the reader: these run through all 95
// characters of code set B and, through their check characters, many values.
std::vector<Case> withBareCases(std::vector<Case> all) {
    const QString gs1Set =
        QStringLiteral("!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_"
                       "abcdefghijklmnopqrstuvwxyz");
    for (qsizetype at = 0; at < gs1Set.size(); at += 7) {
        const QString part = gs1Set.mid(at, 7);
        all.push_back({"bare, GS1 set", part + Sep + part.left(3),
                       part.toLatin1() + GS + part.left(3).toLatin1(), "", true});
    }
    return all;
}

class EncoderDecodes : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(EncoderDecodes, ReaderSeesTheElementString) {
    const auto [dpi, step] = GetParam();
    for (const Case& c : withBareCases(cases())) {
        SCOPED_TRACE(c.name);
        Gs1Encoder enc;
        enc.setFont("Arial");
        if (c.bare)
            enc.setBareData(c.data);
        else
            enc.setData(c.data);
        ASSERT_TRUE(enc.accepted()) << enc.rejection().toStdString();
        EXPECT_EQ(enc.data(), c.data);
        if (!c.readable.isEmpty()) {
            EXPECT_EQ(enc.humanReadableText(), c.readable);
        }
        enc.setQuietZones(true);
        enc.setModuleStep(step);
        enc.setBarHeight(15);
        enc.setTextSize(8);
        const QImage image = render(enc, dpi);
        const auto found = decodeAll(image);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].symbology, "]C1");
        EXPECT_EQ(found[0].content, c.content);
        // As a printer draws them: every bar and space a whole number of modules of
        // equal pixel width, after a quiet zone of ten modules.
        const double pxPerMm = dpi / 25.4;
        const int modulePx = qMax(1, qRound(Gs1Encoder::moduleWidthMm(step) * pxPerMm));
        int first = 0;
        int modules = 0;
        for (int r : runsAlong(image, qRound(10 * pxPerMm), first)) {
            EXPECT_EQ(r % modulePx, 0) << r;
            EXPECT_LE(r / modulePx, 4);
            modules += r / modulePx;
        }
        EXPECT_EQ(first - qRound(5 * pxPerMm), 10 * modulePx);
        EXPECT_NEAR(enc.symbolWidth(), (modules + 20) * Gs1Encoder::moduleWidthMm(step), 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, EncoderDecodes,
                         testing::Combine(testing::Values(203, 300, 600),
                                          testing::Values(0, 1, 5, 8)));

TEST(Gs1Encoder, CheckDigitAgreesWithReaderLibrary) {
    for (const char* digits : {"0", "7", "34012345000000001", "0401234512345", "9999999999999",
                               "1234567", "00000000000000000"}) {
        EXPECT_EQ(gs1CheckDigit(QString::fromLatin1(digits)),
                  QChar(palomex::test::referenceCheckDigit(digits)))
            << digits;
    }
    EXPECT_TRUE(gs1CheckDigit(u"12a4").isNull());
    EXPECT_TRUE(gs1CheckDigit(u"").isNull());
}

struct Limit {
    const char* name;
    QString data;
    bool accepted;
    bool bare = false;
    QString kept = {}; // what a refused symbol reads back: the elements that fit
};

TEST(Gs1Encoder, LengthLimits) {
    const std::vector<Limit> limits = {
        {"48 data characters", ai("10") + QString(46, u'1'), true},
        {"49 data characters", ai("10") + QString(47, u'1'), false},
        {"35 symbol characters", ai("10") + QString(30, u'A'), true},
        {"36 symbol characters", ai("10") + QString(31, u'A'), false},
        {"character outside GS1 set", ai("10") + "AB#C", false},
        {"check digit after letters", ai("01") + "12A" + Check, false},
        {"no identifier", "12345", false},
        {"bare, 32 characters: 35 symbol characters", QString(32, u'1'), true, true},
        {"bare, 33 characters", QString(33, u'1'), false, true},
        {"second element too long",
         ai("10") + QString(20, u'1') + Sep + ai("21") + QString(40, u'2'), false, false,
         ai("10") + QString(20, u'1') + Sep},
        {"bare, character outside GS1 set", "AB#C", false, true, "AB"},
        {"bare, nothing but separators", Sep + Sep, false, true},
    };
    for (const Limit& l : limits) {
        Gs1Encoder enc;
        if (l.bare)
            enc.setBareData(l.data);
        else
            enc.setData(l.data);
        EXPECT_EQ(enc.accepted(), l.accepted) << l.name;
        if (!l.kept.isNull()) {
            EXPECT_EQ(enc.data(), l.kept) << l.name;
        }
        EXPECT_EQ(enc.data() == l.data, l.accepted) << l.name;
        EXPECT_EQ(enc.symbolWidth() > 0, l.accepted) << l.name;
    }
}

TEST(Gs1Encoder, DisplayFormShowsParenthesesAndKeepsPlaceholder) {
    EXPECT_EQ(displayForm(ai("01") + "123" + Check + ai("10") + "A" + Sep + "\u00A4"),
              "(01)123" + Check + "(10)A");
}

} // namespace
