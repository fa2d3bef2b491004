#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

// Prints the usual table and keeps each benchmark's time per iteration, so that a run can
// end with the ratios between benchmarks measured in it.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes; // on a shared machine the steadier measure
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
            cpuTimes[r.benchmark_name()] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const std::string& a, const std::string& b)
    {
        if (times.count(a) && times.count(b) && times[b] > 0 && cpuTimes[b] > 0)
            std::printf("%-60s %.2fx (CPU %.2fx)\n", (a + " / " + b).c_str(), times[a] / times[b],
                        cpuTimes[a] / cpuTimes[b]);
    }
};
