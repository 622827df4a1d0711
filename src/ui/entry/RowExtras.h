#pragma once
// The controls beside the content of data rows 0 to 5: "Heute + Tage:" with the
// days and the display format for a date, the step of a running number, the
// country or currency list, and the list of values stored for the identifier.
// Which of them show follows the row's identifier entry.

#include "db/Label.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;
class QToolButton;

namespace palomex {

class RowExtras : public QWidget {
    Q_OBJECT
public:
    RowExtras(int row, QWidget* parent);

    // Hides everything, then shows what the entry's markers ask for.
    void showFor(const QString& entryText);
    // The label format shows or hides the row; its controls keep their state.
    void setRowShown(bool shown);
    // The automatic value, days or step and date format of the field.
    void read(DataField& field) const;
    void show(const DataField& field);
    // Typing into a date field ends its automatic date.
    void endAutoValue();
    // Fills the stored-values list, selects the current content and drops it down.
    void offerStoredValues(const QStringList& values, const QString& current);
    void applyCaptions();

signals:
    void changed();
    // A country or currency was picked: the code for the content field.
    void codeChosen(const QString& code);
    // The stored values of the identifier are asked for (button or F9).
    void storedValuesWanted();
    void storedValueChosen(const QString& value);

private:
    QString entry_;
    bool date_ = false;
    bool automatic_ = false; // a date or running number: the check box counts
    bool wanted_ = false;    // the entry asks for a control
    bool rowShown_ = true;
    QCheckBox* check_ = nullptr;
    QSpinBox* days_ = nullptr;
    QComboBox* dateFormat_ = nullptr;
    QComboBox* choices_ = nullptr;
    QComboBox* stored_ = nullptr;
    QToolButton* fetch_ = nullptr;
};

} // namespace palomex
