#pragma once

// The demo company with its production is made by the command-line tool, which holds the
// add-on's own generation of consumption documents (the host never includes add-on code).
// The host runs it as a process of its own, and makes the demo alone when it is missing.

#include <QString>

namespace pelmaris {

// The tool beside the host's program.
QString DemoToolFile();

enum class TDemoOutcome {
    Made,                  // with its production
    InUse,                 // another program (or this one) has it open: left as it is
    MadeWithoutProduction, // no tool: the host made it alone
};

// The status line's note for a demo made without its production.
QString DemoWithoutProductionText(const QString& tool);

// Makes the demo company in `directory` again: "<tool> demo <directory>" when the tool is
// there (waiting for it), else CreateDemoCompany. EInOutError with the tool's own words
// when it fails.
TDemoOutcome RemakeDemoCompany(const QString& directory, const QString& tool);

} // namespace pelmaris
