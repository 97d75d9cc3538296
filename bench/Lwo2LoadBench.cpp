// Loading a large LWO2 object: SceneObject::loadObject with the LWO2 reader on a
// generated file of 1,000,000 quadrangles (a wavy sheet of 1001 x 1001 points, four
// surfaces in bands, smoothed at 60 degrees, UV-mapped through a VMAP onto a small
// picture). Parsing, triangulation, smoothing-angle normals, point sharing and the
// picture's texture are all timed. The target is under a second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "content/Lwo2Object.h"
#include "content/PngFile.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

constexpr int32_t kSide = 1000; // quadrangles per row and column
constexpr int32_t kSurfaces = 4;

void put2(std::string& b, uint32_t v) {
    b += static_cast<char>(v >> 8);
    b += static_cast<char>(v);
}
void put4(std::string& b, uint32_t v) {
    put2(b, v >> 16);
    put2(b, v & 0xFFFF);
}
void putFloat(std::string& b, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put4(b, bits);
}
// A point index as VX: two bytes below 0xFF00, else four with a leading 0xFF.
void putIndex(std::string& b, uint32_t i) {
    if (i < 0xFF00) {
        put2(b, i);
    } else {
        put4(b, 0xFF000000u | i);
    }
}
std::string chunk(const char* id, const std::string& data, bool sub = false) {
    std::string b(id, 4);
    if (sub) {
        put2(b, static_cast<uint32_t>(data.size()));
    } else {
        put4(b, static_cast<uint32_t>(data.size()));
    }
    return b + data + (data.size() % 2 != 0 ? std::string(1, '\0') : std::string());
}

std::string generate() {
    const int32_t row = kSide + 1;
    std::string tags, pnts, pols = "FACE", ptag = "SURF", vmap = "TXUV";
    put2(vmap, 2);
    vmap += std::string("UV\0\0", 4);
    for (int s = 0; s < kSurfaces; ++s) {
        tags += "Band" + std::to_string(s) + std::string(1, '\0'); // 6 bytes: no pad
    }
    for (int32_t y = 0; y <= kSide; ++y) {
        for (int32_t x = 0; x <= kSide; ++x) {
            putFloat(pnts, x * 0.01f);
            putFloat(pnts, 0.2f * std::sin(x * 0.02f) * std::cos(y * 0.03f));
            putFloat(pnts, y * 0.01f);
            putIndex(vmap, static_cast<uint32_t>(y * row + x));
            putFloat(vmap, static_cast<float>(x) / kSide);
            putFloat(vmap, static_cast<float>(y) / kSide);
        }
    }
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; ++x) {
            const uint32_t i = static_cast<uint32_t>(y * row + x);
            put2(pols, 4);
            putIndex(pols, i);
            putIndex(pols, i + row);
            putIndex(pols, i + row + 1);
            putIndex(pols, i + 1);
            putIndex(ptag, static_cast<uint32_t>(y * kSide + x));
            put2(ptag, static_cast<uint32_t>(y * kSurfaces / kSide));
        }
    }
    std::string chunks = chunk("TAGS", tags) + chunk("PNTS", pnts) + chunk("VMAP", vmap) +
                         chunk("POLS", pols) + chunk("PTAG", ptag);
    std::string clip;
    put4(clip, 1);
    clip += chunk("STIL", std::string("band.png\0\0", 10), true);
    chunks += chunk("CLIP", clip);
    for (int s = 0; s < kSurfaces; ++s) {
        std::string surf = "Band" + std::to_string(s) + std::string(3, '\0'); // name, no source
        std::string sman;
        putFloat(sman, 1.047f);
        surf += chunk("SMAN", sman, true);
        std::string header = std::string("\x80\0", 2) + chunk("CHAN", "COLR", true);
        std::string block = chunk("IMAP", header, true);
        std::string value;
        put2(value, 5);
        block += chunk("PROJ", value, true);
        value.clear();
        put2(value, 1);
        block += chunk("IMAG", value, true) + chunk("VMAP", std::string("UV\0\0", 4), true);
        surf += chunk("BLOK", block, true);
        chunks += chunk("SURF", surf);
    }
    std::string file = "FORM";
    put4(file, static_cast<uint32_t>(chunks.size() + 4));
    return file + "LWO2" + chunks;
}

struct Scratch {
    char path[32] = "/tmp/ember-bench-XXXXXX";
    Scratch() {
        if (mkdtemp(path) == nullptr || chdir(path) != 0) {
            std::abort();
        }
        std::ofstream("sheet.lwo", std::ios::binary) << generate();
        RgbaImage picture;
        char message[128];
        if (!picture.allocate(64, 64) ||
            writePngFile("band.png", picture, message, sizeof message) != 1) {
            std::abort();
        }
    }
    ~Scratch() {
        if (chdir("/") == 0) {
            std::system(("rm -rf '" + std::string(path) + "'").c_str());
        }
    }
};

void loadLwo2Object(benchmark::State& state) {
    static Scratch scratch;
    readerExtensions().readOtherObject = &readLwo2Object;
    int32_t points = 0, triangles = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto textures = std::make_unique<TextureTable>();
        auto object = std::make_unique<SceneObject>();
        state.ResumeTiming();
        if (object->loadObject(*textures, "sheet.lwo") != 1) {
            state.SkipWithError("the generated object did not load");
            break;
        }
        points = object->mesh.pointCount;
        triangles = object->mesh.polygonCount;
        benchmark::DoNotOptimize(object->mesh.points.get());
        state.PauseTiming();
        object.reset();
        textures.reset();
        state.ResumeTiming();
    }
    readerExtensions().readOtherObject = nullptr;
    state.counters["polygons"] = kSide * kSide;
    state.counters["triangles"] = triangles;
    state.counters["points"] = points;
}

} // namespace

BENCHMARK(loadLwo2Object)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
