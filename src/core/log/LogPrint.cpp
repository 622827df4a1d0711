#include "log/LogPrint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace palomex {

int printLogList(QPagedPaintDevice& device, const QStringList& lines) {
    QPainter painter(&device);
    QFont listFont(QStringLiteral("Courier New"), 9);
    listFont.setStyleHint(QFont::TypeWriter);
    QFont titleFont(QStringLiteral("Arial"), 16);
    titleFont.setStyleHint(QFont::SansSerif);
    const double bottom = painter.viewport().height();
    double y = 0;
    int pages = 1;
    const auto print = [&](const QString& text, const QFont& font) {
        painter.setFont(font);
        const QFontMetricsF m(font, &device);
        if (y + m.height() > bottom) {
            device.newPage();
            ++pages;
            y = 0;
        }
        painter.drawText(QPointF(0, y + m.ascent()), text);
        y += m.height();
    };
    print(QStringLiteral(" "), listFont);
    print(QStringLiteral("      Frachtmarker"), titleFont);
    print(QStringLiteral(" "), listFont);
    for (const QString& line : lines)
        print(QStringLiteral("     ") + line, listFont);
    return pages;
}

} // namespace palomex
