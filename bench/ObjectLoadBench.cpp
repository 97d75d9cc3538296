// Loading a large object: SceneObject::loadObject on generated files of 500,000 and
// 1,000,000 triangles (31,232 and 62,464 points, eight surfaces in bands, so points on
// band borders are split; planar and cylindrical mapping). The load should take time
// linear in the mesh: the 1,000,000-triangle file about twice the 500,000 one.
//
// loadQuadObject: 500,000 and 1,000,000 quads (i, i + 1, i + width + 1, i + width) on the
// same points, read by the triangulating reader of the ember tool. loadConvertedObject:
// the all-triangle file `ember convert object` makes of each quad file (the same
// 1,000,000 and 2,000,000 triangles), read by the player's reader. Triangulating on load
// should cost at most twice loading the converted triangles.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "GeneratedObject.h"
#include "content/Triangulator.h"
#include "ember/ObjectConversion.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

using generated_object::objectFile;

// The file `ember convert object` makes of the quad file of `quadCount` quads, written once.
const std::string& convertedFile(int32_t quadCount) {
    static std::map<int32_t, std::string> files;
    std::string& path = files[quadCount];
    if (path.empty()) {
        setLoaderTraceStream(nullptr);
        const std::string bytes = convertObject(objectFile(quadCount, true)).lwob;
        path = "converted" + std::to_string(quadCount) + ".lwo";
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fclose(out) != 0) {
            std::abort();
        }
    }
    return path;
}

enum class Form { triangles, quads, converted };

void load(benchmark::State& state, Form form) {
    const int32_t polygonCount = static_cast<int32_t>(state.range(0));
    const std::string& path = form == Form::converted
                                  ? convertedFile(polygonCount)
                                  : objectFile(polygonCount, form == Form::quads);
    readerExtensions().triangulatePolygons = form == Form::quads ? &triangulatePolygon : nullptr;
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
    state.counters[form == Form::triangles ? "triangles" : "quads"] = polygonCount;
    state.counters["points"] = points;
    state.counters[form == Form::triangles ? "triangles/s" : "quads/s"] =
        benchmark::Counter(polygonCount, benchmark::Counter::kIsIterationInvariantRate);
}

void loadObject(benchmark::State& state) {
    load(state, Form::triangles);
}

void loadQuadObject(benchmark::State& state) {
    load(state, Form::quads);
}

void loadConvertedObject(benchmark::State& state) {
    load(state, Form::converted);
}

} // namespace

BENCHMARK(loadObject)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadQuadObject)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadConvertedObject)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
