#include "platform/db/OutputFile.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/DbMessages.h"
#include "platform/db/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether any entry of the directory is that file (entries followed where they are links).
bool DirectoryHolds(const QString& directory, const struct stat& file)
{
    DIR* dir = ::opendir(QFile::encodeName(directory).constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name, &info, 0) == 0 && SameFile(info, file)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// The names a database's own files take in its directory, a new file of which would be
// taken for one of them (a log the engine would replay, a connection file naming a server).
bool IsDatabaseFileName(const QString& name)
{
    return name.startsWith(DatabaseFileName(), Qt::CaseInsensitive)
        || name.startsWith(TServerDatabase::FileName(), Qt::CaseInsensitive);
}

} // namespace

void CheckOutputFile(const QString& fileName)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    QString path = fileName;
    // A link to nothing makes the file it names: that file is judged.
    const QFileInfo asGiven(fileName);
    if (asGiven.isSymLink() && !asGiven.exists())
        path = asGiven.symLinkTarget();
    struct stat target {};
    if (::stat(QFile::encodeName(path).constData(), &target) == 0) {
        if (!S_ISREG(target.st_mode))
            throw EInOutError(dbmsg::OutputNotRegularFile(shown));
        for (const QString& directory : Connection::OpenDirectories())
            if (DirectoryHolds(directory, target))
                throw EInOutError(dbmsg::OutputIsDatabaseFile(shown, QDir::toNativeSeparators(directory)));
        return;
    }
    if (errno != ENOENT)
        return;
    const QFileInfo file(path);
    struct stat parent {};
    if (!IsDatabaseFileName(file.fileName()) || ::stat(QFile::encodeName(file.absolutePath()).constData(), &parent) != 0)
        return;
    for (const QString& directory : Connection::OpenDirectories()) {
        struct stat open {};
        if (::stat(QFile::encodeName(directory).constData(), &open) == 0 && SameFile(open, parent))
            throw EInOutError(dbmsg::OutputIsDatabaseFile(shown, QDir::toNativeSeparators(directory)));
    }
}

} // namespace fw
