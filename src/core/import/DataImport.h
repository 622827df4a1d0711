#pragma once
// The data import run: one stored label per row of an external table, made from a
// template label whose fields are filled from the row by twenty field mappings.

#include "app/Prompter.h"
#include "app/Settings.h"
#include "db/LabelStore.h"
#include "import/ImportSource.h"

#include <QDateTime>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace palomex {

inline constexpr int kMappingCount = 20;

// The mapping boxes in the order of the label columns they fill.
namespace mapping {
inline constexpr int Name = 0;
inline constexpr int FirstParty = 1; // sender, receiver
inline constexpr int FirstField = 3; // data field k is FirstField + k
inline constexpr int FirstExtra = 13;
inline constexpr int NveBasis = 16;
inline constexpr int NveLaufNr = 17;
inline constexpr int AnzahlNVEs = 18;
inline constexpr int AnzahlProNVE = 19;
} // namespace mapping

// The label column that mapping box i fills ("EtikName", "DIText3", ...).
QString mappedColumn(int i);

// The caption beside each mapping box, from the label open in the main window: the
// captions of sender, receiver and additional texts, identifier and caption of each
// data field, the main window's captions of the number fields; a box whose label
// gives no caption is named in the caption language ("Datenfeld 3").
std::array<QString, kMappingCount> mappingCaptions(const Label& current);

// One mapping box's text, read: empty (the template's value stays), "[column]",
// "Heute + " NBSP n " Tage" (n days after today), or an expression (any other text,
// written with a leading "@" by the expression editor).
struct FieldMapping {
    enum class Kind { Empty, Column, DaysFromToday, Expression };
    Kind kind = Kind::Empty;
    QString text; // the column name, or the expression as written
    int days = 0;
};
FieldMapping parseMapping(const QString& text);
// The relative-date form the mapping lists offer.
QString daysFromTodayText(int days);

struct ImportPlan {
    QString templateName;
    std::array<QString, kMappingCount> mappings;
    // The label open in the main window: the identifier entries and automatic-value
    // controls of its data fields decide whether an imported content is stored in
    // the running-number or the today-plus-days form.
    Label current;
};

// False when every mapping box is empty: then there is nothing to import.
bool anyMapping(const ImportPlan& plan);

// An expression that gave the invalid-expression text for a row; the run went on.
struct ExpressionFailure {
    int row = 0; // 1-based row of the import table
    int box = 0;
    QString detail; // the evaluator's message with the place in the expression
};

// What ended a run early. Rows before it stay saved; its own row wrote nothing.
struct ImportError {
    int number = 0;
    QString text;    // names the row where a row failed
    QString mapping; // the text of the mapping box being computed, if any
};

struct ImportOutcome {
    int rows = 0; // rows of the import table
    int created = 0;
    int overwritten = 0;
    bool cancelled = false;
    std::vector<ExpressionFailure> failures;
    std::optional<ImportError> error;

    int processed() const { return created + overwritten; }
    int skipped() const { return rows - processed(); }
};

class DataImport {
public:
    DataImport(LabelStore& store, Prompter& prompter) : store_(store), prompter_(prompter) {}

    // Polled after every row: whether ESC is held; the user then confirms the cancel.
    void setEscapeCheck(std::function<bool()> escapeHeld) { escapeHeld_ = std::move(escapeHeld); }
    // Called after every row with the 1-based row and the row count.
    void setProgress(std::function<void(int row, int rows)> progress) {
        progress_ = std::move(progress);
    }

    // Each label is saved in a transaction of its own, so a failing row leaves the
    // stored labels as they were and the rows before it stay imported. Throws
    // AppError, having touched nothing, when no mapping box holds text.
    ImportOutcome run(const ImportTable& table, const ImportPlan& plan,
                      const QDateTime& now = QDateTime::currentDateTime());

private:
    LabelStore& store_;
    Prompter& prompter_;
    std::function<bool()> escapeHeld_;
    std::function<void(int, int)> progress_;
};

// The closing report of a run (information icon).
QString importReport(const ImportOutcome& outcome, const ImportPlan& plan);
// The message box text for the error that ended a run (critical icon).
QString importErrorText(const ImportError& error);

// The window's choices as kept in section Datenimport between runs.
struct ImportChoices {
    QString file;
    QString table;
    QString templateName;
    std::array<QString, kMappingCount> mappings;
    std::array<QString, kMappingCount> expressions; // last expression of each box
};
ImportChoices loadImportChoices(const Settings& settings);
void saveImportChoices(const Settings& settings, const ImportChoices& choices);
// Only the last expression of one box, as the expression editor keeps it.
void saveLastExpression(const Settings& settings, int box, const QString& expression);

} // namespace palomex
