// Loading a large object: SceneObject::loadObject on generated files of 500,000 and
// 1,000,000 triangles (31,232 and 62,464 points, eight surfaces in bands, so points on
// band borders are split; planar and cylindrical mapping). The load should take time
// linear in the mesh: the 1,000,000-triangle file about twice the 500,000 one.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

namespace {

constexpr int32_t kGridWidth = 256; // points per row
constexpr int32_t kSurfaces = 8;

// A grid of points (kGridWidth per row, rows = triangles / 16 / kGridWidth) on a
// wavy sheet, covered many times over by triangles (i, i + 1, i + width) of cells
// spread over the grid; the surface is the band of rows the first point lies in.
std::string generate(int32_t triangleCount) {
    const int32_t rows = triangleCount / 16 / kGridWidth;
    const int32_t pointCount = rows * kGridWidth;
    std::vector<std::array<float, 3>> points;
    points.reserve(static_cast<size_t>(pointCount));
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < kGridWidth; ++c) {
            points.push_back({c * 0.01f, r * 0.01f, 0.1f * std::sin(c * 0.05f + r * 0.03f)});
        }
    }
    std::vector<std::array<uint16_t, 4>> triangles;
    triangles.reserve(static_cast<size_t>(triangleCount));
    const int32_t cells = pointCount - kGridWidth - 1;
    for (int32_t t = 0; t < triangleCount; ++t) {
        const int32_t i = static_cast<int32_t>((static_cast<int64_t>(t) * 7919) % cells);
        const auto surface = static_cast<uint16_t>(i / kGridWidth * kSurfaces / rows + 1);
        if (t % 2 == 0) {
            triangles.push_back({uint16_t(i), uint16_t(i + 1), uint16_t(i + kGridWidth), surface});
        } else {
            triangles.push_back(
                {uint16_t(i + 1), uint16_t(i + kGridWidth + 1), uint16_t(i + kGridWidth), surface});
        }
    }
    LwobWriter lwob;
    std::vector<std::string> names;
    for (int s = 0; s < kSurfaces; ++s) {
        names.push_back("Band" + std::to_string(s));
    }
    lwob.points(points).surfaceNames(names).triangles(triangles);
    for (int s = 0; s < kSurfaces; ++s) {
        LwobSurface surface;
        surface.color(uint8_t(30 * s), 128, 200).flags(0x104);
        if (s % 2 == 1) {
            surface.texture("CTEX", s % 4 == 1 ? "Planar Image Map" : "Cylindrical Image Map")
                .textureImage("band.iff")
                .textureFlags(2)
                .textureSize(1, 1, 1)
                .wrapWidth(2);
        }
        lwob.surface(names[s], surface);
    }
    const std::string path = "band" + std::to_string(triangleCount) + ".lwo";
    if (!lwob.write(path)) {
        std::abort();
    }
    return path;
}

// A temporary working directory for the generated files (and the error.txt lines of
// the missing texture), removed at exit.
struct ScratchDirectory {
    char path[32] = "/tmp/ember-bench-XXXXXX";
    ScratchDirectory() {
        if (mkdtemp(path) == nullptr || chdir(path) != 0) {
            std::abort();
        }
    }
    ~ScratchDirectory() {
        if (chdir("/") == 0) {
            std::system(("rm -rf '" + std::string(path) + "'").c_str());
        }
    }
};

// The generated files, written once.
const std::string& objectFile(int32_t triangleCount) {
    static ScratchDirectory scratch;
    static std::map<int32_t, std::string> files;
    auto found = files.find(triangleCount);
    if (found == files.end()) {
        found = files.emplace(triangleCount, generate(triangleCount)).first;
    }
    return found->second;
}

void loadObject(benchmark::State& state) {
    const int32_t triangleCount = static_cast<int32_t>(state.range(0));
    const std::string& path = objectFile(triangleCount);
    FILE* quiet = std::fopen("/dev/null", "w");
    setLoaderTraceStream(quiet);
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
    std::fclose(quiet);
    state.counters["triangles"] = triangleCount;
    state.counters["points"] = points;
    state.counters["triangles/s"] =
        benchmark::Counter(triangleCount, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(loadObject)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
