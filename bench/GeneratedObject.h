// Large generated objects for the benchmarks: LWOB files on a grid of points (kGridWidth
// per row, rows = polygons / 16 / kGridWidth) on a wavy sheet, covered many times over by
// triangles (i, i + 1, i + width) or quads (i, i + 1, i + width + 1, i + width) of cells
// spread over the grid; eight surfaces in bands of rows (the band the first point lies
// in; points on band borders are split), half of them with a planar or cylindrical
// image map. objectFile(n, quads) writes the file of n polygons once into a scratch
// directory (the working directory from then on, removed at exit) and returns its name.
#pragma once

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "writers/LwobWriter.h"

namespace generated_object {

constexpr int32_t kGridWidth = 256; // points per row
constexpr int32_t kSurfaces = 8;

inline std::string generate(int32_t triangleCount, bool quads = false) {
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
    std::vector<LwobPolygon> quadList;
    triangles.reserve(static_cast<size_t>(triangleCount));
    const int32_t cells = pointCount - kGridWidth - 1;
    for (int32_t t = 0; quads && t < triangleCount; ++t) {
        const int32_t i = static_cast<int32_t>((static_cast<int64_t>(t) * 7919) % cells);
        const auto surface = static_cast<uint16_t>(i / kGridWidth * kSurfaces / rows + 1);
        quadList.push_back(
            {{uint16_t(i), uint16_t(i + 1), uint16_t(i + kGridWidth + 1), uint16_t(i + kGridWidth)},
             surface});
    }
    for (int32_t t = 0; !quads && t < triangleCount; ++t) {
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
    lwob.points(points).surfaceNames(names);
    if (quads) {
        lwob.polygons(quadList);
    } else {
        lwob.triangles(triangles);
    }
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
    const std::string path = (quads ? "quads" : "band") + std::to_string(triangleCount) + ".lwo";
    if (!lwob.write(path)) {
        std::abort();
    }
    return path;
}

// A temporary working directory for the generated files, removed at exit.
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
inline const std::string& objectFile(int32_t polygonCount, bool quads = false) {
    static ScratchDirectory scratch;
    static std::map<std::pair<int32_t, bool>, std::string> files;
    auto found = files.find({polygonCount, quads});
    if (found == files.end()) {
        found =
            files.emplace(std::make_pair(polygonCount, quads), generate(polygonCount, quads)).first;
    }
    return found->second;
}

} // namespace generated_object
