#include "ui/entry/RowExtras.h"

#include "app/Captions.h"
#include "entry/Catalogue.h"
#include "entry/Dates.h"
#include "entry/EntryStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStylePainter>
#include <QToolButton>

namespace palomex {

namespace {
constexpr int kTodayPlusDays = ids::TodayPlusDays;
constexpr int kRunningStep = ids::RunningNumber;
constexpr int kMaxDays = 9999;

QString indexed(const char* stem, int i) {
    return QString::fromUtf8(stem) + QString::number(i);
}

// The list of date formats, narrow in its row. Closed, it shows the date of its entry
// without the pattern behind it when the whole entry does not fit: cut at the box's
// edge the pattern would show as a lone parenthesis. The entries themselves stay whole.
class DateFormatBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const int room =
            style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
                .width();
        const QFontMetrics metrics = fontMetrics();
        if (metrics.horizontalAdvance(option.currentText) > room)
            option.currentText = metrics.elidedText(
                option.currentText.section(QStringLiteral("  "), 0, 0), Qt::ElideRight, room);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};
} // namespace

RowExtras::RowExtras(int row, QWidget* parent) : QWidget(parent) {
    setObjectName(indexed("Zusatzfelder", row));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    check_ = new QCheckBox(this);
    check_->setObjectName(indexed("Check1_", row));
    days_ = new QSpinBox(this);
    days_->setObjectName(indexed("Tage", row));
    days_->setRange(-kMaxDays, kMaxDays);
    dateFormat_ = new DateFormatBox(this);
    dateFormat_->setObjectName(indexed("Combo1_", row));
    dateFormat_->addItems(dateFormatList(QDate::currentDate()));
    choices_ = new QComboBox(this);
    choices_->setObjectName(indexed("Combo_Länderliste", row));
    stored_ = new QComboBox(this);
    stored_->setObjectName(indexed("Combo2_", row));
    // Narrow in the row, whatever their entries: each list drops down in full.
    for (const auto& [list, length] : {std::pair{dateFormat_, 6}, {choices_, 10}, {stored_, 10}}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(length);
    }
    fetch_ = new QToolButton(this);
    fetch_->setObjectName(indexed("Command2_", row));
    fetch_->setText(QStringLiteral("…"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{check_, days_, dateFormat_, choices_, stored_, fetch_})
        layout->addWidget(w);
    layout->addStretch();

    connect(check_, &QCheckBox::toggled, this, &RowExtras::changed);
    connect(days_, &QSpinBox::valueChanged, this, &RowExtras::changed);
    connect(dateFormat_, &QComboBox::activated, this, &RowExtras::changed);
    connect(choices_, &QComboBox::activated, this, [this](int i) {
        if (const auto code = codeForChoice(entry_, choices_->itemText(i)))
            emit codeChosen(*code);
    });
    connect(fetch_, &QToolButton::clicked, this, &RowExtras::storedValuesWanted);
    connect(stored_, &QComboBox::activated, this,
            [this](int i) { emit storedValueChosen(stored_->itemText(i)); });
    showFor({});
}

void RowExtras::showFor(const QString& entryText) {
    entry_ = entryText;
    DataField probe;
    probe.identifier = entryText;
    const bool date = probe.isDate();
    const bool running = probe.isRunningNumber();
    date_ = date;
    automatic_ = date || running;
    check_->setVisible(date || running);
    days_->setVisible(date || running);
    dateFormat_->setVisible(date);
    check_->setText(caption(date ? kTodayPlusDays : kRunningStep));

    const ChoiceList list =
        choiceListFor(Catalogue::forLanguage(Captions::global().offset()), entryText);
    choices_->clear();
    choices_->addItems(list.items);
    choices_->setCurrentIndex(list.selected);
    choices_->setVisible(list.kind != ChoiceList::Kind::None);

    const auto entry = CatalogueEntry::parse(entryText);
    const bool offers = entry && entry->offersStoredValues();
    stored_->setVisible(offers);
    fetch_->setVisible(offers);
    wanted_ = date || running || offers || list.kind != ChoiceList::Kind::None;
    setVisible(rowShown_ && wanted_);
}

void RowExtras::setRowShown(bool shown) {
    rowShown_ = shown;
    setVisible(rowShown_ && wanted_);
}

void RowExtras::read(DataField& f) const {
    f.autoValue = automatic_ && check_->isChecked();
    f.days = days_->value();
    f.dateFormat = std::max(0, dateFormat_->currentIndex());
}

void RowExtras::show(const DataField& f) {
    const QSignalBlocker a(check_), b(days_), c(dateFormat_);
    showFor(f.identifier);
    check_->setChecked(f.autoValue);
    days_->setValue(f.days);
    dateFormat_->setCurrentIndex(qBound(0, f.dateFormat, DateFormatCount - 1));
    // A stored country or currency shows as the list's entry of its code.
    if (const int k = choices_->findText(f.content.left(3), Qt::MatchStartsWith);
        k >= 0 && !f.content.isEmpty())
        choices_->setCurrentIndex(k);
}

void RowExtras::endAutoValue() {
    if (date_ && check_->isChecked())
        check_->setChecked(false);
}

void RowExtras::offerStoredValues(const QStringList& values, const QString& current) {
    stored_->clear();
    stored_->addItems(values);
    stored_->setCurrentIndex(stored_->findText(current));
    stored_->setFocus();
    stored_->showPopup();
}

void RowExtras::applyCaptions() {
    check_->setText(caption(date_ ? kTodayPlusDays : kRunningStep));
}

} // namespace palomex
