#include "ui/db/LabelListDialog.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "app/SettingsRecord.h"
#include "db/LabelStrings.h"
#include "ui/app/Twips.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace palomex {

namespace {

const QString kSection = QStringLiteral("EtikOpen");

} // namespace

LabelListDialog::LabelListDialog(LabelStore& store, const Settings& settings, Prompter& prompter,
                                 Opener opener, QWidget* parent)
    : QDialog(parent), store_(store), settings_(settings), prompter_(prompter),
      opener_(std::move(opener)), list_(new QListWidget(this)), ok_(new QPushButton(this)),
      cancel_(new QPushButton(this)), delete_(new QPushButton(this)) {
    setObjectName(QStringLiteral("EtikOpen"));
    list_->setObjectName(QStringLiteral("List1"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->installEventFilter(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    ok_->setObjectName(QStringLiteral("OK"));
    cancel_->setObjectName(QStringLiteral("Abbrechen"));
    delete_->setObjectName(QStringLiteral("Loeschen"));
    ok_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(delete_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &LabelListDialog::openSelected);
    connect(delete_, &QPushButton::clicked, this, &LabelListDialog::deleteSelected);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        if (mode_ == Mode::Open)
            openSelected();
    });
    connect(list_, &QWidget::customContextMenuRequested, this, [this] {
        if (delete_->isVisible())
            deleteSelected();
    });
}

void LabelListDialog::load(Mode mode, const QString& currentName) {
    mode_ = mode;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QWidget* owner = parentWidget();
    const QPoint ownerPlace = owner ? QPoint(toTwips(owner->x()), toTwips(owner->y())) : QPoint();
    setGeometry(storedPlace(settings_, kSection, ownerPlace + QPoint(60, 360)));

    QFont font = list_->font();
    font.setPointSize(dialogFontPoints(
        settings_.number(QStringLiteral("Einstellungen"), QStringLiteral("Prog_Schriftgröße"))));
    list_->setFont(font);
    list_->clear();
    list_->addItems(store_.names());
    select(currentName);
    typed_.reset();
    ok_->setText(caption(msg::OkButton));
    cancel_->setText(caption(msg::CancelButton));
    delete_->setText(caption(msg::DeleteButton));
    ok_->setVisible(mode == Mode::Open);
    delete_->setVisible(mode == Mode::Delete);
    setModeCaption();
    QGuiApplication::restoreOverrideCursor();
}

void LabelListDialog::setModeCaption() {
    const QString base =
        caption(mode_ == Mode::Open ? msg::OpenLabelCaption : msg::DeleteLabelsCaption);
    setWindowTitle(typed_.buffer().isEmpty() ? base
                                             : base + QStringLiteral("  ") + typed_.buffer());
}

bool LabelListDialog::select(const QString& name) {
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->text() == name) {
            list_->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    return false;
}

QStringList LabelListDialog::selectedNames() const {
    QStringList names;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->isSelected())
            names << list_->item(i)->text();
    }
    return names;
}

void LabelListDialog::openSelected() {
    const QStringList names = selectedNames();
    if (names.isEmpty())
        return;
    if (opener_)
        opener_(names.first());
    storePlace(settings_, kSection, geometry());
    accept();
}

void LabelListDialog::deleteSelected() {
    const QStringList names = selectedNames();
    if (names.isEmpty())
        return;
    if (prompter_.ask(deleteQuestion(static_cast<int>(names.size()), list_->count()),
                      Buttons::OkCancel, Icon::Question) != Answer::Ok)
        return;
    if (const auto m = proposedDeleteCount(names)) {
        prompter_.tell(caption(msg::TooManyToDelete).arg(formatNumber(*m)), Icon::Critical);
        return;
    }
    try {
        store_.remove(names);
    } catch (const AppError& e) {
        prompter_.tell(e.text(), Icon::Critical);
        return;
    }
    accept();
}

bool LabelListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_ || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete) {
        deleteSelected();
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mode_ == Mode::Open) {
        openSelected();
        return true;
    }
    const QChar c = key->key() == Qt::Key_Backspace
                        ? QChar(8)
                        : (key->text().isEmpty() ? QChar() : key->text().at(0));
    if (c.isNull() || (!c.isPrint() && c != QChar(8)))
        return QDialog::eventFilter(watched, event);
    list_->clearSelection();
    QStringList entries;
    for (int i = 0; i < list_->count(); ++i)
        entries << list_->item(i)->text();
    const int hit = typed_.type(c, entries);
    if (hit >= 0)
        list_->setCurrentRow(hit, QItemSelectionModel::ClearAndSelect);
    setModeCaption();
    return true;
}

} // namespace palomex
