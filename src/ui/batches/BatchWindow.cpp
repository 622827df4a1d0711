#include "ui/batches/BatchWindow.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "app/Prompter.h"
#include "app/Settings.h"
#include "batches/BatchStrings.h"
#include "log/PrintLog.h"
#include "ui/app/HelpWindow.h"
#include "ui/log/LogWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace palomex {

namespace {
// Fills a list afresh and keeps the text it shows.
void refill(QComboBox* box, const QStringList& items) {
    const QString shown = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentText(shown);
}
} // namespace

BatchWindow::BatchWindow(Database& db, LogWindow& log, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db), log_(log), prompter_(prompter) {
    setObjectName(QStringLiteral("Chargenverwaltung"));
    setWindowTitle(caption(390));
    own_ = new QListWidget;
    own_->setObjectName(QStringLiteral("Combo1"));
    own_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    own_->installEventFilter(this);
    foreign_ = new QComboBox;
    foreign_->setObjectName(QStringLiteral("Combo2"));
    foreign_->installEventFilter(this);
    linked_ = new QListWidget;
    linked_->setObjectName(QStringLiteral("List1"));
    linkedCaption_ = new QLabel;
    linkedCaption_->setObjectName(QStringLiteral("Label1"));
    foreignText_ = new QLineEdit;
    foreignText_->setObjectName(QStringLiteral("Text3"));
    supplier_ = new QComboBox;
    supplier_->setObjectName(QStringLiteral("Combo3"));
    supplier_->setEditable(true);
    add_ = new QPushButton(caption(395));
    auto* remove = new QPushButton(caption(396));
    trace_ = new QPushButton;
    trace_->setObjectName(QStringLiteral("Command2"));
    enlarge_ = new QPushButton(QStringLiteral("<"));
    enlarge_->setObjectName(QStringLiteral("Command4"));
    auto* close = new QPushButton(caption(397));
    auto* help = new QPushButton(caption(398));

    auto* ownFrame = new QGroupBox(caption(391));
    auto* ownLayout = new QVBoxLayout(ownFrame);
    ownLayout->addWidget(own_);
    ownLayout->addWidget(enlarge_, 0, Qt::AlignRight);
    auto* foreignFrame = new QGroupBox(caption(392));
    (new QVBoxLayout(foreignFrame))->addWidget(foreign_);
    linkFrame_ = new QGroupBox(caption(393));
    auto* linkForm = new QFormLayout(linkFrame_);
    linkForm->addRow(foreignText_);
    linkForm->addRow(caption(394), supplier_);
    auto* linkButtons = new QHBoxLayout;
    linkButtons->addWidget(add_);
    linkButtons->addWidget(remove);
    linkForm->addRow(linkButtons);

    side_ = new QWidget;
    auto* right = new QVBoxLayout(side_);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(foreignFrame);
    right->addWidget(linkedCaption_);
    right->addWidget(linked_, 1);
    right->addWidget(linkFrame_);
    auto* top = new QHBoxLayout;
    top->addWidget(ownFrame, 1);
    top->addWidget(side_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(trace_);
    bottom->addStretch();
    bottom->addWidget(help);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(760, 480);

    connect(own_, &QListWidget::itemSelectionChanged, this, &BatchWindow::ownSelectionChanged);
    connect(own_, &QListWidget::itemPressed, this, [this] {
        if (foreignMode_)
            ownMode();
    });
    connect(foreign_, &QComboBox::activated, this, [this] {
        if (!foreignMode_)
            foreignMode();
        foreignChosen();
    });
    connect(linked_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (foreignMode_ || !own_->currentItem())
            return;
        if (const auto l = Batches(db_, code_).link(item->text(), own_->currentItem()->text())) {
            foreignText_->setText(l->fremdcharge);
            supplier_->setCurrentText(l->vorlieferant);
        }
    });
    connect(enlarge_, &QPushButton::clicked, this, [this] { enlargeOwnList(side_->isVisible()); });
    connect(add_, &QPushButton::clicked, this, &BatchWindow::addLink);
    connect(remove, &QPushButton::clicked, this, &BatchWindow::removeLinks);
    connect(trace_, &QPushButton::clicked, this, &BatchWindow::trace);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(help, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::Batches); });
}

void BatchWindow::open(const QString& identifier, const QStringList& fieldIdentifiers,
                       const QStringList& fieldContents) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    identifier_ = identifier;
    code_ = identifierCodeOf(identifier);
    enlargeOwnList(false);
    const Batches batches(db_, code_);
    const QStringList owns = batches.ownBatches();
    {
        // The selection is handled once the lists are filled.
        const QSignalBlocker quiet(own_);
        own_->clear();
        own_->addItems(owns);
        const QString pre = Batches::preselect(owns, fieldIdentifiers, fieldContents, identifier);
        const auto found = own_->findItems(pre, Qt::MatchExactly);
        if (!found.isEmpty())
            own_->setCurrentItem(found.first());
    }
    supplier_->clear();
    supplier_->addItems(batches.suppliers());
    foreign_->clear();
    foreign_->addItems(batches.foreignBatches());
    foreign_->setCurrentIndex(foreign_->count() - 1);
    QApplication::restoreOverrideCursor();
    show();
    raise();
    if (!reportError(batches))
        ownMode();
}

bool BatchWindow::reportError(const Batches& batches) {
    const QString error = batches.takeError();
    if (!error.isEmpty())
        prompter_.tell(error, Icon::Critical);
    return !error.isEmpty();
}

void BatchWindow::enlargeOwnList(bool enlarge) {
    side_->setVisible(!enlarge);
    enlarge_->setText(enlarge ? QStringLiteral(">") : QStringLiteral("<"));
}

bool BatchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == own_ && foreignMode_)
            ownMode();
        else if (watched == foreign_ && !foreignMode_)
            foreignMode();
    } else if (event->type() == QEvent::KeyPress && watched == own_ && !side_->isVisible() &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        enlargeOwnList(false);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BatchWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1)
        HelpWindow::showPage(helppage::Batches);
    else
        QWidget::keyPressEvent(event);
}

QStringList BatchWindow::selectedOwn() const {
    QStringList out;
    for (int i = 0; i < own_->count(); ++i) {
        if (own_->item(i)->isSelected())
            out << own_->item(i)->text();
    }
    return out;
}

void BatchWindow::ownMode() {
    foreignMode_ = false;
    linkedCaption_->setText(caption(399));
    linkFrame_->show();
    foreignText_->clear();
    supplier_->setCurrentText(QString());
    trace_->setText(caption(357));
    ownSelectionChanged();
}

void BatchWindow::foreignMode() {
    foreignMode_ = true;
    linkedCaption_->setText(caption(356));
    linkFrame_->hide();
    trace_->setText(caption(358));
    own_->clearSelection();
    const Batches batches(db_, code_);
    refill(foreign_, batches.foreignBatches());
    reportError(batches);
}

void BatchWindow::ownSelectionChanged() {
    if (foreignMode_)
        return;
    linked_->clear();
    const QStringList selected = selectedOwn();
    if (selected.size() <= 1) {
        const QString own = own_->currentItem() ? own_->currentItem()->text() : QString();
        const Batches batches(db_, code_);
        linked_->addItems(batches.foreignOf(own));
        add_->setText(caption(359).arg(own));
        reportError(batches);
    } else {
        add_->setText(caption(388).arg(selected.size()));
    }
}

void BatchWindow::foreignChosen() {
    // A failing listing of the own batches just ends, as users of earlier versions know.
    linked_->clear();
    linked_->addItems(Batches(db_, code_).ownOf(foreign_->currentText()));
}

void BatchWindow::addLink() {
    // A link needs both sides; without them the user is told instead of nothing happening.
    const QStringList owns = selectedOwn();
    if (owns.isEmpty()) {
        prompter_.tell(caption(batchmsg::NoOwnMarked) +
                           (code_.isEmpty() ? caption(batchmsg::NoBatchIdentifier) : QString()),
                       Icon::Critical);
        return;
    }
    if (foreignText_->text().isEmpty()) {
        prompter_.tell(caption(batchmsg::NoForeignTyped), Icon::Critical);
        return;
    }
    Batches batches(db_, code_);
    batches.addLinks(foreignText_->text(), supplier_->currentText(), owns);
    // The new foreign batch and supplier are offered at once.
    refill(foreign_, batches.foreignBatches());
    refill(supplier_, batches.suppliers());
    ownSelectionChanged();
}

void BatchWindow::removeLinks() {
    Batches batches(db_, code_);
    const QStringList selected = selectedOwn();
    if (linked_->currentItem() && linked_->currentItem()->isSelected() && own_->currentItem()) {
        batches.removeLink(foreignText_->text(), own_->currentItem()->text());
    } else if (!selected.isEmpty()) {
        const QString question =
            selected.size() == 1
                ? caption(batchmsg::AskDeleteOne).arg(selected.first())
                : caption(batchmsg::AskDeleteMany).arg(formatNumber(selected.size()));
        if (prompter_.ask(question, Buttons::OkCancel, Icon::Question) == Answer::Ok) {
            if (const auto refused = batches.removeLinksOf(selected))
                prompter_.tell(*refused, Icon::Critical);
        }
    } else {
        prompter_.tell(caption(batchmsg::NothingMarked), Icon::Critical);
    }
    ownSelectionChanged();
}

void BatchWindow::trace() {
    const Batches batches(db_, code_);
    const BatchTrace t = foreignMode_ ? batches.traceForeign(foreign_->currentText())
                                      : batches.traceOwn(selectedOwn());
    if (!t.error.isEmpty()) {
        prompter_.tell(t.error, Icon::Critical);
        return;
    }
    if (reportError(batches))
        return;
    log_.open();
    log_.setContentFilter(identifier_, t.content);
    log_.showList(t.heading);
}

} // namespace palomex
