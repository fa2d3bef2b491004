#pragma once

#include <QString>

namespace pelmaris {

class TPelmarisHost;

// Saves pictures of the main window, its menus and each of the host's windows over the
// open company as PNG files in `directory` (for looking at the program without sitting
// at it). Returns the files written.
QStringList SaveScreenshots(TPelmarisHost& host, const QString& directory);

} // namespace pelmaris
