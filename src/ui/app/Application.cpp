#include "ui/app/Application.h"

#include "admin/AdminStrings.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "db/LabelParameters.h"
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

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPrinterInfo>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextStream>
#include <QTranslator>

namespace palomex {

namespace {

// The captions in the chosen language, and Qt's own buttons and dialogs with them.
void applyLanguage(int sprache) {
    Captions::global().setOffset(sprache);
    static QTranslator qtTexts;
    QCoreApplication::removeTranslator(&qtTexts);
    if (Captions::global().offset() == 0 &&
        qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

// The windows that offer identifiers list them in the caption language.
void offerCatalogue(int language, SettingsDialog& settings, LogWindow& log) {
    const Catalogue& catalogue = Catalogue::forLanguage(language);
    settings.setCatalogue(catalogue);
    log.setCatalogue(catalogue);
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
        store_ = std::make_unique<LabelStore>(*opened_.database, opened_.labelTable);
        session_ = std::make_unique<LabelSession>(
            *store_, settings_, prompter_,
            [this](const QString& proposed) { return askLabelName(proposed); },
            [](const QString& code) {
                return Catalogue::forLanguage(Captions::global().offset()).entryOfCode(code);
            });
        session_->label() = window_->label();
        session_->clear();
        dialog_ = std::make_unique<LabelListDialog>(
            *store_, settings_, prompter_,
            [this](const QString& name) {
                if (window_->loadLabel(name) && std::exchange(importTemplateWanted_, false))
                    settings_.write(QStringLiteral("Datenimport"), QStringLiteral("ImportEtikett"),
                                    window_->currentLabelName());
            },
            window_.get());
        window_->attach(session_.get(), dialog_.get());
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
    applyLanguage(record_.sprache);
    window_->applyCaptions();
    window_->applyLook(record_);
    window_->setIdentifierEntries(Catalogue::forLanguage(record_.sprache).selectionList());
    offerCatalogue(record_.sprache, *settingsDialog_, *logWindow_);
    const double dpi = screenDpi();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize extent = screen ? screen->size() : QSize(1920, 1080);
    const int left = clampWindowEdge(record_.left, toTwips(extent.width(), dpi));
    const int top = clampWindowEdge(record_.top, toTwips(extent.height(), dpi));
    window_->move(fromTwips(left, dpi), fromTwips(top, dpi));
    if (record_.letztDatei && !record_.recentEtik.isEmpty())
        window_->loadLabel(record_.recentEtik);
}

void Application::createWindows() {
    userWindow_ =
        std::make_unique<UserWindow>(*opened_.database, settings_, prompter_, seedDatabasePath());
    userWindow_->reload(opened_.labelTable);
    QObject::connect(userWindow_.get(), &UserWindow::userChanged, window_.get(),
                     [this](const QString& user) { useLabelTable(user); });
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
    preview_ = std::make_unique<PreviewWindow>(*opened_.database, settings_, prompter_);
    QObject::connect(preview_.get(), &PreviewWindow::layoutEditorWanted, window_.get(),
                     [this] { openLayoutEditor(); });
    QObject::connect(preview_.get(), &PreviewWindow::barcodeScalingWanted, window_.get(),
                     [this] { openBarcodeScaling(); });
    layoutEditor_ = std::make_unique<LayoutEditor>(prompter_);
    scan_ = std::make_unique<ScanWindow>(prompter_);
    dataImport_ = std::make_unique<DataImportWindow>(*opened_.database, settings_, prompter_);
    window_->setScanStart([this](const QString& c) {
        // A scanner's first character, when the settings name it as one character.
        for (const QString& start :
             {record_.fnc1Identifier, record_.fnc1Trenner, record_.barcodeIdentifier}) {
            if (start.size() == 1 && start == c) {
                openScan(c);
                return true;
            }
        }
        return false;
    });
    print_ = std::make_unique<PrintCommands>(*opened_.database, settings_, prompter_, *window_,
                                             headless_);
    QObject::connect(importWindow_.get(), &ImportWindow::settingsImported, window_.get(),
                     [this] { applySettings(); });
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
        print_->exportPdf(record_, opened_.labelTable, [this] {
            settingsDialog_->load(record_, opened_.database->path());
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
    window_->showAutoNve(
        settings_.number(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE")) == 1);
    QAction* layout = command("etiklaymenu");
    layout->setEnabled(true);
    QObject::connect(layout, &QAction::triggered, window_.get(), [this] { openLayoutEditor(); });
    // An open editor edits the label the window shows, never one it showed before.
    QObject::connect(window_.get(), &MainWindow::labelReplaced, layoutEditor_.get(), [this] {
        if (layoutEditor_->isVisible() && !resettingLayout_)
            openLayoutEditor();
    });
    QAction* scan = command("barcodemenu");
    scan->setEnabled(true);
    QObject::connect(scan, &QAction::triggered, window_.get(), [this] { openScan(); });
    QAction* preview = command("voransichtmenu");
    preview->setEnabled(true);
    QObject::connect(preview, &QAction::triggered, window_.get(),
                     [this] { preview_->open(window_->label(), record_); });
    viewLogAction_ = command("Protoansehmenu");
    batchesAction_ = command("chargenmenu");
    QObject::connect(viewLogAction_, &QAction::triggered, window_.get(),
                     [this] { logWindow_->open(); });
    QObject::connect(batchesAction_, &QAction::triggered, window_.get(), [this] {
        Label shown = window_->label();
        QStringList identifiers, contents;
        for (const DataField& f : shown.fields) {
            identifiers << f.identifier;
            contents << f.content;
        }
        // The batch identifier as the settings dialog's list shows it, so that it
        // compares with the entries of the label's rows.
        batchWindow_->open(Catalogue::forLanguage(Captions::global().offset())
                               .entryOfCode(settings_.get(QStringLiteral("Einstellungen"),
                                                          QStringLiteral("DB_Charge"))),
                           identifiers, contents);
    });
    QMenu* extras = nullptr;
    for (QAction* top : window_->menuBar()->actions()) {
        if (top->menu() && top->menu()->actions().contains(viewLogAction_))
            extras = top->menu();
    }
    extras->addSeparator();
    loggingAction_ = extras->addAction(caption(794));
    loggingAction_->setObjectName(QStringLiteral("protaufzmenu"));
    loggingAction_->setCheckable(true);
    QObject::connect(loggingAction_, &QAction::triggered, window_.get(),
                     [this](bool on) { setLogging(on); });
    extras->addSeparator();
    QAction* settingsCommand = extras->addAction(caption(791), window_.get(), [this] {
        settingsDialog_->load(record_, opened_.database->path());
        settingsDialog_->show();
    });
    settingsCommand->setObjectName(QStringLiteral("einstellmenu"));
    extras->addAction(caption(792), window_.get(), [this] {
        userWindow_->reload(opened_.labelTable);
        userWindow_->show();
    });
    extras->addAction(caption(797), window_.get(),
                      [this] { importWindow_->open(opened_.labelTable); });
    extras->addAction(caption(msg::ImportMenu), window_.get(), [this] {
        dataImport_->open(opened_.labelTable, {[this] { return window_->label(); },
                                               [this] {
                                                   if (!window_->currentLabelName().isEmpty())
                                                       window_->saveLabel();
                                               },
                                               [this] {
                                                   importTemplateWanted_ = true;
                                                   window_->openLabel();
                                               }});
    });
    setLogging(loggingEnabled(settings_));
}

void Application::setAutoNve(bool on) {
    settings_.writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE"), on ? 1 : 0);
    window_->showAutoNve(on);
}

void Application::takeNextNve() {
    const QString base = window_->label().nveBasis;
    if (!baseAcceptable(base)) {
        report(caption(nvemsg::BaseNotDigits).arg(base), Icon::Critical);
        return;
    }
    try {
        const qint64 n = nextRunningNumber(*opened_.database, base);
        if (runningNumberText(base, n).isEmpty()) {
            report(tooLongMessage(base, n), Icon::Critical);
            return;
        }
        window_->setRunningNumber(runningNumberEntry(base, n));
        setAutoNve(false);
    } catch (const AppError& e) {
        report(e.text(), Icon::Critical);
    }
}

void Application::openLayoutEditor() {
    editing_ = window_->label();
    layoutEditor_->open(
        &editing_, record_, [this] { window_->setLayout(editing_); },
        [this] {
            // Back to the stored layout: the label as saved, into the same object
            // the editor holds (it is not opened anew meanwhile).
            const QScopedValueRollback resetting(resettingLayout_, true);
            if (!window_->currentLabelName().isEmpty())
                window_->loadLabel(window_->currentLabelName());
            editing_ = window_->label();
        });
}

void Application::openScan(const QString& first) {
    scanning_ = window_->label();
    scan_->open(
        &scanning_, record_,
        [this] {
            window_->showLabel(scanning_);
            session_->markChanged();
        },
        first);
}

void Application::useLabelTable(const QString& table) {
    if (table == store_->table())
        return;
    // The label shown belongs to the user it came from: the save question stores it
    // there, then the form is cleared for the new user. Cancel keeps it on the form.
    window_->newLabel();
    opened_.labelTable = table;
    store_->setTable(table);
}

int Application::printShown(bool commandLine) {
    const JobResult r = print_->print(record_, opened_.labelTable, commandLine);
    // The answers of the question whether a barcode fits: where to fix it.
    if (r.openLayoutEditor && !headless_)
        openLayoutEditor();
    if (r.openBarcodeScaling && !headless_)
        openBarcodeScaling();
    // The command line tells a caller whenever less came out than was asked for.
    return r.refused || !r.complete ? 4 : 0;
}

void Application::openBarcodeScaling() {
    settingsDialog_->load(record_, opened_.database->path());
    settingsDialog_->tabs()->setCurrentIndex(1);
    settingsDialog_->show();
}

void Application::setLogging(bool on) {
    setLoggingEnabled(settings_, on);
    loggingAction_->setChecked(on);
    viewLogAction_->setEnabled(on);
    batchesAction_->setEnabled(on);
}

void Application::settingsApplied(const SettingsRecord& record, const QString& databasePath) {
    record_ = record;
    applyLanguage(record.sprache);
    window_->applyCaptions();
    window_->applyLook(record);
    offerCatalogue(record.sprache, *settingsDialog_, *logWindow_);
    if (auto refused =
            switchDatabase(*opened_.database, settings_, databasePath, seedDatabasePath())) {
        report(*refused, Icon::Critical);
    } else {
        useLabelTable(opened_.database->currentLabelTable(opened_.labelTable));
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
    if (request.command() == Command::FilePrint)
        return filePrint(request, program);
    if (const auto failed = showRequestedLabel(request))
        return *failed;
    if (request.command() == Command::Unknown) {
        report(unknownCommandText(request), Icon::Critical);
        return 2;
    }
    if (request.command() == Command::Print) {
        if (!headless_)
            window_->showMinimized();
        return printShown(true);
    }
    if (!headless_)
        window_->showNormal();
    return std::nullopt;
}

std::optional<int> Application::showRequestedLabel(const CommandRequest& request) {
    if (!window_->loadLabel(request.labelName())) {
        report(caption(msg::LabelNotFound).arg(request.labelName()), Icon::Critical);
        return 3;
    }
    // Filled and checked as stored, not as the window's boxes would hold it: a box
    // keeps only as many characters as its column, and what does not fit is refused.
    Label filled = session_->label();
    const bool autoNve = jobSettings(record_, settings_, opened_.labelTable).autoNve;
    if (const auto refused = applyCommandParameters(filled, request, autoNve)) {
        report(*refused, Icon::Critical);
        return 4;
    }
    window_->showLabel(filled);
    return std::nullopt;
}

int Application::filePrint(const CommandRequest& request, const QString& program) {
    QFile file(request.labelName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report(wrongParameterText(program, request.line()), Icon::Critical);
        return 1;
    }
    // Every line is a print command of its own; the first that fails ends the file,
    // so that what follows is not printed out of order.
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty())
            continue;
        const CommandRequest each(QStringLiteral("FILEPRINT ") +
                                  QString(line).replace(QLatin1Char('\''), QLatin1Char('"')));
        if (const auto failed = showRequestedLabel(each))
            return *failed;
        if (const int code = printShown(true); code != 0)
            return code;
    }
    return 0;
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
