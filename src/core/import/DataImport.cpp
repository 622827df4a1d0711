#include "import/DataImport.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "db/LabelStrings.h"
#include "import/Expression.h"
#include "import/ImportStrings.h"
#include "import/ScriptValue.h"

#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace palomex {

namespace {

const QString kSection = QStringLiteral("Datenimport");
const QChar kSep = QLatin1Char('|');
// The main window's captions of its four number fields, "NVE Basisnummer" first.
constexpr int kNveCaptions = 20;

// The engine's numbers for the same faults, which users know from earlier versions.
constexpr int kNoCurrentRecord = 3021;
constexpr int kItemNotFound = 3265;
constexpr int kTypeConversion = 3421;
constexpr int kInvalidName = 3125;
constexpr int kRowRefused = 3022;
// Refusals of the program's own, before anything is read, have no engine number.
constexpr int kOwnRefusal = 0;

// A row that cannot become a label; caught per row, so nothing of it is saved.
struct RowFailure {
    int number;
    QString text;
};

QString indexedKey(const char* stem, int i) {
    return QString::fromLatin1(stem) + QLatin1Char('(') + QString::number(i) + QLatin1Char(')');
}

// One row of the import table as the mappings see it.
class RowValues {
public:
    RowValues(const ImportTable& table, const QStringList& values)
        : table_(table), values_(values) {}

    QString column(const QString& name) const {
        const int index = table_.columnIndex(name);
        if (index < 0)
            throw RowFailure{kItemNotFound, caption(msg::ExprNoColumn).arg(name)};
        if (index >= values_.size())
            throw RowFailure{kItemNotFound,
                             caption(msg::ImportShortRow).arg(table_.columns[index])};
        return values_[index];
    }

    std::optional<QString> lookup(const QString& name) const {
        const int index = table_.columnIndex(name);
        if (index < 0 || index >= values_.size())
            return std::nullopt;
        return values_[index];
    }

private:
    const ImportTable& table_;
    const QStringList& values_;
};

// The caption of a number box, as the main window and the import window show it.
QString numberBoxCaption(int box) {
    return caption(kNveCaptions + box - mapping::NveBasis).simplified();
}

// A count column holds a whole number from 1 on; anything else would load back as 1
// and print a different run than the import file asked for.
int countValue(const QString& value, int box) {
    bool clean = false;
    const double n = tolerantNumber(value, &clean);
    if (!clean || n < 1 || n > 2147483647.0 || n != std::trunc(n))
        throw RowFailure{kTypeConversion,
                         caption(msg::ImportNotACount).arg(value, numberBoxCaption(box))};
    return static_cast<int>(n);
}

// The stored text of data field k: the running-number and today-plus-days forms
// where the main window's row counts automatically, so that an imported label
// prints like one entered by hand.
QString fieldText(int k, const QString& value, const DataField& shown) {
    if (k >= Label::kAutoValueRows || !shown.autoValue)
        return value;
    if (shown.isRunningNumber())
        return QStringLiteral("1") + kSep + QString::number(shown.days) + kSep + value;
    if (shown.isDate() && !script::parseDate(value)) {
        bool clean = false;
        const double days = tolerantNumber(value, &clean);
        if (clean && days == std::trunc(days) && std::fabs(days) < 1e6)
            return QStringLiteral("1") + kSep + QString::number(static_cast<long long>(days)) +
                   kSep + QString::number(shown.dateFormat);
    }
    return value;
}

void writeBox(Label& label, int box, const QString& value, const Label& shown) {
    if (box == mapping::Name) {
        if (value.isEmpty())
            throw RowFailure{kRowRefused, caption(msg::NameEmpty)};
        label.name = value;
    } else if (box < mapping::FirstField)
        label.parties[static_cast<size_t>(box - mapping::FirstParty)].text = value;
    else if (box < mapping::FirstExtra) {
        const int k = box - mapping::FirstField;
        DataField& f = label.fields[static_cast<size_t>(k)];
        // The text is stored as computed; the automatic forms are spelled out in it.
        f.autoValue = false;
        f.content = fieldText(k, value, shown.fields[static_cast<size_t>(k)]);
    } else if (box < mapping::NveBasis)
        label.extras[static_cast<size_t>(box - mapping::FirstExtra)].text = value;
    else if (box == mapping::NveBasis)
        label.nveBasis = value;
    else if (box == mapping::NveLaufNr)
        label.nveLaufNr = value;
    else if (box == mapping::AnzahlNVEs)
        label.anzahlNVEs = QString::number(countValue(value, box));
    else
        label.anzahlProNVE = countValue(value, box);
}

} // namespace

QString mappedColumn(int i) {
    if (i == mapping::Name)
        return QStringLiteral("EtikName");
    if (i < mapping::FirstField)
        return QStringLiteral("AbsEmpfText%1").arg(i - mapping::FirstParty);
    if (i < mapping::FirstExtra)
        return QStringLiteral("DIText%1").arg(i - mapping::FirstField);
    if (i < mapping::NveBasis)
        return QStringLiteral("ZusatzText%1").arg(i - mapping::FirstExtra);
    static const QStringList counts = {QStringLiteral("NVE_Basis"), QStringLiteral("NVE_LaufNr"),
                                       QStringLiteral("AnzahlNVEs"),
                                       QStringLiteral("AnzahlProNVE")};
    return counts.value(i - mapping::NveBasis);
}

std::array<QString, kMappingCount> mappingCaptions(const Label& current) {
    std::array<QString, kMappingCount> captions;
    captions[mapping::Name] = caption(msg::ImportNameCaption);
    for (int i = mapping::FirstParty; i < mapping::NveBasis; ++i) {
        QString shown;
        QString unnamed;
        if (i < mapping::FirstField) {
            const int k = i - mapping::FirstParty;
            shown = current.parties[static_cast<size_t>(k)].caption.simplified();
            unnamed = caption(k == 0 ? msg::SenderDesignation : msg::ReceiverDesignation);
        } else if (i < mapping::FirstExtra) {
            const int k = i - mapping::FirstField;
            const DataField& f = current.fields[static_cast<size_t>(k)];
            // The entry without its format code, as a user reads the identifier; its
            // caption after it unless the entry says the same already.
            const QString identifier = f.identifier.section(QLatin1Char('|'), 0, 0).simplified();
            const QString text = f.caption.simplified();
            QStringList parts{identifier};
            if (text != identifier.section(QLatin1Char(')'), 1).trimmed())
                parts << text;
            parts.removeAll(QString());
            shown = parts.join(QStringLiteral(" - "));
            unnamed = caption(msg::ImportFieldCaption).arg(k);
        } else {
            const int k = i - mapping::FirstExtra;
            shown = current.extras[static_cast<size_t>(k)].caption.simplified();
            unnamed = caption(msg::ExtraDesignation).arg(k);
        }
        captions[static_cast<size_t>(i)] = shown.isEmpty() ? unnamed : shown;
    }
    // The number boxes carry the captions of the main window's number fields.
    for (int i = mapping::NveBasis; i < kMappingCount; ++i)
        captions[static_cast<size_t>(i)] = numberBoxCaption(i);
    return captions;
}

FieldMapping parseMapping(const QString& text) {
    FieldMapping m;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return m;
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')) &&
        t.count(QLatin1Char('[')) == 1 && t.count(QLatin1Char(']')) == 1) {
        m.kind = FieldMapping::Kind::Column;
        m.text = t.mid(1, t.size() - 2);
        return m;
    }
    static const QRegularExpression relative(
        QStringLiteral("^Heute \\+[ \\x{00A0}]+(-?\\d{1,6}) Tage$"));
    if (const auto match = relative.match(t); match.hasMatch()) {
        m.kind = FieldMapping::Kind::DaysFromToday;
        m.days = match.captured(1).toInt();
        return m;
    }
    m.kind = FieldMapping::Kind::Expression;
    m.text = t;
    return m;
}

QString daysFromTodayText(int days) {
    return QStringLiteral("Heute + ") + QChar(0x00A0) + QString::number(days) +
           QStringLiteral(" Tage");
}

bool anyMapping(const ImportPlan& plan) {
    return std::any_of(plan.mappings.begin(), plan.mappings.end(),
                       [](const QString& m) { return !m.trimmed().isEmpty(); });
}

ImportOutcome DataImport::run(const ImportTable& table, const ImportPlan& plan,
                              const QDateTime& now) {
    if (!anyMapping(plan))
        throw AppError(kOwnRefusal, kSection, caption(msg::ImportNoFields));
    ImportOutcome out;
    out.rows = static_cast<int>(table.rows.size());
    // Copied as stored: without the catalogue the automatic forms stay in their text.
    const auto stored = store_.load(plan.templateName);
    if (!stored) {
        out.error = ImportError{
            kNoCurrentRecord, caption(msg::ImportNoTemplate).arg(plan.templateName), {}};
        return out;
    }
    std::array<FieldMapping, kMappingCount> maps;
    for (int i = 0; i < kMappingCount; ++i)
        maps[static_cast<size_t>(i)] = parseMapping(plan.mappings[static_cast<size_t>(i)]);

    // One durable write per few hundred labels instead of one per label.
    LabelStore::Batch batch(store_);
    for (int r = 0; r < out.rows; ++r) {
        const RowValues row(table, table.rows[static_cast<size_t>(r)]);
        int box = -1;
        try {
            Label label = stored->label;
            for (box = 0; box < kMappingCount; ++box) {
                const FieldMapping& m = maps[static_cast<size_t>(box)];
                QString value;
                if (m.kind == FieldMapping::Kind::Empty && box != mapping::Name)
                    continue;
                if (m.kind == FieldMapping::Kind::Column) {
                    value = row.column(m.text);
                } else if (m.kind == FieldMapping::Kind::DaysFromToday && box != mapping::Name) {
                    value = now.date().addDays(m.days).toString(QStringLiteral("dd.MM.yyyy"));
                } else {
                    script::Environment env;
                    env.now = now;
                    env.expressionText = m.text;
                    const ExpressionResult result = holAusdruck(
                        m.text, [&row](const QString& c) { return row.lookup(c); }, env);
                    if (!result.valid) {
                        // A label named by the error text would take the place of
                        // another row's label; the name must come out right.
                        if (box == mapping::Name)
                            throw RowFailure{kInvalidName, result.detail};
                        out.failures.push_back({r + 1, box, result.detail});
                    }
                    value = result.text;
                }
                writeBox(label, box, value, plan.current);
            }
            box = -1;
            if (store_.save(label))
                ++out.overwritten;
            else
                ++out.created;
            batch.labelDone();
        } catch (const RowFailure& f) {
            out.error = ImportError{f.number, caption(msg::ImportInRow).arg(r + 1).arg(f.text),
                                    box >= 0 ? plan.mappings[static_cast<size_t>(box)] : QString()};
            return out;
        } catch (const AppError& e) {
            out.error =
                ImportError{e.number(), caption(msg::ImportInRow).arg(r + 1).arg(e.text()), {}};
            return out;
        }
        if (progress_)
            progress_(r + 1, out.rows);
        if (escapeHeld_ && escapeHeld_() &&
            prompter_.ask(caption(msg::ImportAskCancel), Buttons::YesNo, Icon::Question) ==
                Answer::Yes) {
            out.cancelled = true;
            break;
        }
    }
    return out;
}

QString importReport(const ImportOutcome& outcome, const ImportPlan& plan) {
    const int created = outcome.created;
    const int overwritten = outcome.overwritten;
    QString text = caption(msg::ImportReportHead).arg(plan.templateName).arg(outcome.processed());
    if (overwritten == 0) {
        text += caption(created == 1 ? msg::ImportNewOnly1 : msg::ImportNewOnlyN).arg(created);
    } else {
        text += caption(overwritten == 1 ? msg::ImportOverwrote1 : msg::ImportOverwroteN)
                    .arg(overwritten);
        text += caption(created == 1 ? msg::ImportNew1 : msg::ImportNewN).arg(created);
    }
    if (created == 0)
        text += caption(msg::ImportUniqueHint).arg(plan.mappings[mapping::Name]);
    if (outcome.skipped() > 0)
        text += caption(msg::ImportSkipped).arg(outcome.skipped());
    if (!outcome.failures.empty()) {
        QSet<int> rows;
        for (const ExpressionFailure& f : outcome.failures)
            rows.insert(f.row);
        const ExpressionFailure& first = outcome.failures.front();
        text += caption(msg::ImportExprFailed)
                    .arg(rows.size())
                    .arg(first.row)
                    .arg(mappedColumn(first.box), first.detail);
    }
    return text;
}

QString importErrorText(const ImportError& error) {
    QString text = caption(msg::ImportError).arg(error.number).arg(error.text);
    if (!error.mapping.isEmpty())
        text += caption(msg::ImportErrorField).arg(error.mapping);
    return text;
}

ImportChoices loadImportChoices(const Settings& settings) {
    ImportChoices c;
    c.file = settings.get(kSection, QStringLiteral("ImportDatei"));
    c.table = settings.get(kSection, QStringLiteral("ImportTabelle"));
    c.templateName = settings.get(kSection, QStringLiteral("ImportEtikett"));
    for (int i = 0; i < kMappingCount; ++i) {
        c.mappings[static_cast<size_t>(i)] = settings.read(kSection, indexedKey("DatenCombo", i));
        c.expressions[static_cast<size_t>(i)] = settings.read(kSection, indexedKey("Ausdruck", i));
    }
    return c;
}

void saveImportChoices(const Settings& settings, const ImportChoices& c) {
    settings.write(kSection, QStringLiteral("ImportDatei"), c.file);
    settings.write(kSection, QStringLiteral("ImportTabelle"), c.table);
    settings.write(kSection, QStringLiteral("ImportEtikett"), c.templateName);
    for (int i = 0; i < kMappingCount; ++i) {
        settings.write(kSection, indexedKey("DatenCombo", i), c.mappings[static_cast<size_t>(i)]);
        settings.write(kSection, indexedKey("Ausdruck", i), c.expressions[static_cast<size_t>(i)]);
    }
}

void saveLastExpression(const Settings& settings, int box, const QString& expression) {
    settings.write(kSection, indexedKey("Ausdruck", box), expression);
}

} // namespace palomex
