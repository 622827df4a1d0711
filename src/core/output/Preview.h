#pragma once
// The print preview without its window: zoom rules, the caption, the keys, the
// state kept in the settings file, and the drawing of the first label or sheet of
// a run with its boundary marks and the millimetre grid. It reserves and records
// nothing.

#include "app/Settings.h"
#include "app/SettingsRecord.h"
#include "db/Label.h"
#include "output/PrintJob.h"

#include <QPointF>
#include <QString>
#include <Qt>

class QPainter;

namespace palomex {

class Prompter;

// The zoom after a command: a number above 0 is the new zoom, "plus" and "minus"
// step by a tenth within 0.19 to 18, anything else gives 0.2.
double zoomAfter(double zoom, const QString& command);
// The window caption: "Vorschau", two blanks and the zoom to one decimal.
QString previewCaption(double zoom);

// Position and size in twips, zoom and the scroll positions in millimetres, as the
// preview left them when it was last closed.
struct PreviewState {
    int left = 0;
    int top = 0;
    int width = 6396;
    int height = 8760;
    double zoom = 1;
    int hScroll = 0;
    int vScroll = 0;

    friend bool operator==(const PreviewState&, const PreviewState&) = default;
};
PreviewState loadPreviewState(const Settings& settings);
void savePreviewState(const Settings& settings, const PreviewState& state);

// What a key pressed in the preview does.
struct PreviewKey {
    enum class Action { None, Close, Zoom, Scroll, Home, End, Help };
    Action action = Action::None;
    QString zoom; // the zoom command
    int dx = 0;   // scroll steps: 1 small, 2 large, signed
    int dy = 0;
    bool horizontal = false; // End with Ctrl
};
PreviewKey previewKey(int key, Qt::KeyboardModifiers modifiers);

// What the preview shows: the label as the entry window holds it, at zoom, moved
// by the scroll positions; firstRunning is the run's first running number.
struct PreviewInput {
    Label label;
    SettingsRecord record;
    PageMode mode = PageMode::A4Sheets;
    double zoom = 1;
    QPointF scrollMm;
    qint64 firstRunning = 1;
    bool autoNve = false; // the running number then comes from the stored highest
};

// Draws onto a painter whose unit is one millimetre of the screen. A label the print
// would refuse is not drawn: the prompter is told why, in the print's words.
void drawPreview(QPainter& painter, const PreviewInput& input, Prompter& prompter);

} // namespace palomex
