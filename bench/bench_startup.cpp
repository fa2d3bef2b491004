// The command-line tool from its start to its first output, for command lines that draw
// nothing: help, an unknown command, a bad option, a command refused before it opens a
// company. Each is set against the floor of any Qt program (bench/floor: Qt's core library
// and a core application) and against starting a process at all (/bin/true). Wall times
// include waiting for a core on a busy machine; child_cpu_ms is the tool's own CPU time.
#include "tests/support/BuiltFiles.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Runs a program with its output thrown away; its exit status, and its CPU time added to cpuMs.
int Run(const std::vector<std::string>& args, double& cpuMs)
{
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    cpuMs += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
             + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each command line's CPU time per run, by the name of its benchmark.
std::map<std::string, double> g_childCpu;

void Start(benchmark::State& state, const std::string& name, const std::vector<std::string>& args, int expected)
{
    double cpuMs = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const int status = Run(args, cpuMs);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        if (status != expected) {
            state.SkipWithError("unexpected exit status");
            break;
        }
    }
    state.counters["child_cpu_ms"] = cpuMs / double(state.iterations());
    g_childCpu["Start/" + name] = cpuMs / double(state.iterations());
}

const std::string kTool = built::kCorvanelFile;

#define START_BENCHMARK(name, ...) \
    BENCHMARK_CAPTURE(Start, name, #name, __VA_ARGS__)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30)

START_BENCHMARK(Process, {"/bin/true"}, 0);
START_BENCHMARK(QtCoreFloor, {built::kStartupFloorFile}, 3);
START_BENCHMARK(Help, {kTool, "--help"}, 0);
START_BENCHMARK(UnknownCommand, {kTool, "--version"}, 3);
START_BENCHMARK(CommandHelp, {kTool, "consume", "--help"}, 0);
START_BENCHMARK(BadOption, {kTool, "trace", "--bogus"}, 3);
START_BENCHMARK(ConsumeRefused, {kTool, "consume"}, 3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The parent's CPU time means nothing here: the ratios are the wall times' and the tool's own.
    const double floor = g_childCpu["Start/QtCoreFloor"];
    const auto wall = [&](const std::string& name) { return reporter.times[name + "/iterations:30/manual_time"]; };
    for (const char* name : {"Help", "UnknownCommand", "CommandHelp", "BadOption", "ConsumeRefused"}) {
        const std::string key = std::string("Start/") + name;
        if (floor > 0 && wall("Start/QtCoreFloor") > 0)
            std::printf("%-32s / QtCoreFloor  wall %.2fx  tool CPU %.2fx\n", key.c_str(),
                        wall(key) / wall("Start/QtCoreFloor"), g_childCpu[key] / floor);
    }
    benchmark::Shutdown();
    return 0;
}
