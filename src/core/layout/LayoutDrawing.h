#pragma once
// What the layout editor paints: the label as the renderer prints it, the outline,
// inactive elements in grey with their captions, and frames for grabbing.

#include "app/SettingsRecord.h"
#include "layout/LayoutModel.h"

#include <QColor>

class QPainter;

namespace palomex {

class Prompter;

inline const QColor kInactiveInk(128, 128, 128);
inline const QColor kInactiveGround(224, 224, 224);

// The NVE the editor shows: the label's base with its running number as typed.
QString shownNve(const Label& label);

// Draws onto a painter whose user unit is one layout unit.
void drawLayout(QPainter& painter, const LayoutModel& model, const SettingsRecord& record,
                Prompter& prompter);

} // namespace palomex
