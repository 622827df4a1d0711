// "palomex print <label>" without a display, as a shipping system's job starts it:
// one label to a CUPS queue that writes PDFs, on an embedded database in a fresh
// data folder. Prints the instructions of the whole process (callgrind's total) and
// the wall time of plain runs.
//
// The queue comes as PALOMEX_TEST_CUPS=SOCKET|QUEUE|OUTDIR, as tools/cups-test-printer
// start DIR prints it; the program is PALOMEX_BIN or the palomex beside this benchmark.

#include "Workplace.h"
#include "app/Paths.h"
#include "app/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString program() {
    const QString given = qEnvironmentVariable("PALOMEX_BIN");
    return given.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/palomex")
                           : given;
}

// Runs a command without a display; false when it did not end with exit code 0.
bool run(const QString& command, const QStringList& args, const QString& cupsSocket) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("CUPS_SERVER"), cupsSocket);
    p.setProcessEnvironment(env);
    // The program's messages (the seed labels, the reprint warning) are not figures.
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(command, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList cups = qEnvironmentVariable("PALOMEX_TEST_CUPS").split(u'|');
    if (cups.size() != 3) {
        std::fprintf(stderr, "bench_headless_print: set PALOMEX_TEST_CUPS=SOCKET|QUEUE|OUTDIR "
                             "(tools/cups-test-printer start DIR prints it)\n");
        return 2;
    }
    const palomex::bench::DataFolder data;
    // The first start creates the data folder, the database and the seed labels.
    if (!run(program(), {QStringLiteral("?")}, cups[0]))
        return 1;
    {
        palomex::Settings settings(palomex::iniPath());
        settings.write(QStringLiteral("Drucker"), QStringLiteral("Drucker"), cups[1]);
        settings.writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("Etikettentyp"), 1);
    }
    const QStringList print = {QStringLiteral("print"), QStringLiteral("Beispiel Palette")};

    // libcups copies its read buffer once per attribute when the spooler's answer
    // arrives all at once rather than in pieces, which adds up to some 80 M
    // instructions depending on timing; the least of three runs is the program's own.
    const QString profile = data.dir.filePath(QStringLiteral("callgrind.out"));
    const QRegularExpression totals(QStringLiteral("^(?:totals|summary): (\\d+)"),
                                    QRegularExpression::MultilineOption);
    std::vector<double> instructions;
    for (int i = 0; i < 3; ++i) {
        if (!run(QStringLiteral("valgrind"),
                 QStringList{QStringLiteral("--tool=callgrind"), QStringLiteral("--quiet"),
                             QStringLiteral("--callgrind-out-file=") + profile, program()} +
                     print,
                 cups[0]))
            return 1;
        QFile out(profile);
        out.open(QIODevice::ReadOnly);
        instructions.push_back(
            totals.match(QString::fromLatin1(out.readAll())).captured(1).toDouble() / 1e6);
    }
    std::sort(instructions.begin(), instructions.end());
    std::printf("headless print of one label, whole process: %.1f M instructions "
                "(least of 3; most %.1f M)\n",
                instructions.front(), instructions.back());

    std::vector<double> ms;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run(program(), print, cups[0]))
            return 1;
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("headless print of one label, wall time (10 runs): median %.1f ms, min %.1f ms\n",
                ms[ms.size() / 2], ms.front());
    return 0;
}
