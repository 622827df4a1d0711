// The print log window (offscreen) on a generated log: for the short and the detailed
// list and both content orders, seconds until the first screen of rows shows and
// until the caption has the row count, the longest time the window did not answer,
// the milliseconds a further page takes when scrolled to, and the memory in use;
// then how long ESC takes to stop a listing, and the batch window's opening.
// Usage: bench_logwindow [rows] [batches] [postgresql://...]
//        (default 1,000,000 rows, 50,000 batches, an embedded database in a temporary
//        folder; a server database given must be empty)

#include "ui/log/LogWindow.h"
#include "log/LogQuery.h"
#include "ui/batches/BatchWindow.h"

#include "LogRows.h"
#include "Workplace.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace palomex;

namespace {

// Resident memory of this process in MB: now, or its peak ("VmHWM").
double memoryMb(const char* key = "VmRSS:") {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key)))
                       .trimmed()
                       .split(' ')
                       .value(0)
                       .toDouble() /
                   1024.0;
    }
    return -1;
}

// Runs the event loop until done() holds (at most limit seconds) and returns the
// seconds it took. stall keeps the longest gap between two ticks of a 5 ms timer: the
// longest time the window would not have answered.
double runUntil(const std::function<bool()>& done, double& stall, double limit = 120) {
    QElapsedTimer total, sinceTick;
    total.start();
    sinceTick.start();
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        stall = std::max(stall, static_cast<double>(sinceTick.nsecsElapsed()) / 1e9);
        sinceTick.restart();
        if (done() || total.elapsed() > limit * 1000)
            loop.quit();
    });
    tick.start();
    if (!done())
        loop.exec();
    return static_cast<double>(total.nsecsElapsed()) / 1e9;
}

bool counted(const LogWindow& w) {
    return w.windowTitle().endsWith(QStringLiteral("gefunden"));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int batches = argc > 2 ? std::atoi(argv[2]) : 50000;
    bench::Workplace place(argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
    Database& db = place.db();
    const Settings& settings = place.settings;
    const QDate today = QDate::currentDate();

    QElapsedTimer timer;
    timer.start();
    bench::generateLog(db, rows, today, batches);
    std::printf("generated %d log rows with %d batches in %.1f s, memory %.0f MB\n", rows, batches,
                timer.elapsed() / 1000.0, memoryMb());

    bench::FixedAnswer prompter(Answer::Yes);
    LogWindow window(db, settings, prompter);
    window.resize(900, 640);
    struct Case {
        const char* name;
        LogOrder order;
        bool detailed;
    };
    const Case cases[] = {
        {"short list, date order", LogOrder::Datum, false},
        {"detailed list, date order", LogOrder::Datum, true},
        {"short list, content alphabetic", LogOrder::ContentAlphabetic, false},
        {"detailed list, content numeric", LogOrder::ContentNumeric, true},
    };
    std::printf("%-32s %12s %9s %10s %10s %8s\n", "list (all dates)", "first screen", "count",
                "frozen", "next page", "memory");
    for (const Case& c : cases) {
        LogFilter f;
        f.datenCombo = QStringLiteral("(10)   Losnummer / Chargennummer");
        f.order = c.order;
        f.detailliste = c.detailed;
        saveLogFilter(settings, f, today);
        window.open();
        double stall = 0;
        timer.restart();
        window.showList();
        stall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        const int heading = window.list()->model()->rowCount();
        QAbstractItemModel* model = window.list()->model();
        const double first =
            runUntil([&] { return model->rowCount() > heading || counted(window); }, stall);
        const double count = runUntil([&] { return counted(window); }, stall) + first;
        // Pages further down, as the list is scrolled to its end again and again.
        constexpr int kScrolls = 10;
        double pages = 0;
        for (int i = 0; i < kScrolls; ++i) {
            const int before = model->rowCount();
            window.list()->scrollToBottom();
            pages += runUntil([&] { return model->rowCount() > before; }, stall, 10);
        }
        std::printf("%-32s %10.3f s %7.2f s %8.3f s %7.1f ms %5.0f MB\n", c.name, first, count,
                    stall, pages * 1000 / kScrolls, memoryMb());
    }

    // ESC while a content order is being sorted: the time until the list is empty and
    // the readers are free again.
    {
        LogFilter f;
        f.datenCombo = QStringLiteral("(10)");
        f.order = LogOrder::ContentAlphabetic;
        saveLogFilter(settings, f, today);
        window.open();
        window.showList();
        double stall = 0;
        runUntil([] { return false; }, stall, 0.2);
        timer.restart();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&window, &escape);
        const int left = static_cast<int>(window.lines().size());
        std::printf("ESC during a content order: stopped after %.3f s, %d lines left\n",
                    timer.nsecsElapsed() / 1e9, left);
    }

    {
        BatchWindow batchWindow(db, window, prompter);
        timer.restart();
        batchWindow.open(QStringLiteral("(10)   Losnummer / Chargennummer"), {}, {});
        std::printf("batch window opened in %.3f s with %d batches\n", timer.nsecsElapsed() / 1e9,
                    batchWindow.ownList()->count());
    }
    std::printf("peak memory %.0f MB\n", memoryMb("VmHWM:"));
    return 0;
}
