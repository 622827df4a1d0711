#include "ui/entry/MainWindow.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "db/InitialLayout.h"
#include "db/LabelStore.h"
#include "db/LabelStrings.h"
#include "entry/Catalogue.h"
#include "entry/EntryStrings.h"
#include "entry/FieldContent.h"
#include "entry/FieldRules.h"
#include "entry/NveNumbers.h"
#include "import/ImportStrings.h"
#include "ui/app/HelpWindow.h"
#include "ui/app/Twips.h"
#include "ui/db/LabelListDialog.h"
#include "ui/entry/RowExtras.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace palomex {

namespace {

// Column widths of the label table, so a box never holds more than can be stored.
constexpr int kCaptionWidth = 50;
constexpr int kContentWidth = 50;
constexpr int kPartyTextWidth = 255;
constexpr int kExtraWidth = 80;
// The window's width and height for each label format, in twips as earlier versions kept them.
constexpr QSize kFormatTwips[] = {{9780, 4250}, {9780, 6100}, {12200, 6880}};
// Marks the boxes of the printed label texts, whatever the language of their tooltip.
constexpr char kCaptionEditProperty[] = "palomexCaptionEdit";

QLineEdit* lineEdit(QWidget* parent, const QString& name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
}

// A printed label text: looks like a label until it is clicked.
QLineEdit* captionEdit(QWidget* parent, const QString& name, int maxLength) {
    QLineEdit* e = lineEdit(parent, name, maxLength);
    e->setFrame(false);
    // Edited by a click only: Tab goes on to the content, which is what a user types.
    e->setFocusPolicy(Qt::ClickFocus);
    e->setToolTip(caption(185));
    e->setProperty(kCaptionEditProperty, true);
    return e;
}

bool isCaptionEdit(const QObject* e) {
    return e->property(kCaptionEditProperty).toBool();
}

// The size button of an additional text: ">" enlarges, "<" shrinks back.
void captionSizeButton(QToolButton* size) {
    size->setToolTip(caption(size->text() == QLatin1String(">") ? 191 : 192));
}

// Edit mode shows a border and the field colour; the label look shows neither.
void setEditLook(QLineEdit* e, bool editing) {
    e->setFrame(editing);
    // The window's palette holds both colours of the settings.
    const QPalette colours = e->window()->palette();
    QPalette p = e->palette();
    p.setColor(QPalette::Base, colours.color(editing ? QPalette::Base : QPalette::Window));
    e->setPalette(p);
}

// Colours of the settings are stored as red + 256 green + 65536 blue.
QColor storedColour(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QPlainTextEdit* textEdit(QWidget* parent, const QString& name) {
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName(name);
    e->setTabChangesFocus(true);
    return e;
}

// The height of a text box that shows so many lines of its font.
int linesHeight(const QPlainTextEdit* e, int lines) {
    return e->fontMetrics().lineSpacing() * lines + 10;
}

bool enlarged(const QToolButton* size) {
    return size->text() == QLatin1String("<");
}

// The entries of an identifier list as a reader wants them; the entry texts stay.
class EntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = entryDisplayText(option->text);
    }
};

// The identifier list of a data row: a fixed-width font lines up the format codes
// the catalogue places in one column, and the list shows them in full.
class IdentifierList : public QComboBox {
public:
    explicit IdentifierList(QWidget* parent) : QComboBox(parent) {
        QFont fixed;
        fixed.setFamilies({QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
        setFont(fixed);
        setItemDelegate(new EntryDelegate(this));
        // The code and the start of the description; the list drops down in full.
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(12);
    }

    void showPopup() override {
        view()->setMinimumWidth(view()->sizeHintForColumn(0) +
                                style()->pixelMetric(QStyle::PM_ScrollBarExtent) * 2);
        QComboBox::showPopup();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText = entryDisplayText(option.currentText);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

QString indexed(const char* stem, int i) {
    return QString::fromLatin1(stem) + QString::number(i);
}

// Multi-line texts are stored with the line breaks of the stored rows (CR LF).
QString storedLines(const QPlainTextEdit* e) {
    return e->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void showLines(QPlainTextEdit* e, const QString& text) {
    e->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

} // namespace

MainWindow::MainWindow() {
    setObjectName(QStringLiteral("Form1"));
    buildEntryArea();
    fitTextHeights();
    buildMenus();
    // Panel 1 and 2 and the progress of a print run, right of the notes.
    for (QLabel*& panel : runPanels_) {
        panel = new QLabel(this);
        statusBar()->addPermanentWidget(panel);
    }
    runPanels_[0]->setObjectName(QStringLiteral("StatusPanel1"));
    runPanels_[1]->setObjectName(QStringLiteral("StatusPanel2"));
    runProgress_ = new QProgressBar(this);
    runProgress_->setObjectName(QStringLiteral("ProgressBar1"));
    runProgress_->setRange(0, 100);
    runProgress_->setMaximumWidth(160);
    // The status bar takes the height of its tallest part, shown or not.
    runProgress_->setMaximumHeight(runPanels_[0]->sizeHint().height());
    statusBar()->addPermanentWidget(runProgress_);
    showRunProgress({}, {}, 0);
    for (QLineEdit* e : centralWidget()->findChildren<QLineEdit*>()) {
        if (isCaptionEdit(e))
            setEditLook(e, false);
    }
    // Every control takes part in the keys of the whole window: the scanner's first
    // character and the characters no field takes. A list's own parts go through it.
    for (QWidget* w : centralWidget()->findChildren<QWidget*>()) {
        if (!qobject_cast<QComboBox*>(w->parentWidget()))
            w->installEventFilter(this);
    }
    applyCaptions();
    showFields(current());
    applyFormat(LabelFormat::Large);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addCommand(QMenu* menu, const char* name, int captionId, int tooltipId,
                                std::function<void()> run, bool available) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [run = std::move(run)] {
        if (run)
            run();
    });
    // Functions that arrive later are shown but cannot be chosen yet.
    a->setEnabled(available);
    actions_.emplace_back(a, captionId);
    if (tooltipId != 0) {
        toolbar_->addAction(a);
        tooltips_.emplace_back(a, tooltipId);
    }
    return a;
}

void MainWindow::buildMenus() {
    toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    // Eighteen buttons in the width of the smallest format.
    toolbar_->setIconSize(QSize(16, 16));
    QStyle* s = style();
    const auto icon = [s](QStyle::StandardPixmap p) { return s->standardIcon(p); };

    labelMenu_ = menuBar()->addMenu(QString());
    const auto labelCommand = [this](const char* name, int id, int tip, std::function<void()> f,
                                     QStyle::StandardPixmap pixmap, QStyle* st) {
        QAction* a = addCommand(labelMenu_, name, id, tip, std::move(f), false);
        if (tip != 0)
            a->setIcon(st->standardIcon(pixmap));
        labelCommands_.push_back(a);
        return a;
    };
    labelCommand(
        "neumenu", 121, 170, [this] { newLabel(); }, QStyle::SP_FileIcon, s)
        ->setShortcut(QKeySequence::New);
    labelCommand(
        "openmenu", 122, 171, [this] { openLabel(); }, QStyle::SP_DialogOpenButton, s)
        ->setShortcut(QKeySequence::Open);
    labelCommand(
        "savemenu", 123, 172, [this] { saveLabel(); }, QStyle::SP_DialogSaveButton, s)
        ->setShortcut(QKeySequence::Save);
    labelCommand(
        "saveasmenu", 124, 0, [this] { saveLabelAs(); }, QStyle::SP_DialogSaveButton, s);
    labelCommand(
        "delmenu", 125, 173, [this] { deleteLabels(); }, QStyle::SP_TrashIcon, s);
    labelMenu_->addSeparator();
    toolbar_->addSeparator();

    extrasMenu_ = new QMenu(this);
    QAction* autoNve = addCommand(extrasMenu_, "autoNVEmenu", 136, 187, {}, false);
    autoNve->setShortcut(Qt::Key_F4);
    autoNve->setCheckable(true);
    autoNve->setIcon(icon(QStyle::SP_BrowserReload));
    addCommand(extrasMenu_, "neuNVEmenu", 137, 176, {}, false)->setIcon(icon(QStyle::SP_ArrowUp));
    addCommand(extrasMenu_, "barcodemenu", 138, 180, {}, false)
        ->setIcon(icon(QStyle::SP_ComputerIcon));
    toolbar_->addSeparator();
    addCommand(labelMenu_, "printmenu", 126, 174, {}, false)
        ->setIcon(icon(QStyle::SP_DialogYesButton));
    addCommand(labelMenu_, "PDFmenu", 127, 188, {}, false)
        ->setIcon(icon(QStyle::SP_FileDialogDetailedView));
    QAction* layout = addCommand(extrasMenu_, "etiklaymenu", 135, 178, {}, false);
    layout->setShortcut(Qt::Key_F6);
    layout->setIcon(icon(QStyle::SP_FileDialogContentsView));
    addCommand(labelMenu_, "voransichtmenu", 128, 183, {}, false)
        ->setIcon(icon(QStyle::SP_FileDialogInfoView));
    addCommand(extrasMenu_, "Protoansehmenu", 139, 189, {}, false)
        ->setIcon(icon(QStyle::SP_FileDialogListView));
    addCommand(extrasMenu_, "chargenmenu", 140, 190, {}, false)->setIcon(icon(QStyle::SP_DirIcon));
    toolbar_->addSeparator();
    extrasMenu_->addSeparator();
    addCommand(extrasMenu_, "einstellmenu", 791, 0, {}, false);
    addCommand(extrasMenu_, "benutzermenu", 792, 0, {}, false);
    addCommand(extrasMenu_, "etikimportmenu", 797, 0, {}, false);
    addCommand(extrasMenu_, "datenimportmenu", msg::ImportMenu, 0, {}, false);
    logMenu_ = new QMenu(this);
    addCommand(logMenu_, "protaufzmenu", 794, 0, {}, false)->setCheckable(true);

    editMenu_ = new QMenu(this);
    // The edit commands act on whichever field has the focus.
    const auto onFocused = [this](const char* slot) {
        return [this, slot] {
            if (QWidget* w = focusWidget())
                QMetaObject::invokeMethod(w, slot);
        };
    };
    addCommand(editMenu_, "rückgängmenu", 130, 175, onFocused("undo"), true)
        ->setIcon(icon(QStyle::SP_ArrowBack));
    addCommand(editMenu_, "ausschneidmenu", 131, 0, onFocused("cut"), true);
    addCommand(editMenu_, "kopiermenu", 132, 177, onFocused("copy"), true)
        ->setIcon(icon(QStyle::SP_FileLinkIcon));
    addCommand(editMenu_, "einfügmenu", 133, 179, onFocused("paste"), true)
        ->setIcon(icon(QStyle::SP_DialogApplyButton));
    toolbar_->addSeparator();

    menuBar()->addMenu(editMenu_);
    menuBar()->addMenu(extrasMenu_);
    menuBar()->addMenu(logMenu_);
    labelMenu_->addSeparator();
    endAction_ = labelMenu_->addAction(QString(), this, &QWidget::close);
    endAction_->setObjectName(QStringLiteral("endmenu"));

    helpMenu_ = menuBar()->addMenu(QString());
    helpMenu_->setObjectName(QStringLiteral("hilfemenu"));
    contentsAction_ = helpMenu_->addAction(QString(), this, [] { HelpWindow::showPage(); });
    topicAction_ =
        helpMenu_->addAction(QString(), this, [this] { HelpWindow::showPage(topicPage_); });
    topicAction_->setObjectName(QStringLiteral("hilfethemamenu"));
    topicAction_->setShortcut(QKeySequence(Qt::Key_F1));
    for (const auto& [id, page] : {std::pair{msg::HelpShortGuide, helppage::ShortGuide},
                                   std::pair{msg::HelpNetwork, helppage::Network},
                                   std::pair{msg::HelpDataEntry, helppage::DataEntry}})
        actions_.emplace_back(
            helpMenu_->addAction(QString(), this, [page] { HelpWindow::showPage(page); }), id);
    helpButton_ = toolbar_->addAction(icon(QStyle::SP_DialogHelpButton), QString(), this,
                                      [this] { HelpWindow::showPage(topicPage_); });
    tooltips_.emplace_back(helpButton_, 181);
    QAction* end =
        toolbar_->addAction(icon(QStyle::SP_DialogCloseButton), QString(), this, &QWidget::close);
    tooltips_.emplace_back(end, 182);
}

void MainWindow::buildEntryArea() {
    auto* central = new QWidget(this);
    // Dense enough for the window sizes of the label formats at the default font size.
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 2, 4, 2);
    outer->setSpacing(4);

    // NVE fields and sender and receiver on the left, the label format on the right.
    auto* top = new QGridLayout;
    top->setHorizontalSpacing(12);
    top->setVerticalSpacing(4);
    auto* nve = new QGridLayout;
    nve->setHorizontalSpacing(8);
    nve->setVerticalSpacing(1);
    const auto labelled = [this, central, nve](int id, QLineEdit* edit, int column) {
        auto* l = new QLabel(central);
        captioned_.emplace_back(l, id);
        l->setBuddy(edit);
        nve->addWidget(l, 0, column);
        nve->addWidget(edit, 1, column);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, &MainWindow::changed);
    };
    nveBasis_ = lineEdit(central, QStringLiteral("NVE_Basis"), kBaseColumnWidth);
    nveLaufNr_ = lineEdit(central, QStringLiteral("NVE_LaufNr"), 9);
    anzahlNVEs_ = lineEdit(central, QStringLiteral("AnzahlNVEs"), 4);
    anzNVE_ = lineEdit(central, QStringLiteral("AnzNVE"), 4);
    labelled(20, nveBasis_, 0);
    labelled(21, nveLaufNr_, 1);
    labelled(22, anzahlNVEs_, 2);
    labelled(23, anzNVE_, 3);
    nve->setColumnStretch(4, 1);
    for (QLineEdit* e : {nveBasis_, nveLaufNr_, anzahlNVEs_, anzNVE_})
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 16);
    top->addLayout(nve, 0, 0);

    auto* formatBox = new QGroupBox(central);
    formatBox->setObjectName(QStringLiteral("Etikettenformat"));
    captioned_.emplace_back(formatBox, 24);
    // Stacked, the options take the height of the NVE and address block beside them.
    auto* formatLayout = new QVBoxLayout(formatBox);
    formatLayout->setContentsMargins(6, 2, 6, 2);
    formatLayout->setSpacing(0);
    format_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(formatBox);
        b->setObjectName(indexed("Option1_", i));
        captioned_.emplace_back(b, 25 + i);
        format_->addButton(b, i);
        formatLayout->addWidget(b);
    }
    connect(format_, &QButtonGroup::idClicked, this, [this](int id) {
        if (session_) {
            Label l = label();
            l.format = current().format;
            takeFormat(l, static_cast<LabelFormat>(id));
            session_->edit(l);
        }
        applyFormat(static_cast<LabelFormat>(id));
        changed();
    });
    top->addWidget(formatBox, 0, 1, 2, 1, Qt::AlignTop);

    // Sender and receiver, and the logo
    auto* partiesLayout = new QGridLayout;
    partiesLayout->setHorizontalSpacing(6);
    partiesLayout->setVerticalSpacing(1);
    for (int i = 0; i < 2; ++i) {
        Block& b = parties_[i];
        b.caption = captionEdit(central, indexed("AbsEmpfBez", i), kCaptionWidth);
        b.text = textEdit(central, indexed("AbsEmpfText", i));
        b.text->installEventFilter(this);
        // The stored texts drop down over the head of the text, which keeps its height.
        b.stored = new QComboBox(central);
        b.stored->setObjectName(indexed("AbsEmpfCombo", i));
        b.stored->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        b.stored->setMinimumContentsLength(8);
        b.stored->hide();
        auto* fetch = new QToolButton(central);
        fetch->setObjectName(indexed("Command1_", i));
        fetch->setText(QStringLiteral("…"));
        connect(fetch, &QToolButton::clicked, this, [this, i] { fetchPartyTexts(i); });
        connect(b.stored, &QComboBox::activated, this, [this, i](int k) {
            Block& party = parties_[i];
            showLines(party.text, party.stored->itemData(k).toString());
            party.stored->hide();
            party.text->setFocus();
            changed();
        });
        auto* head = new QHBoxLayout;
        head->addWidget(b.caption);
        head->addWidget(b.stored, 1);
        head->addWidget(fetch);
        partiesLayout->addLayout(head, 0, i);
        partiesLayout->addWidget(b.text, 1, i);
        partiesLayout->setColumnStretch(i, 1);
    }
    logo_ = new QLabel(central);
    logo_->setObjectName(QStringLiteral("Image1"));
    logo_->setFixedSize(120, 60);
    logo_->setFrameShape(QFrame::StyledPanel);
    logo_->setAlignment(Qt::AlignCenter);
    logo_->installEventFilter(this);
    partiesLayout->addWidget(logo_, 1, 2, Qt::AlignTop);
    top->addLayout(partiesLayout, 1, 0);
    top->setRowStretch(1, 1);
    top->setColumnStretch(0, 1);
    outer->addLayout(top, 1);

    // Data rows, one line each: identifier, printed text, content, what the identifier adds
    body_ = new QGridLayout;
    body_->setSpacing(6);
    auto* rowsLayout = new QGridLayout;
    rowsLayout->setHorizontalSpacing(4);
    rowsLayout->setVerticalSpacing(1);
    rowsLayout->setColumnStretch(1, 2);
    rowsLayout->setColumnStretch(2, 3);
    for (int i = 0; i < Label::kFieldCount; ++i) {
        Row& r = rows_[i];
        r.identifier = new IdentifierList(central);
        r.identifier->setObjectName(indexed("DBCombo", i));
        r.identifier->setToolTip(caption(184));
        r.identifier->installEventFilter(this);
        r.identifier->view()->installEventFilter(this);
        r.caption = captionEdit(central, indexed("DBBez", i), kCaptionWidth);
        r.content = lineEdit(central, indexed("DIText", i), kContentWidth);
        r.content->installEventFilter(this);
        // Room for a designation and a content of common length before the window widens.
        const int character = r.content->fontMetrics().averageCharWidth();
        r.caption->setMinimumWidth(character * 14);
        r.content->setMinimumWidth(character * 16);
        rowsLayout->addWidget(r.identifier, i, 0);
        rowsLayout->addWidget(r.caption, i, 1);
        rowsLayout->addWidget(r.content, i, 2);
        connect(r.identifier, &QComboBox::activated, this, [this, i] { identifierChosen(i); });
        // A paste or drop passes no key filter: the edit is checked as a whole.
        connect(r.content, &QLineEdit::textEdited, this, [this, i] {
            if (contentEditTaken(i))
                changed();
        });
        connect(r.content, &QLineEdit::textChanged, this, [this, i](const QString& text) {
            // An edit undone inside its own signal is still announced with its text after.
            if (text == rows_[i].content->text())
                rows_[i].before = text;
        });
        if (i < Label::kAutoValueRows) {
            r.extras = new RowExtras(i, central);
            rowsLayout->addWidget(r.extras, i, 3);
            connect(r.extras, &RowExtras::changed, this, [this, i] {
                showAutoDate(i);
                changed();
            });
            const auto fill = [this, i](const QString& text) {
                rows_[i].content->setText(text);
                changed();
            };
            connect(r.extras, &RowExtras::codeChosen, this, fill);
            connect(r.extras, &RowExtras::storedValueChosen, this, fill);
            connect(r.extras, &RowExtras::storedValuesWanted, this,
                    [this, i] { fetchStoredValues(i); });
        }
    }
    body_->addLayout(rowsLayout, 0, 0, Qt::AlignTop);

    // Additional texts: below the rows, or beside the ten rows of the large format
    extrasArea_ = new QWidget(central);
    extrasLayout_ = new QBoxLayout(QBoxLayout::LeftToRight, extrasArea_);
    extrasLayout_->setContentsMargins(0, 0, 0, 0);
    extrasLayout_->setSpacing(4);
    for (int i = 0; i < Label::kExtraCount; ++i) {
        auto* column = new QVBoxLayout;
        column->setSpacing(1);
        extras_[i].caption = captionEdit(extrasArea_, indexed("ZusatzBez", i), kExtraWidth);
        QPlainTextEdit* text = textEdit(extrasArea_, indexed("ZusatzText", i));
        extras_[i].text = text;
        text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* size = new QToolButton(extrasArea_);
        extras_[i].size = size;
        size->setObjectName(indexed("Command4_", i));
        size->setText(QStringLiteral(">"));
        captionSizeButton(size);
        connect(size, &QToolButton::clicked, this, [this, text, size] { resizeText(text, size); });
        auto* head = new QHBoxLayout;
        head->addWidget(extras_[i].caption);
        head->addWidget(size);
        column->addLayout(head);
        column->addWidget(text);
        extrasLayout_->addLayout(column, 1);
    }
    body_->addWidget(extrasArea_, 1, 0, Qt::AlignTop);
    outer->addLayout(body_);

    for (QLineEdit* e : {parties_[0].caption, parties_[1].caption, extras_[0].caption,
                         extras_[1].caption, extras_[2].caption}) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, &MainWindow::changed);
    }
    for (Row& r : rows_) {
        r.caption->installEventFilter(this);
        connect(r.caption, &QLineEdit::textEdited, this, &MainWindow::changed);
    }
    for (QPlainTextEdit* e :
         {parties_[0].text, parties_[1].text, extras_[0].text, extras_[1].text, extras_[2].text}) {
        connect(e, &QPlainTextEdit::textChanged, this, &MainWindow::changed);
        connect(e, &QPlainTextEdit::textChanged, this, [this, e] {
            // The stored column is the limit of what a text can hold, line breaks
            // counted as the two characters they are stored as.
            const int limit =
                e->objectName().startsWith(QLatin1String("Zusatz")) ? kExtraWidth : kPartyTextWidth;
            QString text = e->toPlainText();
            if (text.size() + text.count(QLatin1Char('\n')) <= limit)
                return;
            while (text.size() + text.count(QLatin1Char('\n')) > limit)
                text.chop(1);
            {
                const QSignalBlocker quiet(e);
                e->setPlainText(text);
                e->moveCursor(QTextCursor::End);
            }
            changed();
        });
    }
    setCentralWidget(central);
}

void MainWindow::attach(LabelSession* session, LabelListDialog* dialog) {
    session_ = session;
    dialog_ = dialog;
    for (QAction* a : labelCommands_)
        a->setEnabled(session_ != nullptr);
    if (!session_)
        return;
    // Whoever changes the current label, the form shows it.
    const auto show = [this] { showFields(session_->label()); };
    connect(session_, &LabelSession::replaced, this, show);
    connect(session_, &LabelSession::contentsChanged, this, show);
    show();
}

const Label& MainWindow::current() const {
    static const Label unattached = initialLabel();
    return session_ ? session_->label() : unattached;
}

QString MainWindow::currentLabelName() const {
    return current().name;
}

void MainWindow::setCurrentLabelName(const QString& name) {
    if (session_)
        session_->label().name = name;
    showTitle(current().name);
}

void MainWindow::showTitle(const QString& name) {
    // The caption keeps its dash with no label open, so the name always has the same place.
    setWindowTitle(caption(msg::Title) + QStringLiteral(" - ") + name);
}

void MainWindow::setIdentifierEntries(const QStringList& entries) {
    filling_ = true;
    for (int i = 0; i < Label::kFieldCount; ++i) {
        QComboBox* list = rows_[i].identifier;
        const QString chosen = list->currentText();
        const QString code = identifierCodeOf(chosen);
        list->clear();
        list->addItems(entries);
        int k = code.isEmpty() ? 0 : -1;
        for (int e = 0; k < 0 && e < entries.size(); ++e) {
            if (entries[e].startsWith(code))
                k = e;
        }
        if (k < 0) {
            list->addItem(chosen);
            k = list->count() - 1;
        }
        list->setCurrentIndex(k);
        // The same identifier in the words of the list: no edit of the label.
        if (session_)
            session_->label().fields[i].identifier = list->currentText();
    }
    filling_ = false;
}

Label MainWindow::label() const {
    Label l = current();
    l.format = static_cast<LabelFormat>(std::max(0, format_->checkedId()));
    l.nveBasis = nveBasis_->text();
    l.nveLaufNr = nveLaufNr_->text();
    l.anzahlNVEs = anzahlNVEs_->text();
    l.anzahlProNVE = anzNVE_->text().trimmed().toInt();
    for (int i = 0; i < 2; ++i)
        l.parties[i] = {parties_[i].caption->text(), storedLines(parties_[i].text)};
    for (int i = 0; i < Label::kFieldCount; ++i) {
        DataField& f = l.fields[i];
        f.identifier = rows_[i].identifier->currentText();
        f.caption = rows_[i].caption->text();
        f.content = rows_[i].content->text();
        if (rows_[i].extras)
            rows_[i].extras->read(f);
    }
    for (int i = 0; i < Label::kExtraCount; ++i)
        l.extras[i] = {extras_[i].caption->text(), storedLines(extras_[i].text)};
    return l;
}

void MainWindow::showLabel(const Label& l) {
    if (session_)
        session_->setContents(l, false);
    else
        showFields(l);
}

void MainWindow::showFields(const Label& l) {
    filling_ = true;
    // A designation longer than its box reads from its start, as the label prints it.
    const auto showCaption = [](QLineEdit* e, const QString& text) {
        e->setText(text);
        e->setCursorPosition(0);
    };
    nveBasis_->setText(l.nveBasis);
    nveLaufNr_->setText(l.nveLaufNr);
    anzahlNVEs_->setText(l.anzahlNVEs);
    anzNVE_->setText(QString::number(l.anzahlProNVE));
    for (int i = 0; i < 2; ++i) {
        showCaption(parties_[i].caption, l.parties[i].caption);
        showLines(parties_[i].text, l.parties[i].text);
    }
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const DataField& f = l.fields[i];
        QComboBox* list = rows_[i].identifier;
        if (list->findText(f.identifier) < 0)
            list->addItem(f.identifier);
        list->setCurrentIndex(list->findText(f.identifier));
        showCaption(rows_[i].caption, f.caption);
        rows_[i].content->setText(
            i < Label::kAutoValueRows && f.autoValue && f.isDate() ? autoDateText(f) : f.content);
        rows_[i].content->setEnabled(!f.identifier.isEmpty());
        if (rows_[i].extras)
            rows_[i].extras->show(f);
    }
    for (int i = 0; i < Label::kExtraCount; ++i) {
        showCaption(extras_[i].caption, l.extras[i].caption);
        showLines(extras_[i].text, l.extras[i].text);
    }
    if (QAbstractButton* b = format_->button(static_cast<int>(l.format)))
        b->setChecked(true);
    applyFormat(l.format);
    showLogo(l.logoFile);
    showTitle(l.name);
    filling_ = false;
}

void MainWindow::applyFormat(LabelFormat format) {
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const bool visible =
            format == LabelFormat::Large || (format == LabelFormat::Small && i >= 1 && i <= 4);
        for (QWidget* w :
             {static_cast<QWidget*>(rows_[i].identifier), static_cast<QWidget*>(rows_[i].caption),
              static_cast<QWidget*>(rows_[i].content)})
            w->setVisible(visible);
        if (RowExtras* extras = rows_[i].extras)
            extras->setRowShown(visible);
    }
    extrasArea_->setVisible(format != LabelFormat::NveOnly);
    // Ten rows leave no height for the additional texts below them, but width beside.
    const bool beside = format == LabelFormat::Large;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    body_->getItemPosition(body_->indexOf(extrasArea_), &row, &column, &rowSpan, &columnSpan);
    if ((column == 1) == beside)
        return;
    body_->removeWidget(extrasArea_);
    body_->addWidget(extrasArea_, beside ? 0 : 1, beside ? 1 : 0, Qt::AlignTop);
    extrasLayout_->setDirection(beside ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    // Beside the rows they take what the large format adds to the width of the small one,
    // so the rows have the same width in both.
    const int besideWidth = formatSize(LabelFormat::Large).width() -
                            formatSize(LabelFormat::Small).width() - body_->horizontalSpacing();
    extrasArea_->setMinimumWidth(beside ? besideWidth : 0);
    extrasArea_->setMaximumWidth(beside ? besideWidth : QWIDGETSIZE_MAX);
}

void MainWindow::fitTextHeights() {
    // Three lines of an address, and what the format leaves; two of an additional
    // text, and 1500 twips more while it is enlarged, with a scroll bar.
    for (Block& b : parties_)
        b.text->setMinimumHeight(linesHeight(b.text, 3));
    for (Block& b : extras_)
        b.text->setFixedHeight(linesHeight(b.text, 2) + (enlarged(b.size) ? fromTwips(1500) : 0));
}

void MainWindow::resizeText(QPlainTextEdit* text, QToolButton* size) {
    const auto anyEnlarged = [this] {
        return std::any_of(extras_.begin(), extras_.end(),
                           [](const Block& b) { return enlarged(b.size); });
    };
    const bool enlarge = !enlarged(size);
    if (enlarge && !anyEnlarged())
        sizeBeforeEnlarging_ = this->size();
    text->setVerticalScrollBarPolicy(enlarge ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    size->setText(enlarge ? QStringLiteral("<") : QStringLiteral(">"));
    captionSizeButton(size);
    fitTextHeights();
    if (enlarge || anyEnlarged() || !sizeBeforeEnlarging_.isValid())
        return;
    // The layouts grew the window for the taller text but never shrink it by themselves.
    // Their smallest sizes are worked out from the text up at once, before going back:
    // a window still as small as the enlarged text needs would refuse to shrink.
    for (QWidget* w : {extrasArea_, centralWidget(), static_cast<QWidget*>(this)})
        w->layout()->activate();
    resize(sizeBeforeEnlarging_);
    sizeBeforeEnlarging_ = QSize();
}

QSize MainWindow::formatSize(LabelFormat format) {
    const QSize twips = kFormatTwips[static_cast<int>(format)];
    return {fromTwips(twips.width()), fromTwips(twips.height())};
}

void MainWindow::changed() {
    // Every edit goes into the current label at once; the fields are only its view.
    if (filling_ || !session_)
        return;
    session_->edit(label());
}

void MainWindow::syncToSession() {
    if (session_ && !filling_)
        session_->label() = label();
}

void MainWindow::newLabel() {
    syncToSession();
    if (!session_ || !session_->readyToLeave())
        return;
    session_->clear();
}

void MainWindow::openLabel() {
    syncToSession();
    if (!session_ || !dialog_ || !session_->readyToLeave())
        return;
    dialog_->load(LabelListDialog::Mode::Open, currentLabelName());
    dialog_->show();
}

bool MainWindow::saveLabel() {
    syncToSession();
    return session_ && session_->save();
}

bool MainWindow::saveLabelAs() {
    syncToSession();
    return session_ && session_->saveUnderNewName();
}

void MainWindow::deleteLabels() {
    if (!dialog_)
        return;
    dialog_->load(LabelListDialog::Mode::Delete, currentLabelName());
    dialog_->show();
}

void MainWindow::applyLook(const SettingsRecord& record) {
    QPalette p = QApplication::palette();
    p.setColor(QPalette::Window, storedColour(record.hintergrundfarbe));
    p.setColor(QPalette::Base, storedColour(record.feldfarbe));
    setPalette(p);
    QFont f = font();
    f.setPointSize(dialogFontPoints(record.progSchriftgroesse));
    centralWidget()->setFont(f);
    fieldFocus_ = record.felderMarkier;
    fitTextHeights();
    for (QLineEdit* e : centralWidget()->findChildren<QLineEdit*>()) {
        if (isCaptionEdit(e))
            setEditLook(e, e->hasFocus());
    }
}

void MainWindow::showAutoNve(bool on) {
    if (auto* a = findChild<QAction*>(QStringLiteral("autoNVEmenu")))
        a->setChecked(on);
    nveLaufNr_->setEnabled(!on);
    nveLaufNr_->setStyleSheet(on ? QStringLiteral("background-color: #E0E0E0") : QString());
}

void MainWindow::showRunProgress(const QString& panel1, const QString& panel2, int percent) {
    runPanels_[0]->setText(panel1);
    runPanels_[1]->setText(panel2);
    runProgress_->setValue(percent);
    runProgress_->setVisible(!panel1.isEmpty());
}

bool MainWindow::loadLabel(const QString& name) {
    if (!session_)
        return false;
    const std::optional<QStringList> notes = session_->open(name);
    if (!notes)
        return false;
    if (notes->isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(
            caption(msg::NotesLoaded).arg(session_->name(), notes->join(QStringLiteral("; "))));
    return true;
}

void MainWindow::applyCaptions() {
    showTitle(current().name);
    setIdentifierEntries(Catalogue::forLanguage(Captions::global().offset()).selectionList());
    for (auto& [w, id] : captioned_) {
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(caption(id));
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(caption(id));
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(caption(id));
    }
    for (auto& [a, id] : actions_)
        a->setText(caption(id));
    for (auto& [a, id] : tooltips_)
        a->setToolTip(caption(id));
    for (Row& r : rows_) {
        r.identifier->setToolTip(caption(184));
        if (r.extras)
            r.extras->applyCaptions();
    }
    for (QLineEdit* e : findChildren<QLineEdit*>())
        if (isCaptionEdit(e))
            e->setToolTip(caption(185));
    for (Block& b : extras_)
        captionSizeButton(b.size);
    labelMenu_->setTitle(caption(msg::MenuEtikett));
    editMenu_->setTitle(caption(129));
    extrasMenu_->setTitle(caption(134));
    logMenu_->setTitle(caption(793));
    endAction_->setText(caption(msg::MenuBeenden));
    helpMenu_->setTitle(caption(msg::MenuHilfe));
    contentsAction_->setText(caption(msg::HelpContents));
    setTopicHelp(topicPage_);
}

void MainWindow::setTopicHelp(const QString& page, const QString& fieldCaption,
                              const QString& identifierEntry) {
    topicPage_ = page;
    topicAction_->setText(topicHelpCaption(page, fieldCaption, identifierEntry));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (watched == logo_ && event->type() == QEvent::MouseButtonPress) {
        logoClicked(static_cast<QMouseEvent*>(event)->button());
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        const bool nveField = watched == nveBasis_ || watched == nveLaufNr_ ||
                              watched == anzahlNVEs_ || watched == anzNVE_;
        setTopicHelp(nveField ? helppage::Nve : helppage::Contents);
        const int row = rowOf(watched);
        if (row >= 0 && watched == rows_[row].identifier)
            rows_[row].typedDigits.clear();
        if (row >= 0 && watched == rows_[row].content) {
            const QString entryText = rows_[row].identifier->currentText();
            if (const auto topic = helpTopicFor(entryText))
                setTopicHelp(topic->page, rows_[row].caption->text(), entryText);
        }
        if (edit && isCaptionEdit(edit))
            setEditLook(edit, true);
        if (edit && !isCaptionEdit(edit) &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            // After the field's own handling of the focus: select, or caret left or right.
            QTimer::singleShot(0, edit, [edit, how = fieldFocus_] {
                if (how == 1)
                    edit->setCursorPosition(0);
                else if (how == 2)
                    edit->setCursorPosition(int(edit->text().size()));
                else
                    edit->selectAll();
            });
        }
    } else if (event->type() == QEvent::FocusOut) {
        const int row = rowOf(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A list dropping down or another window taking the focus does not leave a field.
        const bool left = reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
        // Before the checks, which may hand the focus back to the field; a menu opened over
        // the field still offers the field's topic.
        if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
            setTopicHelp(helppage::Contents);
        if (row >= 0 && watched == rows_[row].identifier && rows_[row].chosen && left)
            leaveIdentifier(row, reason);
        if (row >= 0 && watched == rows_[row].content && left) {
            checkDate(row);
            checkContent(row);
        }
        if (watched == nveBasis_ && left)
            leaveBase();
        if (watched == anzahlNVEs_ && left) {
            const QString count = nveCountOnLeaving(anzahlNVEs_->text());
            if (count != anzahlNVEs_->text()) {
                anzahlNVEs_->setText(count);
                changed();
            }
        }
        if (edit && isCaptionEdit(edit))
            setEditLook(edit, false);
    } else if (event->type() == QEvent::MouseButtonDblClick &&
               (watched == parties_[0].caption || watched == parties_[1].caption)) {
        // To add to a sender or receiver designation rather than select a word of it.
        edit->end(false);
        return true;
    } else if (event->type() == QEvent::KeyRelease) {
        // Digits, letters and punctuation complete; editing keys do not.
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        for (int i = 0; i < 2; ++i) {
            if (watched == parties_[i].text && typed.size() == 1 && typed[0].unicode() >= 48)
                completePartyText(i);
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        if (scanStart_ && keyEvent->text().size() == 1 && scanStart_(keyEvent->text()))
            return true;
        // Marks of the barcode data: no control of the window takes them.
        if (keyEvent->text().size() == 1 && rejectedEverywhere(keyEvent->text()[0]))
            return true;
        // The open list takes the digits too; Enter there is the list's own choice.
        if (const int row = rowOf(watched); row >= 0 && watched == rows_[row].identifier->view())
            return findIdentifier(row, keyEvent, true);
        // Enter moves on from one-line fields; multi-line texts take it as a line break.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            !qobject_cast<QPlainTextEdit*>(watched)) {
            focusNextChild();
            return true;
        }
        const int row = rowOf(watched);
        if (row >= 0 && watched == rows_[row].content)
            return filterContentKey(row, keyEvent);
        if (row >= 0 && watched == rows_[row].identifier)
            return findIdentifier(row, keyEvent, false);
        for (int i = 0; i < 2; ++i) {
            if (watched == parties_[i].text && key == Qt::Key_F9) {
                fetchPartyTexts(i);
                return true;
            }
        }
        const bool numberField = watched == nveBasis_ || watched == nveLaufNr_ ||
                                 watched == anzahlNVEs_ || watched == anzNVE_;
        const QString typed = keyEvent->text();
        if (numberField && typed.size() == 1 && typed[0].isPrint() &&
            korrekt_eingabe(typed[0].unicode()) == 0)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::findIdentifier(int row, const QKeyEvent* key, bool listOpen) {
    // Digits find the identifier: "(" and what was typed since the focus came.
    Row& r = rows_[row];
    const QString t = key->text();
    if (key->key() == Qt::Key_Backspace)
        r.typedDigits.chop(1);
    else if (t.size() == 1 && t[0].isDigit())
        r.typedDigits += t;
    else
        return false;
    for (int k = 0; k < r.identifier->count(); ++k) {
        if (!r.identifier->itemText(k).startsWith(QLatin1Char('(') + r.typedDigits))
            continue;
        // An open list marks the entry for Enter or a click to choose.
        if (listOpen) {
            r.identifier->view()->setCurrentIndex(r.identifier->model()->index(k, 0));
        } else {
            r.identifier->setCurrentIndex(k);
            identifierChosen(row);
        }
        break;
    }
    return true;
}

int MainWindow::rowOf(const QObject* widget) const {
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const Row& r = rows_[i];
        if (widget == r.identifier || widget == r.identifier->view() || widget == r.content ||
            widget == r.caption)
            return i;
    }
    return -1;
}

void MainWindow::identifierChosen(int i) {
    Row& row = rows_[i];
    row.chosen = true;
    row.content->setEnabled(!row.identifier->currentText().isEmpty());
    if (row.extras)
        row.extras->showFor(row.identifier->currentText());
    changed();
}

void MainWindow::leaveBase() {
    const QString base = baseOnLeaving(nveBasis_->text());
    if (base != nveBasis_->text()) {
        nveBasis_->setText(base);
        changed();
    }
    const auto question = baseTooLongQuestion(base);
    if (!question || !session_)
        return;
    const Answer answer = session_->prompter().ask(*question, Buttons::YesNoCancel, Icon::Critical);
    if (answer == Answer::Cancel) {
        nveBasis_->clear();
        changed();
    }
    nveBasis_->setFocus();
    if (answer == Answer::Yes)
        HelpWindow::showPage(helppage::Nve);
}

void MainWindow::showAutoDate(int i) {
    Row& r = rows_[i];
    DataField f;
    f.identifier = r.identifier->currentText();
    r.extras->read(f);
    if (f.autoValue && f.isDate())
        r.content->setText(autoDateText(f));
}

void MainWindow::leaveIdentifier(int i, Qt::FocusReason reason) {
    // The caption and the content it sets are edits of the label like typed ones.
    const auto edited = qScopeGuard([this] { changed(); });
    Row& r = rows_[i];
    r.chosen = false;
    const QString entryText = r.identifier->currentText();
    const auto entry = CatalogueEntry::parse(entryText);
    r.caption->setText(entry ? entry->description : QString());
    if (!session_)
        return;
    Prompter& prompter = session_->prompter();
    const Settings& settings = session_->settings();
    const QString hintKey = QStringLiteral("ComboHinweis");
    const QString section = QStringLiteral("Einstellungen");
    if (entry && settings.flag(section, hintKey) &&
        prompter.ask(caption(ids::DesignationHint).arg(entry->description), Buttons::YesNo,
                     Icon::Information) == Answer::No)
        settings.writeFlag(section, hintKey, false);
    for (int j = 0; entry && j < Label::kFieldCount; ++j) {
        if (j != i && identifierCodeOf(rows_[j].identifier->currentText()) == entry->code()) {
            prompter.tell(caption(ids::DuplicateIdentifier)
                              .arg(entryText.section(QLatin1Char('|'), 0, 0).trimmed()),
                          Icon::Critical);
            return;
        }
    }
    r.content->clear();
    r.content->setEnabled(entry.has_value());
    if (!entry) {
        r.caption->clear();
        return;
    }
    // The designation is offered for renaming at once, unless the user went on to a
    // field himself: what he types there must not overwrite the designation. The
    // reason tells, as the hint's box has taken the focus meanwhile.
    if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
        reason == Qt::BacktabFocusReason)
        return;
    setEditLook(r.caption, true);
    r.caption->setFocus();
    r.caption->selectAll();
}

void MainWindow::checkDate(int i) {
    Row& r = rows_[i];
    if (!session_)
        return;
    const auto question =
        dateCheckQuestion(r.identifier->currentText(), r.caption->text(), r.content->text());
    if (question &&
        session_->prompter().ask(*question, Buttons::YesNo, Icon::Critical) == Answer::Yes) {
        r.content->clear();
        changed();
        r.content->setFocus();
    }
}

void MainWindow::checkContent(int i) {
    const Row& r = rows_[i];
    DataField field;
    field.identifier = r.identifier->currentText();
    field.caption = r.caption->text();
    field.content = r.content->text();
    if (!session_ || field.isDate())
        return;
    // Told at once, not only when printing; the text stays for the user to mend.
    FieldContext context;
    context.row = i;
    if (const auto problem = contentProblem(field, context))
        session_->prompter().tell(*problem, Icon::Critical);
}

void MainWindow::logoClicked(Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        if (current().logoFile.isEmpty() || !session_ ||
            session_->prompter().ask(caption(ids::AskDeleteLogo), Buttons::OkCancel,
                                     Icon::Question) != Answer::Ok)
            return;
        session_->label().logoFile.clear();
    } else {
        const QString file =
            QFileDialog::getOpenFileName(this, caption(ids::OpenFileTitle).arg(caption(msg::Title)),
                                         current().logoFile, caption(ids::PictureFilter));
        if (file.isEmpty() || !session_)
            return;
        session_->label().logoFile = file;
    }
    showLogo(current().logoFile);
    changed();
}

void MainWindow::showLogo(const QString& logoFile) {
    const QPixmap picture(logoFile);
    logo_->setPixmap(picture.isNull() ? QPixmap()
                                      : picture.scaled(logo_->size(), Qt::KeepAspectRatio,
                                                       Qt::SmoothTransformation));
    logo_->setToolTip(QDir::toNativeSeparators(logoFile));
}

void MainWindow::fetchPartyTexts(int party) {
    if (!session_)
        return;
    Block& b = parties_[party];
    const QString current = b.text->toPlainText();
    b.stored->clear();
    for (const QString& text : session_->store().storedPartyTexts(party)) {
        // One line per entry: the list shows the lines joined, the text keeps them.
        b.stored->addItem(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" / ")),
                          text);
        if (QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) == current)
            b.stored->setCurrentIndex(b.stored->count() - 1);
    }
    b.stored->show();
    b.stored->setFocus();
    b.stored->showPopup();
}

void MainWindow::completePartyText(int party) {
    if (!session_ || !session_->settings().flag(QStringLiteral("Einstellungen"),
                                                QStringLiteral("Autovervollständigen")))
        return;
    QPlainTextEdit* e = parties_[party].text;
    QTextCursor cursor = e->textCursor();
    const int p = cursor.position();
    if (p <= 0)
        return;
    const QString typed =
        e->toPlainText().left(p).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const auto found = session_->store().partyTextStartingWith(party, typed);
    if (!found)
        return;
    {
        const QSignalBlocker quiet(e);
        showLines(e, *found);
    }
    changed();
    // The completed rest is selected, so typing on replaces it.
    cursor = e->textCursor();
    cursor.setPosition(int(e->toPlainText().size()));
    cursor.setPosition(p, QTextCursor::KeepAnchor);
    e->setTextCursor(cursor);
}

void MainWindow::fetchStoredValues(int i) {
    Row& r = rows_[i];
    if (!session_ || !r.extras)
        return;
    const auto entry = CatalogueEntry::parse(r.identifier->currentText());
    if (!entry || !entry->offersStoredValues())
        return;
    r.extras->offerStoredValues(session_->store().storedContents(entry->code()), r.content->text());
}

bool MainWindow::filterContentKey(int i, QKeyEvent* key) {
    Row& r = rows_[i];
    if (key->key() == Qt::Key_F9) {
        fetchStoredValues(i);
        return true;
    }
    const QString entryText = r.identifier->currentText();
    DataField probe;
    probe.identifier = entryText;
    const bool altGr = key->modifiers().testFlag(Qt::GroupSwitchModifier);
    const bool keypad = key->modifiers().testFlag(Qt::KeypadModifier);
    const std::optional<QChar> special = specialKeyChar(key->key(), altGr, keypad, probe.isDate());
    const QString text = key->text();
    if (!special && (text.size() != 1 || !text[0].isPrint()))
        return false; // editing keys work as in any field
    const QChar typed = special ? *special : text[0];
    const int selected = int(r.content->selectedText().size());
    const int cursor =
        r.content->hasSelectedText() ? r.content->selectionStart() : r.content->cursorPosition();
    const KeyVerdict verdict =
        palomex::filterContentKey(entryText, r.content->text(), cursor, selected, typed);
    if (verdict.endsAutoDate && r.extras)
        r.extras->endAutoValue();
    if (verdict.insert) {
        r.content->insert(QString(*verdict.insert));
        changed();
    }
    return true;
}

bool MainWindow::contentEditTaken(int i) {
    Row& r = rows_[i];
    DataField field;
    field.identifier = r.identifier->currentText();
    field.caption = r.caption->text();
    field.content = r.before;
    const auto problem = insertProblem(field, r.content->text());
    if (!problem) {
        // A date put in by hand ends the automatic one, pasted as typed.
        if (r.extras)
            r.extras->endAutoValue();
        return true;
    }
    const int cursor = r.content->cursorPosition();
    r.content->setText(r.before);
    r.content->setCursorPosition(std::min(cursor, int(r.before.size())));
    if (session_)
        session_->prompter().tell(*problem, Icon::Critical);
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    syncToSession();
    if (exitHandler_ && !exitHandler_()) {
        event->ignore();
        return;
    }
    HelpWindow::closeAll();
    event->accept();
}

} // namespace palomex
