// Loading a large object: SceneObject::loadObject on generated files of 500,000 and
// 1,000,000 triangles (31,232 and 62,464 points, eight surfaces in bands, so points on
// band borders are split; planar and cylindrical mapping). The load should take time
// linear in the mesh: the 1,000,000-triangle file about twice the 500,000 one.
//
// loadQuadObject: the same with quads (i, i + 1, i + width + 1, i + width) read by the
// triangulating reader of the ember tool, 500,000 and 1,000,000 quads on the same
// points; each quad becomes two triangles, so 1,000,000 quads should load within twice
// the time of 1,000,000 triangles.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "GeneratedObject.h"
#include "content/Triangulator.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

using generated_object::objectFile;

void load(benchmark::State& state, bool quads) {
    const int32_t triangleCount = static_cast<int32_t>(state.range(0));
    const std::string& path = objectFile(triangleCount, quads);
    readerExtensions().triangulatePolygons = quads ? &triangulatePolygon : nullptr;
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
    readerExtensions().triangulatePolygons = nullptr;
    state.counters[quads ? "quads" : "triangles"] = triangleCount;
    state.counters["points"] = points;
    state.counters[quads ? "quads/s" : "triangles/s"] =
        benchmark::Counter(triangleCount, benchmark::Counter::kIsIterationInvariantRate);
}

void loadObject(benchmark::State& state) {
    load(state, false);
}

void loadQuadObject(benchmark::State& state) {
    load(state, true);
}

} // namespace

BENCHMARK(loadObject)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadQuadObject)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
