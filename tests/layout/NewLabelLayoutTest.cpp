#include "db/InitialLayout.h"
#include "entry/FieldContent.h"
#include "output/LabelRenderer.h"
#include "output/PdfSink.h"
#include "support/Decode.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace palomex;
using palomex::test::referenceCheckDigit;

namespace {

const QString kNve = QStringLiteral("40123450000000042");
const QDate kToday(2026, 12, 1);

std::string withCheck(const std::string& digits) {
    return digits + referenceCheckDigit(digits);
}

// One row of the entry window: identifier entry, caption and content as typed.
struct Row {
    int field;
    const char* identifier;
    const char* caption;
    QString content;
};

// The rows the format offers, filled as a shipping office would fill them.
Label filled(Label l, const std::vector<Row>& rows) {
    l.nveBasis = QStringLiteral("4012345");
    l.parties[0].text = QStringLiteral("Musterfirma GmbH\nLagerstraße 12\n12345 Musterstadt");
    l.parties[1].text = QStringLiteral("Beispiel Handels AG\nHafenweg 7\n20457 Hamburg");
    const QString extras[] = {QStringLiteral("Zerbrechlich! Nicht stapeln, nie werfen."),
                              QStringLiteral("Kühl und trocken lagern, nicht in Sonne."),
                              QStringLiteral("Anlieferung werktags von 6 bis 14 Uhr an")};
    for (int i = 0; i < Label::kExtraCount; ++i)
        l.extras[i].text = extras[i];
    for (const Row& r : rows) {
        EXPECT_TRUE(fieldShown(l.format, r.field)) << r.field;
        DataField& f = l.fields[r.field];
        f.identifier = QString::fromUtf8(r.identifier);
        f.caption = QString::fromUtf8(r.caption);
        f.content = r.content;
    }
    return l;
}

const char* const kGtinEntry = "(01) GTIN der Handelseinheit |¤N=14";
const char* const kContainedEntry = "(02) GTIN der enthaltenen Einheit |¤N=14";
const char* const kBatchEntry = "(10) Losnummer / Chargennummer |©A…20";
const char* const kDateEntry = "(15) Mindesthaltbarkeitsdatum |†=6";
const char* const kQuantityEntry = "(37) Anzahl enthaltene Einheiten |N…8";
const char* const kOrderEntry = "(400) Bestellnummer des Warenempfängers |A…30";

const std::string kGtin = withCheck("0401234512345");
const std::string GS = "\x1d";

struct DefaultLabel {
    const char* name;
    Label label;
    int height;
    int scaling;                      // list position of the barcode scaling
    std::vector<std::string> symbols; // element strings, top to bottom
};

std::vector<DefaultLabel> defaultLabels() {
    const std::string nve = "00" + withCheck(kNve.toStdString());
    const std::string gtin = "01" + kGtin;
    const std::vector<Row> fourRows = {
        {1, kGtinEntry, "GTIN", QString::fromStdString(kGtin)},
        {2, kBatchEntry, "Charge", QStringLiteral("LX24A12345")},
        {3, kDateEntry, "MHD", QStringLiteral("31.12.2026")},
        {4, kQuantityEntry, "Menge", QStringLiteral("48")},
    };
    const std::string fourElements = gtin + "10LX24A12345" + GS + "1526123137" + "48";
    // Data field 0 is not in the upper symbol but follows the NVE in its own.
    std::vector<Row> large = fourRows;
    large.push_back({0, kContainedEntry, "Inhalt", QString::fromStdString(kGtin)});
    large.push_back({6, kOrderEntry, "Bestellnummer", QStringLiteral("PO-4711-2026")});
    // Texts far longer than their place: wrapped, and set smaller before they
    // reach what lies below them.
    Label wordy = filled(newLabelOf(LabelFormat::Large), large);
    wordy.parties[0].text = QStringLiteral(
        "Musterfirma Großhandelsgesellschaft für Verpackungen mbH & Co. KG\nLagerstraße 12\n"
        "Tor 4, Rampe 17\n12345 Musterstadt");
    for (CaptionedText& extra : wordy.extras)
        extra.text = QString(extra.text + u' ').repeated(3).trimmed();
    // A small label made large keeps nothing of the small label's places that the
    // large label's rows would print over.
    Label madeLarge = storedNewLabel(LabelFormat::Small);
    takeFormat(madeLarge, LabelFormat::Large);
    Label standard = storedNewLabel(LabelFormat::Small);
    standard.name = QStringLiteral("Standardetikett");
    return {
        {"large",
         filled(newLabelOf(LabelFormat::Large), large),
         210,
         0,
         {fourElements, "400PO-4711-2026", nve + "02" + kGtin}},
        {"small made large",
         filled(madeLarge, large),
         210,
         0,
         {fourElements, "400PO-4711-2026", nve + "02" + kGtin}},
        {"large, long texts", wordy, 210, 0, {fourElements, "400PO-4711-2026", nve + "02" + kGtin}},
        // 105 mm hold these four elements only with the narrowest modules.
        {"small", filled(newLabelOf(LabelFormat::Small), fourRows), 148, 1, {fourElements, nve}},
        // At "Auto" a numeric batch keeps the symbol within the label.
        {"Standardetikett",
         filled(standard, {{1, kGtinEntry, "GTIN", QString::fromStdString(kGtin)},
                           {2, kBatchEntry, "Charge", QStringLiteral("2412190001")},
                           {4, kQuantityEntry, "Menge", QStringLiteral("48")}}),
         148,
         0,
         {gtin + "102412190001" + GS + "3748", nve}},
        {"nve only", filled(newLabelOf(LabelFormat::NveOnly), {}), 74, 0, {nve}},
    };
}

} // namespace

// Every default layout, filled as in daily use and printed to PDF, is read back
// by a scanner at the resolutions of label printers, and no element prints over
// another or off the label. A new label's height comes from its format; its lines
// wait outside the outline until someone places them.
// PALOMEX_KEEP_OUTPUT names a folder that keeps the PDFs for a look at them.
TEST(NewLabelLayout, DefaultLabelsScanAndNothingOverprints) {
    QTemporaryDir temporary;
    const QDir dir(qEnvironmentVariable("PALOMEX_KEEP_OUTPUT", temporary.path()));
    for (const DefaultLabel& c : defaultLabels()) {
        SCOPED_TRACE(c.name);
        Label label = c.label;
        EXPECT_EQ(label.height, c.height);
        for (int i = element::FirstHorizontalLine; i < element::Count; ++i)
            EXPECT_FALSE(isActive(label.elements[i], label)) << "line " << i;
        const QSizeF size(labelWidthMm(label.format), label.height);
        const QString pdf = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".pdf"));
        SettingsRecord record;
        record.vergrFaktor = c.scaling;
        test::ScriptedPrompter prompter;
        LabelRenderer renderer(record, prompter);
        std::vector<DrawnExtent> extents;
        {
            PdfSink sink(pdf, size, QString::fromLatin1(c.name));
            ASSERT_TRUE(sink.ok());
            RenderOptions options;
            options.extents = &extents;
            const RenderOutcome outcome =
                renderer.render(sink.painter(), label, kNve,
                                fieldCodeFor(label, kToday, QLocale(QLocale::German)), options);
            EXPECT_FALSE(outcome.endRun);
            ASSERT_FALSE(sink.finish());
        }
        EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join("\n").toStdString();

        for (const int dpi : {203, 300}) {
            const auto pages = test::pdfPages(pdf, dpi);
            ASSERT_EQ(pages.size(), 1u);
            const auto found = test::decodeAll(pages[0], 4);
            std::vector<std::string> read;
            for (const auto& d : found) {
                EXPECT_EQ(d.symbology, "]C1") << dpi;
                read.push_back(d.content.toStdString());
            }
            EXPECT_EQ(read, c.symbols) << dpi << " dpi";
        }

        const QRectF onLabel(QPointF(0, 0), size);
        for (std::size_t a = 0; a < extents.size(); ++a) {
            const DrawnExtent& x = extents[a];
            EXPECT_TRUE(onLabel.contains(x.rect)) << "element " << x.element << " leaves the label";
            for (std::size_t b = a + 1; b < extents.size(); ++b) {
                const DrawnExtent& y = extents[b];
                if (x.element != y.element) {
                    EXPECT_FALSE(x.rect.intersects(y.rect))
                        << "elements " << x.element << " and " << y.element << " overlap";
                }
            }
        }
    }
}
