#pragma once
// The settings dialog: shows and edits the settings record, written at once on OK.

#include "app/SettingsRecord.h"
#include "output/PrintRun.h"

#include <QDialog>
#include <QHash>
#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace palomex {

class Catalogue;
class Prompter;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(const Settings& settings, Prompter& prompter, QWidget* parent = nullptr);

    // The printers as "name, port" entries (label and list printer), their names in
    // the same order, and the system's current printer, which the lists show where
    // the stored printer is not installed. The PDF driver list offers the names
    // after the built-in writer.
    void setPrinters(const QStringList& entries, const QStringList& names,
                     const QString& current = {});
    // The catalogue of the caption language, offered by the batch identifier, the scan
    // list and the slice targets; load() again to show a record in the new lists.
    void setCatalogue(const Catalogue& catalogue);
    // Shows the values of the record in the controls.
    void load(const SettingsRecord& record, const QString& databasePath);
    // The record as the controls hold it; a list the user left as load() set it keeps
    // the stored value, also one it could not show.
    SettingsRecord record() const;
    QString databasePath() const;

    // OK: writes every key and reports the new record; Cancel restores from the file.
    void confirm();
    void cancel();

    QTabWidget* tabs() const { return tabs_; }
    // Shows the printer tab with the PDF driver list focused and dropped down.
    void showPdfDriverChoice();
    // Shows the page of the character positions of other barcodes.
    void showScanPositions();

    // Asks for a line of text (a scan goes in like typing); nothing on Cancel.
    using TextAsker = std::function<std::optional<QString>(const QString& prompt)>;
    void setTextAsker(TextAsker asker) { askText_ = std::move(asker); }
    // The PDF file the test barcode is saved to; empty for none.
    void setPdfChooser(std::function<QString()> chooser) { choosePdf_ = std::move(chooser); }
    // Where the printed test barcode goes; the label printer chosen in the dialog
    // unless set.
    void setTestPageSink(SinkOpener opener) { openTestSink_ = std::move(opener); }

    // The "Testen" buttons of the scan tabs: find out which characters the
    // scanner sends for FNC1, and what it puts before other barcodes.
    void testFnc1();
    void testBarcodeIdentifier();
    // Writes the test barcode page to a PDF file, for a printer elsewhere.
    void saveScanTestPdf();

signals:
    void applied(const SettingsRecord& record, const QString& databasePath);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showHelp();
    void setUpPrinter();
    void fillPaperSources();
    void chooseColour(QPushButton* button, int& colour);
    void browseDatabase();
    bool printScanTestPage();
    QSizeF scanTestPaper() const;
    QList<int> scanSelection() const;
    bool leftAsShown(const QComboBox* box) const;
    int printerIndex(const QComboBox* box, const QString& stored) const;
    QString chosenPrinter() const;
    int chosenIndex(const QComboBox* box, int stored) const;

    const Settings& settings_;
    Prompter& prompter_;
    SettingsRecord loaded_;
    // What load() selected, to tell the user's choices from values left as stored.
    QHash<const QComboBox*, int> shownIndex_;
    QStringList printerNames_;
    QString currentPrinter_;
    QList<int> shownScanSelection_;
    QTabWidget* tabs_;
    QComboBox* printer_;
    QComboBox* paperSource_;
    QRadioButton* a4_;
    QRadioButton* single_;
    QSpinBox* randOben_;
    QSpinBox* randLinks_;
    QSpinBox* seiten_;
    QSpinBox* skalierung_;
    QComboBox* listPrinter_;
    QComboBox* pdfDriver_;
    QComboBox* font_;
    QLabel* fontSample_;
    QWidget* barcodeSample_;
    QSpinBox* linie_;
    QComboBox* vergr_;
    QSpinBox* strich_;
    QSpinBox* tab_;
    QSpinBox* zeile_;
    QRadioButton* german_;
    QRadioButton* english_;
    QCheckBox* letzt_;
    QCheckBox* raster_;
    QCheckBox* autoSave_;
    QCheckBox* askSave_;
    QCheckBox* complete_;
    QComboBox* felder_;
    QPushButton* background_;
    QPushButton* fields_;
    int backgroundColour_ = 0;
    int fieldColour_ = 0;
    QComboBox* fontSize_;
    QComboBox* dbCharge_;
    QLineEdit* dbPath_;
    QComboBox* scanVerhalten_;
    QComboBox* scanEnde_;
    QListWidget* scanList_;
    QLineEdit* fnc1Trenner_;
    QLineEdit* fnc1Identifier_;
    QLineEdit* barcodeIdentifier_;
    std::array<std::array<QComboBox*, 3>, 5> stellen_{};
    TextAsker askText_;
    std::function<QString()> choosePdf_;
    SinkOpener openTestSink_;
};

} // namespace palomex
