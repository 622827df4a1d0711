#include "ui/import/ExpressionEditor.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "import/Expression.h"
#include "import/ImportStrings.h"
#include "ui/app/HelpWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace palomex {

ExpressionEditor::ExpressionEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Ausdruckseditor"));
    auto* grid = new QGridLayout(this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("Text1"));
    columns_ = new QListWidget(this);
    columns_->setObjectName(QStringLiteral("List1"));
    functions_ = new QComboBox(this);
    functions_->setObjectName(QStringLiteral("Combo1"));
    functions_->addItems(functionTemplates());
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("Ausdruck"));
    result_->setAutoFillBackground(true);
    result_->setMinimumHeight(40);
    result_->setWordWrap(true);
    result_->setTextFormat(Qt::PlainText);

    grid->addWidget(new QLabel(caption(msg::EditorExpression), this), 0, 0);
    grid->addWidget(text_, 1, 0, 1, 2);
    grid->addWidget(new QLabel(caption(msg::EditorColumns), this), 2, 0);
    grid->addWidget(columns_, 3, 0, 2, 1);

    auto* frame = new QGroupBox(caption(msg::EditorInsertFrame), this);
    auto* buttons = new QGridLayout(frame);
    const auto button = [this](int id, int tip, const QString& piece) {
        auto* b = new QPushButton(caption(id), this);
        b->setObjectName(QStringLiteral("Command3_") + QString::number(id));
        if (tip)
            b->setToolTip(caption(tip));
        connect(b, &QPushButton::clicked, this, [this, piece] { insert(piece); });
        return b;
    };
    auto* insertFunction = new QPushButton(caption(msg::EditorInsert), this);
    insertFunction->setObjectName(QStringLiteral("Command3_Einfg"));
    insertFunction->setToolTip(caption(msg::EditorInsertTip));
    connect(insertFunction, &QPushButton::clicked, this,
            [this] { insert(functions_->currentText()); });
    buttons->addWidget(functions_, 0, 0, 1, 2);
    buttons->addWidget(insertFunction, 0, 2);
    buttons->addWidget(button(msg::EditorBlank, msg::EditorBlankTip, QStringLiteral("\" \"")), 1,
                       0);
    buttons->addWidget(button(msg::EditorCrLf, msg::EditorCrLfTip, QStringLiteral("vbcrlf")), 1, 1);
    buttons->addWidget(button(msg::EditorTab, msg::EditorTabTip, QStringLiteral("vbtab")), 1, 2);
    auto* amp = new QPushButton(QStringLiteral("&&"), this);
    amp->setObjectName(QStringLiteral("Command3_amp"));
    amp->setToolTip(caption(msg::EditorAmpersandTip));
    connect(amp, &QPushButton::clicked, this, [this] { insert(QStringLiteral("&")); });
    buttons->addWidget(amp, 2, 0);
    grid->addWidget(frame, 3, 1);
    grid->addWidget(new QLabel(caption(msg::EditorResult), this), 5, 0, 1, 2);
    grid->addWidget(result_, 6, 0, 1, 2);

    auto* actions = new QHBoxLayout;
    auto* ok = new QPushButton(caption(msg::EditorOk), this);
    ok->setObjectName(QStringLiteral("Command1"));
    auto* cancel = new QPushButton(caption(msg::EditorCancel), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    auto* help = new QPushButton(caption(msg::ImportHelp), this);
    help->setObjectName(QStringLiteral("Command4"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::Expressions); });
    actions->addStretch();
    actions->addWidget(ok);
    actions->addWidget(cancel);
    actions->addWidget(help);
    grid->addLayout(actions, 7, 0, 1, 2);

    connect(text_, &QLineEdit::textChanged, this, &ExpressionEditor::evaluate);
    connect(text_, &QLineEdit::cursorPositionChanged, this, [this](int, int caret) {
        const QString column = columnAt(text_->text(), caret);
        if (column.isEmpty())
            return;
        const QList<QListWidgetItem*> found = columns_->findItems(column, Qt::MatchExactly);
        if (!found.isEmpty())
            columns_->setCurrentItem(found.first());
    });
    connect(columns_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        insert(QLatin1Char('[') + item->text() + QLatin1Char(']'));
    });
}

void ExpressionEditor::edit(const QString& fieldCaption, const QString& expression,
                            const ImportTable* table) {
    table_ = table;
    setWindowTitle(caption(msg::EditorTitle) + fieldCaption);
    columns_->clear();
    if (table)
        columns_->addItems(table->columns);
    functions_->setCurrentIndex(0);
    text_->setText(expression.startsWith(QLatin1Char('@')) ? expression.mid(1) : expression);
    evaluate();
}

QString ExpressionEditor::expression() const {
    return finishedExpression(text_->text());
}

QString ExpressionEditor::preview() const {
    return result_->text();
}

void ExpressionEditor::insert(const QString& piece) {
    const int start = text_->hasSelectedText() ? text_->selectionStart() : text_->cursorPosition();
    const int end = text_->hasSelectedText() ? start + int(text_->selectedText().size()) : start;
    const Insertion joined = addText(text_->text(), start, end, piece);
    text_->setText(joined.text);
    text_->setCursorPosition(joined.caret);
    text_->setFocus();
}

void ExpressionEditor::evaluate() {
    const ImportTable* t = table_;
    const QStringList first = t && !t->rows.empty() ? t->rows.front() : QStringList();
    const ExpressionResult r =
        holAusdruck(text_->text(), [t, &first](const QString& column) -> std::optional<QString> {
            const int i = t ? t->columnIndex(column) : -1;
            if (i < 0)
                return std::nullopt;
            return first.value(i);
        });
    // Green for a value, red with grey text for an expression that does not work.
    QPalette p = result_->palette();
    p.setColor(QPalette::Window, r.valid ? QColor(0xC0, 0xFF, 0xC0) : QColor(0xFF, 0xC0, 0xC0));
    p.setColor(QPalette::WindowText, r.valid ? QColor(Qt::black) : QColor(80, 80, 80));
    result_->setPalette(p);
    result_->setText(r.text);
    result_->setToolTip(r.detail);
}

} // namespace palomex
