#include "output/PrintRun.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "output/RunStrings.h"

#include <cmath>

namespace palomex {

namespace {

// Adds a non-negative delta to a decimal digit string of any length.
QString addDecimal(const QString& digits, unsigned long long delta) {
    QString out = digits.isEmpty() ? QStringLiteral("0") : digits;
    int carry = 0;
    for (qsizetype i = out.size() - 1; i >= 0 && (delta > 0 || carry > 0); --i) {
        const int sum = out[i].digitValue() + static_cast<int>(delta % 10) + carry;
        out[i] = QChar('0' + sum % 10);
        carry = sum / 10;
        delta /= 10;
    }
    QString head;
    while (delta > 0 || carry > 0) {
        const int sum = static_cast<int>(delta % 10) + carry;
        head.prepend(QChar('0' + sum % 10));
        carry = sum / 10;
        delta /= 10;
    }
    return head + out;
}

QString counted(const QString& digits, long long step, qint64 offset) {
    const long long delta = step * offset;
    QString n;
    if (delta >= 0) {
        n = addDecimal(digits, static_cast<unsigned long long>(delta));
    } else {
        // Counting down stops at zero.
        const long long value = std::max(0LL, digits.toLongLong() + delta);
        n = QString::number(value);
    }
    while (n.size() > 1 && n.startsWith(QLatin1Char('0')))
        n.remove(0, 1);
    return n.rightJustified(digits.size(), QLatin1Char('0'));
}

} // namespace

QString countingText(const QString& t, long long step, qint64 offset) {
    const qsizetype a = t.indexOf(QChar(0xAB));
    const qsizetype b = t.indexOf(QChar(0xBB));
    if (a >= 0 && b >= 0) {
        const qsizetype p1 = std::min(a, b);
        const qsizetype p2 = std::max(a, b);
        QString between = t.mid(p1 + 1, p2 - p1 - 1);
        qsizetype digits = 0;
        while (digits < between.size() && between[digits].isDigit())
            ++digits;
        between = between.left(digits);
        return t.left(p1) + counted(between, step, offset) + t.mid(p2 + 1);
    }
    qsizetype from = t.size();
    while (from > 0 && t[from - 1].isDigit() && t[from - 1].unicode() < 0x80)
        --from;
    return t.left(from) + counted(t.mid(from), step, offset);
}

PrintRun::PrintRun(const Label& label, RunParameters params, NveRange& numbers,
                   LabelPainter painter, ElementActive active, PageSink& sink, Prompter& prompter)
    : label_(label), params_(params), numbers_(numbers), painter_(std::move(painter)),
      active_(std::move(active)), sink_(sink), prompter_(prompter) {}

Label PrintRun::labelFor(qint64 r) const {
    Label l = label_;
    for (int i = 0; i < Label::kAutoValueRows; ++i) {
        DataField& f = l.fields[i];
        if (f.autoValue && f.isRunningNumber() && active_(label_.fieldElement(i), label_))
            f.content = countingText(label_.fields[i].content, f.days, r - params_.firstRunning);
    }
    return l;
}

RunResult PrintRun::run() {
    RunResult result;
    const qint64 first = params_.firstRunning;
    const qint64 last = first + std::max(0, params_.nveCount) - 1;
    const double ox0 = params_.randLinks;
    const double oy0 = params_.randOben;
    const QSizeF paper = sink_.paperMm();
    const QSizeF printable = sink_.printableMm();
    const double mx = params_.preview ? 0 : std::floor((paper.width() - printable.width()) / 2);
    const double my = params_.preview ? 0 : std::floor((paper.height() - printable.height()) / 2);
    const double width = params_.labelWidthMm;
    const double height = label_.height;
    double ox = ox0;
    double oy = oy0;
    bool leftColumn = true;
    bool pageDue = params_.startOnNewPage;
    qint64 r = first;
    qint64 takenUpTo = first - 1;
    int k = 1;
    while (r <= last) {
        if (numbers_.withoutCheckDigit(r).isEmpty()) {
            result.stopped = true;
            break;
        }
        if (!params_.preview && r > takenUpTo) {
            qint64 upTo = std::min(last, r + kRecordAheadNves - 1);
            if (numbers_.withoutCheckDigit(upTo).isEmpty())
                upTo = r;
            try {
                numbers_.recordAhead(upTo);
            } catch (const AppError& e) {
                result.failure = e;
                break;
            }
            takenUpTo = upTo;
        }
        // The page is started only for a label that will be drawn, so a label the
        // run ends on leaves no empty page behind.
        LabelPlacement placement;
        placement.offsetMm = {ox, oy};
        placement.scale = params_.scale;
        placement.devicePixels = sink_.hasPixels();
        if (!params_.preview)
            placement.printableHeightMm = printable.height();
        placement.beginDrawing = [&] {
            if (pageDue && !sink_.newPage())
                return false;
            pageDue = false;
            return true;
        };
        if (!painter_(sink_.painter(), labelFor(r), numbers_.composed(r), placement))
            break;
        ++result.labelsPrinted;
        result.lastRun = r;
        if (progress_)
            progress_(numbers_.withoutCheckDigit(r),
                      static_cast<int>((r - first) * 100 / std::max(1, params_.nveCount)));

        bool endOfOutput = false;
        if (params_.mode == PageMode::SingleLabels) {
            pageDue = true;
            endOfOutput = params_.preview;
        } else {
            if (leftColumn) {
                ox = width + 2 * ox0 - mx;
            } else {
                ox = ox0;
                oy = oy + height + 2 * oy0 - my;
            }
            leftColumn = !leftColumn;
            if (oy + height - 2 * oy0 > paper.height() + params_.randOben) {
                ox = ox0;
                oy = oy0;
                leftColumn = true;
                pageDue = true;
                endOfOutput = params_.preview;
            }
        }
        const bool stop = !params_.preview && escapeHeld_ && escapeHeld_() &&
                          prompter_.ask(caption(runmsg::AskCancel), Buttons::YesNo,
                                        Icon::Question) == Answer::Yes;
        if (k < params_.labelsPerNve) {
            ++k;
        } else {
            k = 1;
            ++r;
        }
        if (stop) {
            result.cancelled = true;
            break;
        }
        if (endOfOutput)
            break;
    }
    if (!params_.preview && result.lastRun) {
        result.firstNve = numbers_.withoutCheckDigit(first);
        result.lastNve = numbers_.withoutCheckDigit(*result.lastRun);
    }
    return result;
}

} // namespace palomex
