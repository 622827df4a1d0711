#pragma once
// The user management window: current user, new and deleted users, compaction and
// the editor of the raw table rows.

#include <QWidget>
#include <functional>

class QComboBox;
class QListWidget;
class QSqlTableModel;
class QPushButton;
class QTableView;

namespace palomex {

class Database;
class Prompter;
class Settings;

class UserWindow : public QWidget {
    Q_OBJECT
public:
    UserWindow(Database& database, const Settings& settings, Prompter& prompter, QString seedPath,
               QWidget* parent = nullptr);

    // Asks for the new user's name; an input box by default.
    void setNameAsker(std::function<QString(const QString&)> asker) { askName_ = std::move(asker); }

    // Re-reads the lists and selects the user.
    void reload(const QString& currentUser);
    QString currentUser() const;

    void newUser();
    void deleteCurrentUser();
    void compact();
    // Copies the open database into an empty database on a server.
    void moveToServer();
    void edit();
    // The data grid's rows: a new one at the end, the selected ones deleted after a question.
    void addRow();
    void deleteRows();
    // "OK": writes the pending edit and the current user, hides the window.
    void accept();

    QComboBox* userBox() const { return users_; }
    QListWidget* tableList() const { return tables_; }
    QTableView* grid() const { return grid_; }

signals:
    // The current label table changed: the entry window clears itself.
    void userChanged(const QString& user);

private:
    void showTable(const QString& table);
    void setGridEnabled(bool on);
    // Writes the grid's changed rows, or reports why not and shows the stored ones.
    void writeGrid();

    Database& db_;
    const Settings& settings_;
    Prompter& prompter_;
    QString seedPath_;
    std::function<QString(const QString&)> askName_;
    QComboBox* users_;
    QListWidget* tables_;
    QTableView* grid_;
    QPushButton* addRowButton_;
    QPushButton* deleteRowsButton_;
    QSqlTableModel* model_ = nullptr;
};

} // namespace palomex
