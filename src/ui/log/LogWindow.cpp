#include "ui/log/LogWindow.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "app/Prompter.h"
#include "db/Database.h"
#include "entry/Catalogue.h"
#include "log/LogExport.h"
#include "log/LogListModel.h"
#include "log/LogListing.h"
#include "log/LogPrint.h"
#include "log/LogStrings.h"
#include "ui/app/HelpWindow.h"
#include "ui/app/Twips.h"
#include "ui/output/PrinterSink.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace palomex {

namespace {

const QString kSection = QStringLiteral("Protokoll");
constexpr int kCaption = 360;
constexpr int kSelection = 361;
constexpr int kOutputs = 376;
constexpr int kOrders = 377;
constexpr int kAskCancel = 378;
constexpr int kChooseFile = 380;
constexpr int kTabFilter = 381;
constexpr int kSemicolonFilter = 382;
constexpr int kDbFilter = 383;
constexpr int kListError = 384;
constexpr int kListErrorTitle = 385;
constexpr int kCp1252 = 386;
constexpr int kPdfFilter = 387;
constexpr int kExpandedLines = 8;
// Blank around the text of the content box, in pixels.
constexpr int kContentPadding = 4;

QStringList splitCaption(int id) {
    return caption(id).split(QLatin1Char('|'));
}

QComboBox* dateBox(const QStringList& entries) {
    auto* box = new QComboBox;
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(entries);
    return box;
}

// Characters as the stored filter counts them: a line break is two (CR LF).
qsizetype storedLength(const QString& text) {
    return text.size() + text.count(QLatin1Char('\n')) + text.count(QChar::ParagraphSeparator);
}

// The content box holds at most kContentLimit characters; a key or a paste that
// would pass the limit is refused whole, never cut to fit. Its blank lies around
// the scrolled area rather than in the document, so an area as high as a number of
// lines shows exactly that many, and a closed box nothing of its second line.
class ContentBox : public QPlainTextEdit {
public:
    ContentBox() {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setTabChangesFocus(true);
        document()->setDocumentMargin(0);
        setViewportMargins(kContentPadding, kContentPadding, kContentPadding, kContentPadding);
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        QString typed = event->text();
        typed.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (!typed.isEmpty() && (typed.front().isPrint() || typed.front() == QLatin1Char('\n')) &&
            !fits(typed)) {
            QApplication::beep();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source->hasText() && !fits(source->text())) {
            QApplication::beep();
            return;
        }
        QPlainTextEdit::insertFromMimeData(source);
    }

private:
    bool fits(const QString& inserted) const {
        return storedLength(toPlainText()) - storedLength(textCursor().selectedText()) +
                   storedLength(inserted) <=
               kContentLimit;
    }
};

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name) {
    auto* b = new QToolButton;
    b->setArrowType(arrow);
    b->setObjectName(name);
    return b;
}

} // namespace

LogWindow::LogWindow(Database& db, const Settings& settings, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db), settings_(settings), prompter_(prompter) {
    setObjectName(QStringLiteral("Protokoll"));
    chooseFile_ = [this](const QString& title, const QString& proposed, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, proposed, filter);
    };
    const QDate today = QDate::currentDate();
    absender_ = new QLineEdit;
    absender_->setObjectName(QStringLiteral("Absender"));
    empfaenger_ = new QLineEdit;
    empfaenger_->setObjectName(QStringLiteral("Empfaenger"));
    vonNve_ = new QLineEdit;
    vonNve_->setObjectName(QStringLiteral("von_NVE"));
    bisNve_ = new QLineEdit;
    bisNve_->setObjectName(QStringLiteral("bis_NVE"));
    datumVon_ = dateBox(firstDayEntries(today));
    datumVon_->setObjectName(QStringLiteral("DatumVon"));
    datumBis_ = dateBox(lastDayEntries(today));
    datumBis_->setObjectName(QStringLiteral("DatumBis"));
    datenCombo_ = new QComboBox;
    datenCombo_->setObjectName(QStringLiteral("Combo4"));
    datenCombo_->setEditable(true);
    datenCombo_->setInsertPolicy(QComboBox::NoInsert);
    datenText_ = new ContentBox;
    datenText_->setObjectName(QStringLiteral("Text6"));
    datenText_->installEventFilter(this);
    expand_ = arrowButton(Qt::DownArrow, QStringLiteral("Command4_0"));
    collapse_ = arrowButton(Qt::UpArrow, QStringLiteral("Command4_1"));
    connect(expand_, &QToolButton::clicked, this, [this] {
        expandContent(true);
        datenText_->setFocus();
    });
    connect(collapse_, &QToolButton::clicked, this, [this] { expandContent(false); });
    order_ = new QComboBox;
    order_->setObjectName(QStringLiteral("Combo1"));
    detail_ = new QCheckBox;
    detail_->setObjectName(QStringLiteral("Check2"));
    cp1252_ = new QCheckBox;
    output_ = new QComboBox;
    output_->setObjectName(QStringLiteral("Ausgabe"));
    model_ = new LogListModel(db_, this);
    connect(model_, &LogListModel::counted, this, &LogWindow::listCounted);
    connect(model_, &LogListModel::failed, this, &LogWindow::listFailed);
    list_ = new QListView;
    list_->setObjectName(QStringLiteral("List1"));
    list_->setModel(model_);
    list_->setUniformItemSizes(true);
    QFont mono(QStringLiteral("Courier New"), 9);
    mono.setStyleHint(QFont::TypeWriter);
    list_->setFont(mono);

    // Enter in a filter field shows the list; a date is typed with periods.
    for (QLineEdit* field : {absender_, empfaenger_, vonNve_, bisNve_, datumVon_->lineEdit(),
                             datumBis_->lineEdit(), datenCombo_->lineEdit()})
        connect(field, &QLineEdit::returnPressed, this, [this] { showList(); });
    datumVon_->lineEdit()->installEventFilter(this);
    datumBis_->lineEdit()->installEventFilter(this);

    selection_ = new QGroupBox;
    auto* form = new QFormLayout(selection_);
    const auto row = [this, form](int id, auto* field) {
        auto* label = new QLabel;
        labels_.push_back({label, id});
        form->addRow(label, field);
    };
    row(362, absender_);
    row(363, empfaenger_);
    row(364, vonNve_);
    row(365, bisNve_);
    row(366, datumVon_);
    row(365, datumBis_);
    row(367, datenCombo_);
    auto* content = new QHBoxLayout;
    auto* toggles = new QVBoxLayout;
    toggles->addWidget(expand_);
    toggles->addWidget(collapse_);
    toggles->addStretch();
    // The box keeps one line in the form; opened, it lies over the rows above it.
    contentSlot_ = new QWidget;
    contentSlot_->installEventFilter(this);
    content->addWidget(contentSlot_, 1);
    content->addLayout(toggles);
    row(368, content);
    datenText_->setParent(selection_);
    setTabOrder(datenCombo_, datenText_);
    expandContent(false);
    sorting_ = new QGroupBox;
    auto* sortForm = new QFormLayout(sorting_);
    auto* orderLabel = new QLabel;
    labels_.push_back({orderLabel, 369});
    sortForm->addRow(orderLabel, order_);
    sortForm->addRow(detail_);
    show_ = new QPushButton;
    show_->setObjectName(QStringLiteral("Anzeigen"));
    connect(show_, &QPushButton::clicked, this, [this] { showList(); });
    outputBox_ = new QGroupBox;
    auto* outputLayout = new QHBoxLayout(outputBox_);
    auto* go = new QPushButton(QStringLiteral(">"));
    go->setObjectName(QStringLiteral("Ausgeben"));
    connect(go, &QPushButton::clicked, this, &LogWindow::runOutput);
    outputLayout->addWidget(output_, 1);
    outputLayout->addWidget(go);
    help_ = new QPushButton;
    help_->setObjectName(QStringLiteral("Command8"));
    connect(help_, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::Log); });
    close_ = new QPushButton;
    close_->setObjectName(QStringLiteral("Command3"));
    connect(close_, &QPushButton::clicked, this, &LogWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(show_);
    buttons->addStretch();
    buttons->addWidget(cp1252_);
    buttons->addWidget(help_);
    buttons->addWidget(close_);
    auto* top = new QHBoxLayout;
    top->addWidget(selection_, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(sorting_);
    right->addWidget(outputBox_);
    right->addStretch();
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    applyCaptions();
}

void LogWindow::showCount(qint64 rows) {
    counted_ = rows;
    setWindowTitle(rows < 0 ? caption(kCaption)
                            : LogListing::countCaption(caption(kCaption), rows));
}

void LogWindow::applyCaptions() {
    showCount(counted_);
    for (const auto& [label, id] : labels_)
        label->setText(caption(id));
    selection_->setTitle(caption(kSelection));
    sorting_->setTitle(caption(370));
    outputBox_->setTitle(caption(373));
    detail_->setText(caption(371));
    cp1252_->setText(caption(kCp1252));
    show_->setText(caption(372));
    help_->setText(caption(374));
    close_->setText(caption(375));
    for (const auto& [box, id] : {std::pair{order_, kOrders}, std::pair{output_, kOutputs}}) {
        const int chosen = std::max(0, box->currentIndex());
        box->clear();
        box->addItems(splitCaption(id));
        box->setCurrentIndex(chosen);
    }
}

bool LogWindow::contentExpanded() const {
    return !collapse_->isHidden();
}

void LogWindow::expandContent(bool expand) {
    const int lines = expand ? kExpandedLines : 1;
    const int margins = 2 * (datenText_->frameWidth() + kContentPadding);
    const int lineSpacing = datenText_->fontMetrics().lineSpacing();
    contentSlot_->setFixedHeight(lineSpacing + margins);
    datenText_->setFixedHeight(lineSpacing * lines + margins);
    const auto bars = expand ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    datenText_->setHorizontalScrollBarPolicy(bars);
    datenText_->setVerticalScrollBarPolicy(bars);
    expand_->setVisible(!expand);
    collapse_->setVisible(expand);
    if (!expand)
        datenText_->moveCursor(QTextCursor::Start);
    placeContent();
}

void LogWindow::placeContent() {
    const QRect slot = contentSlot_->geometry();
    const int top = std::max(0, slot.bottom() + 1 - datenText_->height());
    datenText_->move(slot.x(), top);
    datenText_->setFixedWidth(slot.width());
    datenText_->raise();
}

bool LogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == contentSlot_) {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            placeContent();
    } else if (watched == datenText_) {
        if (event->type() == QEvent::FocusIn &&
            datenText_->toPlainText().contains(QLatin1Char('\n'))) {
            expandContent(true);
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                expandContent(false);
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && !contentExpanded()) {
                showList();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                if (contentExpanded())
                    expandContent(false);
                else
                    keyPressEvent(key);
                return true;
            }
        }
    } else if (event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->text() == QLatin1String(",")) {
        static_cast<QLineEdit*>(watched)->insert(QStringLiteral("."));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void LogWindow::setCatalogue(const Catalogue& catalogue) {
    const QString typed = datenCombo_->currentText();
    catalogue_ = &catalogue;
    datenCombo_->clear();
    // The catalogue's blank entry is offered as empty text: fields without identifier.
    datenCombo_->addItem(QString());
    for (const QString& e : catalogue.selectionList().mid(1))
        datenCombo_->addItem(e.section(QLatin1Char('|'), 0, 0));
    datenCombo_->setCurrentText(shownIdentifier(typed));
    applyCaptions();
}

QString LogWindow::shownIdentifier(const QString& identifier) const {
    const QString code = identifierCodeOf(identifier);
    if (!catalogue_ || code.isEmpty())
        return identifier;
    const auto described = [&code](const Catalogue& c) {
        return c.entryOfCode(code).section(QLatin1Char('|'), 0, 0).simplified();
    };
    const QString given = identifier.section(QLatin1Char('|'), 0, 0).simplified();
    if (given != described(Catalogue::forLanguage(0)) &&
        given != described(Catalogue::forLanguage(1000)))
        return identifier;
    return catalogue_->entryOfCode(code).section(QLatin1Char('|'), 0, 0);
}

LogFilter LogWindow::filter() const {
    LogFilter f;
    f.absender = absender_->text();
    f.empfaenger = empfaenger_->text();
    f.vonNve = vonNve_->text();
    f.bisNve = bisNve_->text();
    f.datumVon = datumVon_->currentText();
    f.datumBis = datumBis_->currentText();
    f.datenCombo = datenCombo_->currentText();
    f.datenText = datenText_->toPlainText();
    f.order = static_cast<LogOrder>(std::max(0, order_->currentIndex()));
    f.detailliste = detail_->isChecked();
    return f;
}

void LogWindow::applyFilter(const LogFilter& f) {
    absender_->setText(f.absender);
    empfaenger_->setText(f.empfaenger);
    vonNve_->setText(f.vonNve);
    bisNve_->setText(f.bisNve);
    datumVon_->setCurrentText(f.datumVon);
    datumBis_->setCurrentText(f.datumBis);
    datenCombo_->setCurrentText(shownIdentifier(f.datenCombo));
    datenText_->setPlainText(f.datenText);
    order_->setCurrentIndex(static_cast<int>(f.order));
    detail_->setChecked(f.detailliste);
}

void LogWindow::open() {
    const QDate today = QDate::currentDate();
    datumVon_->clear();
    datumVon_->addItems(firstDayEntries(today));
    datumBis_->clear();
    datumBis_->addItems(lastDayEntries(today));
    applyFilter(loadLogFilter(settings_, today));
    output_->setCurrentIndex(
        std::clamp(settings_.number(kSection, QStringLiteral("Liste")), 0, output_->count() - 1));
    setGeometry(storedPlace(settings_, kSection));
    show();
    raise();
}

void LogWindow::closeWindow() {
    saveLogFilter(settings_, filter(), QDate::currentDate());
    settings_.writeNumber(kSection, QStringLiteral("Liste"), output_->currentIndex());
    storePlace(settings_, kSection, geometry());
    showCount(-1);
    model_->showLines({});
    endBusy();
    hide();
}

void LogWindow::setContentFilter(const QString& identifier, const QString& content) {
    datenCombo_->setCurrentText(shownIdentifier(identifier));
    datenText_->setPlainText(content);
}

void LogWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        HelpWindow::showPage(helppage::Log);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (!listing()) {
            closeWindow();
        } else if (prompter_.ask(caption(kAskCancel), Buttons::YesNo, Icon::Question) ==
                       Answer::Yes &&
                   listing()) {
            model_->showLines({});
            endBusy();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

QStringList LogWindow::lines() const {
    return model_->allLines();
}

bool LogWindow::listing() const {
    return model_->counting();
}

void LogWindow::showList(const QString& heading) {
    showCount(-1);
    LogFilter f = filter();
    normaliseDateRange(f, QDate::currentDate());
    datumVon_->setCurrentText(f.datumVon);
    datumBis_->setCurrentText(f.datumBis);
    const LogQuery lq = buildLogQuery(db_.dialect(), f);
    // Several lines lose their stars, and the box shows what was searched for.
    if (f.datenText != datenText_->toPlainText())
        datenText_->setPlainText(f.datenText);
    if (!lq.error.isEmpty()) {
        model_->showLines({});
        listFailed(lq.error);
        return;
    }
    const LogListing listing(f, QDateTime::currentDateTime(), heading,
                             zusatzCaptions_ ? zusatzCaptions_() : std::array<QString, 3>{});
    currentDocumentName_ = listing.documentName();
    exportTable_ = listing.exportTableName();
    if (!busy_)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    busy_ = true;
    model_->show(isContentOrder(f.order) ? sortedSelection(db_.dialect(), lq, f) : lq, listing);
}

void LogWindow::listCounted(qint64 rows) {
    showCount(rows);
    endBusy();
}

void LogWindow::listFailed(const QString& error) {
    endBusy();
    prompter_.tellTitled(caption(kListErrorTitle), caption(kListError).arg(0).arg(error),
                         Icon::Critical);
}

void LogWindow::endBusy() {
    if (std::exchange(busy_, false))
        QApplication::restoreOverrideCursor();
}

void LogWindow::replaceList(const QString& message) {
    model_->showLines(message.split(QLatin1Char('\n')));
    endBusy();
}

QString LogWindow::chooseFile(const QString& filter) {
    const QString proposed = settings_.get(kSection, QStringLiteral("Exportdatei"));
    const QString path = chooseFile_(caption(kChooseFile), proposed, filter);
    if (!path.isEmpty())
        settings_.write(kSection, QStringLiteral("Exportdatei"), path);
    return path;
}

void LogWindow::exportText(bool semicolon) {
    const QString path = chooseFile(caption(semicolon ? kSemicolonFilter : kTabFilter));
    if (path.isEmpty())
        return;
    LogFilter f = filter();
    const ExportResult r =
        exportLogText(db_, f, path, semicolon ? TextExport::Semicolon : TextExport::Tab,
                      cp1252_->isChecked() ? TextEncoding::Windows1252 : TextEncoding::Utf8WithBom);
    if (r.ok)
        replaceList(r.message);
    else
        prompter_.tell(r.message, Icon::Critical);
}

void LogWindow::exportDatabase() {
    const QString path = chooseFile(caption(kDbFilter));
    if (path.isEmpty())
        return;
    LogFilter f = filter();
    const ExportResult r = exportLogDatabase(db_, f, path, exportTable_);
    if (r.ok)
        replaceList(r.message);
    else
        prompter_.tell(r.message, Icon::Critical);
}

void LogWindow::printList(bool pdf) {
    const QStringList lines = this->lines();
    const QString driver = settings_.get(QStringLiteral("Drucker"), QStringLiteral("PDFTreiber"));
    const bool hasDriver = !QPrinterInfo::printerInfo(driver).isNull();
    if (pdf && !hasDriver) {
        // No PDF printer: the built-in PDF writer needs no driver.
        const QString path =
            chooseFile_(caption(kChooseFile), currentDocumentName_ + QStringLiteral(".pdf"),
                        caption(kPdfFilter));
        if (path.isEmpty())
            return;
        QPdfWriter writer(path);
        writer.setTitle(currentDocumentName_);
        writer.setPageSize(QPageSize(QPageSize::A4));
        printLogList(writer, lines);
        return;
    }
    QPrinter printer;
    const QString name =
        pdf ? driver
            : PrinterSink::installedPrinter(
                  settings_.get(QStringLiteral("Drucker"), QStringLiteral("Listendrucker")))
                  .printerName();
    if (!name.isEmpty())
        printer.setPrinterName(name);
    printer.setDocName(currentDocumentName_);
    printLogList(printer, lines);
}

void LogWindow::runOutput() {
    const int choice = output_->currentIndex();
    showList();
    switch (choice) {
    case 1:
    case 2:
        printList(choice == 2);
        break;
    case 3:
    case 4:
        exportText(choice == 4);
        break;
    case 5:
        exportDatabase();
        break;
    case 6: {
        const QStringList lines = this->lines();
        QApplication::clipboard()->setText(listClipboardText(lines));
        replaceList(caption(logmsg::ListCopied).arg(formatNumber(lines.size())));
        break;
    }
    case 7: {
        LogFilter f = filter();
        QString text;
        const ExportResult r = logRowsClipboardText(db_, f, text);
        if (r.ok) {
            QApplication::clipboard()->setText(text);
            replaceList(r.message);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace palomex
