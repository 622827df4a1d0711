#pragma once
// Where the elements of a label stand before anyone has moved them: the layout of
// a new label and of rows that store no positions.

#include "db/Label.h"

namespace palomex {

// Puts every layout element at its initial place (lines outside the outline).
void applyInitialLayout(Label& label);

// The defaults of a new label of its format: the height, the tops of the
// barcodes the format prints, and the sizes of every element.
void applyNewLabelDefaults(Label& label);

// The designations of sender, receiver and additional texts that are still a new
// label's, in either language, become those of the caption language; typed ones
// stay. True when one changed.
bool designationsInCaptionLanguage(Label& label);

// The label takes another format: its height and every element's top that still
// stand where a new label of its old format has them move to the new format's
// places; what the user placed stays where it is.
void takeFormat(Label& label, LabelFormat format);

// A new label of the format: the initial layout with that format's defaults.
Label newLabelOf(LabelFormat format);

// The label the program starts with and stores as its first label: the initial
// layout with the defaults of the default format.
Label initialLabel();

// A new label of the format as a stored row gives it back: the layout of a new
// label, with only the lines' lengths as extents. What a row does not store is
// taken from here.
Label storedNewLabel(LabelFormat format);

} // namespace palomex
