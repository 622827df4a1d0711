#pragma once
// The command line's field parameters applied to a loaded label.

#include "app/CommandLine.h"
#include "db/Label.h"

#include <optional>

namespace palomex {

// Parameters 3 to 21 of a command line; absent ones and "-" keep the label's
// stored value. The text for the user when a parameter is no value of its field,
// or the label that results does not fit its entry boxes (see unfitValue) or, for
// a print, cannot be printed as given (see labelRefusal); the label must then not
// be used.
std::optional<QString> applyCommandParameters(Label& label, const CommandRequest& request,
                                              bool autoNve);

} // namespace palomex
