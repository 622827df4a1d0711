#pragma once
// Prints the print log list page by page onto a printer or PDF writer.

#include <QString>
#include <QStringList>

class QPagedPaintDevice;

namespace palomex {

// A blank line, "Frachtmarker" in Arial 16, a blank line, then every list line
// indented by five blanks in the list font (Courier New 9), new pages as needed.
// Returns the number of pages.
int printLogList(QPagedPaintDevice& device, const QStringList& lines);

} // namespace palomex
