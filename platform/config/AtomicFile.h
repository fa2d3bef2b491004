#pragma once

#include <QByteArray>
#include <QString>

namespace fw {

// Replaces a file's contents so that a failure never leaves a truncated file behind: the
// new text goes to a temporary file in the same directory, which then takes the old
// file's place (keeping its permissions and, where allowed, its owner). A symbolic link
// is followed and stays a link. Where the directory does not let a temporary file be
// made, the file is rewritten in place and, should that fail halfway, its old contents
// are put back. A file that does not exist yet is created with the usual permissions.
// Every write is checked to its last byte (a full disk or a file-size limit shows up as
// a short write, which Qt's own save file takes for success). A file the user may not
// write is left alone, however writable its directory. False when the text could not be
// stored; the file is then as it was.
bool SaveFileAtomically(const QString& fileName, const QByteArray& text);

} // namespace fw
