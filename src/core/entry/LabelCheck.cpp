#include "entry/LabelCheck.h"

#include "app/Captions.h"
#include "db/LabelStore.h"
#include "entry/FieldContent.h"
#include "entry/NveNumbers.h"
#include "entry/NveStrings.h"
#include "output/PrintJob.h"
#include "output/PrintRun.h"

namespace palomex {

std::optional<QString> unfitValue(const Label& label) {
    if (label.anzahlProNVE < 1 || label.anzahlProNVE > kMaxLabelsPerNve)
        return caption(nvemsg::CopiesNotNumber).arg(label.anzahlProNVE);
    return overlongValue(encodeLabel(label));
}

std::optional<QString> labelRefusal(const Label& label, bool autoNve) {
    if (baseDigits(label.nveBasis).size() > kMaxBaseDigits)
        return caption(nvemsg::BaseTooLong);
    if (!baseAcceptable(label.nveBasis))
        return caption(nvemsg::BaseNotDigits).arg(label.nveBasis);
    const bool takenFromStore = autoNve && label.nveLaufNr.trimmed().isEmpty();
    if (!takenFromStore && !runningAcceptable(label.nveLaufNr))
        return caption(nvemsg::RunningNotNumber).arg(label.nveLaufNr);
    const std::optional<int> count = nveCountOf(label.anzahlNVEs);
    if (!count)
        return caption(nvemsg::CountNotNumber).arg(label.anzahlNVEs);
    if (const auto unfit = unfitValue(label))
        return unfit;
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const FieldContext context{i, fieldShown(label.format, i)};
        DataField field = label.fields[i];
        if (const auto problem = contentProblem(field, context))
            return problem;
        // A row that counts with the NVEs must still fit at the run's last one.
        if (i < Label::kAutoValueRows && field.autoValue && field.isRunningNumber()) {
            field.content = countingText(field.content, field.days, *count - 1);
            if (const auto problem = contentProblem(field, context))
                return problem;
        }
    }
    return std::nullopt;
}

} // namespace palomex
