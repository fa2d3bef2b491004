#pragma once

#include <QString>

namespace fw {

// Path rules shared by the host and the add-on. Directory names may come from the host's
// settings in either form, so "/" and "\" both count as a separator here.

// The directory with exactly one separator at its end: "/srv/firma" and "/srv/firma/"
// both give "/srv/firma/", "/srv/firma//" gives "/srv/firma/"; a separator already there
// is kept as it is ("D:\Firma\" stays). An empty directory stays empty rather than
// becoming the root of the file system.
QString IncludeTrailingPathDelimiter(const QString& directory);

// directory + fileName with one separator between them; a bare fileName for an empty
// directory.
QString JoinPath(const QString& directory, const QString& fileName);

// The path with its extension replaced by extension (which brings its own dot); a name
// without extension gets extension appended. Only the last path element can have an
// extension, and a leading dot (".pelmaris") does not start one.
QString ChangeFileExt(const QString& path, const QString& extension);

// The host's own INI file, named after the process's executable (not a library loaded
// into it) with its extension replaced by ".INI": the one beside the executable when it is
// there (a program folder set up by hand), else the one in the user's configuration
// directory, beside the settings store: an installed program's folder is not the user's
// to write. Needs the application object.
QString HostIniFileName();
// The same choice for a given executable and configuration directory. Anything at the
// path beside the executable counts as there (a link to nothing too), so that a file which
// cannot be read is reported by its reader rather than passed over for another one.
QString ChooseHostIniFile(const QString& executable, const QString& configDirectory);

} // namespace fw
