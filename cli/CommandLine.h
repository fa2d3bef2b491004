#pragma once

// The command line of one command, read and checked before anything runs: apart from the
// program, so that it is tried with any arguments at all (fuzz/) without a company.

#include "cli/Command.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace corvanel::cli {

inline const QString ToolName = QStringLiteral("corvanel");

struct TCommandLine {
    enum TOutcome { Run, Help, Refused };
    TOutcome Outcome = Run;
    QString Error; // of a refused line: what to tell the user, line breaks included
};

// Reads `arguments` (those after the command's name) into `parser`: the command's options
// and --help, each at most once, and the one argument the command takes (none when it
// takes none).
TCommandLine ParseCommandLine(const TCommand& command, const QStringList& arguments, QCommandLineParser& parser);

} // namespace corvanel::cli
