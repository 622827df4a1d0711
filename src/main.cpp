// Palomex: designs and prints GS1 transport labels for pallets.

#include "app/CommandLine.h"
#include "ui/app/Application.h"
#include "ui/app/Dialogs.h"
#include "ui/entry/MainWindow.h"

#include <QApplication>

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const palomex::CommandRequest request(palomex::joinArguments(args));

    // Without a display, every command but "open" runs without windows, so that a
    // print started from a server's job works.
    const bool headless = !hasDisplay() && request.command() != palomex::Command::None &&
                          request.command() != palomex::Command::Open;
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Palomex"));
    QApplication::setOrganizationName(QStringLiteral("Hallvik Software"));

    palomex::ConsolePrompter console;
    palomex::GuiPrompter gui;
    palomex::Application app(headless ? static_cast<palomex::Prompter&>(console) : gui, headless);
    if (!app.start())
        return 1;
    if (!headless)
        app.mainWindow().show();
    if (auto code = app.processCommandLine(request)) {
        app.exitRoutine();
        return *code;
    }
    return QApplication::exec();
}
