#include "ui/app/CommandRun.h"

#include "app/AppError.h"
#include "app/Workspace.h"
#include "ui/output/PrinterSink.h"

namespace palomex {

int runWithoutWindows(Prompter& prompter, const CommandRequest& request) {
    Workspace workspace(prompter);
    try {
        workspace.open({});
    } catch (const AppError& e) {
        prompter.tell(startFailure(e), Icon::Critical);
        return 1;
    }
    const std::optional<int> code = workspace.runCommandLine(
        request, [&] { return workspace.print(PrinterSink::labelPrinter(workspace), true); });
    // Nobody can answer the save question: it keeps the label as it was stored.
    workspace.finish(workspace.record().left, workspace.record().top);
    return code.value_or(0);
}

} // namespace palomex
