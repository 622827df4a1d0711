#include "ui/admin/ImportWindow.h"

#include "admin/AdminStrings.h"
#include "admin/MdbSource.h"
#include "app/Captions.h"
#include "app/Help.h"
#include "app/Prompter.h"
#include "app/Settings.h"
#include "ui/app/HelpWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace palomex {

ImportWindow::ImportWindow(Database& db, const Settings& settings, Prompter& prompter,
                           QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db), settings_(settings), prompter_(prompter) {
    setWindowTitle(caption(930));
    chooseFile_ = [this] {
        return QFileDialog::getOpenFileName(this, caption(943), qEnvironmentVariable("HOMEDRIVE"),
                                            QStringLiteral("Access / Palomex (*.mdb *.accdb)"));
    };
    user_ = new QLabel;
    file_ = new QLabel;
    tables_ = new QComboBox;
    listCaption_ = new QLabel(caption(932));
    labels_ = new QListWidget;
    labels_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* optionsBox = new QGroupBox(caption(935));
    auto* optionsLayout = new QVBoxLayout(optionsBox);
    optionsLayout->addWidget(new QLabel(caption(936)));
    for (int i = 0; i < 4; ++i) {
        options_[i] = new QCheckBox(caption(937 + i));
        optionsLayout->addWidget(options_[i]);
    }
    auto* choose = new QPushButton(caption(944));
    auto* run = new QPushButton(caption(941));
    auto* close = new QPushButton(caption(942));
    auto* help = new QPushButton(caption(adminmsg::Help));
    auto* form = new QFormLayout;
    form->addRow(caption(934), user_);
    form->addRow(choose, file_);
    form->addRow(caption(931), tables_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(run);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    auto* middle = new QHBoxLayout;
    auto* list = new QVBoxLayout;
    list->addWidget(listCaption_);
    list->addWidget(labels_);
    middle->addLayout(list, 2);
    middle->addWidget(optionsBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(640, 480);

    connect(choose, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile_();
        if (!path.isEmpty())
            openSource(path);
    });
    connect(run, &QPushButton::clicked, this, &ImportWindow::importNow);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(help, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::LabelImport); });
    connect(tables_, &QComboBox::currentTextChanged, this, &ImportWindow::loadTable);
    connect(labels_, &QListWidget::itemSelectionChanged, this,
            [this] { listCaption_->setText(caption(933).arg(labels_->selectedItems().size())); });
}

void ImportWindow::open(const QString& labelTable) {
    labelTable_ = labelTable;
    user_->setText(labelTable);
    show();
    const QString path = chooseFile_();
    if (path.isEmpty()) {
        hide();
        return;
    }
    openSource(path);
}

bool ImportWindow::openSource(const QString& path) {
    QString error;
    auto source =
        isAccessFile(path) ? openAccessSource(path, &error) : openDatabaseSource(path, &error);
    if (!source) {
        prompter_.tell(error, Icon::Critical);
        return false;
    }
    source_ = std::move(source);
    sourcePath_ = path;
    file_->setText(QFileInfo(path).fileName());
    file_->setToolTip(path);
    const QSignalBlocker block(tables_);
    tables_->clear();
    tables_->addItems(source_->labelTables());
    loadTable(tables_->currentText());
    return true;
}

void ImportWindow::loadTable(const QString& table) {
    labels_->clear();
    if (!source_ || table.isEmpty())
        return;
    const QStringList columns = source_->columns(table);
    const int name = static_cast<int>(columns.indexOf(QStringLiteral("EtikName")));
    for (const QVariantList& row : source_->rows(table))
        labels_->addItem(row.value(name).toString());
    labels_->selectAll();
}

void ImportWindow::importNow() {
    QStringList names;
    for (int i = 0; i < labels_->count(); ++i) {
        if (labels_->item(i)->isSelected())
            names << labels_->item(i)->text();
    }
    if (names.isEmpty() || !source_) {
        prompter_.tell(caption(adminmsg::NothingSelected), Icon::Critical);
        if (labels_->count() > 0)
            labels_->item(0)->setSelected(true);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportOptions options{options_[0]->isChecked(), options_[1]->isChecked(),
                                options_[2]->isChecked(), options_[3]->isChecked()};
    const ImportSummary s =
        importFromDatabase(db_, labelTable_, *source_, tables_->currentText(), names, options,
                           settings_, QFileInfo(sourcePath_).absolutePath());
    QApplication::restoreOverrideCursor();
    if (!s.error.isEmpty())
        prompter_.tell(s.error, Icon::Critical);
    prompter_.tell(s.text, Icon::Information);
    if (s.settingsImported)
        emit settingsImported();
}

} // namespace palomex
