#pragma once
// The command line without a display: the workspace alone opens, runs the command
// and ends; no window is built, so a server's job can print.

#include "app/CommandLine.h"
#include "output/PrintRun.h"

#include <functional>

namespace palomex {

class Prompter;
class Workspace;

// The exit code of the command. device gives the sink a print goes to: the label
// printer of the settings unless told otherwise.
int runWithoutWindows(Prompter& prompter, const CommandRequest& request,
                      const std::function<SinkOpener(Workspace&)>& device = {});

} // namespace palomex
