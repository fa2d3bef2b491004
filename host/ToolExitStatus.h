#pragma once

// What the exit status of the command-line tool says: the tool returns it, and pelmaris
// reads it when it has the tool make the demo company. It lives with the host, which the
// tool is built on, so that both depend on it and neither on the other's side.

namespace pelmaris {

enum TToolExitStatus : int {
    ExitDone = 0,    // the command did what was asked
    ExitStopped = 1, // the answer to a question (no --yes) stopped it; nothing was written
    ExitFailed = 2,  // a database or file error: the message is on stderr, nothing was written
    ExitRefused = 3, // it cannot be done as asked: bad arguments, no such company, document
                     // or group, a receipt not saved, nothing to report or to consume
    ExitInUse = 4,   // the company is open in another program: it was not made again
};

} // namespace pelmaris
