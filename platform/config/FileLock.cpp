#include "platform/config/FileLock.h"

#include "platform/core/Exceptions.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fw {

std::unique_ptr<TFileLock> TFileLock::Acquire(const QString& fileName, TKind kind, int waitMs)
{
    const QByteArray path = QFile::encodeName(fileName);
    // Read and write where allowed: a network file system grants an exclusive lock only
    // on a file open for writing. Where only reading is allowed, a local one still locks.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EInOutError(QStringLiteral("Fisierul de blocare <%1> nu poate fi deschis.").arg(QDir::toNativeSeparators(fileName)));

    const int operation = (kind == TKind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    const QDeadlineTimer deadline(waitMs);
    // Short naps: a holder keeps the lock for a few milliseconds, and a waiter that slept
    // longer would only find it taken again.
    unsigned long napUs = 200;
    for (;;) {
        if (::flock(fd, operation) == 0)
            return std::unique_ptr<TFileLock>(new TFileLock(fd));
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            break;
        QThread::usleep(napUs);
        napUs = qMin<unsigned long>(napUs * 2, 2000);
    }
    ::close(fd);
    return nullptr;
}

TFileLock::~TFileLock() { ::close(fd_); }

} // namespace fw
