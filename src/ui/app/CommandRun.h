#pragma once
// The command line without a display: the workspace alone opens, runs the command
// and ends; no window is built, so a server's job can print.

#include "app/CommandLine.h"

namespace palomex {

class Prompter;

// The exit code of the command.
int runWithoutWindows(Prompter& prompter, const CommandRequest& request);

} // namespace palomex
