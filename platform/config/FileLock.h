#pragma once

#include <QString>
#include <memory>

namespace fw {

// An advisory lock on a file that several programs agree to take before they touch what
// it stands for (flock). An exclusive lock keeps out every other holder; shared locks
// keep out only an exclusive one. A lock belongs to the opening of the file, so two
// holders in one process keep each other out just as two processes do, and the system
// lets go of it when its process ends, however it ends. The lock file is made when
// missing and never removed: removing it would let a late comer lock a new file while
// someone still holds the old one.
class TFileLock final {
public:
    enum class TKind { Shared, Exclusive };

    // Takes the lock, waiting up to waitMs while someone holds one that keeps it out
    // (0: only tries). Null when it could not be had in that time. EInOutError when the
    // lock file can neither be opened nor made.
    static std::unique_ptr<TFileLock> Acquire(const QString& fileName, TKind kind, int waitMs);

    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

private:
    explicit TFileLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace fw
