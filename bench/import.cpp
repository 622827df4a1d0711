// Data import of generated rows into stored labels, from a text file and from a
// zipped Excel workbook: seconds to read the table, seconds to import it, rows per
// second in all and the processor seconds spent (the machine may be shared). Each
// row computes a field and saves its label on its own. Last, the same text file
// through the import window (offscreen), with its progress display and ESC watch.
// Usage: bench_import [rows]  (default 10,000)

#include "import/DataImport.h"
#include "import/ImportSource.h"
#include "ui/import/DataImportWindow.h"

#include "Workplace.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <ctime>
#include <minizip/zip.h>

using namespace palomex;

namespace {

// Processor seconds of this process so far.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct Delivery {
    QString name, customer, quantity, date;
};

Delivery delivery(int i) {
    return {QStringLiteral("Lieferung %1").arg(i), QStringLiteral("Kunde %1 & Söhne").arg(i % 97),
            QStringLiteral("%1,5").arg(i % 40 + 1),
            QDate(2026, 1, 1).addDays(i % 365).toString(QStringLiteral("dd.MM.yyyy"))};
}

void writeText(const QString& path, int rows) {
    QByteArray text = "Name;Kunde;Menge;Datum\r\n";
    for (int i = 0; i < rows; ++i) {
        const Delivery d = delivery(i);
        text +=
            QStringList{d.name, d.customer, d.quantity, d.date}.join(QLatin1Char(';')).toUtf8() +
            "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QByteArray inlineCell(const QString& text) {
    return "<c t=\"inlineStr\"><is><t>" + text.toHtmlEscaped().toUtf8() + "</t></is></c>";
}

void writeXlsx(const QString& path, int rows) {
    QByteArray sheet = "<worksheet><sheetData><row>" + inlineCell(QStringLiteral("Name")) +
                       inlineCell(QStringLiteral("Kunde")) + inlineCell(QStringLiteral("Menge")) +
                       inlineCell(QStringLiteral("Datum")) + "</row>";
    const QDate epoch(1899, 12, 30);
    for (int i = 0; i < rows; ++i) {
        const Delivery d = delivery(i);
        // Quantities and dates as a workbook stores them: numbers, the date as a serial.
        sheet += "<row>" + inlineCell(d.name) + inlineCell(d.customer) + "<c><v>" +
                 QByteArray::number(i % 40 + 1.5) + "</v></c><c s=\"1\"><v>" +
                 QByteArray::number(epoch.daysTo(QDate::fromString(d.date, "dd.MM.yyyy"))) +
                 "</v></c></row>";
    }
    sheet += "</sheetData></worksheet>";
    const QList<std::pair<const char*, QByteArray>> parts = {
        {"xl/workbook.xml",
         R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<sheets><sheet name="Lieferungen" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)"},
        {"xl/styles.xml", R"(<styleSheet><cellXfs><xf numFmtId="0"/><xf numFmtId="14"/>)"
                          R"(</cellXfs></styleSheet>)"},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    for (const auto& [name, data] : parts) {
        zipOpenNewFileInZip(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6);
        zipWriteInFileInZip(zip, data.constData(), static_cast<unsigned>(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

void report(const char* kind, const ImportOutcome& out, double read, double total, double cpu) {
    if (out.error)
        std::printf("%s: stopped: %s\n", kind, qPrintable(out.error->text));
    std::printf("%-6s %6d rows  read %6.2f s  import %6.2f s  %8.0f rows/s  cpu %6.2f s  "
                "(%d new, %d overwritten, %zu failed expressions)\n",
                kind, out.rows, read, total - read, out.rows / total, cpu, out.created,
                out.overwritten, out.failures.size());
}

void measure(const char* kind, const QString& path, const QString& table, LabelStore& store,
             const ImportPlan& plan) {
    bench::FixedAnswer prompter(Answer::No);
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    const ImportTable rows = openImportSource(path)->read(table);
    const double read = timer.elapsed() / 1000.0;
    const ImportOutcome out = DataImport(store, prompter).run(rows, plan);
    report(kind, out, read, timer.elapsed() / 1000.0, cpuSeconds() - cpu);
}

void measureWindow(const QString& path, Database& db, const Settings& settings,
                   const QString& labelTable, const ImportPlan& plan) {
    bench::FixedAnswer prompter(Answer::No);
    settings.write(QStringLiteral("Datenimport"), QStringLiteral("ImportEtikett"),
                   plan.templateName);
    DataImportWindow window(db, settings, prompter);
    window.open(labelTable, {[&plan] { return plan.current; }, {}, {}});
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    window.loadFile(path);
    for (int i = 0; i < kMappingCount; ++i)
        window.mappingBox(i)->setEditText(plan.mappings[static_cast<size_t>(i)]);
    const double read = timer.elapsed() / 1000.0;
    const ImportOutcome out = window.runImport();
    report("window", out, read, timer.elapsed() / 1000.0, cpuSeconds() - cpu);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    bench::Workplace place;
    LabelStore store(place.db(), place.opened.labelTable);

    Label templ;
    templ.name = QStringLiteral("Vorlage");
    templ.parties[0].text = QStringLiteral("Absender GmbH\nHafenstraße 1");
    templ.nveBasis = QStringLiteral("4012345");
    store.save(templ);
    ImportPlan plan;
    plan.templateName = templ.name;
    plan.current = templ;
    plan.mappings[mapping::Name] = QStringLiteral("[Name]");
    plan.mappings[mapping::FirstParty + 1] = QStringLiteral("[Kunde]");
    plan.mappings[mapping::FirstField] = QStringLiteral("@[Menge] * 2");
    plan.mappings[mapping::FirstField + 1] = QStringLiteral("@DateAdd(\"d\", 14, [Datum])");
    plan.mappings[mapping::FirstExtra] = daysFromTodayText(3);

    const QString text = place.dir.filePath(QStringLiteral("lieferungen.txt"));
    const QString book = place.dir.filePath(QStringLiteral("lieferungen.xlsx"));
    writeText(text, rows);
    writeXlsx(book, rows);
    // The first run creates every label, the second overwrites them all.
    measure("text", text, openImportSource(text)->preferredTable(), store, plan);
    measure("xlsx", book, QStringLiteral("Lieferungen"), store, plan);
    measureWindow(text, place.db(), place.settings, place.opened.labelTable, plan);
    return 0;
}
