#pragma once
// A print run: a label for a range of consecutive NVEs, several labels per NVE,
// one per page or tiled on DIN A4 sheets. The GUI print command, the command line
// and the benchmark all run it; pages go to a sink, questions to a prompter.

#include "app/AppError.h"
#include "db/Label.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QPainter;

namespace palomex {

class Prompter;

// Where the pages go: a printer, a PDF writer or the preview.
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual QPainter& painter() = 0;
    // Starts the next page; false when the device refused (the run ends).
    virtual bool newPage() = 0;
    virtual QSizeF paperMm() const = 0;     // 210 x 297 in portrait
    virtual QSizeF printableMm() const = 0; // the area the device can print on
    // Ends the document. The reason when the device did not take it whole: then
    // nothing of it counts as printed.
    virtual std::optional<QString> finish() = 0;
    // Ends the document without output: nothing of it reaches the device, not even
    // an empty page.
    virtual void discard() = 0;
    // Whether the device prints in pixels of its own, to which bars are best
    // rounded; a file of vectors leaves that to whatever prints it.
    virtual bool hasPixels() const { return true; }
};

// Opens the device of a print job once its NVEs are reserved, so that a refused
// run opens none. Returns null after telling the user why it could not.
using SinkOpener = std::function<std::unique_ptr<PageSink>(QSizeF paperMm, bool landscape)>;

// Where one label goes on its page.
struct LabelPlacement {
    QPointF offsetMm;
    double scale = 1.0;
    // The height the device can print to; a text that would reach it is left out.
    // Nothing where the page has no such edge (the preview).
    std::optional<double> printableHeightMm;
    bool devicePixels = true; // see PageSink::hasPixels
    // Called once the label is known to be drawn, before anything of it is: it
    // starts the label's page, and false (the device refused the page) ends the run
    // with the label undrawn.
    std::function<bool()> beginDrawing;
};

// Draws one label for one NVE; false ends the run (a barcode the encoder refused,
// Cancel in the fit question).
using LabelPainter = std::function<bool(QPainter&, const Label&, const QString& nve,
                                        const LabelPlacement& placement)>;

// Whether a layout element of the label is inside its outline and so takes part.
using ElementActive = std::function<bool(const LayoutRect&, const Label&)>;

// The NVEs of one base number for the length of a run.
class NveRange {
public:
    virtual ~NveRange() = default;
    // Base number and running number r as 17 digits, empty when r cannot be an NVE.
    virtual QString withoutCheckDigit(qint64 r) const = 0;
    // The NVE as the label shows it before its check digit: the base as typed,
    // blanks kept, and the running number.
    virtual QString composed(qint64 r) const = 0;
    // The numbers up to r are about to be printed: r is stored as taken, durably,
    // so that no other run prints them even when this one never ends properly.
    virtual void recordAhead(qint64 r) = 0;
};

// How many NVEs a run takes ahead of the one it prints: one durable write per
// stretch instead of one per label.
inline constexpr int kRecordAheadNves = 50;

enum class PageMode { SingleLabels, A4Sheets };

struct RunParameters {
    qint64 firstRunning = 1;
    int nveCount = 1;
    int labelsPerNve = 1;
    PageMode mode = PageMode::SingleLabels;
    double scale = 1.0;
    double randOben = 0; // top margin, mm
    double randLinks = 0;
    double labelWidthMm = 105;
    bool preview = false;        // the preview reserves and records nothing
    bool startOnNewPage = false; // the sink's page already holds labels of a run before
};

struct RunResult {
    int labelsPrinted = 0;
    bool cancelled = false;
    bool stopped = false;            // a running number could not form an NVE
    std::optional<AppError> failure; // numbers could not be taken ahead; the run ended
    std::optional<qint64> lastRun;   // running number of the last label printed
    QString firstNve;                // 17 digits, as the log keeps them
    QString lastNve;
};

// The text of a counting field on the label offset NVEs after the first: the number
// between "«" and "»", or else the trailing digits, counted on by step per NVE and
// zero-padded to the digits' length (a longer number is not cut).
QString countingText(const QString& savedText, long long step, qint64 offset);

class PrintRun {
public:
    PrintRun(const Label& label, RunParameters params, NveRange& numbers, LabelPainter painter,
             ElementActive active, PageSink& sink, Prompter& prompter);

    // Polled once per label: whether ESC is held; the user then confirms the cancel.
    void setEscapeCheck(std::function<bool()> escapeHeld) { escapeHeld_ = std::move(escapeHeld); }
    // Called after every label with the NVE and the progress in per cent.
    void setProgress(std::function<void(const QString&, int)> progress) {
        progress_ = std::move(progress);
    }

    // Prints the run; labels go on the sink's current page first. What was printed
    // is in the result; storing the last number and the log are the caller's.
    RunResult run();
    // The label as drawn for running number r: its counting fields counted on.
    Label labelFor(qint64 r) const;

private:
    Label label_;
    RunParameters params_;
    NveRange& numbers_;
    LabelPainter painter_;
    ElementActive active_;
    PageSink& sink_;
    Prompter& prompter_;
    std::function<bool()> escapeHeld_;
    std::function<void(const QString&, int)> progress_;
};

} // namespace palomex
