#pragma once
// The expression editor of a mapping box: the expression over the import row's
// columns, the columns and functions to insert, and the value for the first row.

#include "import/ImportSource.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace palomex {

class ExpressionEditor : public QDialog {
    Q_OBJECT
public:
    explicit ExpressionEditor(QWidget* parent = nullptr);

    // Edits the expression of the box named fieldCaption over the table's columns;
    // the table's first row gives the preview value.
    void edit(const QString& fieldCaption, const QString& expression, const ImportTable* table);
    // The expression as OK stores it (without "@"), after exec() returned Accepted.
    QString expression() const;
    QString preview() const;
    // Puts a piece at the caret, joined to its neighbours by "&".
    void insert(const QString& piece);

private:
    void evaluate();

    const ImportTable* table_ = nullptr;
    QLineEdit* text_ = nullptr;
    QListWidget* columns_ = nullptr;
    QComboBox* functions_ = nullptr;
    QLabel* result_ = nullptr;
};

} // namespace palomex
