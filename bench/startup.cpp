// Start-up to an idle main window on the offscreen platform: the first start on an
// empty data folder (creates Palomex.ini, Palomex.mdb, seed import) and warm starts
// on the database that start created. Prints milliseconds.

#include "ui/app/Application.h"
#include "ui/entry/MainWindow.h"

#include "Workplace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double startOnce() {
    palomex::bench::FixedAnswer prompter(palomex::Answer::Ok);
    QElapsedTimer timer;
    timer.start();
    palomex::Application app(prompter, false);
    if (!app.start())
        return -1;
    app.mainWindow().show();
    QApplication::processEvents();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    app.mainWindow().hide();
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const palomex::bench::DataFolder folder;

    const double first = startOnce();
    std::vector<double> warm;
    for (int i = 0; i < 20; ++i)
        warm.push_back(startOnce());
    std::sort(warm.begin(), warm.end());
    std::printf("start-up, first start on an empty data folder: %.1f ms\n", first);
    std::printf("start-up, warm (20 runs): median %.1f ms, min %.1f ms, max %.1f ms\n",
                warm[warm.size() / 2], warm.front(), warm.back());
    return 0;
}
