#include "ui/app/Twips.h"

#include "app/Settings.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace palomex {

QRect storedPlace(const Settings& settings, const QString& section, QPoint fallback) {
    const auto stored = [&](const char* key, int otherwise) {
        const QString name = QString::fromLatin1(key);
        return fromTwips(settings.get(section, name).isEmpty() ? otherwise
                                                               : settings.number(section, name));
    };
    return {stored("Left", fallback.x()), stored("Top", fallback.y()), stored("Width", 0),
            stored("Height", 0)};
}

void storePlace(const Settings& settings, const QString& section, const QRect& place) {
    settings.writeNumber(section, QStringLiteral("Left"), toTwips(place.x()));
    settings.writeNumber(section, QStringLiteral("Top"), toTwips(place.y()));
    settings.writeNumber(section, QStringLiteral("Width"), toTwips(place.width()));
    settings.writeNumber(section, QStringLiteral("Height"), toTwips(place.height()));
}

namespace {

class OnScreen : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize) ||
            !window->isVisible() || !window->screen())
            return false;
        const QRect area = window->screen()->availableGeometry();
        const QRect frame = window->frameGeometry();
        // Up and left as far as it sticks out, but never past the top left corner: a
        // window larger than the screen keeps its title bar in reach.
        const QPoint shift(
            std::max(std::min(0, area.right() - frame.right()), area.left() - frame.left()),
            std::max(std::min(0, area.bottom() - frame.bottom()), area.top() - frame.top()));
        if (!shift.isNull())
            window->move(window->pos() + shift);
        return false;
    }
};

} // namespace

void keepOnScreen(QWidget& window) {
    window.installEventFilter(new OnScreen(&window));
}

} // namespace palomex
