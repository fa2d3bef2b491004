#pragma once

// What the exit status of the command-line tool says. pelmaris reads it too, when it has
// the tool make the demo company.

namespace corvanel::cli {

enum TExitStatus : int {
    ExitDone = 0,    // the command did what was asked
    ExitStopped = 1, // the answer to a question (no --yes) stopped it; nothing was written
    ExitFailed = 2,  // a database or file error: the message is on stderr, nothing was written
    ExitRefused = 3, // it cannot be done as asked: bad arguments, no such company, document
                     // or group, a receipt not saved, nothing to report or to consume
    ExitInUse = 4,   // the company is open in another program: it was not made again
};

} // namespace corvanel::cli
