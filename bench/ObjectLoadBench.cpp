// Loading a large object: SceneObject::loadObject on generated files of 500,000 and
// 1,000,000 triangles (31,232 and 62,464 points, eight surfaces in bands, so points on
// band borders are split; planar and cylindrical mapping). The load should take time
// linear in the mesh: the 1,000,000-triangle file about twice the 500,000 one.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "GeneratedObject.h"
#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

using generated_object::objectFile;

void loadObject(benchmark::State& state) {
    const int32_t triangleCount = static_cast<int32_t>(state.range(0));
    const std::string& path = objectFile(triangleCount);
    setLoaderTraceStream(nullptr);
    int32_t points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto textures = std::make_unique<TextureTable>();
        auto object = std::make_unique<SceneObject>();
        state.ResumeTiming();
        if (object->loadObject(*textures, path.c_str()) != 1) {
            state.SkipWithError("the generated object did not load");
            break;
        }
        points = object->mesh.pointCount;
        benchmark::DoNotOptimize(object->mesh.points.get());
        state.PauseTiming();
        object.reset();
        textures.reset();
        state.ResumeTiming();
    }
    usePlayerDiagnostics();
    state.counters["triangles"] = triangleCount;
    state.counters["points"] = points;
    state.counters["triangles/s"] =
        benchmark::Counter(triangleCount, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(loadObject)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
