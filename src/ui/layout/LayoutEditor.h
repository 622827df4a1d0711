#pragma once
// The layout editor window (Etiklayout): the current label at half size, its
// elements dragged with the mouse, and the property panel of the selected one.

#include "app/Prompter.h"
#include "app/SettingsRecord.h"
#include "layout/LayoutModel.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace palomex {

class LayoutEditor : public QWidget {
    Q_OBJECT
public:
    explicit LayoutEditor(Prompter& prompter);
    ~LayoutEditor() override;

    // Edits the label in place until the next open. changed runs after every edit;
    // reset reloads the label from the database (the editor shows it again after).
    void open(Label* label, const SettingsRecord& record, std::function<void()> changed = {},
              std::function<void()> reset = {});
    LayoutModel* model() { return model_.get(); }
    // Whether the layout was changed since open or clearChanged.
    bool layoutChanged() const { return model_ && model_->changed(); }
    void clearChanged();
    // Layout units to canvas pixels and back.
    QPoint toCanvas(QPointF units) const;
    QWidget* canvas() const;

signals:
    void labelChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Canvas;
    // A model of the label, its elements given extents to grab them by.
    void startEditing();
    void fillPanel();
    void edited();
    void writeState();
    void placeFromBoxes();
    void resetLabel();

    Prompter& prompter_;
    SettingsRecord record_;
    Label* label_ = nullptr;
    std::unique_ptr<LayoutModel> model_;
    std::function<void()> changed_;
    std::function<void()> reset_;
    bool filling_ = false;

    Canvas* canvas_ = nullptr;
    QLabel* index_ = nullptr;
    QLabel* group_ = nullptr;
    QLabel* firstCaption_ = nullptr;
    QLabel* secondCaption_ = nullptr;
    QLineEdit* first_ = nullptr;
    QLineEdit* second_ = nullptr;
    QCheckBox* horz_ = nullptr;
    QLabel* designationCaption_ = nullptr;
    QLineEdit* designation_ = nullptr;
    QLineEdit* left_ = nullptr;
    QLineEdit* top_ = nullptr;
    QSpinBox* height_ = nullptr;
    QLabel* state_ = nullptr;
};

} // namespace palomex
