#include "app/Workspace.h"

#include "admin/AdminStrings.h"
#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Paths.h"
#include "db/InitialLayout.h"
#include "db/LabelParameters.h"
#include "entry/Catalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

namespace palomex {

void applyLanguage(int sprache) {
    Captions::global().setOffset(sprache);
    static QTranslator qtTexts;
    QCoreApplication::removeTranslator(&qtTexts);
    if (Captions::global().offset() == 0 &&
        qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

QString startFailure(const AppError& error) {
    return caption(msg::ErrorBox)
        .arg(error.number())
        .arg(QStringLiteral("Form1.Load"), error.text())
        .trimmed();
}

int printExitCode(const JobResult& result) {
    return result.refused || !result.complete ? 4 : 0;
}

Workspace::Workspace(Prompter& prompter) : prompter_(prompter), settings_(iniPath()) {}

Workspace::~Workspace() = default;

void Workspace::open(LabelSession::NameAsker askName) {
    // The first start stores the label the program starts with, as a label of two
    // barcodes, under the name "Standardetikett".
    const auto saveStandardLabel = [](Database& db, const QString& table) {
        Label initial = initialLabel();
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
        prompter_.tell(caption(adminmsg::Migrated)
                           .arg(opened_.migratedLabels)
                           .arg(QDir::toNativeSeparators(opened_.accessFileKeptAs)),
                       Icon::Information);
    store_ = std::make_unique<LabelStore>(*opened_.database, opened_.labelTable);
    session_ = std::make_unique<LabelSession>(
        *store_, settings_, prompter_, std::move(askName), [](const QString& code) {
            return Catalogue::forLanguage(Captions::global().offset()).entryOfCode(code);
        });
    if (opened_.seedAdded)
        prompter_.tell(caption(msg::SeedImported).arg(*opened_.seedAdded), Icon::Information);
    setRecord(loadSettingsRecord(settings_));
}

void Workspace::setRecord(const SettingsRecord& record) {
    record_ = record;
    applyLanguage(record_.sprache);
    if (session_)
        unnamedLabelInCaptionLanguage();
}

void Workspace::unnamedLabelInCaptionLanguage() {
    // A label without a name still carries a new label's designations, which speak
    // the caption language wherever the label is shown or printed.
    Label l = session_->label();
    if (l.name.isEmpty() && designationsInCaptionLanguage(l))
        session_->setContents(l, false);
}

std::optional<int> Workspace::openRequested(const CommandRequest& request) {
    if (!session_->open(request.labelName())) {
        prompter_.tell(caption(msg::LabelNotFound).arg(request.labelName()), Icon::Critical);
        return 3;
    }
    // Filled and checked as stored: what does not fit its column is refused.
    Label filled = session_->label();
    const bool autoNve = jobSettings(record_, settings_, session_->table()).autoNve;
    if (const auto refused = applyCommandParameters(filled, request, autoNve)) {
        prompter_.tell(*refused, Icon::Critical);
        return 4;
    }
    session_->setContents(filled, false);
    return std::nullopt;
}

JobResult Workspace::print(const SinkOpener& open, bool commandLine,
                           const std::function<bool()>& escapeHeld,
                           const std::function<void(const QString&, int)>& progress) {
    JobSettings js = jobSettings(record_, settings_, session_->table());
    js.askBeforeReprint = !commandLine;
    PrintJob job(*opened_.database, record_, js, prompter_);
    job.setEscapeCheck(escapeHeld);
    job.setProgress(progress);
    const JobResult result = job.print(session_->label(), open);
    if (result.label.nveLaufNr != session_->label().nveLaufNr)
        session_->setContents(result.label, false);
    return result;
}

std::optional<int> Workspace::runCommandLine(const CommandRequest& request,
                                             const std::function<JobResult()>& printCurrent) {
    switch (request.command()) {
    case Command::None:
        return std::nullopt;
    case Command::Help:
        prompter_.tell(usageText(), Icon::Critical);
        return 0;
    case Command::FilePrint:
        return filePrint(request, printCurrent);
    case Command::Print:
    case Command::Open:
    case Command::Unknown:
        break;
    }
    if (const auto failed = openRequested(request))
        return *failed;
    if (request.command() == Command::Unknown) {
        prompter_.tell(unknownCommandText(request), Icon::Critical);
        return 2;
    }
    if (request.command() == Command::Print)
        return printExitCode(printCurrent());
    return std::nullopt;
}

int Workspace::filePrint(const CommandRequest& request,
                         const std::function<JobResult()>& printCurrent) {
    QFile file(request.labelName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString program =
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        prompter_.tell(wrongParameterText(program, request.line()), Icon::Critical);
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
        if (const auto failed = openRequested(each))
            return *failed;
        if (const int code = printExitCode(printCurrent()); code != 0)
            return code;
    }
    return 0;
}

bool Workspace::finish(int leftTwips, int topTwips) {
    if (session_ && !session_->readyToLeave())
        return false;
    writeExitState(settings_, opened_.database.get(),
                   {leftTwips, topTwips, session_ ? session_->name() : QString()});
    return true;
}

} // namespace palomex
