#include "ui/app/SettingsDialog.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "app/Prompter.h"
#include "db/Label.h"
#include "entry/Catalogue.h"
#include "output/BarcodeData.h"
#include "output/Gs1Encoder.h"
#include "output/PdfSink.h"
#include "scan/ScanParser.h"
#include "scan/ScanStrings.h"
#include "scan/TestPage.h"
#include "ui/app/HelpWindow.h"
#include "ui/output/PrinterSink.h"
#include "ui/output/Printers.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace palomex {

namespace {

constexpr int kBuiltInPdfCaption = 142;

// Colours are stored with red in the low byte, as the settings file always held them.
QColor fromStored(int v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int toStored(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

void paintButton(QPushButton* b, int colour) {
    b->setStyleSheet(QStringLiteral("background-color: %1").arg(fromStored(colour).name()));
}

QSpinBox* spin(int lo, int hi) {
    auto* s = new QSpinBox;
    s->setRange(lo, hi);
    return s;
}

QWidget* page(QFormLayout*& form) {
    auto* w = new QWidget;
    form = new QFormLayout(w);
    return w;
}

// A GS1-128 symbol drawn as the chosen barcode scaling and bar width reduction
// would print it, enlarged twice so that a reduction of a few micrometres shows.
class BarcodeSample : public QWidget {
public:
    BarcodeSample(const QComboBox* font, const QComboBox* scaling, const QSpinBox* reduction)
        : font_(font), scaling_(scaling), reduction_(reduction) {
        setMinimumSize(540, 140);
        encoder_.setData(QStringLiteral("\u00AB01\u00BB0401234500001\u00A5"));
        encoder_.setBarHeight(10);
        encoder_.setTextSize(8);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        // Drawn on an image of its own: the encoder places bars in device pixels,
        // which on a widget inside a window are not the widget's own.
        QImage image(size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        constexpr double kEnlarged = 2.0;
        const double pxPerMm = logicalDpiX() / 25.4;
        // A label as wide as the sample leaves the automatic scaling a choice too.
        const double labelMm = width() / pxPerMm / kEnlarged;
        selectModuleStep(encoder_, BarcodeKind::Upper, std::max(0, scaling_->currentIndex()), 0,
                         labelMm);
        encoder_.setBarWidthAdjust(reduction_->value());
        encoder_.setFont(font_->currentText());
        p.scale(pxPerMm, pxPerMm);
        encoder_.draw(p, QPointF(1, 1), kEnlarged);
        p.end();
        QPainter(this).drawImage(0, 0, image);
    }

private:
    const QComboBox* font_;
    const QComboBox* scaling_;
    const QSpinBox* reduction_;
    Gs1Encoder encoder_;
};

} // namespace

SettingsDialog::SettingsDialog(const Settings& settings, Prompter& prompter, QWidget* parent)
    : QDialog(parent), settings_(settings), prompter_(prompter) {
    setWindowTitle(caption(750));
    tabs_ = new QTabWidget;
    QFormLayout* f = nullptr;

    tabs_->addTab(page(f), caption(751));
    printer_ = new QComboBox;
    printer_->setObjectName(QStringLiteral("Drucker"));
    paperSource_ = new QComboBox;
    auto* setup = new QPushButton(caption(758));
    setup->setObjectName(QStringLiteral("Einrichten"));
    connect(setup, &QPushButton::clicked, this, &SettingsDialog::setUpPrinter);
    connect(printer_, &QComboBox::activated, this, &SettingsDialog::fillPaperSources);
    a4_ = new QRadioButton(caption(759));
    single_ = new QRadioButton(caption(760));
    randOben_ = spin(-99, 999);
    randLinks_ = spin(-99, 999);
    seiten_ = spin(0, 999);
    seiten_->setObjectName(QStringLiteral("Seitenanzahl"));
    skalierung_ = spin(1, 999);
    listPrinter_ = new QComboBox;
    listPrinter_->setObjectName(QStringLiteral("Listendrucker"));
    pdfDriver_ = new QComboBox;
    pdfDriver_->setObjectName(QStringLiteral("PDFTreiber"));
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(printer_, 1);
    printerRow->addWidget(setup);
    f->addRow(caption(100), printerRow);
    f->addRow(caption(101), paperSource_);
    f->addRow(a4_);
    f->addRow(single_);
    f->addRow(caption(102), randOben_);
    f->addRow(caption(103), randLinks_);
    f->addRow(caption(104), seiten_);
    f->addRow(caption(105), skalierung_);
    f->addRow(caption(106), listPrinter_);
    f->addRow(caption(108), pdfDriver_);

    tabs_->addTab(page(f), caption(752));
    font_ = new QComboBox;
    font_->setObjectName(QStringLiteral("Schriftart"));
    font_->addItems(QFontDatabase::families());
    linie_ = spin(0, 99);
    vergr_ = new QComboBox;
    vergr_->setObjectName(QStringLiteral("VergrFaktor"));
    vergr_->addItems({"Auto", "0.25", "0.30", "0.35", "0.40", "0.45", "0.50"});
    strich_ = spin(-99, 99);
    strich_->setObjectName(QStringLiteral("Strichbreitenreduktion"));
    tab_ = spin(1, 200);
    zeile_ = spin(10, 500);
    fontSample_ = new QLabel(caption(789));
    fontSample_->setObjectName(QStringLiteral("Schriftprobe"));
    fontSample_->setFrameShape(QFrame::Box);
    connect(font_, &QComboBox::currentTextChanged, fontSample_, [this](const QString& family) {
        QFont sampleFont(family);
        sampleFont.setPointSize(12);
        fontSample_->setFont(sampleFont);
    });
    auto* fontLine = new QHBoxLayout;
    fontLine->addWidget(font_);
    fontLine->addWidget(fontSample_);
    barcodeSample_ = new BarcodeSample(font_, vergr_, strich_);
    barcodeSample_->setObjectName(QStringLiteral("Barcodeprobe"));
    connect(vergr_, &QComboBox::currentIndexChanged, barcodeSample_, qOverload<>(&QWidget::update));
    connect(strich_, &QSpinBox::valueChanged, barcodeSample_, qOverload<>(&QWidget::update));
    connect(font_, &QComboBox::currentIndexChanged, barcodeSample_, qOverload<>(&QWidget::update));
    f->addRow(caption(109), fontLine);
    f->addRow(caption(110), linie_);
    f->addRow(caption(111), vergr_);
    f->addRow(caption(112), strich_);
    f->addRow(caption(113), tab_);
    f->addRow(caption(114), zeile_);
    f->addRow(barcodeSample_);

    tabs_->addTab(page(f), caption(753));
    german_ = new QRadioButton(caption(761));
    german_->setObjectName(QStringLiteral("Deutsch"));
    english_ = new QRadioButton(caption(762));
    english_->setObjectName(QStringLiteral("Englisch"));
    letzt_ = new QCheckBox(caption(763));
    raster_ = new QCheckBox(caption(764));
    raster_->setObjectName(QStringLiteral("RasterLinien"));
    autoSave_ = new QCheckBox(caption(765));
    autoSave_->setObjectName(QStringLiteral("AutoSpeichern"));
    askSave_ = new QCheckBox(caption(766));
    askSave_->setObjectName(QStringLiteral("SpeichernFrage"));
    complete_ = new QCheckBox(caption(767));
    felder_ = new QComboBox;
    felder_->addItems({caption(107), caption(116), caption(117)});
    background_ = new QPushButton(caption(769));
    fields_ = new QPushButton(caption(770));
    fontSize_ = new QComboBox;
    fontSize_->setObjectName(QStringLiteral("Prog_Schriftgroesse"));
    fontSize_->addItems({"7", "8", "9", "10", "11", "12"});
    dbCharge_ = new QComboBox;
    dbCharge_->setObjectName(QStringLiteral("DB_Charge"));
    auto* colours = new QHBoxLayout;
    colours->addWidget(background_);
    colours->addWidget(fields_);
    f->addRow(german_);
    f->addRow(english_);
    f->addRow(letzt_);
    f->addRow(raster_);
    f->addRow(autoSave_);
    f->addRow(askSave_);
    f->addRow(complete_);
    f->addRow(caption(115), felder_);
    f->addRow(caption(768), colours);
    f->addRow(caption(118), fontSize_);
    f->addRow(caption(119), dbCharge_);
    connect(autoSave_, &QCheckBox::toggled, askSave_, &QWidget::setDisabled);
    connect(background_, &QPushButton::clicked, this,
            [this] { chooseColour(background_, backgroundColour_); });
    connect(fields_, &QPushButton::clicked, this, [this] { chooseColour(fields_, fieldColour_); });

    tabs_->addTab(page(f), caption(754));
    dbPath_ = new QLineEdit;
    auto* browse = new QPushButton(caption(771));
    f->addRow(caption(788), dbPath_);
    f->addRow(browse);
    connect(browse, &QPushButton::clicked, this, &SettingsDialog::browseDatabase);

    tabs_->addTab(page(f), caption(755));
    scanVerhalten_ = new QComboBox;
    scanVerhalten_->addItems({caption(200), caption(201)});
    scanEnde_ = new QComboBox;
    scanEnde_->addItems({caption(202)});
    scanList_ = new QListWidget;
    scanList_->setObjectName(QStringLiteral("Scan_DBListe"));
    scanList_->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* all = new QPushButton(caption(203));
    auto* none = new QPushButton(caption(204));
    connect(all, &QPushButton::clicked, scanList_, &QListWidget::selectAll);
    connect(none, &QPushButton::clicked, scanList_, &QListWidget::clearSelection);
    // The list shows a few entries; ">" lets it take the page's height, "<" gives it back.
    auto* larger = new QPushButton(QStringLiteral(">"));
    larger->setObjectName(QStringLiteral("ScanListeGroesse"));
    const int shortList = scanList_->fontMetrics().height() * 8;
    scanList_->setMaximumHeight(shortList);
    connect(larger, &QPushButton::clicked, scanList_, [this, larger, shortList] {
        const bool enlarge = larger->text() == QLatin1String(">");
        scanList_->setMaximumHeight(enlarge ? QWIDGETSIZE_MAX : shortList);
        larger->setText(enlarge ? QStringLiteral("<") : QStringLiteral(">"));
    });
    auto* allNone = new QHBoxLayout;
    allNone->addWidget(all);
    allNone->addWidget(none);
    allNone->addWidget(larger);
    f->addRow(caption(772), scanVerhalten_);
    f->addRow(caption(773), scanEnde_);
    f->addRow(caption(774), scanList_);
    f->addRow(allNone);

    tabs_->addTab(page(f), caption(756));
    fnc1Trenner_ = new QLineEdit;
    fnc1Identifier_ = new QLineEdit;
    f->addRow(caption(775), fnc1Trenner_);
    f->addRow(caption(776), fnc1Identifier_);
    auto* testFnc1 = new QPushButton(caption(scanmsg::TestButton));
    testFnc1->setObjectName(QStringLiteral("testFnc1"));
    testFnc1->setToolTip(caption(scanmsg::DetectFnc1));
    auto* savePdf = new QPushButton(caption(scanmsg::SaveTestPdf));
    savePdf->setObjectName(QStringLiteral("saveScanTestPdf"));
    auto* fnc1Buttons = new QHBoxLayout;
    fnc1Buttons->addWidget(testFnc1);
    fnc1Buttons->addWidget(savePdf);
    fnc1Buttons->addStretch();
    f->addRow(fnc1Buttons);
    connect(testFnc1, &QPushButton::clicked, this, &SettingsDialog::testFnc1);
    connect(savePdf, &QPushButton::clicked, this, &SettingsDialog::saveScanTestPdf);

    tabs_->addTab(page(f), caption(757));
    barcodeIdentifier_ = new QLineEdit;
    auto* testIdentifier = new QPushButton(caption(scanmsg::TestButton));
    testIdentifier->setObjectName(QStringLiteral("testBarcodeIdentifier"));
    testIdentifier->setToolTip(caption(scanmsg::DetectIdentifier));
    auto* identifierLine = new QHBoxLayout;
    identifierLine->addWidget(barcodeIdentifier_);
    identifierLine->addWidget(testIdentifier);
    f->addRow(caption(777), identifierLine);
    connect(testIdentifier, &QPushButton::clicked, this, &SettingsDialog::testBarcodeIdentifier);
    f->addRow(caption(778), new QWidget);
    for (size_t i = 0; i < stellen_.size(); ++i) {
        auto& row = stellen_[i];
        auto* line = new QHBoxLayout;
        for (int k = 0; k < 3; ++k) {
            row[k] = new QComboBox;
            row[k]->setObjectName(QStringLiteral("Stelle_") + QStringList{"von", "bis", "DB"}[k] +
                                  QString::number(i));
            line->addWidget(row[k]);
        }
        for (int k = 0; k < 2; ++k) {
            for (int p = 0; p <= 99; ++p)
                row[k]->addItem(QString::number(p));
        }
        f->addRow(caption(779) + QStringLiteral(" / ") + caption(780) + QStringLiteral(" / ") +
                      caption(781),
                  line);
    }

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(caption(782), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("ok"));
    buttons->addButton(caption(783), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("abbruch"));
    auto* help = buttons->addButton(caption(784), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::cancel);
    connect(help, &QPushButton::clicked, this, &SettingsDialog::showHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    askText_ = [this](const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, caption(msg::Title), prompt, QLineEdit::Normal, {}, &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    choosePdf_ = [this] {
        return QFileDialog::getSaveFileName(this, caption(scanmsg::SaveTestPdf), QString(),
                                            QStringLiteral("PDF (*.pdf)"));
    };
}

void SettingsDialog::showPdfDriverChoice() {
    tabs_->setCurrentWidget(tabs_->widget(1));
    show();
    pdfDriver_->setFocus();
    pdfDriver_->showPopup();
}

void SettingsDialog::showScanPositions() {
    tabs_->setCurrentWidget(stellen_[0][0]->parentWidget());
    show();
    stellen_[0][0]->setFocus();
}

void SettingsDialog::setPrinters(const QStringList& entries, const QStringList& names,
                                 const QString& current) {
    printerNames_ = names;
    currentPrinter_ = current;
    printer_->clear();
    printer_->addItems(entries);
    listPrinter_->clear();
    listPrinter_->addItems(entries);
    pdfDriver_->clear();
    // Entries hold the name the settings store; the built-in writer's is the same in
    // both languages, so that a change of language keeps the chosen driver.
    pdfDriver_->addItem(QStringLiteral(" "), QString());
    pdfDriver_->addItem(caption(kBuiltInPdfCaption), builtInPdfDriver());
    for (const QString& name : names)
        pdfDriver_->addItem(name, name);
}

int SettingsDialog::printerIndex(const QComboBox* box, const QString& stored) const {
    for (int i = 0; i < box->count(); ++i) {
        if (standsFor(stored, printerNames_.value(i), box->itemText(i)))
            return i;
    }
    return printerNames_.indexOf(currentPrinter_);
}

QString SettingsDialog::chosenPrinter() const {
    return printerNames_.value(printer_->currentIndex());
}

void SettingsDialog::setCatalogue(const Catalogue& catalogue) {
    QStringList shown;
    for (const QString& e : catalogue.selectionList())
        shown << e.section(QLatin1Char('|'), 0, 0);
    // The blank entry stays in the batch list only: it is the choice of no identifier.
    dbCharge_->clear();
    dbCharge_->addItems(shown);
    const QStringList identifiers = shown.mid(1);
    scanList_->clear();
    scanList_->addItems(identifiers);
    // A slice goes nowhere, into one of the five text fields, or into the row of an
    // identifier; the scan module reads the stored position in this order.
    const Label plain;
    QStringList targets{QString()};
    for (const CaptionedText& t : plain.parties)
        targets << caption(206) + t.caption;
    for (const CaptionedText& t : plain.extras)
        targets << caption(206) + t.caption;
    targets << identifiers;
    for (auto& row : stellen_) {
        row[2]->clear();
        row[2]->addItems(targets);
    }
}

void SettingsDialog::load(const SettingsRecord& r, const QString& databasePath) {
    loaded_ = r;
    printer_->setCurrentIndex(printerIndex(printer_, r.drucker));
    fillPaperSources();
    paperSource_->setCurrentIndex(r.druckerschacht < paperSource_->count() ? r.druckerschacht : 0);
    (r.etikettentyp == 1 ? single_ : a4_)->setChecked(true);
    randOben_->setValue(r.randOben);
    randLinks_->setValue(r.randLinks);
    seiten_->setValue(r.seitenanzahl);
    skalierung_->setValue(r.druckerSkalierung);
    listPrinter_->setCurrentIndex(printerIndex(listPrinter_, r.listendrucker));
    pdfDriver_->setCurrentIndex(std::max(0, pdfDriver_->findData(r.pdfTreiber)));
    font_->setCurrentIndex(font_->findText(r.schriftart));
    linie_->setValue(r.linienstaerke);
    vergr_->setCurrentIndex(r.vergrFaktor);
    strich_->setValue(r.strichbreitenreduktion);
    tab_->setValue(r.tabWeite);
    zeile_->setValue(r.zeilenabstand);
    (r.sprache == 0 ? german_ : english_)->setChecked(true);
    letzt_->setChecked(r.letztDatei);
    raster_->setChecked(r.rasterLinien);
    autoSave_->setChecked(r.autoSpeichern);
    askSave_->setChecked(r.speichernFrage);
    askSave_->setDisabled(r.autoSpeichern);
    complete_->setChecked(r.autovervollstaendigen);
    felder_->setCurrentIndex(r.felderMarkier);
    backgroundColour_ = r.hintergrundfarbe;
    fieldColour_ = r.feldfarbe;
    paintButton(background_, backgroundColour_);
    paintButton(fields_, fieldColour_);
    fontSize_->setCurrentIndex(r.progSchriftgroesse);
    dbCharge_->setCurrentIndex(-1);
    for (int i = 0; i < dbCharge_->count(); ++i) {
        if (r.dbCharge.isEmpty() ||
            dbCharge_->itemText(i).startsWith(r.dbCharge, Qt::CaseInsensitive)) {
            dbCharge_->setCurrentIndex(i);
            break;
        }
    }
    dbPath_->setText(databasePath);
    scanVerhalten_->setCurrentIndex(r.scanVerhalten);
    scanEnde_->setCurrentIndex(r.scanEnde);
    QStringList entries;
    for (int i = 0; i < scanList_->count(); ++i)
        entries << scanList_->item(i)->text();
    scanList_->clearSelection();
    for (int i : scanListSelection(r.scanDBListe, entries))
        scanList_->item(i)->setSelected(true);
    fnc1Trenner_->setText(r.fnc1Trenner);
    fnc1Identifier_->setText(r.fnc1Identifier);
    barcodeIdentifier_->setText(r.barcodeIdentifier);
    for (size_t i = 0; i < stellen_.size(); ++i) {
        stellen_[i][0]->setCurrentIndex(r.stellen[i].von);
        stellen_[i][1]->setCurrentIndex(r.stellen[i].bis);
        stellen_[i][2]->setCurrentIndex(r.stellen[i].db);
    }
    shownIndex_.clear();
    for (const QComboBox* box : findChildren<QComboBox*>())
        shownIndex_.insert(box, box->currentIndex());
    shownScanSelection_ = scanSelection();
}

QList<int> SettingsDialog::scanSelection() const {
    QList<int> rows;
    for (int i = 0; i < scanList_->count(); ++i) {
        if (scanList_->item(i)->isSelected())
            rows << i;
    }
    return rows;
}

bool SettingsDialog::leftAsShown(const QComboBox* box) const {
    return box->currentIndex() == shownIndex_.value(box, -1);
}

int SettingsDialog::chosenIndex(const QComboBox* box, int stored) const {
    return leftAsShown(box) ? stored : box->currentIndex();
}

SettingsRecord SettingsDialog::record() const {
    SettingsRecord r = loaded_;
    r.drucker = printer_->currentIndex() >= 0 ? printer_->currentText() : QString();
    r.druckerschacht = std::max(0, paperSource_->currentIndex());
    r.etikettentyp = single_->isChecked() ? 1 : 0;
    r.randOben = randOben_->value();
    r.randLinks = randLinks_->value();
    r.seitenanzahl = std::max(1, seiten_->value());
    r.druckerSkalierung = skalierung_->value();
    r.listendrucker = listPrinter_->currentIndex() >= 0 ? listPrinter_->currentText() : QString();
    r.pdfTreiber = pdfDriver_->currentData().toString();
    r.schriftart = font_->currentIndex() >= 0 ? font_->currentText() : QString();
    r.linienstaerke = linie_->value();
    r.vergrFaktor = chosenIndex(vergr_, loaded_.vergrFaktor);
    r.strichbreitenreduktion = strich_->value();
    r.tabWeite = tab_->value();
    r.zeilenabstand = zeile_->value();
    r.sprache = english_->isChecked() ? 1000 : 0;
    r.letztDatei = letzt_->isChecked();
    r.rasterLinien = raster_->isChecked();
    r.autoSpeichern = autoSave_->isChecked();
    r.speichernFrage = askSave_->isChecked();
    r.autovervollstaendigen = complete_->isChecked();
    r.felderMarkier = chosenIndex(felder_, loaded_.felderMarkier);
    r.hintergrundfarbe = backgroundColour_;
    r.feldfarbe = fieldColour_;
    r.progSchriftgroesse = chosenIndex(fontSize_, loaded_.progSchriftgroesse);
    if (!leftAsShown(dbCharge_))
        r.dbCharge = identifierCodeOf(dbCharge_->currentText());
    r.scanVerhalten = chosenIndex(scanVerhalten_, loaded_.scanVerhalten);
    r.scanEnde = chosenIndex(scanEnde_, loaded_.scanEnde);
    if (const QList<int> rows = scanSelection(); rows != shownScanSelection_) {
        QStringList entries, chosen;
        for (int i = 0; i < scanList_->count(); ++i)
            entries << scanList_->item(i)->text();
        for (int i : rows)
            chosen << entries[i];
        // Identifiers this language's list does not offer stay chosen.
        r.scanDBListe = scanListSetting(chosen + unlistedScanEntries(loaded_.scanDBListe, entries));
    }
    r.fnc1Trenner = fnc1Trenner_->text();
    r.fnc1Identifier = fnc1Identifier_->text();
    r.barcodeIdentifier = barcodeIdentifier_->text();
    for (size_t i = 0; i < stellen_.size(); ++i)
        r.stellen[i] = {chosenIndex(stellen_[i][0], loaded_.stellen[i].von),
                        chosenIndex(stellen_[i][1], loaded_.stellen[i].bis),
                        chosenIndex(stellen_[i][2], loaded_.stellen[i].db)};
    return r;
}

QString SettingsDialog::databasePath() const {
    return dbPath_->text().trimmed();
}

void SettingsDialog::confirm() {
    const SettingsRecord r = record();
    seiten_->setValue(r.seitenanzahl);
    saveSettingsRecord(settings_, r);
    loaded_ = loadSettingsRecord(settings_);
    hide();
    emit applied(loaded_, databasePath());
}

void SettingsDialog::cancel() {
    load(loadSettingsRecord(settings_), dbPath_->text());
    hide();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        showHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SettingsDialog::showHelp() {
    HelpWindow::showPage(settingsHelpPage(tabs_->currentIndex()));
}

void SettingsDialog::fillPaperSources() {
    paperSource_->clear();
    for (const QString& slot : PrinterSink::paperSources(chosenPrinter()))
        paperSource_->addItem(slot.left(24));
    paperSource_->setCurrentIndex(paperSource_->count() > 0 ? 0 : -1);
}

void SettingsDialog::setUpPrinter() {
    QPrinter printer;
    if (!chosenPrinter().isEmpty())
        printer.setPrinterName(chosenPrinter());
    printer.setCopyCount(std::max(1, seiten_->value()));
    QPrintDialog dialog(&printer, this);
    dialog.exec();
}

void SettingsDialog::chooseColour(QPushButton* button, int& colour) {
    const QColor c = QColorDialog::getColor(fromStored(colour), this);
    if (!c.isValid())
        return;
    colour = toStored(c);
    paintButton(button, colour);
}

void SettingsDialog::browseDatabase() {
    prompter_.tell(caption(785).arg(dbPath_->text()), Icon::Information);
    const QString chosen = QFileDialog::getOpenFileName(this, caption(786), dbPath_->text(),
                                                        QStringLiteral("Palomex.mdb (*.mdb)"));
    if (chosen.isEmpty())
        return;
    const QString folder = QFileInfo(chosen).absolutePath();
    const QString candidate = QDir(folder).filePath(QStringLiteral("Palomex.mdb"));
    if (QFileInfo::exists(candidate))
        dbPath_->setText(candidate);
    else
        prompter_.tell(caption(787).arg(folder), Icon::Critical);
}

namespace {
constexpr double kTestPageMarginMm = 10;
} // namespace

QSizeF SettingsDialog::scanTestPaper() const {
    // A sheet printer gets its A4; a label printer a label just large enough.
    if (a4_->isChecked())
        return {210, 297};
    const QSizeF extent = scanTestPageExtent(font_->currentText());
    return {std::ceil(extent.width() + 2 * kTestPageMarginMm),
            std::ceil(extent.height() + 2 * kTestPageMarginMm)};
}

bool SettingsDialog::printScanTestPage() {
    const SinkOpener open =
        openTestSink_ ? openTestSink_
                      : PrinterSink::opener(chosenPrinter(),
                                            caption(scanmsg::TestPageLine).trimmed(), prompter_);
    const std::unique_ptr<PageSink> sink = open(scanTestPaper(), false);
    if (!sink)
        return false; // the opener told why
    const bool drawn = drawScanTestPage(sink->painter(), {kTestPageMarginMm, kTestPageMarginMm},
                                        font_->currentText());
    const std::optional<QString> failed = sink->finish();
    if (!drawn || failed) {
        prompter_.tell(caption(scanmsg::TestPageFailed).arg(failed.value_or(QString())),
                       Icon::Critical);
        return false;
    }
    return true;
}

void SettingsDialog::saveScanTestPdf() {
    const QString path = choosePdf_();
    if (path.isEmpty())
        return;
    PdfSink sink(path, scanTestPaper(), caption(scanmsg::TestPageLine).trimmed());
    if (!sink.ok()) {
        prompter_.tell(caption(scanmsg::TestPageFailed).arg(sink.errorText()), Icon::Critical);
        return;
    }
    const bool drawn = drawScanTestPage(sink.painter(), {kTestPageMarginMm, kTestPageMarginMm},
                                        font_->currentText());
    const std::optional<QString> failed = sink.finish();
    if (!drawn || failed)
        prompter_.tell(caption(scanmsg::TestPageFailed).arg(failed.value_or(QString())),
                       Icon::Critical);
}

void SettingsDialog::testFnc1() {
    const Answer first =
        prompter_.ask(caption(scanmsg::PrintTestBarcode), Buttons::YesNoCancel, Icon::Warning);
    if (first == Answer::Cancel)
        return;
    // Without a printed page there is nothing to scan.
    if (first == Answer::Yes && !printScanTestPage())
        return;
    const std::optional<QString> scanned = askText_(caption(scanmsg::ScanTestBarcode));
    if (!scanned)
        return;
    const auto [identifier, separator] = detectFnc1(*scanned);
    if (identifier.isEmpty() || separator.isEmpty()) {
        prompter_.tellError(caption(scanmsg::Fnc1NotFound));
        return;
    }
    if (prompter_.ask(caption(scanmsg::Fnc1Found).arg(identifier, separator), Buttons::YesNo,
                      Icon::Question) != Answer::Yes)
        return;
    fnc1Identifier_->setText(identifier);
    fnc1Trenner_->setText(separator);
}

void SettingsDialog::testBarcodeIdentifier() {
    const std::optional<QString> scanned = askText_(caption(scanmsg::ScanBarcode));
    if (!scanned || scanned->isEmpty())
        return;
    const std::optional<QString> typed = askText_(caption(scanmsg::TypeBarcode));
    if (!typed || typed->isEmpty())
        return;
    const QString identifier = detectBarcodeIdentifier(*scanned, *typed);
    if (identifier.isEmpty()) {
        prompter_.tell(caption(scanmsg::NoIdentifier), Icon::Warning);
        return;
    }
    if (prompter_.ask(caption(scanmsg::IdentifierFound).arg(identifier), Buttons::YesNo,
                      Icon::Question) == Answer::Yes)
        barcodeIdentifier_->setText(identifier);
}

} // namespace palomex
