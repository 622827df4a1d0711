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
#include <QLineEdit>
#include <QListView>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
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

QStringList splitCaption(int id) {
    return caption(id).split(QLatin1Char('|'));
}

QComboBox* dateBox(const QStringList& entries) {
    auto* box = new QComboBox;
    box->setEditable(true);
    box->addItems(entries);
    return box;
}

} // namespace

LogWindow::LogWindow(Database& db, const Settings& settings, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db), settings_(settings), prompter_(prompter) {
    setObjectName(QStringLiteral("Protokoll"));
    chooseFile_ = [this](const QString& title, const QString& proposed, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, proposed, filter);
    };
    setWindowTitle(caption(kCaption));
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
    datenText_ = new QPlainTextEdit;
    datenText_->setMaximumHeight(60);
    order_ = new QComboBox;
    order_->setObjectName(QStringLiteral("Combo1"));
    order_->addItems(splitCaption(kOrders));
    detail_ = new QCheckBox(caption(371));
    detail_->setObjectName(QStringLiteral("Check2"));
    cp1252_ = new QCheckBox(caption(kCp1252));
    output_ = new QComboBox;
    output_->setObjectName(QStringLiteral("Ausgabe"));
    output_->addItems(splitCaption(kOutputs));
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

    auto* selection = new QGroupBox(caption(kSelection));
    auto* form = new QFormLayout(selection);
    form->addRow(caption(362), absender_);
    form->addRow(caption(363), empfaenger_);
    form->addRow(caption(364), vonNve_);
    form->addRow(caption(365), bisNve_);
    form->addRow(caption(366), datumVon_);
    form->addRow(caption(365), datumBis_);
    form->addRow(caption(367), datenCombo_);
    form->addRow(caption(368), datenText_);
    auto* sorting = new QGroupBox(caption(370));
    auto* sortForm = new QFormLayout(sorting);
    sortForm->addRow(caption(369), order_);
    sortForm->addRow(detail_);
    auto* show = new QPushButton(caption(372));
    show->setObjectName(QStringLiteral("Anzeigen"));
    connect(show, &QPushButton::clicked, this, [this] { showList(); });
    auto* outputBox = new QGroupBox(caption(373));
    auto* outputLayout = new QHBoxLayout(outputBox);
    auto* go = new QPushButton(QStringLiteral(">"));
    go->setObjectName(QStringLiteral("Ausgeben"));
    connect(go, &QPushButton::clicked, this, &LogWindow::runOutput);
    outputLayout->addWidget(output_, 1);
    outputLayout->addWidget(go);
    auto* help = new QPushButton(caption(374));
    connect(help, &QPushButton::clicked, this, [] { HelpWindow::showPage(helppage::Log); });
    auto* close = new QPushButton(caption(375));
    connect(close, &QPushButton::clicked, this, &LogWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(show);
    buttons->addStretch();
    buttons->addWidget(cp1252_);
    buttons->addWidget(help);
    buttons->addWidget(close);
    auto* top = new QHBoxLayout;
    top->addWidget(selection, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(sorting);
    right->addWidget(outputBox);
    right->addStretch();
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(900, 640);
}

void LogWindow::setCatalogue(const Catalogue& catalogue) {
    const QString typed = datenCombo_->currentText();
    datenCombo_->clear();
    // The catalogue's blank entry is offered as empty text: fields without identifier.
    datenCombo_->addItem(QString());
    for (const QString& e : catalogue.selectionList().mid(1))
        datenCombo_->addItem(e.section(QLatin1Char('|'), 0, 0));
    datenCombo_->setCurrentText(typed);
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
    datenCombo_->setCurrentText(f.datenCombo);
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
    show();
    raise();
}

void LogWindow::closeWindow() {
    saveLogFilter(settings_, filter(), QDate::currentDate());
    settings_.writeNumber(kSection, QStringLiteral("Liste"), output_->currentIndex());
    model_->showLines({});
    endBusy();
    hide();
}

void LogWindow::setContentFilter(const QString& identifier, const QString& content) {
    datenCombo_->setCurrentText(identifier);
    datenText_->setPlainText(content);
}

void LogWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        HelpWindow::showPage(helppage::Log);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (!listing()) {
            if (!datenText_->hasFocus())
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
    setWindowTitle(caption(kCaption));
    LogFilter f = filter();
    normaliseDateRange(f, QDate::currentDate());
    datumVon_->setCurrentText(f.datumVon);
    datumBis_->setCurrentText(f.datumBis);
    const LogQuery lq = buildLogQuery(db_.dialect(), f);
    datenText_->setPlainText(f.datenText);
    if (!lq.error.isEmpty()) {
        model_->showLines({});
        listFailed(lq.error);
        return;
    }
    const LogListing listing(f, QDateTime::currentDateTime(), heading, zusatzCaptions_);
    currentDocumentName_ = listing.documentName();
    exportTable_ = listing.exportTableName();
    if (!busy_)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    busy_ = true;
    model_->show(isContentOrder(f.order) ? sortedSelection(db_.dialect(), lq, f) : lq, listing);
}

void LogWindow::listCounted(qint64 rows) {
    setWindowTitle(LogListing::countCaption(caption(kCaption), rows));
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
