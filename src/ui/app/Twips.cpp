#include "ui/app/Twips.h"

#include "app/Settings.h"

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

} // namespace palomex
