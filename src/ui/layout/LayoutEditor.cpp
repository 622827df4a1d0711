#include "ui/layout/LayoutEditor.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "layout/LayoutDrawing.h"
#include "ui/app/HelpWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace palomex {

namespace {
// The editor area in layout units: room beside and below the large outline for
// the elements that are parked there, inactive.
constexpr QSizeF kArea{160, 150};

// The renderer's questions would come up at every repaint; the editor is not a
// print run, so they go unanswered.
class SilentPrompter : public Prompter {
public:
    Answer ask(const QString&, Buttons, Icon) override { return Answer::No; }
};
} // namespace

class LayoutEditor::Canvas : public QWidget {
public:
    explicit Canvas(LayoutEditor& editor) : QWidget(&editor), editor_(editor) {
        setObjectName(QStringLiteral("Etikett"));
        setMinimumSize(int(kArea.width() * 3), int(kArea.height() * 3));
        setMouseTracking(false);
        setToolTip(caption(layoutmsg::Tooltip));
    }

    double unitPx() const { return std::min(width() / kArea.width(), height() / kArea.height()); }
    QPointF toUnits(QPointF px) const { return px / unitPx(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        if (!editor_.model_)
            return;
        p.scale(unitPx(), unitPx());
        SilentPrompter quiet;
        drawLayout(p, *editor_.model_, editor_.record_, quiet);
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (!editor_.model_ || event->button() != Qt::LeftButton)
            return;
        editor_.model_->press(toUnits(event->position()));
        if (editor_.model_->dragging())
            setCursor(editor_.model_->resizing() ? Qt::SizeHorCursor : Qt::SizeAllCursor);
        editor_.fillPanel();
        update();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!editor_.model_ || !editor_.model_->dragging())
            return;
        editor_.model_->dragTo(toUnits(event->position()));
        editor_.fillPanel();
        editor_.edited();
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!editor_.model_ || event->button() != Qt::LeftButton)
            return;
        editor_.model_->release();
        unsetCursor();
        update();
    }

private:
    LayoutEditor& editor_;
};

LayoutEditor::LayoutEditor(Prompter& prompter) : prompter_(prompter) {
    setObjectName(QStringLiteral("Etiklayout"));
    setFocusPolicy(Qt::StrongFocus);
    canvas_ = new Canvas(*this);

    index_ = new QLabel(this);
    index_->setObjectName(QStringLiteral("Index"));
    group_ = new QLabel(this);
    firstCaption_ = new QLabel(this);
    secondCaption_ = new QLabel(this);
    first_ = new QLineEdit(this);
    first_->setObjectName(QStringLiteral("SchriftgrBez"));
    second_ = new QLineEdit(this);
    second_->setObjectName(QStringLiteral("SchriftgrText"));
    horz_ = new QCheckBox(caption(layoutmsg::Horz), this);
    horz_->setObjectName(QStringLiteral("Feldhorz"));
    designationCaption_ = new QLabel(caption(layoutmsg::NveDesignation), this);
    designationCaption_->setObjectName(QStringLiteral("NVEBezLabel"));
    designation_ = new QLineEdit(this);
    designation_->setObjectName(QStringLiteral("NVEBezText"));
    left_ = new QLineEdit(this);
    left_->setObjectName(QStringLiteral("Links"));
    top_ = new QLineEdit(this);
    top_->setObjectName(QStringLiteral("Oben"));
    // The boxes take only what they can hold: a letter would be read as 0. A size may
    // have a decimal part.
    for (QLineEdit* box : {left_, top_})
        box->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), box));
    for (QLineEdit* box : {first_, second_})
        box->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("\\d*([.,]\\d*)?")), box));
    height_ = new QSpinBox(this);
    height_->setObjectName(QStringLiteral("Hoehe"));
    height_->setRange(0, 999);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("Status"));
    auto* ok = new QPushButton(caption(layoutmsg::Ok), this);
    ok->setObjectName(QStringLiteral("OK"));
    auto* reset = new QPushButton(caption(layoutmsg::Reset), this);
    reset->setObjectName(QStringLiteral("Zuruecksetzen"));
    auto* help = new QPushButton(caption(layoutmsg::Help), this);
    help->setObjectName(QStringLiteral("Hilfe"));
    for (QPushButton* b : {ok, reset, help})
        b->setAutoDefault(false);

    auto* panel = new QGridLayout;
    int row = 0;
    panel->addWidget(new QLabel(caption(layoutmsg::Index), this), row, 0);
    panel->addWidget(index_, row++, 1);
    panel->addWidget(group_, row++, 0, 1, 2);
    panel->addWidget(firstCaption_, row, 0);
    panel->addWidget(first_, row++, 1);
    panel->addWidget(secondCaption_, row, 0);
    panel->addWidget(second_, row++, 1);
    panel->addWidget(horz_, row++, 0, 1, 2);
    panel->addWidget(designationCaption_, row, 0);
    panel->addWidget(designation_, row++, 1);
    auto* position = new QHBoxLayout;
    position->addWidget(left_);
    position->addWidget(top_);
    panel->addWidget(new QLabel(caption(layoutmsg::Position), this), row, 0);
    panel->addLayout(position, row++, 1);
    panel->addWidget(new QLabel(caption(layoutmsg::Height), this), row, 0);
    panel->addWidget(height_, row++, 1);
    panel->addWidget(state_, row++, 0, 1, 2);
    panel->setRowStretch(row++, 1);
    panel->addWidget(ok, row++, 0, 1, 2);
    panel->addWidget(reset, row++, 0, 1, 2);
    panel->addWidget(help, row++, 0, 1, 2);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(canvas_, 1);
    layout->addLayout(panel);

    for (QLineEdit* box : {first_, second_, designation_})
        connect(box, &QLineEdit::textEdited, this, [this] { writeState(); });
    connect(horz_, &QCheckBox::clicked, this, [this] { writeState(); });
    for (QLineEdit* box : {left_, top_})
        connect(box, &QLineEdit::textEdited, this, [this] { placeFromBoxes(); });
    connect(height_, &QSpinBox::valueChanged, this, [this](int mm) {
        if (filling_ || !model_)
            return;
        const int kept = model_->setHeight(mm);
        if (kept != mm) {
            filling_ = true;
            height_->setValue(kept);
            filling_ = false;
        }
        fillPanel();
        edited();
    });
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    connect(help, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::Layout); });
    connect(reset, &QPushButton::clicked, this, [this] { resetLabel(); });
}

LayoutEditor::~LayoutEditor() = default;

QWidget* LayoutEditor::canvas() const {
    return canvas_;
}

QPoint LayoutEditor::toCanvas(QPointF units) const {
    return (units * canvas_->unitPx()).toPoint();
}

void LayoutEditor::open(Label* label, const SettingsRecord& record, std::function<void()> changed,
                        std::function<void()> reset) {
    label_ = label;
    record_ = record;
    changed_ = std::move(changed);
    reset_ = std::move(reset);
    startEditing();
    setWindowTitle(caption(layoutmsg::Caption) + label_->name);
    show();
    raise();
    activateWindow();
}

void LayoutEditor::startEditing() {
    prepareForEditing(*label_);
    model_ = std::make_unique<LayoutModel>(*label_, kArea);
    for (int i = 0; i < element::Count; ++i)
        model_->setgr(i);
    model_->clearChanged();
    fillPanel();
    canvas_->update();
}

void LayoutEditor::clearChanged() {
    if (model_)
        model_->clearChanged();
}

void LayoutEditor::fillPanel() {
    if (!model_)
        return;
    filling_ = true;
    const LayoutPanel p = model_->panel();
    const bool any = p.index >= 0;
    index_->setText(any ? QString::number(p.index) : QString());
    group_->setText(p.group);
    firstCaption_->setText(p.firstCaption);
    secondCaption_->setText(p.secondCaption);
    first_->setEnabled(any && p.sizesEnabled);
    second_->setEnabled(any && p.sizesEnabled);
    // A box being typed in keeps its text; it is the source of the value.
    if (!first_->hasFocus())
        first_->setText(any && p.sizesEnabled ? p.first : QString());
    if (!second_->hasFocus())
        second_->setText(any && p.sizesEnabled ? p.second : QString());
    horz_->setVisible(p.horzShown);
    horz_->setChecked(p.horz);
    designationCaption_->setVisible(p.designationShown);
    designation_->setVisible(p.designationShown);
    if (!designation_->hasFocus())
        designation_->setText(p.designation);
    if (!left_->hasFocus())
        left_->setText(any ? QString::number(p.leftMm) : QString());
    if (!top_->hasFocus())
        top_->setText(any ? QString::number(p.topMm) : QString());
    height_->setValue(model_->label().height);
    state_->setText(any ? p.stateLine : QString());
    filling_ = false;
}

void LayoutEditor::edited() {
    canvas_->update();
    if (changed_)
        changed_();
    emit labelChanged();
}

void LayoutEditor::writeState() {
    if (filling_ || !model_)
        return;
    model_->writeState(first_->text(), second_->text(), horz_->isChecked(), designation_->text());
    edited();
}

void LayoutEditor::placeFromBoxes() {
    if (filling_ || !model_)
        return;
    model_->placeSelected(left_->text().toDouble(), top_->text().toDouble());
    fillPanel();
    edited();
}

void LayoutEditor::resetLabel() {
    if (!label_)
        return;
    if (reset_)
        reset_();
    prompter_.tell(caption(layoutmsg::ResetDone).arg(label_->name), Icon::Warning);
    // The stored label has no extents to grab its elements by; the editor gives
    // them again, as when it opened.
    startEditing();
    edited();
}

void LayoutEditor::keyPressEvent(QKeyEvent* event) {
    if (!model_) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_F1) {
        HelpWindow::showPage(helppage::Layout);
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier)) {
        if (event->matches(QKeySequence::Undo))
            model_->undo();
        else
            model_->redo();
        fillPanel();
        edited();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace palomex
