#include "cli/RunDirectory.h"

#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace corvanel::cli {

namespace {

const QString kPrefix = QStringLiteral("corvanel-lucru-");

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// What the signal handler removes: set before it is installed, so that it reads only
// what was there before it could run. One directory is covered at a time (a run makes one).
char gArmedPath[PATH_MAX];
volatile sig_atomic_t gArmed = 0;
std::array<struct sigaction, kSignals.size()> gPrevious{};

// Removes the files of a directory, then the directory, with system calls alone: this runs
// in a signal handler, where nothing that may allocate or lock is allowed.
void RemoveInHandler(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        alignas(dirent64) char buffer[4096];
        // Removing while reading may hide entries from the same pass: read again until a
        // pass removes nothing.
        for (int pass = 0; pass < 8; ++pass) {
            bool removed = false;
            ::lseek(fd, 0, SEEK_SET);
            ssize_t n;
            while ((n = ::getdents64(fd, buffer, sizeof buffer)) > 0) {
                for (ssize_t at = 0; at < n;) {
                    const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                    at += entry->d_reclen;
                    const char* name = entry->d_name;
                    const bool dots = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
                    if (!dots && ::unlinkat(fd, name, 0) == 0)
                        removed = true;
                }
            }
            if (!removed)
                break;
        }
        ::close(fd);
    }
    ::rmdir(path);
}

void EndedBySignal(int signal)
{
    const int saved = errno;
    if (gArmed)
        RemoveInHandler(gArmedPath);
    // Installed to run once: the signal, raised again, now ends the process as it would have.
    ::raise(signal);
    errno = saved;
}

void Arm(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (gArmed || bytes.size() >= PATH_MAX)
        return;
    std::memcpy(gArmedPath, bytes.constData(), size_t(bytes.size()) + 1);
    gArmed = 1;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(kSignals[i], nullptr, &current);
        gPrevious[i] = current;
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = EndedBySignal;
        ::sigemptyset(&action.sa_mask);
        action.sa_flags = static_cast<int>(SA_RESETHAND); // the flag is the sign bit of an int field
        ::sigaction(kSignals[i], &action, nullptr);
    }
}

void Disarm()
{
    if (!gArmed)
        return;
    for (size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    gArmed = 0;
}

bool ProcessIsGone(qint64 pid) { return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }

// Working directories of this user's runs that died without removing theirs.
void RemoveStale(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^corvanel-lucru-(\\d+)-[A-Za-z0-9]{6}$"));
    const QFileInfoList entries =
        QDir(folder).entryInfoList({kPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry.fileName());
        if (match.hasMatch() && entry.ownerId() == ::geteuid() && ProcessIsGone(match.captured(1).toLongLong()))
            QDir(entry.filePath()).removeRecursively();
    }
}

} // namespace

TRunDirectory::TRunDirectory()
{
    const QString folder = QDir::tempPath();
    RemoveStale(folder);
    QByteArray pattern = QFile::encodeName(QDir(folder).filePath(kPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX")));
    // A signal between making the directory and arming the handler would leave it behind:
    // the signals wait until the handler stands, then find the directory to remove.
    sigset_t ending, previous;
    sigemptyset(&ending);
    for (const int signal : kSignals)
        sigaddset(&ending, signal);
    ::pthread_sigmask(SIG_BLOCK, &ending, &previous);
    const bool made = ::mkdtemp(pattern.data()) != nullptr;
    path_ = QFile::decodeName(pattern);
    if (made)
        Arm(path_);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!made)
        throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(path_));
}

TRunDirectory::~TRunDirectory()
{
    if (gArmed && QFile::encodeName(path_) == gArmedPath)
        Disarm();
    QDir(path_).removeRecursively();
}

} // namespace corvanel::cli
