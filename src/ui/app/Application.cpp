#include "ui/app/Application.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "db/LabelParameters.h"
#include "db/LabelSession.h"
#include "db/LabelStrings.h"
#include "ui/app/Dialogs.h"
#include "ui/db/LabelListDialog.h"
#include "ui/entry/MainWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QScreen>

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

        // The first start stores the window's initial contents, as a label of two
        // barcodes, under the name "Standardetikett".
        const auto saveStandardLabel = [this](Database& db, const QString& table) {
            Label initial = window_->label();
            initial.format = LabelFormat::Small;
            initial.name = QStringLiteral("Standardetikett");
            LabelStore(db, table).save(initial);
        };
        opened_ = openStartupDatabase(settings_, seedDatabasePath(), saveStandardLabel);
        store_ = std::make_unique<LabelStore>(*opened_.database, opened_.labelTable);
        session_ = std::make_unique<LabelSession>(
            *store_, settings_, prompter_,
            [this](const QString& proposed) { return askLabelName(proposed); });
        session_->label() = window_->label();
        session_->clear();
        dialog_ = std::make_unique<LabelListDialog>(
            *store_, settings_, prompter_,
            [this](const QString& name) { window_->loadLabel(name); }, window_.get());
        window_->attach(session_.get(), dialog_.get());
        if (opened_.seedAdded)
            report(caption(msg::SeedImported).arg(*opened_.seedAdded), Icon::Information);
        // Later windows join here: user management, layout editor, preview and the
        // hidden settings dialog are created once and live until the program ends.

        if (QPrinterInfo::availablePrinterNames().isEmpty() && !headless_)
            report(caption(msg::NoPrinter), Icon::Critical);

        applySettings();
        return true;
    } catch (const AppError& e) {
        const QString text =
            caption(msg::ErrorBox).arg(e.number()).arg(QStringLiteral("Form1.Load"), e.text());
        report(text.trimmed(), Icon::Critical);
        return false;
    }
}

std::optional<QString> Application::askLabelName(const QString& proposed) {
    if (headless_)
        return std::nullopt;
    bool ok = false;
    const QString name =
        QInputDialog::getText(window_.get(), caption(msg::SaveLabelTitle),
                              caption(msg::AskLabelName), QLineEdit::Normal, proposed, &ok);
    return ok ? std::optional(name) : std::nullopt;
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
    if (record_.letztDatei && !record_.recentEtik.isEmpty())
        window_->loadLabel(record_.recentEtik);
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
    if (!window_->loadLabel(request.labelName())) {
        report(caption(msg::LabelNotFound).arg(request.labelName()), Icon::Critical);
        return 3;
    }
    Label filled = window_->label();
    applyCommandParameters(filled, request);
    window_->showLabel(filled);
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
    if (session_ && !session_->readyToLeave())
        return false;
    const double dpi = screenDpi();
    const QPoint pos = window_ ? window_->pos() : QPoint();
    writeExitState(settings_, opened_.database.get(),
                   {toTwips(pos.x(), dpi), toTwips(pos.y(), dpi),
                    window_ ? window_->currentLabelName() : QString()});
    return true;
}

} // namespace palomex
