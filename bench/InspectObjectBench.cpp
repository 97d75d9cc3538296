// `ember inspect object FILE --full --json` on a generated object of 1,000,000 triangles
// (62,464 points; see GeneratedObject.h), run as a user runs it: the whole program, its
// output thrown away. Reports the wall time of a run, the program's processor time
// (user and system: the figure to trust on a busy machine) and its peak resident memory
// (wait4's ru_maxrss). The aim: under a second and under 300 MB, where building
// the output as one JSON tree took 8 s and 2.9 GB.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "GeneratedObject.h"

namespace {

struct ChildUsage {
    double cpuSeconds = 0.0;
    long peakKilobytes = -1; // -1: the run failed
};

ChildUsage runInspect(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(EMBER_PROGRAM, EMBER_PROGRAM, "inspect", "object", path.c_str(), "--full", "--json",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    ChildUsage result;
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return result;
    }
    result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    result.peakKilobytes = usage.ru_maxrss;
    return result;
}

void inspectObjectFull(benchmark::State& state) {
    const std::string& path = generated_object::objectFile(static_cast<int32_t>(state.range(0)));
    long peakKilobytes = 0;
    double cpuSeconds = 0.0;
    for (auto _ : state) {
        const ChildUsage usage = runInspect(path);
        if (usage.peakKilobytes < 0) {
            state.SkipWithError("ember inspect object failed");
            break;
        }
        peakKilobytes = std::max(peakKilobytes, usage.peakKilobytes);
        cpuSeconds += usage.cpuSeconds;
    }
    state.counters["triangles"] = static_cast<double>(state.range(0));
    state.counters["peakMB"] = static_cast<double>(peakKilobytes) / 1024.0;
    state.counters["cpuSeconds"] =
        benchmark::Counter(cpuSeconds, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(inspectObjectFull)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
