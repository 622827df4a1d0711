#pragma once
// The print preview window: the first label or sheet of the run as it would be
// printed, at a zoom, with scroll bars and the millimetre grid.

#include "app/Prompter.h"
#include "output/Preview.h"

#include <QWidget>
#include <optional>

class QScrollBar;

namespace palomex {

class Database;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    PreviewWindow(Database& db, const Settings& settings, Prompter& prompter);
    ~PreviewWindow() override;

    // Shows the label as the entry window holds it; reserves nothing.
    void open(const Label& label, const SettingsRecord& record);
    // A number, "plus" or "minus".
    void setZoom(const QString& command);
    double zoom() const { return zoom_; }
    const PreviewInput& input() const { return input_; }

signals:
    // The answers to the question whether a barcode fits: where to fix it.
    void layoutEditorWanted();
    void barcodeScalingWanted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Canvas;
    // Messages and questions of the renderer while it draws go out once, after
    // the drawing: a paint event cannot wait for an answer.
    class DeferredPrompter : public Prompter {
    public:
        explicit DeferredPrompter(Prompter& target) : target_(target) {}
        Answer ask(const QString& text, Buttons buttons, Icon icon) override;
        // Puts what the last drawing had to say, unless it was said already;
        // the answer to a Yes/No/Cancel question, if one was asked.
        std::optional<Answer> flush();
        // The next drawing may say it again.
        void forget() { shown_.clear(); }

    private:
        Prompter& target_;
        QString pending_;
        QString shown_;
        Buttons buttons_ = Buttons::Ok;
        Icon icon_ = Icon::Critical;
    };

    void applyState(const PreviewState& state);
    PreviewState state() const;
    void redraw();
    void afterDrawing();

    Database& db_;
    const Settings& settings_;
    DeferredPrompter prompter_;
    PreviewInput input_;
    double zoom_ = 1;
    Canvas* canvas_ = nullptr;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
};

} // namespace palomex
