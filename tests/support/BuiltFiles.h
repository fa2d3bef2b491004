#pragma once

// Where this build put the programs, libraries and data that the tests and benchmarks run or
// read. Each executable that needs some of them gets a small source written by the build
// (corvanel_built_files in cmake/BuiltFiles.cmake) that defines those it uses; no other unit
// holds a path of the checkout, so a clone at another path compiles them to the same objects
// and ccache serves them.

namespace built {

extern const char kCorvanelFile[];         // the command-line tool
extern const char kPelmarisFile[];         // the host program
extern const char kRealAddOnFile[];        // the add-on's shared library
extern const char kFakeAddOnFile[];        // the host's stand-in add-on, seven entry points
extern const char kFakeAddOnPartialFile[]; // the same with one entry point missing
extern const char kCatalogTestData[];      // tests/catalog/data
extern const char kStartupFloorFile[];     // a Qt program that does nothing, for bench_startup

} // namespace built
