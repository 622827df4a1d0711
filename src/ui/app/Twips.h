#pragma once
// Window positions and sizes are kept in the settings file in twips (1/1440 inch),
// as earlier versions kept them; these convert them for the screen.

#include <QGuiApplication>
#include <QScreen>

namespace palomex {

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

} // namespace palomex
