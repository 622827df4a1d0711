#include "output/PrintRun.h"
#include "app/AppError.h"

#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

// Records what a run draws where, on an image that stands for the device.
class RecordingSink : public PageSink {
public:
    QImage image{10, 10, QImage::Format_RGB32};
    QPainter p{&image};
    int page = 1;
    QPainter& painter() override { return p; }
    bool newPage() override {
        ++page;
        return true;
    }
    QSizeF paperMm() const override { return {210, 297}; }
    QSizeF printableMm() const override { return {200, 287}; }
    std::optional<QString> finish() override { return std::nullopt; }
    void discard() override {}
};

class Range : public NveRange {
public:
    QString withoutCheckDigit(qint64 r) const override {
        return r > 99999 ? QString()
                         : QStringLiteral("4012345") + QString::number(r).rightJustified(10, '0');
    }
    QString composed(qint64 r) const override { return withoutCheckDigit(r) + QLatin1Char('x'); }
    void recordAhead(qint64 r) override {
        if (failAbove && r > *failAbove)
            throw AppError(3163, QStringLiteral("HöchstNVE"), QStringLiteral("zu klein"));
        taken.push_back(r);
    }
    std::optional<qint64> highest() const {
        return taken.empty() ? std::nullopt : std::optional(taken.back());
    }
    std::vector<qint64> taken;
    std::optional<qint64> failAbove;
};

struct Drawn {
    int page;
    QString nve;
    QPointF offset;
    QString field0;
    std::optional<qint64> takenWhenDrawn;
};

struct RunFixture : ::testing::Test {
    Label label;
    RunParameters params;
    Range range;
    RecordingSink sink;
    test::ScriptedPrompter prompter;
    std::vector<Drawn> drawn;
    int refuseAt = -1;

    RunResult run(std::function<bool()> escape = {}) {
        PrintRun job(
            label, params, range,
            [this](QPainter&, const Label& l, const QString& nve, const LabelPlacement& placed) {
                if (static_cast<int>(drawn.size()) == refuseAt || !placed.beginDrawing())
                    return false;
                drawn.push_back(
                    {sink.page, nve, placed.offsetMm, l.fields[0].content, range.highest()});
                return true;
            },
            [](const LayoutRect& r, const Label&) { return r.left >= 0; }, sink, prompter);
        job.setEscapeCheck(std::move(escape));
        return job.run();
    }
};

} // namespace

TEST(CountingText, CountsTheMarkedOrTrailingNumber) {
    struct Case {
        const char* text;
        long long step;
        qint64 offset;
        const char* expected;
    };
    const Case cases[] = {
        {"LOT«0009»", 1, 0, "LOT0009"}, {"LOT«0009»", 1, 1, "LOT0010"},
        {"»12«AB", 5, 2, "22AB"},       {"A99", 1, 0, "A99"},
        {"A99", 1, 1, "A100"},          {"X-0007-B«01»", 2, 3, "X-0007-B07"},
        {"0999", 1, 1, "1000"},         {"7", 10, 1, "17"},
        {"ohne", 1, 2, "ohne2"},        {"99999999999999999999", 1, 1, "100000000000000000000"},
        {"A10", -3, 5, "A00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(countingText(QString::fromUtf8(c.text), c.step, c.offset),
                  QString::fromUtf8(c.expected))
            << c.text << " +" << c.step << "x" << c.offset;
}

TEST_F(RunFixture, A4SheetsFillTwoColumnsRowByRow) {
    params.mode = PageMode::A4Sheets;
    params.nveCount = 9;
    params.randLinks = 2;
    params.randOben = 3;
    label.height = 74;
    run();
    ASSERT_EQ(drawn.size(), 9u);
    // Right column at W + 2*ox0 - mx = 105 + 4 - 5; rows H + 2*oy0 - my = 74 + 6 - 5 apart.
    const std::vector<std::pair<int, QPointF>> expected = {
        {1, {2, 3}},     {1, {104, 3}}, {1, {2, 78}},    {1, {104, 78}}, {1, {2, 153}},
        {1, {104, 153}}, {1, {2, 228}}, {1, {104, 228}}, {2, {2, 3}}};
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].page, expected[i].first) << i;
        EXPECT_EQ(drawn[i].offset, expected[i].second) << i;
    }
}

TEST_F(RunFixture, RunningNumbersBeyondTheBaseStopWithoutRecords) {
    params.firstRunning = 99999;
    params.nveCount = 3;
    const RunResult r = run();
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(drawn.size(), 1u);
    EXPECT_EQ(r.lastRun, 99999);
    EXPECT_EQ(range.taken, std::vector<qint64>{99999}) << "only numbers that form an NVE are taken";
}

// Numbers are stored as taken before their labels go out, a stretch at a time, so
// that a run that dies midway never lets another run print them again.
TEST_F(RunFixture, NumbersAreTakenAheadOfTheLabelsInStretches) {
    params.firstRunning = 1;
    params.nveCount = 120;
    params.labelsPerNve = 2;
    const RunResult r = run();
    EXPECT_EQ(r.labelsPrinted, 240);
    EXPECT_EQ(range.taken, (std::vector<qint64>{50, 100, 120}));
    for (const Drawn& d : drawn) {
        const qint64 running = d.nve.mid(7, 10).toLongLong();
        ASSERT_TRUE(d.takenWhenDrawn && *d.takenWhenDrawn >= running) << d.nve.toStdString();
    }
}

TEST_F(RunFixture, ANumberThatCannotBeTakenEndsTheRunBeforeItsLabel) {
    params.nveCount = 120;
    range.failAbove = 60;
    const RunResult r = run();
    EXPECT_EQ(r.labelsPrinted, 50);
    EXPECT_EQ(r.lastRun, 50);
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->text(), QStringLiteral("zu klein"));
}
