// What a label prints comes back as the same field contents when its barcodes are
// scanned: rendered, read by an independent decoder, typed in as a scanner with
// the usual FNC1 replacement would type it, and distributed by the scan parser.

#include "entry/Catalogue.h"
#include "entry/FieldContent.h"
#include "output/LabelRenderer.h"
#include "scan/ScanParser.h"
#include "support/Decode.h"
#include "support/PrintTestLabel.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

QString randomText(QRandomGenerator& random, const QString& alphabet, int minLength,
                   int maxLength) {
    QString s;
    const int n = minLength + int(random.bounded(maxLength - minLength + 1));
    for (int i = 0; i < n; ++i)
        s += alphabet[int(random.bounded(int(alphabet.size())))];
    return s;
}

} // namespace

TEST(ScanRoundTrip, ScannedBarcodesGiveBackTheFieldContents) {
    const Catalogue& catalogue = Catalogue::forLanguage(0);
    SettingsRecord record;
    record.fnc1Identifier = QStringLiteral("]C1");
    record.fnc1Trenner = QStringLiteral("@");
    const ScanSetup setup = scanSetupFrom(record, catalogue.selectionList().mid(1));
    const QString digits = QStringLiteral("0123456789");
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-./");
    QRandomGenerator random(20261207);
    constexpr int kDpi = 300;
    for (int n = 0; n < 12; ++n) {
        Label label = test::printTestLabel();
        label.fields[1].content = randomText(random, digits, 12, 12);
        label.fields[2].autoValue = false;
        label.fields[2].content = randomText(random, letters, 1, 20);
        label.fields[6].content = randomText(random, letters, 1, 30);
        test::ScriptedPrompter prompter;
        LabelRenderer renderer(record, prompter);
        QImage page = test::blankImage(148, 230, kDpi);
        {
            QPainter p(&page);
            p.scale(kDpi / 25.4, kDpi / 25.4);
            Label drawn = label;
            renderer.render(p, drawn, QStringLiteral("40123450000000001"), fieldCodeFor(drawn), {});
            label.fields[1].content = drawn.fields[1].content; // with its check digit now
        }
        ASSERT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
        const auto symbols = test::printTestSymbols(page, kDpi);
        Label scanned = label;
        for (DataField& f : scanned.fields)
            f.content.clear();
        for (int k = 0; k < 2; ++k) {
            ASSERT_FALSE(symbols[k].isEmpty()) << "label " << n << " symbol " << k;
            QString typed = QString::fromLatin1(symbols[k]);
            typed.replace(QChar(0x1D), QStringLiteral("@"));
            const ScanResult r = applyScan(QStringLiteral("]C1") + typed, setup, scanned);
            EXPECT_TRUE(r.ok()) << r.message.toStdString();
        }
        for (int i : {1, 2, 6})
            EXPECT_EQ(scanned.fields[i].content, label.fields[i].content)
                << "label " << n << " row " << i;
    }
}
