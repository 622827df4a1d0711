#pragma once
// Whether a label can go out exactly as it stands. A value that does not fit where
// it goes is refused with the reason, never cut, padded or replaced: the command
// line asks before the entry window shows its values, every print before it takes
// an NVE.

#include "db/Label.h"

#include <optional>

namespace palomex {

// As many labels per NVE as the four places of their entry box hold.
inline constexpr int kMaxLabelsPerNve = 9999;

// The text for the user when a value of the label does not fit where it is kept: a
// text longer than its column (the entry boxes and the log hold as much), or labels
// per NVE outside 1 to 9999. Nothing when every value fits.
std::optional<QString> unfitValue(const Label& label);

// The text for the user when the label cannot be printed as it stands: an NVE base,
// running number or number of NVEs that is no number or out of range, a value that
// does not fit (unfitValue), or a data field content that would not reach its
// barcode as typed, also as a counting row holds it at the run's last NVE. Nothing when it can.
// With automatic NVE the running number may be empty, as it is taken from the stored highest.
std::optional<QString> labelRefusal(const Label& label, bool autoNve);

} // namespace palomex
