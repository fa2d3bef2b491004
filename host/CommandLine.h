#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

class QCoreApplication;

namespace pelmaris {

// The program's command line: pelmaris [director] [--demo] [--quit-after <ms>]
// [--screenshot <dir>], described in Romanian.
struct TCommandLine {
    TCommandLine();
    QCommandLineParser Parser;
    QCommandLineOption Demo;
    QCommandLineOption QuitAfter;
    QCommandLineOption Screenshot;
};

// Whether the command line asks only for the help text. That needs no display, so it is
// answered before the windowing system is started (which fails where there is none).
bool AsksForHelp(int argc, char** argv);
// Prints the help text in Romanian and returns the program's exit code.
int PrintHelp(int argc, char** argv);

} // namespace pelmaris
