#include "db/LabelParameters.h"

namespace palomex {

void applyCommandParameters(Label& label, const CommandRequest& request) {
    const auto set = [&request](int n, QString& target) {
        if (const auto value = request.parameter(n))
            target = *value;
    };
    set(param::NveBasis, label.nveBasis);
    set(param::NveLaufNr, label.nveLaufNr);
    set(param::AnzahlNVEs, label.anzahlNVEs);
    if (const auto value = request.parameter(param::AnzProNVE))
        label.anzahlProNVE = value->trimmed().toInt();
    for (int i = 0; i < Label::kFieldCount; ++i)
        set(param::FirstDIText + i, label.fields[i].content);
    for (int i = 0; i < Label::kExtraCount; ++i)
        set(param::FirstZusatzText + i, label.extras[i].text);
    set(param::AbsenderText, label.parties[0].text);
    set(param::EmpfaengerText, label.parties[1].text);
}

} // namespace palomex
