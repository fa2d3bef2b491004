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

// What the signal handler removes: the directory's name pattern, set before the handler is
// installed, which mkdtemp turns into the name before it makes the directory (a handler
// that reads a name half written finds nothing of that name to remove). One directory is
// covered at a time (a run makes one).
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

// The signals a run ends by, as a set.
sigset_t EndingSignals()
{
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : kSignals)
        sigaddset(&ending, signal);
    return ending;
}

// Installs the handler over gArmedPath, which the caller has filled. The handler stands
// before the directory is made (mkdtemp writes its name into that very buffer before it
// makes it), so that a signal another thread takes finds the directory as soon as it is
// there; one that comes earlier removes nothing.
void Arm()
{
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
        // One ending at a time: another signal waits until the first has removed the directory.
        action.sa_mask = EndingSignals();
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

// Holds the ending signals off this thread while it lives; they come when it goes.
class TSignalsHeld final {
public:
    TSignalsHeld()
    {
        const sigset_t ending = EndingSignals();
        ::pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~TSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    TSignalsHeld(const TSignalsHeld&) = delete;
    TSignalsHeld& operator=(const TSignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

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
    const QByteArray pattern =
        QFile::encodeName(QDir(folder).filePath(kPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX")));
    if (gArmed || pattern.size() >= PATH_MAX) {
        // A second one in the same run (or a folder whose name is too long to keep for the
        // handler) is made without it, and removed only at its end.
        QByteArray name = pattern;
        const bool made = ::mkdtemp(name.data()) != nullptr;
        path_ = QFile::decodeName(name);
        if (!made)
            throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(path_));
        return;
    }
    bool made = false;
    {
        // This thread takes the signals only once the directory is made and its name known;
        // another thread may take one any time, and finds the handler standing.
        const TSignalsHeld held;
        std::memcpy(gArmedPath, pattern.constData(), size_t(pattern.size()) + 1);
        Arm();
        made = ::mkdtemp(gArmedPath) != nullptr;
        path_ = QFile::decodeName(QByteArray(gArmedPath));
        if (!made)
            Disarm();
    }
    if (!made)
        throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(path_));
    armed_ = true;
}

TRunDirectory::~TRunDirectory()
{
    if (!armed_) {
        QDir(path_).removeRecursively();
        return;
    }
    // A signal that comes while the directory goes waits for it to be gone, then ends the
    // process as it would have: never between the handler's going and the directory's.
    const TSignalsHeld held;
    QDir(path_).removeRecursively();
    Disarm();
}

} // namespace corvanel::cli
