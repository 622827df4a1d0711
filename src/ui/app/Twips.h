#pragma once
// Window positions and sizes are kept in the settings file in twips (1/1440 inch),
// as earlier versions kept them; these convert them for the screen.

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

class QWidget;

namespace palomex {

class Settings;

inline constexpr int kTwipsPerInch = 1440;

inline double screenDpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

inline int toTwips(int pixels, double dpi = screenDpi()) {
    return static_cast<int>(pixels * kTwipsPerInch / dpi);
}

inline int fromTwips(int twips, double dpi = screenDpi()) {
    return static_cast<int>(twips * dpi / kTwipsPerInch);
}

// A window's place as a settings section keeps it: Left, Top, Width and Height. A
// value that is missing and has no shipped default is taken from fallback (twips).
QRect storedPlace(const Settings& settings, const QString& section, QPoint fallback = {});
void storePlace(const Settings& settings, const QString& section, const QRect& place);

// Keeps a top-level window on the available area of its screen whenever it is shown,
// moved or resized, by moving its frame up and left, never by making it smaller:
// a place from the settings or the window manager may leave its bottom edge below.
void keepOnScreen(QWidget& window);

} // namespace palomex
