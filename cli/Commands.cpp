// The tool's commands. A new command is a module of its own and a line in each list below.
#include "cli/Command.h"

namespace corvanel::cli {

extern const TCommand RequirementCommand, ConsumeCommand, TraceCommand, IndexPricesCommand, DemoCommand, MigrateCommand,
    ImportParadoxCommand, ExpiringCommand, RecallCommand, DrillsCommand, ReverseCommand, LabelCommand, LotStatusCommand,
    QualityCommand, CostCommand, VarianceCommand, ChartCommand, MilkQualityCommand, MilkStatementCommand;

const std::vector<const TCommand*>& Commands()
{
    static const std::vector<const TCommand*> commands{
        &RequirementCommand, &ConsumeCommand, &ReverseCommand, &TraceCommand, &IndexPricesCommand, &DemoCommand, &MigrateCommand,
        &ImportParadoxCommand, &ExpiringCommand, &RecallCommand, &DrillsCommand, &LabelCommand, &LotStatusCommand,
        &QualityCommand, &CostCommand, &VarianceCommand, &ChartCommand, &MilkQualityCommand, &MilkStatementCommand,
    };
    return commands;
}

} // namespace corvanel::cli
