// corvanel <command> [options]: the add-on's work on a company, without a display.
#include "cli/Program.h"

int main(int argc, char** argv) { return corvanel::cli::Main(argc, argv); }
