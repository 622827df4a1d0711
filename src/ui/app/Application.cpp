#include "ui/app/Application.h"

#include "admin/AdminStrings.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "log/PrintLog.h"
#include "ui/admin/ImportWindow.h"
#include "ui/admin/UserWindow.h"
#include "ui/app/Dialogs.h"
#include "ui/app/SettingsDialog.h"
#include "ui/batches/BatchWindow.h"
#include "ui/entry/MainWindow.h"
#include "ui/log/LogWindow.h"

#include <QMenu>
#include <QMenuBar>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QScreen>
#include <QSqlQuery>

namespace palomex {

namespace {

constexpr int kTwipsPerInch = 1440;

int toTwips(int pixels, double dpi) {
    return static_cast<int>(pixels * kTwipsPerInch / dpi);
}

int fromTwips(int twips, double dpi) {
    return static_cast<int>(twips * dpi / kTwipsPerInch);
}

double screenDpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

// The first start stores the entry window's initial contents as "Standardetikett":
// a label of format 1 (two barcodes) with one NVE per run.
void saveStandardLabel(Database& db, const QString& table) {
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("INSERT INTO %1 (\"EtikName\", \"Etikformat\", \"AnzahlNVEs\", "
                             "\"AnzahlProNVE\") VALUES (?, 1, '1', 1)")
                  .arg(SqlDialect::quote(table)));
    q.addBindValue(QStringLiteral("Standardetikett"));
    q.exec();
}

} // namespace

Application::Application(Prompter& prompter, bool headless)
    : prompter_(prompter), headless_(headless), settings_(iniPath()) {}

Application::~Application() = default;

void Application::report(const QString& text, Icon icon) {
    prompter_.tell(text, icon);
}

bool Application::start() {
    try {
        window_ = std::make_unique<MainWindow>();
        window_->setExitHandler([this] { return exitRoutine(); });

        opened_ = openStartupDatabase(
            settings_, seedDatabasePath(), saveStandardLabel, [this](const QString& path) {
                return prompter_.ask(
                           caption(adminmsg::OfferMigration).arg(QDir::toNativeSeparators(path)),
                           Buttons::YesNo, Icon::Question) == Answer::Yes;
            });
        if (!opened_.accessFileKeptAs.isEmpty())
            report(caption(adminmsg::Migrated)
                       .arg(opened_.migratedLabels)
                       .arg(QDir::toNativeSeparators(opened_.accessFileKeptAs)),
                   Icon::Information);
        if (opened_.seedAdded)
            report(caption(msg::SeedImported).arg(*opened_.seedAdded), Icon::Information);
        // The other windows are created once and live until the program ends; the
        // layout editor and the preview join here.
        createWindows();

        if (QPrinterInfo::availablePrinterNames().isEmpty() && !headless_)
            report(caption(msg::NoPrinter), Icon::Critical);

        applySettings();
        addMenus();
        return true;
    } catch (const AppError& e) {
        const QString text =
            caption(msg::ErrorBox).arg(e.number()).arg(QStringLiteral("Form1.Load"), e.text());
        report(text.trimmed(), Icon::Critical);
        return false;
    }
}

void Application::applySettings() {
    record_ = loadSettingsRecord(settings_);
    Captions::global().setOffset(record_.sprache);
    window_->applyCaptions();
    const double dpi = screenDpi();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize extent = screen ? screen->size() : QSize(1920, 1080);
    const int left = clampWindowEdge(record_.left, toTwips(extent.width(), dpi));
    const int top = clampWindowEdge(record_.top, toTwips(extent.height(), dpi));
    window_->move(fromTwips(left, dpi), fromTwips(top, dpi));
}

void Application::createWindows() {
    userWindow_ =
        std::make_unique<UserWindow>(*opened_.database, settings_, prompter_, seedDatabasePath());
    userWindow_->reload(opened_.labelTable);
    QObject::connect(userWindow_.get(), &UserWindow::userChanged, window_.get(),
                     [this](const QString& user) { opened_.labelTable = user; });
    settingsDialog_ = std::make_unique<SettingsDialog>(settings_, prompter_);
    QStringList entries, names;
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters()) {
        entries << p.printerName() + QStringLiteral(", ") + p.location();
        names << p.printerName();
    }
    settingsDialog_->setPrinters(entries, names);
    QObject::connect(
        settingsDialog_.get(), &SettingsDialog::applied, window_.get(),
        [this](const SettingsRecord& r, const QString& path) { settingsApplied(r, path); });
    logWindow_ = std::make_unique<LogWindow>(*opened_.database, settings_, prompter_);
    batchWindow_ = std::make_unique<BatchWindow>(*opened_.database, *logWindow_, prompter_);
    importWindow_ = std::make_unique<ImportWindow>(*opened_.database, settings_, prompter_);
    QObject::connect(importWindow_.get(), &ImportWindow::settingsImported, window_.get(),
                     [this] { applySettings(); });
}

void Application::addMenus() {
    QMenuBar* bar = window_->menuBar();
    QAction* before = bar->actions().value(bar->actions().size() - 1);
    QMenu* log = new QMenu(caption(793), bar);
    loggingAction_ = log->addAction(caption(794));
    loggingAction_->setCheckable(true);
    QObject::connect(loggingAction_, &QAction::triggered, window_.get(),
                     [this](bool on) { setLogging(on); });
    viewLogAction_ = log->addAction(caption(795), window_.get(), [this] { logWindow_->open(); });
    batchesAction_ = log->addAction(caption(796), window_.get(), [this] {
        batchWindow_->open(
            settings_.get(QStringLiteral("Einstellungen"), QStringLiteral("DB_Charge")), {}, {});
    });
    bar->insertMenu(before, log);
    QMenu* extras = new QMenu(caption(790), bar);
    extras->addAction(caption(791), window_.get(), [this] {
        settingsDialog_->load(record_, opened_.database->path());
        settingsDialog_->show();
    });
    extras->addAction(caption(792), window_.get(), [this] {
        userWindow_->reload(opened_.labelTable);
        userWindow_->show();
    });
    extras->addAction(caption(797), window_.get(),
                      [this] { importWindow_->open(opened_.labelTable); });
    bar->insertMenu(before, extras);
    setLogging(loggingEnabled(settings_));
}

void Application::setLogging(bool on) {
    setLoggingEnabled(settings_, on);
    loggingAction_->setChecked(on);
    viewLogAction_->setEnabled(on);
    batchesAction_->setEnabled(on);
}

void Application::settingsApplied(const SettingsRecord& record, const QString& databasePath) {
    record_ = record;
    Captions::global().setOffset(record.sprache);
    window_->applyCaptions();
    if (auto refused =
            switchDatabase(*opened_.database, settings_, databasePath, seedDatabasePath())) {
        report(*refused, Icon::Critical);
    } else {
        opened_.labelTable = opened_.database->currentLabelTable(opened_.labelTable);
        userWindow_->reload(opened_.labelTable);
    }
}

std::optional<int> Application::processCommandLine(const CommandRequest& request) {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    switch (request.command()) {
    case Command::None:
        return std::nullopt;
    case Command::Help:
        report(usageText(), Icon::Critical);
        return 0;
    case Command::FilePrint:
    case Command::Print:
    case Command::Open:
    case Command::Unknown:
        break;
    }
    if (request.command() == Command::FilePrint) {
        if (!QFileInfo(request.labelName()).isReadable()) {
            report(wrongParameterText(program, request.line()), Icon::Critical);
            return 1;
        }
        report(caption(msg::NotYetAvailable), Icon::Critical);
        return 1;
    }
    QSqlQuery q(database().connection());
    q.prepare(QStringLiteral("SELECT \"EtikName\" FROM %1 WHERE \"EtikName\" = ?")
                  .arg(SqlDialect::quote(labelTable())));
    q.addBindValue(request.labelName());
    if (!q.exec() || !q.next()) {
        report(caption(msg::LabelNotFound).arg(request.labelName()), Icon::Critical);
        return 3;
    }
    window_->setCurrentLabelName(q.value(0).toString());
    if (request.command() == Command::Unknown) {
        report(unknownCommandText(request), Icon::Critical);
        return 2;
    }
    if (request.command() == Command::Print) {
        report(caption(msg::NotYetAvailable), Icon::Critical);
        return 1;
    }
    if (!headless_)
        window_->showNormal();
    return std::nullopt;
}

bool Application::exitRoutine() {
    const double dpi = screenDpi();
    const QPoint pos = window_ ? window_->pos() : QPoint();
    writeExitState(settings_, opened_.database.get(),
                   {toTwips(pos.x(), dpi), toTwips(pos.y(), dpi),
                    window_ ? window_->currentLabelName() : QString()});
    return true;
}

} // namespace palomex
