#include "entry/LabelCheck.h"

#include "app/Captions.h"
#include "db/LabelStore.h"
#include "entry/FieldContent.h"
#include "entry/NveNumbers.h"
#include "entry/NveStrings.h"
#include "output/PrintJob.h"

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
    if (!nveCountOf(label.anzahlNVEs))
        return caption(nvemsg::CountNotNumber).arg(label.anzahlNVEs);
    if (const auto unfit = unfitValue(label))
        return unfit;
    for (int i = 0; i < Label::kFieldCount; ++i) {
        const FieldContext context{i, fieldShown(label.format, i)};
        if (const auto problem = contentProblem(label.fields[i], context))
            return problem;
    }
    return std::nullopt;
}

} // namespace palomex
