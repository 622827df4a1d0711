#include "ui/admin/UserWindow.h"

#include "admin/AdminStrings.h"
#include "admin/Maintenance.h"
#include "app/Captions.h"
#include "app/Help.h"
#include "app/Prompter.h"
#include "app/Settings.h"
#include "db/Database.h"
#include "db/DatabaseStrings.h"
#include "db/Migration.h"
#include "db/NveLock.h"
#include "entry/NveStrings.h"
#include "ui/app/HelpWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QListWidget>
#include <QPushButton>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTableView>
#include <QVBoxLayout>

namespace palomex {

namespace {

// The rows of HöchstNVE as an administrator edits them: every change goes through
// the NVE numbering, which only ever raises a number, so the grid can never hand
// out a printed NVE again.
class HighestNveModel final : public QSqlTableModel {
public:
    HighestNveModel(QObject* parent, const Database& db, Prompter& prompter)
        : QSqlTableModel(parent, db.connection()), db_(db), prompter_(prompter) {}

protected:
    bool insertRowIntoTable(const QSqlRecord& values) override {
        return record(values.value(kBase).toString(), values.value(kRunning).toString());
    }
    bool updateRowInTable(int row, const QSqlRecord& values) override {
        const QString base = primaryValues(row).value(kBase).toString();
        if (values.isGenerated(kBase) && values.value(kBase).toString() != base)
            return refuse(caption(nvemsg::RowsKept));
        return record(base, values.value(kRunning).toString());
    }
    bool deleteRowFromTable(int) override { return refuse(caption(nvemsg::RowsKept)); }

private:
    static constexpr const char* kBase = "NVE_Basis";
    static constexpr const char* kRunning = "NVE_LaufNr";

    bool record(const QString& base, const QString& running) {
        try {
            editHighestByHand(db_, base.trimmed(), running);
            return true;
        } catch (const AppError& e) {
            return refuse(e.text());
        }
    }
    bool refuse(const QString& text) {
        prompter_.tell(text, Icon::Critical);
        // The grid shows the stored rows again once the refused submit is over.
        QMetaObject::invokeMethod(
            this, [this] { revertAll(); }, Qt::QueuedConnection);
        return false;
    }

    const Database& db_;
    Prompter& prompter_;
};

} // namespace

UserWindow::UserWindow(Database& database, const Settings& settings, Prompter& prompter,
                       QString seedPath, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(database), settings_(settings), prompter_(prompter),
      seedPath_(std::move(seedPath)) {
    setWindowTitle(caption(adminmsg::WindowTitle));
    askName_ = [this](const QString& question) {
        return QInputDialog::getText(this, caption(msg::Title), question);
    };
    users_ = new QComboBox;
    users_->setEditable(true);
    tables_ = new QListWidget;
    grid_ = new QTableView;
    grid_->setSortingEnabled(false);
    auto* newButton = new QPushButton(caption(adminmsg::NewUser));
    auto* deleteButton = new QPushButton(caption(adminmsg::DeleteUserButton));
    auto* compactButton = new QPushButton(caption(adminmsg::CompactButton));
    auto* serverButton = new QPushButton(caption(dbmsg::MoveToServer));
    auto* editButton = new QPushButton(caption(adminmsg::EditButton));
    addRowButton_ = new QPushButton(caption(adminmsg::AddRow));
    addRowButton_->setObjectName(QStringLiteral("ZeileNeu"));
    deleteRowsButton_ = new QPushButton(caption(adminmsg::DeleteRows));
    deleteRowsButton_->setObjectName(QStringLiteral("ZeilenLoeschen"));
    setGridEnabled(false);
    auto* okButton = new QPushButton(caption(adminmsg::Ok));
    auto* helpButton = new QPushButton(caption(adminmsg::Help));

    auto* form = new QFormLayout;
    form->addRow(caption(adminmsg::CurrentUser), users_);
    auto* userButtons = new QHBoxLayout;
    userButtons->addWidget(newButton);
    userButtons->addWidget(deleteButton);
    userButtons->addWidget(compactButton);
    userButtons->addWidget(serverButton);
    auto* data = new QGroupBox(caption(adminmsg::Tables));
    auto* dataLayout = new QHBoxLayout(data);
    auto* side = new QVBoxLayout;
    side->addWidget(tables_, 1);
    side->addWidget(editButton);
    side->addWidget(addRowButton_);
    side->addWidget(deleteRowsButton_);
    dataLayout->addLayout(side);
    dataLayout->addWidget(grid_, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(helpButton);
    bottom->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(userButtons);
    layout->addWidget(data, 1);
    layout->addLayout(bottom);
    resize(820, 520);

    connect(newButton, &QPushButton::clicked, this, &UserWindow::newUser);
    connect(deleteButton, &QPushButton::clicked, this, &UserWindow::deleteCurrentUser);
    connect(compactButton, &QPushButton::clicked, this, &UserWindow::compact);
    connect(serverButton, &QPushButton::clicked, this, &UserWindow::moveToServer);
    connect(editButton, &QPushButton::clicked, this, &UserWindow::edit);
    connect(addRowButton_, &QPushButton::clicked, this, &UserWindow::addRow);
    connect(deleteRowsButton_, &QPushButton::clicked, this, &UserWindow::deleteRows);
    connect(okButton, &QPushButton::clicked, this, &UserWindow::accept);
    connect(helpButton, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::Users); });
    connect(users_, &QComboBox::currentTextChanged, this, &UserWindow::userChanged);
    connect(tables_, &QListWidget::currentTextChanged, this, [this](const QString& t) {
        if (grid_->isEnabled())
            showTable(t);
    });
    grid_->horizontalHeader()->setSectionsClickable(true);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (model_) {
            model_->setSort(column, Qt::AscendingOrder);
            model_->select();
        }
    });
}

QString UserWindow::currentUser() const {
    return users_->currentText().trimmed();
}

void UserWindow::reload(const QString& currentUser) {
    const QSignalBlocker block(users_);
    users_->clear();
    users_->addItems(db_.labelTables());
    users_->setCurrentText(currentUser);
    tables_->clear();
    const QStringList all = db_.tables();
    tables_->addItems(all);
    if (all.size() > 1) {
        const auto found = tables_->findItems(QStringLiteral("HöchstNVE"), Qt::MatchExactly);
        if (!found.isEmpty())
            tables_->setCurrentItem(found.first());
    }
}

void UserWindow::newUser() {
    const QString name = askName_(caption(adminmsg::AskNewUser));
    if (name.isEmpty() || !db_.machNeuBenutzer(name))
        return;
    reload(name);
    emit userChanged(name);
    prompter_.tell(caption(msg::NewUserCreated).arg(name), Icon::Information);
}

void UserWindow::deleteCurrentUser() {
    const QString name = currentUser();
    if (name.compare(QStringLiteral("Etiketten"), Qt::CaseInsensitive) == 0) {
        prompter_.tell(caption(adminmsg::CannotDeleteDefault), Icon::Critical);
        return;
    }
    if (prompter_.ask(caption(adminmsg::AskDeleteUser).arg(name), Buttons::YesNo, Icon::Question) !=
        Answer::Yes)
        return;
    if (deleteUser(db_, name) != DeleteUser::Dropped)
        return;
    prompter_.tell(caption(adminmsg::UserDeleted).arg(name), Icon::Information);
    reload(db_.labelTables().value(0));
    accept();
    emit userChanged(currentUser());
}

void UserWindow::compact() {
    if (model_) {
        grid_->setModel(nullptr);
        delete model_;
        model_ = nullptr;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CompactResult r = compactDatabase(db_, seedPath_);
    QApplication::restoreOverrideCursor();
    prompter_.tell(caption(msg::SeedImported).arg(r.seedAdded), Icon::Information);
    if (!r.ok)
        prompter_.tell(r.error, Icon::Critical);
    else
        prompter_.tell(compactMessage(r), Icon::Information);
    reload(currentUser());
}

void UserWindow::moveToServer() {
    bool ok = false;
    const QString uri =
        QInputDialog::getText(this, caption(dbmsg::MoveToServer).remove(QStringLiteral("...")),
                              caption(dbmsg::AskServerUri), QLineEdit::Normal,
                              QStringLiteral("postgresql://"), &ok)
            .trimmed();
    if (!ok || uri.isEmpty())
        return;
    QStringList lines;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool copied = migrateDatabase(db_, uri, [&lines](const QString& line) { lines << line; });
    QApplication::restoreOverrideCursor();
    prompter_.tell(lines.join(QLatin1Char('\n')), copied ? Icon::Information : Icon::Critical);
}

void UserWindow::edit() {
    if (prompter_.ask(caption(adminmsg::AskEditData), Buttons::OkCancel, Icon::Question) !=
        Answer::Ok) {
        setGridEnabled(false);
        return;
    }
    setGridEnabled(true);
    if (tables_->currentItem())
        showTable(tables_->currentItem()->text());
}

void UserWindow::showTable(const QString& table) {
    auto* model = table == table::HoechstNVE ? new HighestNveModel(this, db_, prompter_)
                                             : new QSqlTableModel(this, db_.connection());
    model->setTable(SqlDialect::quote(table));
    // Rows are written when the user leaves them, as the edit strategy for that would
    // do, but a new row is only written once it has been typed into.
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    model->select();
    for (int c = 0; c < model->columnCount(); ++c)
        model->setHeaderData(
            c, Qt::Horizontal,
            caption(adminmsg::SortTip).arg(model->headerData(c, Qt::Horizontal).toString()),
            Qt::ToolTipRole);
    grid_->setModel(model);
    delete model_;
    model_ = model;
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                if (before.isValid() && now.row() != before.row())
                    writeGrid();
            });
}

void UserWindow::setGridEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{grid_, addRowButton_, deleteRowsButton_})
        w->setEnabled(on);
}

void UserWindow::addRow() {
    if (!model_)
        return;
    const int row = model_->rowCount();
    if (!model_->insertRow(row))
        return;
    grid_->setCurrentIndex(model_->index(row, 0));
    grid_->edit(grid_->currentIndex());
}

void UserWindow::deleteRows() {
    if (!model_)
        return;
    QList<int> rows;
    for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes())
        if (!rows.contains(i.row()))
            rows << i.row();
    if (rows.isEmpty() && grid_->currentIndex().isValid())
        rows << grid_->currentIndex().row();
    if (rows.isEmpty() || prompter_.ask(caption(adminmsg::AskDeleteRows).arg(rows.size()),
                                        Buttons::OkCancel, Icon::Question) != Answer::Ok)
        return;
    // From the last, so that the positions of the others stay as they were.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows)
        model_->removeRow(row);
    writeGrid();
}

void UserWindow::writeGrid() {
    if (!model_ || !model_->isDirty() || model_->submitAll())
        return;
    // A value the engine refuses (too long, empty where it must not be) is reported
    // and the rows keep their stored contents.
    if (model_->lastError().isValid())
        prompter_.tell(model_->lastError().text(), Icon::Critical);
    model_->revertAll();
}

void UserWindow::accept() {
    writeGrid();
    hide();
    settings_.write(QStringLiteral("Einstellungen"), QStringLiteral("Benutzername"), currentUser());
}

} // namespace palomex
