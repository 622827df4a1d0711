#include "db/LabelParameters.h"

#include "app/Captions.h"
#include "entry/LabelCheck.h"
#include "entry/NveStrings.h"

namespace palomex {

std::optional<QString> applyCommandParameters(Label& label, const CommandRequest& request,
                                              bool autoNve) {
    const auto set = [&request](int n, QString& target) {
        if (const auto value = request.parameter(n))
            target = *value;
    };
    // The only parameter that is not kept as text: "12x" must not count as 12.
    if (const auto value = request.parameter(param::AnzProNVE)) {
        bool ok = false;
        label.anzahlProNVE = value->toInt(&ok);
        if (!ok)
            return caption(nvemsg::CopiesNotNumber).arg(*value);
    }
    set(param::NveBasis, label.nveBasis);
    set(param::NveLaufNr, label.nveLaufNr);
    set(param::AnzahlNVEs, label.anzahlNVEs);
    for (int i = 0; i < Label::kFieldCount; ++i)
        set(param::FirstDIText + i, label.fields[i].content);
    for (int i = 0; i < Label::kExtraCount; ++i)
        set(param::FirstZusatzText + i, label.extras[i].text);
    set(param::AbsenderText, label.parties[0].text);
    set(param::EmpfaengerText, label.parties[1].text);
    const bool printing =
        request.command() == Command::Print || request.command() == Command::FilePrint;
    return printing ? labelRefusal(label, autoNve) : unfitValue(label);
}

} // namespace palomex
