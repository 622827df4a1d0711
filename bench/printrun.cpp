// A print run of 10,000 labels with three barcodes each (5,000 NVEs, two labels per
// NVE) to the built-in PDF writer, through the same print job as the program:
// labels per second and the peak memory of the process. Then, when a printer is
// named in PALOMEX_BENCH_PRINTER (or a CUPS test printer in PALOMEX_TEST_CUPS as
// "SOCKET|QUEUE|OUTDIR"), the same run as a whole "palomex print" process.

#include "../tests/support/PrintTestLabel.h"
#include "db/LabelStore.h"
#include "output/PdfSink.h"
#include "output/PrintJob.h"

#include "Workplace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kNves = 5000;
constexpr int kLabelsPerNve = 2;

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void commandLineRun(const QString& printer, const QString& cupsServer) {
    {
        palomex::Settings settings(palomex::iniPath());
        settings.write(QStringLiteral("Drucker"), QStringLiteral("Drucker"), printer);
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!cupsServer.isEmpty())
        env.insert(QStringLiteral("CUPS_SERVER"), cupsServer);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/palomex"),
            {QStringLiteral("print"), palomex::test::printTestLabel().name, QStringLiteral("-"),
             QStringLiteral("100001"), QString::number(kNves), QString::number(kLabelsPerNve)});
    p.waitForFinished(-1);
    const double s = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("command line \"print\" to %s: exit %d, %.2f s, %.0f labels/s (whole process, "
                "until the job is handed to the spooler)\n",
                qUtf8Printable(printer), p.exitCode(), s, kNves * kLabelsPerNve / s);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    palomex::bench::Workplace place;
    const palomex::OpenedDatabase& opened = place.opened;
    palomex::Label label = palomex::test::printTestLabel();
    palomex::LabelStore(*opened.database, opened.labelTable).save(label);
    label.anzahlNVEs = QString::number(kNves);
    label.anzahlProNVE = kLabelsPerNve;

    palomex::bench::FixedAnswer prompter(palomex::Answer::No, true);
    palomex::SettingsRecord record;
    palomex::JobSettings js;
    js.mode = palomex::PageMode::SingleLabels;
    js.logging = true;
    js.benutzer = opened.labelTable;
    const long before = peakRssMb();
    const QString pdf = place.dir.filePath(QStringLiteral("lauf.pdf"));
    QElapsedTimer timer;
    timer.start();
    palomex::PrintJob job(*opened.database, record, js, prompter);
    const palomex::JobResult r =
        job.print(label, palomex::PdfSink::opener(pdf, label.name, prompter));
    const double s = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("print run to the built-in PDF writer: %d labels in %.2f s, %.0f labels/s\n",
                r.labelsPrinted, s, r.labelsPrinted / s);
    std::printf("peak memory: %ld MB (%ld MB before the run), PDF %.1f MB\n", peakRssMb(), before,
                static_cast<double>(QFileInfo(pdf).size()) / 1e6);

    const QStringList cups = qEnvironmentVariable("PALOMEX_TEST_CUPS").split(u'|');
    const QString printer = qEnvironmentVariable("PALOMEX_BENCH_PRINTER");
    if (!printer.isEmpty())
        commandLineRun(printer, {});
    else if (cups.size() == 3)
        commandLineRun(cups[1], cups[0]);
    else
        std::printf("command line \"print\": skipped (no printer: set PALOMEX_BENCH_PRINTER, or "
                    "PALOMEX_TEST_CUPS from tools/cups-test-printer)\n");
    return r.labelsPrinted == kNves * kLabelsPerNve ? 0 : 1;
}
