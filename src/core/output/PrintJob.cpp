#include "output/PrintJob.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Prompter.h"
#include "db/Database.h"
#include "db/NveLock.h"
#include "entry/FieldContent.h"
#include "entry/LabelCheck.h"
#include "entry/NveNumbers.h"
#include "log/PrintLog.h"
#include "output/RunStrings.h"

namespace palomex {

namespace {

constexpr QSizeF kA4Mm{210, 297};

LogEntry logEntry(const Label& l, const QString& benutzer, const RunResult& run) {
    LogEntry e;
    e.benutzer = benutzer;
    e.etikett = l.name;
    e.absender = l.parties[0].text;
    e.empfaenger = l.parties[1].text;
    e.vonNve = run.firstNve;
    e.bisNve = run.lastNve;
    for (int i = 0; i < Label::kFieldCount; ++i) {
        e.identifierEntries[i] = l.fields[i].identifier;
        e.captions[i] = l.fields[i].caption;
        e.contents[i] = l.fields[i].content;
    }
    for (int i = 0; i < Label::kExtraCount; ++i)
        e.zusatz[i] = l.extras[i].text;
    return e;
}

} // namespace

JobSettings jobSettings(const SettingsRecord& record, const Settings& settings,
                        const QString& labelTable) {
    JobSettings s;
    s.mode = record.etikettentyp == 1 ? PageMode::SingleLabels : PageMode::A4Sheets;
    s.copies = std::max(1, record.seitenanzahl);
    s.scale = record.druckerSkalierung > 0 ? record.druckerSkalierung / 100.0 : 1.0;
    s.randOben = record.randOben;
    s.randLinks = record.randLinks;
    s.autoNve = settings.number(QStringLiteral("Einstellungen"), QStringLiteral("AutoNVE")) == 1;
    s.logging = loggingEnabled(settings);
    s.benutzer = labelTable;
    return s;
}

bool landscapeOutput(const Label& label, PageMode mode) {
    return mode == PageMode::A4Sheets && label.format == LabelFormat::Large;
}

QSizeF paperSizeMm(const Label& label, PageMode mode) {
    if (mode == PageMode::SingleLabels)
        return {double(labelWidthMm(label.format)), double(std::max(1, label.height))};
    return landscapeOutput(label, mode) ? kA4Mm.transposed() : kA4Mm;
}

std::optional<int> nveCountOf(const QString& typed) {
    bool ok = false;
    const int n = typed.trimmed().toInt(&ok);
    return ok && n >= 1 && n <= kMaxRunNves ? std::optional(n) : std::nullopt;
}

LabelPainter rendererPainter(LabelRenderer& renderer, RenderMode mode, RenderOutcome& outcome,
                             QDate today) {
    return [&renderer, mode, &outcome, today](QPainter& painter, const Label& label,
                                              const QString& nve, const LabelPlacement& placed) {
        // The renderer completes short GTINs in what it draws; the run's label stays.
        Label drawn = label;
        RenderOptions options;
        options.scale = placed.scale;
        options.offsetX = placed.offsetMm.x();
        options.offsetY = placed.offsetMm.y();
        options.mode = mode;
        options.pageHeightMm = placed.printableHeightMm;
        options.devicePixels = placed.devicePixels;
        options.beginDrawing = placed.beginDrawing;
        const RenderOutcome r =
            renderer.render(painter, drawn, nve, fieldCodeFor(drawn, today), options);
        outcome.openLayoutEditor = outcome.openLayoutEditor || r.openLayoutEditor;
        outcome.openBarcodeScaling = outcome.openBarcodeScaling || r.openBarcodeScaling;
        return !r.endRun;
    };
}

PrintJob::PrintJob(Database& db, const SettingsRecord& record, JobSettings settings,
                   Prompter& prompter)
    : db_(db), record_(record), settings_(std::move(settings)), prompter_(prompter) {}

void PrintJob::tellError(int number, const QString& module, const QString& text) {
    prompter_.tellError(caption(runmsg::RunError).arg(number).arg(module, text));
}

JobResult PrintJob::print(const Label& shown, const SinkOpener& open) {
    JobResult job;
    job.label = shown;
    const auto refuse = [&](const QString& text) {
        prompter_.tell(text, Icon::Critical);
        job.refused = true;
        return job;
    };
    if (const auto refused = labelRefusal(shown, settings_.autoNve))
        return refuse(*refused);
    if (!settings_.autoNve && !reprintAccepted(shown)) {
        job.refused = true;
        return job;
    }

    LabelRenderer renderer(record_, prompter_);
    RenderOutcome outcome;
    const LabelPainter painter = rendererPainter(renderer, RenderMode::Printer, outcome);
    std::unique_ptr<PageSink> sink;
    std::vector<Logged> logged;
    job.complete = true;
    for (int copy = 0; copy < settings_.copies && job.complete; ++copy)
        job.complete = runOnce(job, painter, open, sink, logged);
    job.openLayoutEditor = outcome.openLayoutEditor;
    job.openBarcodeScaling = outcome.openBarcodeScaling;
    if (!sink)
        return job;
    if (job.labelsPrinted == 0) {
        // Not even an empty page goes to the printer for a run that drew nothing.
        sink->discard();
        return job;
    }
    if (const auto reason = sink->finish()) {
        // Nothing came out. The numbers it took stay taken: a device may have let
        // part of it through, and an NVE must never be printed twice.
        job.labelsPrinted = 0;
        job.complete = false;
        for (const Logged& l : logged)
            withdrawLogRow(db_, l.entry, l.at);
        return refuse(*reason);
    }
    return job;
}

bool PrintJob::reprintAccepted(const Label& shown) {
    const qint64 first = *runningNumberOf(shown.nveLaufNr);
    const BaseNveRange numbers(shown.nveBasis, nullptr);
    const QString from = numbers.withoutCheckDigit(first);
    QString to = numbers.withoutCheckDigit(first + *nveCountOf(shown.anzahlNVEs) - 1);
    if (from.isEmpty())
        return true; // the run stops at its first label with the reason
    // A run running past the last NVE of its base stops there.
    if (to.isEmpty()) {
        const QString base = baseDigits(shown.nveBasis);
        to = base + QString(kNveDigits - base.size(), QLatin1Char('9'));
    }
    const std::optional<EarlierPrint> earlier = earlierPrint(db_, from, to);
    if (!earlier)
        return true;
    const QString text = caption(runmsg::PrintedBefore)
                             .arg(earlier->from, earlier->to,
                                  earlier->at.date().toString(QStringLiteral("dd.MM.yyyy")),
                                  earlier->at.time().toString(QStringLiteral("hh:mm:ss")));
    if (!settings_.askBeforeReprint) {
        prompter_.tell(text + caption(runmsg::Reprinting), Icon::Warning);
        return true;
    }
    return prompter_.ask(text + caption(runmsg::AskReprint), Buttons::NoYes, Icon::Question) ==
           Answer::Yes;
}

bool PrintJob::runOnce(JobResult& job, const LabelPainter& painter, const SinkOpener& open,
                       std::unique_ptr<PageSink>& sink, std::vector<Logged>& logged) {
    Label& l = job.label;
    const int count = *nveCountOf(l.anzahlNVEs);
    std::unique_ptr<NveLock> lock;
    qint64 first = 0;
    try {
        const qint64 typed = runningNumberOf(l.nveLaufNr).value_or(0);
        // A base new to the table starts as the entry says: with automatic NVE
        // above the typed number, else at it, so nothing is stored as printed
        // before it is.
        lock = lockNveBase(db_, baseDigits(l.nveBasis),
                           settings_.autoNve ? typed : std::max<qint64>(0, typed - 1));
        // With automatic NVE the run starts above what the held row says, so no
        // other workstation can be handing out the same numbers meanwhile.
        first = settings_.autoNve ? lock->highest().value_or(0) + 1 : typed;
    } catch (const AppError& e) {
        if (e.number() == err::RecordLocked)
            prompter_.tellError(caption(runmsg::BaseLocked).arg(e.number()).arg(e.text()));
        else
            tellError(e.number(), e.module(), e.text());
        job.refused = true;
        return false;
    }
    if (settings_.autoNve)
        l.nveLaufNr = runningNumberEntry(l.nveBasis, first);

    if (!sink) {
        sink = open(paperSizeMm(l, settings_.mode), landscapeOutput(l, settings_.mode));
        if (!sink) {
            job.refused = true;
            return false;
        }
    }

    BaseNveRange numbers(l.nveBasis, lock.get());
    RunParameters params;
    params.firstRunning = first;
    params.nveCount = count;
    params.labelsPerNve = std::max(1, l.anzahlProNVE);
    params.mode = settings_.mode;
    params.scale = settings_.scale;
    params.randOben = settings_.randOben;
    params.randLinks = settings_.randLinks;
    params.labelWidthMm = labelWidthMm(l.format);
    params.startOnNewPage = job.labelsPrinted > 0;
    PrintRun run(l, params, numbers, painter, isActive, *sink, prompter_);
    run.setEscapeCheck(escapeHeld_);
    run.setProgress(progress_);
    const RunResult r = run.run();
    job.labelsPrinted += r.labelsPrinted;
    try {
        // Numbers taken ahead and not printed go back, down to where the row stood
        // when nothing was printed; nothing else can have taken them meanwhile.
        lock->release(r.lastRun);
        lock.reset();
    } catch (const AppError& e) {
        tellError(e.number(), e.module(), e.text());
        return false;
    }
    if (r.lastRun && settings_.logging) {
        // Written before the job goes to the device: a printed run is never without
        // its row. The row shows the label as its last label was printed.
        const Logged row{logEntry(run.labelFor(*r.lastRun), settings_.benutzer, r),
                         QDateTime::currentDateTime()};
        if (const auto refused = appendLogRow(db_, row.entry, row.at))
            tellError(err::DatabaseFailure, QStringLiteral("NeuDatensatz"), *refused);
        else
            logged.push_back(row);
    }
    if (r.lastRun && settings_.autoNve)
        l.nveLaufNr = runningNumberEntry(l.nveBasis, *r.lastRun);
    if (r.stopped) {
        const qint64 at = r.lastRun ? *r.lastRun + 1 : first;
        prompter_.tellError(tooLongMessage(l.nveBasis, at));
        return false;
    }
    if (r.failure) {
        tellError(r.failure->number(), r.failure->module(), r.failure->text());
        return false;
    }
    return !r.cancelled && r.lastRun == first + count - 1 &&
           r.labelsPrinted == count * params.labelsPerNve;
}

} // namespace palomex
