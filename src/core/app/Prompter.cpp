#include "app/Prompter.h"

#include "app/Captions.h"

#include <cstdio>

namespace palomex {

void Prompter::tellError(const QString& text) {
    tellTitled(caption(msg::ErrorTitle), text, Icon::Critical);
}

Answer ConsolePrompter::ask(const QString& text, Buttons buttons, Icon icon) {
    const char* prefix = icon == Icon::Critical ? "palomex: " : "";
    std::fprintf(stderr, "%s%s\n", prefix, text.toLocal8Bit().constData());
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::NoYes:
        return Answer::No;
    }
    return Answer::Cancel;
}

} // namespace palomex
