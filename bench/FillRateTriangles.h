// The triangles of the fill-rate benchmarks, shared by bench_fill_rate (the software
// accelerator) and bench_gl_fill_rate (the same triangles through OpenGL): right
// triangles of about `area` pixels scattered over a 640x480 screen, with random vertex
// colours, 1 / w a plane over the screen (w 1 at the top row, 4 at the bottom) and
// texture coordinates of about one texel of a 256-texel texture per pixel near the top.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "accel/Accelerator.h"

namespace fillrate {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

// 1 / w is a plane over the screen (w 1 at the top row, 4 at the bottom), so that every
// triangle interpolates the same depth at a pixel.
inline float oowAt(float y) {
    return 1.0f - 0.75f * y / kHeight;
}

inline GrVertex makeVertex(float x, float y, std::mt19937& random) {
    std::uniform_real_distribution<float> color(64.0f, 255.0f);
    GrVertex v;
    v.x = std::nearbyint(x * 16.0f) / 16.0f;
    v.y = std::nearbyint(y * 16.0f) / 16.0f;
    v.r = color(random);
    v.g = color(random);
    v.b = color(random);
    v.a = 255.0f;
    v.oow = v.tmuvtx[0].oow = oowAt(v.y);
    v.ooz = 65535.0f * v.oow;
    // About one texel of the 256-texel level per pixel near the top of the screen.
    v.tmuvtx[0].sow = v.x * v.oow;
    v.tmuvtx[0].tow = v.y * v.oow;
    return v;
}

// Triangles of about `area` pixels (right triangles with legs sqrt(2 * area)).
inline std::vector<GrVertex> makeTriangles(double area, int32_t count) {
    std::mt19937 random(1234);
    const float leg = static_cast<float>(std::sqrt(2.0 * area));
    std::uniform_real_distribution<float> xs(0.0f, kWidth - leg);
    std::uniform_real_distribution<float> ys(0.0f, kHeight - leg);
    std::vector<GrVertex> vertices;
    for (int32_t i = 0; i < count; ++i) {
        const float x = xs(random), y = ys(random);
        vertices.push_back(makeVertex(x, y, random));
        vertices.push_back(makeVertex(x + leg, y, random));
        vertices.push_back(makeVertex(x, y + leg, random));
    }
    return vertices;
}

// Enough triangles of `area` pixels for about two screens of pixels.
inline int32_t triangleCount(double area) {
    return static_cast<int32_t>(std::max(8.0, 2.0 * kWidth * kHeight / area));
}

} // namespace fillrate
