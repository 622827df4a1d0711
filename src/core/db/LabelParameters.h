#pragma once
// The command line's field parameters applied to a loaded label.

#include "app/CommandLine.h"
#include "db/Label.h"

namespace palomex {

// Parameters 3 to 21 of an "open" or "print" line; absent ones and "-" keep the
// label's stored value.
void applyCommandParameters(Label& label, const CommandRequest& request);

} // namespace palomex
