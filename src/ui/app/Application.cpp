#include "ui/app/Application.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "db/InitialLayout.h"
#include "db/LabelSession.h"
#include "db/LabelStrings.h"
#include "entry/Catalogue.h"
#include "entry/NveNumbers.h"
#include "entry/NveStrings.h"
#include "import/ImportStrings.h"
#include "log/PrintLog.h"
#include "ui/admin/ImportWindow.h"
#include "ui/admin/UserWindow.h"
#include "ui/app/Dialogs.h"
#include "ui/app/SettingsDialog.h"
#include "ui/app/Twips.h"
#include "ui/batches/BatchWindow.h"
#include "ui/db/LabelListDialog.h"
#include "ui/entry/MainWindow.h"
#include "ui/import/DataImportWindow.h"
#include "ui/layout/LayoutEditor.h"
#include "ui/log/LogWindow.h"
#include "ui/output/PreviewWindow.h"
#include "ui/output/PrintCommands.h"
#include "ui/scan/ScanWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>

namespace palomex {

namespace {

// The windows that offer identifiers list them in the caption language.
void offerCatalogue(int language, SettingsDialog& settings, LogWindow& log) {
    const Catalogue& catalogue = Catalogue::forLanguage(language);
    settings.setCatalogue(catalogue);
    log.setCatalogue(catalogue);
}

} // namespace

Application::Application(Prompter& prompter, bool headless)
    : prompter_(prompter), headless_(headless), workspace_(prompter) {}

Application::~Application() {
    // Windows retired by a change of language go before what they show.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Application::report(const QString& text, Icon icon) {
    prompter_.tell(text, icon);
}

bool Application::start() {
    try {
        workspace_.open([this](const QString& proposed) { return askLabelName(proposed); });
        window_ = std::make_unique<MainWindow>();
        window_->setExitHandler([this] { return exitRoutine(); });
        dialog_ = std::make_unique<LabelListDialog>(
            workspace_.store(), workspace_.settings(), prompter_,
            [this](const QString& name) {
                if (window_->loadLabel(name) && std::exchange(importTemplateWanted_, false))
                    workspace_.settings().write(QStringLiteral("Datenimport"),
                                                QStringLiteral("ImportEtikett"),
                                                workspace_.session().name());
            },
            window_.get());
        window_->attach(&workspace_.session(), dialog_.get());
        // The other windows live until the program ends or the language changes; the
        // layout editor and the preview join here.
        printers_ = installedPrinters();
        createWindows();
        print_ = std::make_unique<PrintCommands>(workspace_, *window_, headless_);
        window_->setScanStart([this](const QString& c) {
            // A scanner's first character, when the settings name it as one character.
            for (const QString& start :
                 {workspace_.record().fnc1Identifier, workspace_.record().fnc1Trenner,
                  workspace_.record().barcodeIdentifier}) {
                if (start.size() == 1 && start == c) {
                    openScan(c);
                    return true;
                }
            }
            return false;
        });
        for (int format = 0; format < 3; ++format) {
            auto* option =
                window_->findChild<QAbstractButton*>(QStringLiteral("Option1_%1").arg(format));
            QObject::connect(option, &QAbstractButton::toggled, window_.get(),
                             [this, format](bool on) {
                                 if (on)
                                     formatChosen(format);
                             });
        }

        if (printers_.names.isEmpty() && !headless_)
            report(caption(msg::NoPrinter), Icon::Critical);

        applySettings();
        addMenus();
        return true;
    } catch (const AppError& e) {
        report(startFailure(e), Icon::Critical);
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
    SettingsRecord record = loadSettingsRecord(workspace_.settings());
    if (const QString driver = pdfDriverToTake(record.pdfTreiber, printers_.pdfDrivers());
        !driver.isEmpty()) {
        workspace_.settings().write(QStringLiteral("Drucker"), QStringLiteral("PDFTreiber"),
                                    driver);
        record.pdfTreiber = driver;
    }
    workspace_.setRecord(record);
    followSettings();
    // The stored format, as if chosen in the window: a new label takes its layout.
    const auto format =
        static_cast<LabelFormat>(std::clamp(workspace_.record().etikettenformat, 0, 2));
    if (Label l = workspace_.session().label(); l.format != format) {
        l.format = format;
        if (workspace_.session().name().isEmpty())
            applyNewLabelDefaults(l);
        workspace_.session().setContents(l, false); // its option stores the format
    }
    fitFormatSize(static_cast<int>(format));
    const double dpi = screenDpi();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize extent = screen ? screen->size() : QSize(1920, 1080);
    const int left = clampWindowEdge(workspace_.record().left, toTwips(extent.width(), dpi));
    const int top = clampWindowEdge(workspace_.record().top, toTwips(extent.height(), dpi));
    // The stored edges are those of the window's contents, placed and read back as
    // such: a window manager that places a window before its frame is known would
    // otherwise shift it by the frame at every start.
    window_->setGeometry(QRect(QPoint(fromTwips(left, dpi), fromTwips(top, dpi)), window_->size()));
    if (workspace_.record().letztDatei && !workspace_.record().recentEtik.isEmpty())
        window_->loadLabel(workspace_.record().recentEtik);
}

void Application::followSettings() {
    window_->applyCaptions();
    window_->applyLook(workspace_.record());
    if (windowsLanguage_ != Captions::global().offset())
        rebuildWindows();
    offerCatalogue(workspace_.record().sprache, *settingsDialog_, *logWindow_);
}

void Application::rebuildWindows() {
    QStringList reopen;
    // The change may come from inside one of these windows: they go once it returns;
    // the open ones open again through their commands.
    const auto retire = [&reopen](auto& window, const char* command) {
        if (window->isVisible())
            reopen << QString::fromLatin1(command);
        window->hide();
        window.release()->deleteLater();
    };
    retire(settingsDialog_, "einstellmenu");
    retire(logWindow_, "Protoansehmenu");
    retire(batchWindow_, "chargenmenu");
    retire(userWindow_, "benutzermenu");
    retire(importWindow_, "etikimportmenu");
    retire(preview_, "voransichtmenu");
    retire(layoutEditor_, "etiklaymenu");
    retire(dataImport_, "datenimportmenu");
    retire(scan_, "barcodemenu");
    createWindows();
    for (const QString& command : reopen)
        window_->findChild<QAction*>(command)->trigger();
}

void Application::formatChosen(int format) {
    workspace_.settings().writeNumber(QStringLiteral("Einstellungen"),
                                      QStringLiteral("Etikettenformat"), format);
    fitFormatSize(format);
}

void Application::fitFormatSize(int format) {
    // Once the window has shown or hidden the rows of the format, which sets how
    // small it can get.
    QTimer::singleShot(0, window_.get(), [this, format] {
        // The window's smallest size follows the rows once their layouts have run.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window_->layout()->invalidate();
        window_->layout()->activate();
        window_->resize(MainWindow::formatSize(static_cast<LabelFormat>(format)));
    });
}

void Application::createWindows() {
    windowsLanguage_ = Captions::global().offset();
    userWindow_ = std::make_unique<UserWindow>(workspace_.database(), workspace_.settings(),
                                               prompter_, seedDatabasePath());
    userWindow_->reload(workspace_.session().table());
    QObject::connect(userWindow_.get(), &UserWindow::userChanged, window_.get(),
                     [this](const QString& user) { useLabelTable(user); });
    settingsDialog_ = std::make_unique<SettingsDialog>(workspace_.settings(), prompter_);
    settingsDialog_->setPrinters(printers_.entries, printers_.names, printers_.current);
    QObject::connect(
        settingsDialog_.get(), &SettingsDialog::applied, window_.get(),
        [this](const SettingsRecord& r, const QString& path) { settingsApplied(r, path); });
    logWindow_ =
        std::make_unique<LogWindow>(workspace_.database(), workspace_.settings(), prompter_);
    logWindow_->setZusatzCaptions([this] {
        std::array<QString, 3> captions;
        for (std::size_t i = 0; i < captions.size(); ++i)
            captions[i] = workspace_.session().label().extras[i].caption;
        return captions;
    });
    batchWindow_ = std::make_unique<BatchWindow>(workspace_.database(), *logWindow_, prompter_);
    importWindow_ =
        std::make_unique<ImportWindow>(workspace_.database(), workspace_.settings(), prompter_);
    preview_ =
        std::make_unique<PreviewWindow>(workspace_.database(), workspace_.settings(), prompter_);
    QObject::connect(preview_.get(), &PreviewWindow::layoutEditorWanted, window_.get(),
                     [this] { openLayoutEditor(); });
    QObject::connect(preview_.get(), &PreviewWindow::barcodeScalingWanted, window_.get(),
                     [this] { openBarcodeScaling(); });
    layoutEditor_ = std::make_unique<LayoutEditor>(prompter_);
    scan_ = std::make_unique<ScanWindow>(prompter_);
    scan_->setPositionsSetup([this] {
        settingsDialog_->load(workspace_.record(), workspace_.database().path());
        settingsDialog_->showScanPositions();
    });
    dataImport_ =
        std::make_unique<DataImportWindow>(workspace_.database(), workspace_.settings(), prompter_);
    // An open editor edits the current label, never one that was current before.
    QObject::connect(&workspace_.session(), &LabelSession::replaced, layoutEditor_.get(), [this] {
        if (layoutEditor_->isVisible() && !resettingLayout_)
            openLayoutEditor();
    });
    QObject::connect(importWindow_.get(), &ImportWindow::settingsImported, window_.get(),
                     [this] { applySettings(); });
    for (QWidget* w :
         std::initializer_list<QWidget*>{batchWindow_.get(), userWindow_.get(), importWindow_.get(),
                                         layoutEditor_.get(), dataImport_.get()})
        keepOnScreen(*w);
}

void Application::addMenus() {
    // The entry window holds the commands of every window; those whose windows
    // exist are switched on here.
    const auto command = [this](const char* name) {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    };
    QAction* print = command("printmenu");
    print->setEnabled(true);
    QObject::connect(print, &QAction::triggered, window_.get(), [this] { printShown(); });
    QAction* pdf = command("PDFmenu");
    pdf->setEnabled(true);
    QObject::connect(pdf, &QAction::triggered, window_.get(), [this] {
        print_->exportPdf([this] {
            settingsDialog_->load(workspace_.record(), workspace_.database().path());
            settingsDialog_->showPdfDriverChoice();
        });
    });
    QAction* autoNve = command("autoNVEmenu");
    autoNve->setEnabled(true);
    QObject::connect(autoNve, &QAction::triggered, window_.get(),
                     [this](bool on) { setAutoNve(on); });
    QAction* next = command("neuNVEmenu");
    next->setEnabled(true);
    QObject::connect(next, &QAction::triggered, window_.get(), [this] { takeNextNve(); });
    window_->showAutoNve(workspace_.settings().number(QStringLiteral("Einstellungen"),
                                                      QStringLiteral("AutoNVE")) == 1);
    QAction* layout = command("etiklaymenu");
    layout->setEnabled(true);
    QObject::connect(layout, &QAction::triggered, window_.get(), [this] { openLayoutEditor(); });
    QAction* scan = command("barcodemenu");
    scan->setEnabled(true);
    QObject::connect(scan, &QAction::triggered, window_.get(), [this] { openScan(); });
    QAction* preview = command("voransichtmenu");
    preview->setEnabled(true);
    QObject::connect(preview, &QAction::triggered, window_.get(),
                     [this] { preview_->open(workspace_.session().label(), workspace_.record()); });
    viewLogAction_ = command("Protoansehmenu");
    batchesAction_ = command("chargenmenu");
    QObject::connect(viewLogAction_, &QAction::triggered, window_.get(),
                     [this] { logWindow_->open(); });
    QObject::connect(batchesAction_, &QAction::triggered, window_.get(), [this] {
        QStringList identifiers, contents;
        for (const DataField& f : workspace_.session().label().fields) {
            identifiers << f.identifier;
            contents << f.content;
        }
        // The batch identifier as the settings dialog's list shows it, so that it
        // compares with the entries of the label's rows.
        batchWindow_->open(Catalogue::forLanguage(Captions::global().offset())
                               .entryOfCode(workspace_.settings().get(
                                   QStringLiteral("Einstellungen"), QStringLiteral("DB_Charge"))),
                           identifiers, contents);
    });
    loggingAction_ = command("protaufzmenu");
    loggingAction_->setEnabled(true);
    QObject::connect(loggingAction_, &QAction::triggered, window_.get(),
                     [this](bool on) { setLogging(on); });
    const auto enable = [&](const char* name, auto run) {
        QAction* a = command(name);
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, window_.get(), run);
    };
    enable("einstellmenu", [this] {
        settingsDialog_->load(workspace_.record(), workspace_.database().path());
        settingsDialog_->show();
    });
    enable("benutzermenu", [this] {
        userWindow_->reload(workspace_.session().table());
        userWindow_->show();
    });
    enable("etikimportmenu", [this] { importWindow_->open(workspace_.session().table()); });
    enable("datenimportmenu", [this] {
        dataImport_->open(workspace_.session().table(),
                          {[this] { return workspace_.session().label(); },
                           [this] {
                               if (!workspace_.session().name().isEmpty())
                                   window_->saveLabel();
                           },
                           [this] {
                               importTemplateWanted_ = true;
                               window_->openLabel();
                           }});
    });
    setLogging(loggingEnabled(workspace_.settings()));
}

void Application::setAutoNve(bool on) {
    workspace_.settings().writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE"),
                                      on ? 1 : 0);
    window_->showAutoNve(on);
}

void Application::takeNextNve() {
    LabelSession& session = workspace_.session();
    const QString base = session.label().nveBasis;
    if (!baseAcceptable(base)) {
        report(caption(nvemsg::BaseNotDigits).arg(base), Icon::Critical);
        return;
    }
    try {
        const qint64 n = nextRunningNumber(workspace_.database(), base);
        if (runningNumberText(base, n).isEmpty()) {
            prompter_.tellError(tooLongMessage(base, n));
            return;
        }
        Label next = session.label();
        next.nveLaufNr = runningNumberEntry(base, n);
        session.setContents(next, false);
        setAutoNve(false);
    } catch (const AppError& e) {
        report(e.text(), Icon::Critical);
    }
}

void Application::openLayoutEditor() {
    // The editor changes the current label itself; the entry window shows no layout.
    LabelSession& session = workspace_.session();
    layoutEditor_->open(
        &session.label(), workspace_.record(), [&session] { session.markChanged(); },
        [this, &session] {
            // Back to the stored layout: the label as saved, in the editor that is
            // open now (it is not opened anew meanwhile).
            const QScopedValueRollback resetting(resettingLayout_, true);
            if (!session.name().isEmpty())
                window_->loadLabel(session.name());
        });
}

void Application::openScan(const QString& first) {
    LabelSession& session = workspace_.session();
    scan_->open(
        &session.label(), workspace_.record(), [&session] { session.changedInPlace(); }, first);
}

void Application::useLabelTable(const QString& table) {
    workspace_.session().useTable(table);
}

JobResult Application::printShown(bool commandLine) {
    const JobResult r = print_->print(commandLine);
    // The answers of the question whether a barcode fits: where to fix it.
    if (r.openLayoutEditor && !headless_)
        openLayoutEditor();
    if (r.openBarcodeScaling && !headless_)
        openBarcodeScaling();
    return r;
}

void Application::openBarcodeScaling() {
    settingsDialog_->load(workspace_.record(), workspace_.database().path());
    settingsDialog_->tabs()->setCurrentIndex(1);
    settingsDialog_->show();
}

void Application::setLogging(bool on) {
    setLoggingEnabled(workspace_.settings(), on);
    loggingAction_->setChecked(on);
    viewLogAction_->setEnabled(on);
    batchesAction_->setEnabled(on);
}

void Application::settingsApplied(const SettingsRecord& record, const QString& databasePath) {
    workspace_.setRecord(record);
    followSettings();
    if (auto refused = switchDatabase(workspace_.database(), workspace_.settings(), databasePath,
                                      seedDatabasePath())) {
        report(*refused, Icon::Critical);
    } else {
        useLabelTable(workspace_.database().currentLabelTable(workspace_.session().table()));
        userWindow_->reload(workspace_.session().table());
    }
}

std::optional<int> Application::processCommandLine(const CommandRequest& request) {
    // The command runs on the workspace; the window shows the label it leaves.
    if (!headless_ && request.command() == Command::Print)
        window_->showMinimized();
    const std::optional<int> code =
        workspace_.runCommandLine(request, [this] { return printShown(true); });
    if (!code && !headless_ && request.command() != Command::None)
        window_->showNormal();
    return code;
}

bool Application::exitRoutine() {
    const double dpi = screenDpi();
    const QPoint pos = window_ ? window_->geometry().topLeft() : QPoint();
    return workspace_.finish(toTwips(pos.x(), dpi), toTwips(pos.y(), dpi));
}

} // namespace palomex
