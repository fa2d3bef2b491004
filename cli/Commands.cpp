// The tool's commands. A new command is a module of its own and a line in each list below.
#include "cli/Command.h"

namespace corvanel::cli {

extern const TCommand RequirementCommand, ConsumeCommand, TraceCommand, IndexPricesCommand, DemoCommand, MigrateCommand,
    ImportParadoxCommand, ExpiringCommand, RecallCommand, ReverseCommand, LabelCommand, LotStatusCommand, QualityCommand;

const std::vector<const TCommand*>& Commands()
{
    static const std::vector<const TCommand*> commands{
        &RequirementCommand, &ConsumeCommand, &ReverseCommand, &TraceCommand, &IndexPricesCommand, &DemoCommand, &MigrateCommand,
        &ImportParadoxCommand, &ExpiringCommand, &RecallCommand, &LabelCommand, &LotStatusCommand, &QualityCommand,
    };
    return commands;
}

} // namespace corvanel::cli
