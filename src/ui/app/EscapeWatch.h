#pragma once
// Notes ESC pressed anywhere in the program while a long run (printing, an
// import) polls for it between its steps. The run keeps the windows painted by
// processing the events at the polls, but no other input reaches them meanwhile:
// no command starts, no window closes and no choice changes under the run. Only a
// question the run itself asks (a modal box opened after the watch began) takes
// its answers.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace palomex {

class EscapeWatch : public QObject {
public:
    EscapeWatch() : modalBefore_(QApplication::activeModalWidget()) {
        qApp->installEventFilter(this);
    }
    ~EscapeWatch() override { qApp->removeEventFilter(this); }
    bool pressed() {
        // Events are taken a few dozen times a second, not at every step: painting
        // the window after each of thousands of rows would cost more than the rows.
        if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= kEventMillis) {
            QCoreApplication::processEvents();
            sinceEvents_.start();
        }
        return std::exchange(pressed_, false);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isInput(event->type()))
            return false;
        // A key held down answers nothing: the ESC that asked the question would
        // otherwise repeat into the question and dismiss it.
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->isAutoRepeat())
            return true;
        // Input from the window system reaches the box's window before its widgets:
        // both must pass, or the run's question could not be answered.
        QWidget* modal = QApplication::activeModalWidget();
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (modal && modal != modalBefore_ &&
            (watched == modal->windowHandle() || (widget && widget->window() == modal)))
            return false;
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            pressed_ = true;
        return true;
    }

private:
    static bool isInput(QEvent::Type type) {
        switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

    static constexpr int kEventMillis = 30;
    QPointer<QWidget> modalBefore_;
    QElapsedTimer sinceEvents_;
    bool pressed_ = false;
};

} // namespace palomex
