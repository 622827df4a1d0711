#include "ui/output/PreviewWindow.h"

#include "app/Help.h"
#include "db/NveLock.h"
#include "entry/NveNumbers.h"
#include "ui/app/HelpWindow.h"
#include "ui/app/Twips.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace palomex {

namespace {
// Scroll positions are millimetres of the page; a little beyond A4 either way.
constexpr int kScrollRangeMm = 300;
constexpr int kSmallStepMm = 5;
constexpr int kLargeStepMm = 50;
} // namespace

class PreviewWindow::Canvas : public QWidget {
public:
    explicit Canvas(PreviewWindow& window) : QWidget(&window), window_(window) {
        setObjectName(QStringLiteral("Vorschaubild"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.scale(logicalDpiX() / 25.4, logicalDpiY() / 25.4);
        drawPreview(p, window_.input_, window_.prompter_);
        QTimer::singleShot(0, &window_, [w = &window_] { w->afterDrawing(); });
    }

private:
    PreviewWindow& window_;
};

Answer PreviewWindow::DeferredPrompter::ask(const QString& text, Buttons buttons, Icon icon) {
    // Drawing goes on without the question; Cancel ends the drawn run as it would
    // end a print run.
    pending_ = text;
    buttons_ = buttons;
    icon_ = icon;
    return Answer::Cancel;
}

std::optional<Answer> PreviewWindow::DeferredPrompter::flush() {
    // The same problem is told once, not at every redraw.
    std::optional<Answer> answer;
    if (!pending_.isEmpty() && pending_ != shown_) {
        const Answer a = target_.ask(pending_, buttons_, icon_);
        if (buttons_ == Buttons::YesNoCancel)
            answer = a;
    }
    shown_ = pending_;
    pending_.clear();
    return answer;
}

void PreviewWindow::afterDrawing() {
    const std::optional<Answer> answer = prompter_.flush();
    if (!answer)
        return;
    // Whatever the answer, the preview makes way: for the editor, the settings,
    // or because the run it shows was cancelled.
    close();
    if (*answer == Answer::Yes)
        emit layoutEditorWanted();
    else if (*answer == Answer::No)
        emit barcodeScalingWanted();
}

PreviewWindow::PreviewWindow(Database& db, const Settings& settings, Prompter& prompter)
    : db_(db), settings_(settings), prompter_(prompter) {
    setObjectName(QStringLiteral("Vorschau"));
    setFocusPolicy(Qt::StrongFocus);
    canvas_ = new Canvas(*this);
    hScroll_ = new QScrollBar(Qt::Horizontal, this);
    vScroll_ = new QScrollBar(Qt::Vertical, this);
    hScroll_->setObjectName(QStringLiteral("HScroll1"));
    vScroll_->setObjectName(QStringLiteral("VScroll1"));
    for (QScrollBar* bar : {hScroll_, vScroll_}) {
        bar->setRange(0, kScrollRangeMm);
        bar->setSingleStep(kSmallStepMm);
        bar->setPageStep(kLargeStepMm);
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QScrollBar::valueChanged, this, [this] { redraw(); });
    }
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(canvas_, 0, 0);
    grid->addWidget(vScroll_, 0, 1);
    grid->addWidget(hScroll_, 1, 0);
    applyState(loadPreviewState(settings_));
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::applyState(const PreviewState& st) {
    move(fromTwips(st.left), fromTwips(st.top));
    resize(std::max(200, fromTwips(st.width)), std::max(200, fromTwips(st.height)));
    hScroll_->setValue(st.hScroll);
    vScroll_->setValue(st.vScroll);
    zoom_ = st.zoom;
    setWindowTitle(previewCaption(zoom_));
}

PreviewState PreviewWindow::state() const {
    return {toTwips(x()), toTwips(y()),      toTwips(width()), toTwips(height()),
            zoom_,        hScroll_->value(), vScroll_->value()};
}

void PreviewWindow::open(const Label& label, const SettingsRecord& record) {
    const JobSettings js = jobSettings(record, settings_, {});
    input_.label = label;
    input_.record = record;
    input_.mode = js.mode;
    input_.autoNve = js.autoNve;
    // The run the preview shows starts where the next print would start.
    input_.firstRunning = js.autoNve ? nextRunningNumber(db_, label.nveBasis)
                                     : runningNumberOf(label.nveLaufNr).value_or(1);
    prompter_.forget();
    redraw();
    show();
    raise();
    activateWindow();
}

void PreviewWindow::redraw() {
    input_.zoom = zoom_;
    input_.scrollMm = QPointF(hScroll_->value(), vScroll_->value());
    setWindowTitle(previewCaption(zoom_));
    canvas_->update();
}

void PreviewWindow::setZoom(const QString& command) {
    zoom_ = zoomAfter(zoom_, command);
    redraw();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    const PreviewKey k = previewKey(event->key(), event->modifiers());
    const auto steps = [](QScrollBar* bar, int n) {
        bar->setValue(bar->value() +
                      (std::abs(n) == 2 ? bar->pageStep() : bar->singleStep()) * (n < 0 ? -1 : 1));
    };
    switch (k.action) {
    case PreviewKey::Action::None:
        QWidget::keyPressEvent(event);
        return;
    case PreviewKey::Action::Close:
        close();
        return;
    case PreviewKey::Action::Zoom:
        setZoom(k.zoom);
        return;
    case PreviewKey::Action::Scroll:
        if (k.dx != 0)
            steps(hScroll_, k.dx);
        if (k.dy != 0)
            steps(vScroll_, k.dy);
        break;
    case PreviewKey::Action::Home:
        hScroll_->setValue(0);
        vScroll_->setValue(0);
        break;
    case PreviewKey::Action::End:
        (k.horizontal ? hScroll_ : vScroll_)->setValue(kScrollRangeMm);
        break;
    case PreviewKey::Action::Help:
        HelpWindow::showPage(helppage::Printing);
        return;
    }
    redraw();
}

void PreviewWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        setZoom(QStringLiteral("plus"));
    else if (event->button() == Qt::RightButton)
        setZoom(QStringLiteral("minus"));
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    savePreviewState(settings_, state());
    event->accept();
}

} // namespace palomex
