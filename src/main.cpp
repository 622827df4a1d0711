// Palomex: designs and prints GS1 transport labels for pallets.

#include "app/Captions.h"
#include "app/CommandLine.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/SettingsRecord.h"
#include "db/DatabaseStrings.h"
#include "db/Migration.h"
#include "ui/app/Application.h"
#include "ui/app/CommandRun.h"
#include "ui/app/Dialogs.h"
#include "ui/entry/MainWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// "migrate <URI>": copies the configured database to an empty server database.
int migrate(int argc, char* argv[], const QStringList& args) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Hallvik Software"));
    if (args.size() != 2) {
        const QString program = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(palomex::caption(palomex::dbmsg::MigrateUsage).arg(program)));
        return 2;
    }
    const palomex::Settings settings(palomex::iniPath());
    const QString source = palomex::databasePath(
        settings.get(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad")));
    return palomex::migrateCommand(
        source, args.at(1), [](const QString& line) { std::printf("%s\n", qUtf8Printable(line)); });
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.value(0).compare(QLatin1String("migrate"), Qt::CaseInsensitive) == 0)
        return migrate(argc, argv, args);
    const palomex::CommandRequest request(palomex::joinArguments(args));

    // Without a display, every command but "open" runs without windows, so that a
    // print started from a server's job works; the windows themselves need one.
    const bool needsWindows =
        request.command() == palomex::Command::None || request.command() == palomex::Command::Open;
    if (!hasDisplay() && needsWindows) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Hallvik Software"));
        palomex::Captions::global().setOffset(
            palomex::loadSettingsRecord(palomex::Settings(palomex::iniPath())).sprache);
        const QString what = request.command() == palomex::Command::Open
                                 ? request.commandWord()
                                 : QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
        std::fprintf(stderr, "palomex: %s\n",
                     qUtf8Printable(palomex::caption(palomex::msg::NeedsDisplay).arg(what)));
        return 1;
    }
    if (!hasDisplay()) {
        // No window can be built here: Qt's painting, fonts and printing need no
        // more than a GUI application without a screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication gapp(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("Palomex"));
        QGuiApplication::setOrganizationName(QStringLiteral("Hallvik Software"));
        palomex::ConsolePrompter console;
        return palomex::runWithoutWindows(console, request);
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Palomex"));
    QApplication::setOrganizationName(QStringLiteral("Hallvik Software"));
    palomex::GuiPrompter gui;
    palomex::Application app(gui, false);
    if (!app.start())
        return 1;
    app.mainWindow().show();
    if (auto code = app.processCommandLine(request)) {
        app.exitRoutine();
        return *code;
    }
    return QApplication::exec();
}
