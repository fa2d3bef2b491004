#pragma once

namespace corvanel::cli {

// The whole program: corvanel <command> [options]. Returns the exit status
// (host/ToolExitStatus.h).
int Main(int argc, char** argv);

} // namespace corvanel::cli
