#pragma once

// Where the program writes a file the user names (a report's PDF, an export's CSV): never
// over a database this process has open, never into what is no regular file.

#include <QString>

namespace fw {

// Refuses, with EInOutError naming it, a file the user named for the program to write:
// - one that is there and is no regular file (a directory, a pipe, a device: writing would
//   replace it with a file, or feed the device);
// - one of the files of a directory whose database is open in this process (its tables and
//   their logs, its connection file, its settings and lock files, anything else in it),
//   compared by device and inode, so that a link to one of them or another name of the same
//   file is refused as the file itself is;
// - a new file that would take a name the database's own files take there (the tables'
//   file and its logs, the connection file).
// A link is judged by what it leads to. Anything else (a new file elsewhere, a file that
// cannot be looked at) is left to the writer, which says whether it could write it.
void CheckOutputFile(const QString& fileName);

} // namespace fw
