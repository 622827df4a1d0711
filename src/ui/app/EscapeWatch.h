#pragma once
// Notes ESC pressed anywhere in the program while a long run (printing, an
// import) polls for it between its steps; the run keeps the window responsive
// by processing the events at each poll.

#include <QApplication>
#include <QKeyEvent>
#include <utility>

namespace palomex {

class EscapeWatch : public QObject {
public:
    EscapeWatch() { qApp->installEventFilter(this); }
    ~EscapeWatch() override { qApp->removeEventFilter(this); }
    bool pressed() {
        QCoreApplication::processEvents();
        return std::exchange(pressed_, false);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            pressed_ = true;
        return false;
    }

private:
    bool pressed_ = false;
};

} // namespace palomex
