#pragma once

// The tool's working directory for one run, in the system's temporary folder, named
// "corvanel-lucru-<process id>-XXXXXX" and readable by its user alone. It goes at the end of
// the run, also when the run is ended by SIGTERM, SIGINT or SIGHUP (the process then ends by
// that signal as it would have), whenever the signal comes: the handler stands before the
// directory is made, and a signal that comes while it is being removed at the end waits
// until it is gone. Directories of that name that runs of this user left behind
// when they died otherwise (a kill -9, a power cut) are removed when a new one is made; those
// of live processes and of other users are left alone.

#include <QString>

namespace corvanel::cli {

class TRunDirectory final {
public:
    // EInOutError when it cannot be made.
    TRunDirectory();
    ~TRunDirectory();
    TRunDirectory(const TRunDirectory&) = delete;
    TRunDirectory& operator=(const TRunDirectory&) = delete;

    const QString& Path() const { return path_; }

private:
    QString path_;
    bool armed_ = false; // the signal handler removes it

};

} // namespace corvanel::cli
