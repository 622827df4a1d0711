#include "ui/import/DataImportWindow.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "app/Help.h"
#include "import/ImportStrings.h"
#include "ui/app/EscapeWatch.h"
#include "ui/app/HelpWindow.h"
#include "ui/import/ExpressionEditor.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace palomex {

namespace {
constexpr int kShownPathLength = 40;
// The relative dates the lists offer.
constexpr int kOfferedDays[] = {0, 1, 2, 7, 14, 30};

QString shortened(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return native.size() <= kShownPathLength
               ? native
               : QStringLiteral("...") + native.right(kShownPathLength - 3);
}
} // namespace

DataImportWindow::DataImportWindow(Database& db, const Settings& settings, Prompter& prompter)
    : db_(db), settings_(settings), prompter_(prompter),
      editor_(std::make_unique<ExpressionEditor>(this)) {
    setObjectName(QStringLiteral("Datenimport"));
    setWindowTitle(caption(msg::ImportTitle));
    chooseFile_ = [this](const QString& proposed) {
        const QString start = QFileInfo::exists(proposed)
                                  ? proposed
                                  : qEnvironmentVariable("USERPROFILE", QDir::homePath());
        return QFileDialog::getOpenFileName(this, caption(msg::ImportFileTitle), start,
                                            caption(msg::ImportFileFilter));
    };
    auto* grid = new QGridLayout(this);
    fileLabel_ = new QLabel(this);
    fileLabel_->setObjectName(QStringLiteral("Dateiname"));
    auto* pick = new QToolButton(this);
    pick->setObjectName(QStringLiteral("Command1"));
    pick->setText(QStringLiteral("..."));
    connect(pick, &QToolButton::clicked, this, [this] {
        const QString chosen = chooseFile_(file_);
        if (!chosen.isEmpty())
            loadFile(chosen);
    });
    tableBox_ = new QComboBox(this);
    tableBox_->setObjectName(QStringLiteral("Combo_Tabelle"));
    connect(tableBox_, &QComboBox::activated, this,
            [this](int i) { chooseTable(tableBox_->itemText(i)); });
    auto* templateButton = new QPushButton(caption(msg::ImportTemplateButton), this);
    templateButton->setObjectName(QStringLiteral("Command4"));
    templateLabel_ = new QLabel(this);
    templateLabel_->setObjectName(QStringLiteral("Vorlage"));
    connect(templateButton, &QPushButton::clicked, this, [this] {
        if (prompter_.ask(caption(msg::ImportAskTemplate), Buttons::YesNo, Icon::Question) !=
                Answer::Yes ||
            !entry_.chooseTemplate)
            return;
        close();
        entry_.chooseTemplate();
    });
    grid->addWidget(new QLabel(caption(msg::ImportFileCaption), this), 0, 0);
    grid->addWidget(fileLabel_, 0, 1, 1, 2);
    grid->addWidget(pick, 0, 3);
    grid->addWidget(new QLabel(caption(msg::ImportTableCaption), this), 1, 0);
    grid->addWidget(tableBox_, 1, 1, 1, 3);
    grid->addWidget(templateButton, 2, 0);
    grid->addWidget(templateLabel_, 2, 1, 1, 3);
    for (int i = 0; i < kMappingCount; ++i) {
        const size_t k = static_cast<size_t>(i);
        const int line = 3 + i % 10;
        const int column = (i / 10) * 4;
        captions_[k] = new QLabel(this);
        captions_[k]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        boxes_[k] = new QComboBox(this);
        boxes_[k]->setObjectName(QStringLiteral("Combo1_%1").arg(i));
        boxes_[k]->setEditable(true);
        boxes_[k]->setMinimumContentsLength(18);
        auto* expression = new QToolButton(this);
        expression->setObjectName(QStringLiteral("Command6_%1").arg(i));
        expression->setText(QStringLiteral("f(x)"));
        connect(expression, &QToolButton::clicked, this, [this, i] { editExpression(i); });
        grid->addWidget(captions_[k], line, column);
        grid->addWidget(boxes_[k], line, column + 1, 1, 2);
        grid->addWidget(expression, line, column + 3);
    }
    auto* now = new QPushButton(caption(msg::ImportNow), this);
    now->setObjectName(QStringLiteral("Command2"));
    connect(now, &QPushButton::clicked, this, [this] { runImport(); });
    auto* closeButton = new QPushButton(caption(msg::ImportClose), this);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* help = new QPushButton(caption(msg::ImportHelp), this);
    connect(help, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::DataImport); });
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setValue(0);
    grid->addWidget(status_, 15, 0, 1, 4);
    grid->addWidget(progress_, 15, 4, 1, 4);
    grid->addWidget(now, 14, 0, 1, 2);
    grid->addWidget(closeButton, 14, 4, 1, 2);
    grid->addWidget(help, 14, 6, 1, 2);
}

DataImportWindow::~DataImportWindow() = default;

void DataImportWindow::open(const QString& labelTable, EntryWindow entry) {
    labelTable_ = labelTable;
    entry_ = std::move(entry);
    const ImportChoices c = loadImportChoices(settings_);
    templateLabel_->setText(c.templateName);
    const std::array<QString, kMappingCount> captions =
        mappingCaptions(entry_.label ? entry_.label() : Label{});
    for (int i = 0; i < kMappingCount; ++i)
        captions_[static_cast<size_t>(i)]->setText(captions[static_cast<size_t>(i)]);
    if (!c.file.isEmpty() && QFileInfo::exists(c.file) && loadFile(c.file) &&
        tableBox_->findText(c.table) >= 0)
        chooseTable(c.table);
    for (int i = 0; i < kMappingCount; ++i) {
        QComboBox* box = boxes_[static_cast<size_t>(i)];
        box->setEditText(c.mappings[static_cast<size_t>(i)]);
        const QString last = c.expressions[static_cast<size_t>(i)];
        if (!last.isEmpty() && box->findText(QLatin1Char('@') + last) < 0)
            box->addItem(QLatin1Char('@') + last);
    }
    show();
    raise();
}

bool DataImportWindow::loadFile(const QString& path) {
    try {
        source_ = openImportSource(path);
    } catch (const AppError& e) {
        prompter_.tell(e.text(), Icon::Critical);
        return false;
    }
    file_ = path;
    fileLabel_->setText(shortened(path));
    fileLabel_->setToolTip(QDir::toNativeSeparators(path));
    tableBox_->clear();
    tableBox_->addItems(source_->tables());
    const QString preferred = source_->preferredTable();
    chooseTable(preferred.isEmpty() ? tableBox_->itemText(0) : preferred);
    return true;
}

void DataImportWindow::chooseTable(const QString& table) {
    tableBox_->setCurrentIndex(tableBox_->findText(table));
    table_ = {};
    if (source_ && !table.isEmpty()) {
        try {
            table_ = source_->read(table);
        } catch (const AppError& e) {
            prompter_.tell(e.text(), Icon::Critical);
        }
    }
    fillBoxes();
}

void DataImportWindow::fillBoxes() {
    for (QComboBox* box : boxes_) {
        const QString kept = box->currentText();
        box->clear();
        box->addItem(QString());
        for (const QString& column : table_.columns)
            box->addItem(QLatin1Char('[') + column + QLatin1Char(']'));
        for (const int days : kOfferedDays)
            box->addItem(daysFromTodayText(days));
        box->setEditText(kept);
    }
}

void DataImportWindow::editExpression(int i) {
    QComboBox* box = boxes_[static_cast<size_t>(i)];
    editor_->edit(captions_[static_cast<size_t>(i)]->text(), box->currentText(), &table_);
    if (editor_->exec() != QDialog::Accepted)
        return;
    const QString expression = editor_->expression();
    box->setEditText(QLatin1Char('@') + expression);
    saveLastExpression(settings_, i, expression);
}

ImportChoices DataImportWindow::choices() const {
    ImportChoices c = loadImportChoices(settings_);
    c.file = file_;
    c.table = tableBox_->currentText();
    c.templateName = templateLabel_->text();
    for (int i = 0; i < kMappingCount; ++i)
        c.mappings[static_cast<size_t>(i)] = boxes_[static_cast<size_t>(i)]->currentText();
    return c;
}

ImportOutcome DataImportWindow::runImport() {
    const ImportChoices c = choices();
    ImportPlan plan;
    plan.templateName = c.templateName;
    plan.mappings = c.mappings;
    plan.current = entry_.label ? entry_.label() : Label{};
    if (!anyMapping(plan)) {
        prompter_.tell(caption(msg::ImportNoFields), Icon::Critical);
        return {};
    }
    saveImportChoices(settings_, c);
    if (entry_.save)
        entry_.save();
    LabelStore store(db_, labelTable_);
    DataImport run(store, prompter_);
    EscapeWatch escape;
    run.setEscapeCheck([&escape] { return escape.pressed(); });
    run.setProgress([this](int row, int rows) {
        status_->setText(caption(msg::ImportPosition).arg(row).arg(rows) + QStringLiteral("    ") +
                         caption(msg::ImportEscHint));
        progress_->setValue(rows > 0 ? row * 100 / rows : 0);
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportOutcome outcome = run.run(table_, plan);
    QApplication::restoreOverrideCursor();
    status_->clear();
    progress_->setValue(0);
    if (outcome.error)
        prompter_.tell(importErrorText(*outcome.error), Icon::Critical);
    // After an error the report only says what was saved before it, if anything was.
    if (!outcome.error || outcome.processed() > 0)
        prompter_.tell(importReport(outcome, plan), Icon::Information);
    return outcome;
}

void DataImportWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1)
        HelpWindow::showPage(helppage::DataImport);
    else
        QWidget::keyPressEvent(event);
}

} // namespace palomex
