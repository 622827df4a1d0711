#pragma once
// The batch management window: links foreign batches to own batches and traces
// either through the print log window.

#include "batches/Batches.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QGroupBox;

namespace palomex {

class LogWindow;
class Prompter;

class BatchWindow : public QWidget {
    Q_OBJECT
public:
    BatchWindow(Database& db, LogWindow& log, Prompter& prompter, QWidget* parent = nullptr);

    // Reads everything afresh; identifier is the batch identifier of the settings,
    // the field lists are the entry window's identifier texts and contents.
    void open(const QString& identifier, const QStringList& fieldIdentifiers,
              const QStringList& fieldContents);

    QListWidget* ownList() const { return own_; }
    QComboBox* foreignBox() const { return foreign_; }
    QListWidget* linkedList() const { return linked_; }
    QLineEdit* foreignText() const { return foreignText_; }
    QComboBox* supplierBox() const { return supplier_; }
    void addLink();
    void removeLinks();
    void trace();
    void foreignMode();
    void ownMode();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList selectedOwn() const;
    // Shows the database error the batches met, if any; true when there was one.
    bool reportError(const Batches& batches);
    // The own-batch list over the whole window, or back beside the foreign side.
    void enlargeOwnList(bool enlarge);
    void ownSelectionChanged();
    void foreignChosen();

    Database& db_;
    LogWindow& log_;
    Prompter& prompter_;
    QString identifier_;
    QString code_;
    bool foreignMode_ = false;
    QListWidget* own_;
    QComboBox* foreign_;
    QListWidget* linked_;
    QLabel* linkedCaption_;
    QGroupBox* linkFrame_;
    QLineEdit* foreignText_;
    QComboBox* supplier_;
    QPushButton* add_;
    QPushButton* trace_;
    QPushButton* enlarge_;
    QWidget* side_;
};

} // namespace palomex
