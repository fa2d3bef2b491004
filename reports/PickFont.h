#pragma once

// Choosing the report font a printer prints closest to a number of characters per inch.

#include "platform/print/Printer.h"

#include <QString>
#include <vector>

namespace corvanel {

// The face of the current printer's fonts whose average character width at 10 points is
// nearest to (horizontal pixels per inch) / cpi; empty when it has none. Only fixed-pitch
// faces are considered: they are what stands in for the printer's own fonts here. A
// printer that cannot be used ends the operation by the silent abort.
QString PickFont(int cpi);

// The choice itself: the first font whose width is strictly nearer to the target than the
// best so far (which starts at width 0) wins; an exact match ends the search.
QString NearestFont(const std::vector<fw::TPrinterFont>& fonts, double targetWidth);

} // namespace corvanel
