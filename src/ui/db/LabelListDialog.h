#pragma once
// The list of stored labels for opening one or deleting several, with search as
// you type. The main window shows it in one of its two modes.

#include "app/Prompter.h"
#include "app/Settings.h"
#include "db/LabelPicking.h"
#include "db/LabelStore.h"

#include <QDialog>
#include <functional>

class QListWidget;
class QPushButton;

namespace palomex {

class LabelListDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Open, Delete };
    using Opener = std::function<void(const QString& name)>;

    // opener loads the chosen label (holdaten); the dialog does not know the window.
    LabelListDialog(LabelStore& store, const Settings& settings, Prompter& prompter, Opener opener,
                    QWidget* parent = nullptr);

    // Re-reads the list, selects currentName and shows the dialog in that mode.
    void load(Mode mode, const QString& currentName);
    Mode mode() const { return mode_; }
    QListWidget* list() const { return list_; }
    QStringList selectedNames() const;
    // Selects the first entry equal to name; false when there is none.
    bool select(const QString& name);

    void openSelected();
    void deleteSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setModeCaption();

    LabelStore& store_;
    const Settings& settings_;
    Prompter& prompter_;
    Opener opener_;
    Mode mode_ = Mode::Open;
    TypeAhead typed_;
    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* delete_;
};

} // namespace palomex
