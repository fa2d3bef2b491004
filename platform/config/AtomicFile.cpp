#include "platform/config/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// Writes all of text at the descriptor's position; false on any error or short write.
bool WriteAll(int fd, const QByteArray& text)
{
    const char* data = text.constData();
    qsizetype left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// An open descriptor, closed when it goes; Close() reports the error a late write may
// only show at closing time.
class Descriptor final {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Close(); }
    bool IsOpen() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    bool Close()
    {
        if (fd_ < 0)
            return true;
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool CreateNew(const QByteArray& path, const QByteArray& text)
{
    Descriptor file(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.IsOpen())
        return false;
    if (WriteAll(file.Get(), text) && ::fsync(file.Get()) == 0 && file.Close())
        return true;
    ::unlink(path.constData());
    return false;
}

// The fallback when no temporary file can be made next to the file. Slower to recover
// from than a rename, so the old contents are kept at hand and written back on failure.
bool RewriteInPlace(const QByteArray& path, const QByteArray& text)
{
    Descriptor file(::open(path.constData(), O_RDWR | O_CLOEXEC));
    if (!file.IsOpen())
        return false;
    QFile reader;
    if (!reader.open(file.Get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return false;
    const QByteArray old = reader.readAll();
    reader.close();
    const auto replaceWith = [&](const QByteArray& contents) {
        return ::lseek(file.Get(), 0, SEEK_SET) == 0 && WriteAll(file.Get(), contents)
            && ::ftruncate(file.Get(), static_cast<off_t>(contents.size())) == 0 && ::fsync(file.Get()) == 0;
    };
    if (replaceWith(text))
        return file.Close();
    replaceWith(old);
    return false;
}

bool ReplaceExisting(const QByteArray& path, const struct stat& original, const QByteArray& text)
{
    QByteArray tempPath = path + ".XXXXXX";
    Descriptor temp(::mkstemp(tempPath.data()));
    if (!temp.IsOpen())
        return errno == EACCES || errno == EROFS || errno == EPERM ? RewriteInPlace(path, text) : false;
    // The file is shared: keep who may read and write it. Only a privileged writer can
    // keep the owner, and nobody else needs to.
    const bool ok = ::fchmod(temp.Get(), original.st_mode & 07777) == 0 && WriteAll(temp.Get(), text)
        && ::fsync(temp.Get()) == 0;
    if (ok) {
        [[maybe_unused]] const int kept = ::fchown(temp.Get(), original.st_uid, original.st_gid);
    }
    if (ok && temp.Close() && ::rename(tempPath.constData(), path.constData()) == 0)
        return true;
    ::unlink(tempPath.constData());
    return false;
}

} // namespace

bool SaveFileAtomically(const QString& fileName, const QByteArray& text)
{
    // Through a link to the file it names, so that the link stays a link.
    const QFileInfo info(fileName);
    const QString target = info.exists() ? info.canonicalFilePath() : fileName;
    const QByteArray path = QFile::encodeName(target);
    struct stat original {};
    if (::stat(path.constData(), &original) != 0)
        return errno == ENOENT && CreateNew(path, text);
    if (!S_ISREG(original.st_mode))
        return false;
    // A rename only needs the directory's permission: a file the user may not write
    // would be replaced all the same, and take the writer for its owner.
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return false;
    return ReplaceExisting(path, original, text);
}

} // namespace fw
