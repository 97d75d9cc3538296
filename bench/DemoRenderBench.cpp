// The whole bundled demo rendered as `ember render DEMO -o null.y4m` does it (the player's
// frame loop on a virtual clock, 30 frames per second, every frame converted and written
// to a .y4m that leads to /dev/null), at the three sizes of the performance table:
//
//   DemoRender/640/480/16     the board's dithered 16-bit look
//   DemoRender/1920/1440/32   clean 32-bit colour
//   DemoRender/3840/2880/32
//
// One iteration is one whole demo (2,221 frames; minutes at the largest size), so run
// with --benchmark_format=json (or --benchmark_out=FILE) and --benchmark_filter to
// choose. EMBER_BENCH_FRAMES=A:B renders only displayed frames A to B, for quick
// comparisons; EMBER_RASTER_THREADS sets the rasterising threads. Counters: frames,
// milliseconds per frame, and the real-time ratio (demo seconds per second).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "accel/RasterWorkers.h"
#include "ember/DemoRenderer.h"

namespace {

void DemoRender(benchmark::State& state) {
    DemoRenderOptions options;
    options.directory = EMBER_DEMO_DIRECTORY;
    options.width = static_cast<uint32_t>(state.range(0));
    options.height = static_cast<uint32_t>(state.range(1));
    options.colorMode =
        state.range(2) == 32 ? AccelColorMode::Clean32 : AccelColorMode::Authentic16;
    options.progress = false;
    if (const char* frames = std::getenv("EMBER_BENCH_FRAMES")) {
        long long first = 0, last = 0;
        if (std::sscanf(frames, "%lld:%lld", &first, &last) == 2) {
            options.firstFrame = first;
            options.lastFrame = last;
        }
    }
    char directory[] = "/tmp/ember-bench-XXXXXX";
    if (mkdtemp(directory) == nullptr) {
        state.SkipWithError("cannot make a temporary directory");
        return;
    }
    options.output = std::string(directory) + "/null.y4m";
    if (symlink("/dev/null", options.output.c_str()) != 0) {
        state.SkipWithError("cannot link the output to /dev/null");
        return;
    }
    int64_t frames = 0;
    for (auto _ : state) {
        try {
            renderDemo(options);
        } catch (const std::exception& failure) {
            state.SkipWithError(failure.what());
            break;
        }
        frames += options.lastFrame >= 0 ? options.lastFrame - options.firstFrame + 1 : 2221;
    }
    unlink(options.output.c_str());
    rmdir(directory);
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["ms/frame"] =
        benchmark::Counter(static_cast<double>(frames) / 1000.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(frames) / 30.0, benchmark::Counter::kIsRate);
    state.counters["threads"] = defaultRasterThreads();
}

} // namespace

BENCHMARK(DemoRender)
    ->Args({640, 480, 16})
    ->Args({1920, 1440, 32})
    ->Args({3840, 2880, 32})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
