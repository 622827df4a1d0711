#pragma once
// Fonts for label output. A label names its font by the name it had where the
// label was designed; when that font is not installed here, a font with the same
// metrics stands in (Liberation for the common office fonts, else DejaVu), so
// that texts keep their widths. The choice is made once per name and logged.

#include <QFont>
#include <QString>

class QPaintDevice;

namespace palomex {

// The installed family used for a font name.
QString resolveFontFamily(const QString& requested);

// A font of the given size in points for a painter whose user unit is one
// millimetre on the given device.
QFont fontInMm(const QString& family, double points, const QPaintDevice* device);

} // namespace palomex
