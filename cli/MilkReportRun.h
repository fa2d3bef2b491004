#pragma once

// What the two milk commands share: the company and the month from the arguments, the
// milk settings of that company, the output checked before anything is read, and the
// figures written as CSV on standard output or as a PDF report.

#include "cli/Command.h"

#include <QDate>
#include <functional>
#include <memory>

namespace fw {
class Connection;
class TReport;
}

namespace corvanel {
struct TMilkSettings;
struct TProductionContext;
}

namespace corvanel::cli {

struct TMilkRun {
    fw::Connection& Engine;
    TProductionContext& Context;
    const TMilkSettings& Settings;
    QDate Month;
    QString FirmName;
};

// --csv prints `csv`; --pdf FILE writes the report `pdf` makes (owned by the object it
// returns) whole to FILE; ERefused when neither or both are asked, or the month is no month.
int RunMilkReport(const TArgs& args, const std::function<QString(const TMilkRun&)>& csv,
                  const std::function<std::unique_ptr<QObject>(const TMilkRun&, fw::TReport*&)>& pdf);

// The options both commands take.
std::vector<TOption> MilkReportOptions();

} // namespace corvanel::cli
