#include "ui/scan/ScanWindow.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "entry/Catalogue.h"
#include "scan/ScanParser.h"
#include "scan/ScanStrings.h"
#include "ui/app/HelpWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace palomex {

ScanWindow::ScanWindow(Prompter& prompter) : prompter_(prompter) {
    setObjectName(QStringLiteral("Scanmodul"));
    setWindowTitle(caption(scanmsg::WindowTitle));
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(caption(scanmsg::ScanNow), this);
    shown_ = new QLabel(this);
    shown_->setObjectName(QStringLiteral("Label1"));
    shown_->setFrameShape(QFrame::Panel);
    shown_->setFrameShadow(QFrame::Sunken);
    shown_->setMinimumWidth(420);
    shown_->setTextFormat(Qt::PlainText);
    indicator_ = new QLabel(this);
    indicator_->setObjectName(QStringLiteral("Wartezeichen"));
    indicator_->setAlignment(Qt::AlignCenter);
    indicator_->setMinimumWidth(indicator_->fontMetrics().height() * 2);
    indicatorTimer_ = new QTimer(this);
    indicatorTimer_->setInterval(250);
    connect(indicatorTimer_, &QTimer::timeout, this, &ScanWindow::turnIndicator);
    auto* top = new QHBoxLayout;
    top->addWidget(hint, 1);
    top->addWidget(indicator_);
    layout->addLayout(top);
    layout->addWidget(shown_);
    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, int id, auto slot) {
        auto* b = new QPushButton(caption(id), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::NoFocus); // the scanner's Enter must reach the window
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button("Command1", scanmsg::Apply, [this] { apply(); });
    button("Command2", scanmsg::Cancel, [this] { close(); });
    button("Command3", scanmsg::Help, [] { HelpWindow::showPage(helppage::Scan); });
    layout->addLayout(buttons);
}

void ScanWindow::open(Label* label, const SettingsRecord& record, std::function<void()> applied,
                      const QString& first) {
    label_ = label;
    record_ = record;
    applied_ = std::move(applied);
    buffer_ = first;
    showBuffer();
    startCapture();
    indicatorState_ = 0;
    turnIndicator();
    indicatorTimer_->start();
    show();
    raise();
    activateWindow();
    setFocus();
}

void ScanWindow::showBuffer() {
    shown_->setText(buffer_);
}

void ScanWindow::turnIndicator() {
    static const QString states[] = {QStringLiteral("|"), QStringLiteral("/"), QStringLiteral("-"),
                                     QStringLiteral("\\")};
    indicator_->setText(states[indicatorState_]);
    indicatorState_ = (indicatorState_ + 1) % 4;
}

void ScanWindow::startCapture() {
    if (!capturing_)
        qApp->installEventFilter(this);
    capturing_ = true;
}

void ScanWindow::stopCapture() {
    if (capturing_)
        qApp->removeEventFilter(this);
    capturing_ = false;
}

bool ScanWindow::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}

void ScanWindow::hideEvent(QHideEvent* event) {
    stopCapture();
    indicatorTimer_->stop();
    QWidget::hideEvent(event);
}

void ScanWindow::apply() {
    // The message about the scan takes its own keys.
    stopCapture();
    ScanResult result;
    if (label_) {
        const ScanSetup setup = scanSetupFrom(
            record_, Catalogue::forLanguage(Captions::global().offset()).selectionList().mid(1));
        result = applyScan(buffer_, setup, *label_);
        // What was read before a problem stays in the fields; the message says where
        // reading stopped.
        if (!result.ok())
            prompter_.tellTitled(caption(result.problem == ScanProblem::UnknownIdentifier
                                             ? scanmsg::ErrorTitle
                                             : msg::ErrorTitle),
                                 result.message, Icon::Critical);
        if (applied_)
            applied_();
    }
    label_ = nullptr;
    close();
    if (result.problem == ScanProblem::NoPositions && openPositions_)
        openPositions_();
}

void ScanWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        apply();
    } else if (key == Qt::Key_Escape) {
        close();
    } else if (key == Qt::Key_F1) {
        HelpWindow::showPage(helppage::Scan);
    } else if (key == Qt::Key_Backspace) {
        buffer_.chop(1);
        showBuffer();
    } else if (!event->text().isEmpty() && event->text()[0].isPrint()) {
        buffer_ += event->text();
        showBuffer();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void ScanWindow::changeEvent(QEvent* event) {
    // Clicking elsewhere ends the scan without taking it over.
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        close();
    QWidget::changeEvent(event);
}

} // namespace palomex
