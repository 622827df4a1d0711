// Rendered labels against reference images that a person has looked at: a change
// in fonts, positions or bars shows as pixels that differ. Regenerate the images
// with PALOMEX_WRITE_REFERENCES=1 after a deliberate change, and look at them.

#include "db/InitialLayout.h"
#include "entry/FieldContent.h"
#include "output/LabelRenderer.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

constexpr int kDpi = 150;

QImage rendered(const Label& source) {
    test::ScriptedPrompter prompter;
    SettingsRecord record;
    LabelRenderer renderer(record, prompter);
    QImage image(qRound(labelWidthMm(source.format) * kDpi / 25.4),
                 qRound(source.height * kDpi / 25.4), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(kDpi / 25.4, kDpi / 25.4);
    Label label = source;
    renderer.render(p, label, QStringLiteral("4012345000000004 2"), fieldCodeFor(label), {});
    return image;
}

// The share of pixels whose grey level differs by more than a quarter.
double differingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64;
    return double(differing) / (double(a.width()) * a.height());
}

Label smallLabel() {
    Label l = test::printTestLabel();
    l.format = LabelFormat::Small;
    applyInitialLayout(l);
    applyNewLabelDefaults(l);
    return l;
}

} // namespace

TEST(ReferenceImages, LabelsLookAsTheyWereApproved) {
    const struct {
        const char* name;
        Label label;
    } cases[] = {{"large-three-barcodes", test::printTestLabel()}, {"small-new", smallLabel()}};
    const QString folder =
        qEnvironmentVariable("PALOMEX_SOURCE_DIR") + QStringLiteral("/tests/output/reference/");
    for (const auto& c : cases) {
        const QImage now = rendered(c.label);
        const QString file = folder + QString::fromLatin1(c.name) + QStringLiteral(".png");
        if (qEnvironmentVariableIsSet("PALOMEX_WRITE_REFERENCES")) {
            QDir().mkpath(folder);
            ASSERT_TRUE(now.save(file));
            continue;
        }
        const QImage approved(file);
        ASSERT_FALSE(approved.isNull()) << file.toStdString();
        const double share = differingShare(now, approved.convertToFormat(QImage::Format_RGB32));
        if (share > 0.002)
            now.save(QDir::temp().filePath(QString::fromLatin1(c.name) + "-now.png"));
        EXPECT_LE(share, 0.002) << c.name << ": " << share * 100
                                << "% of the pixels differ; the image is in the temp folder";
    }
}
