#include "Image.h"

#include <algorithm>
#include <cmath>

Color mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

Color scaled(Color c, float s) {
    return {c.r * s, c.g * s, c.b * s, c.a};
}

Color rgb(int r, int g, int b) {
    return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
            static_cast<float>(b) / 255.0f, 1.0f};
}

float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Image::Image(int32_t w, int32_t h, Color fill)
    : width(w), height(h), pixels(static_cast<size_t>(w * h), fill) {}

const Color& Image::wrapped(int32_t x, int32_t y) const {
    x = ((x % width) + width) % width;
    y = ((y % height) + height) % height;
    return at(x, y);
}

Image Image::halved() const {
    const int32_t w = std::max(1, width / 2), h = std::max(1, height / 2);
    Image out(w, h);
    const int32_t sx = width / w, sy = height / h;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            Color sum{0, 0, 0, 0};
            for (int32_t j = 0; j < sy; ++j) {
                for (int32_t i = 0; i < sx; ++i) {
                    const Color& c = at(x * sx + i, y * sy + j);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
                }
            }
            const float n = 1.0f / static_cast<float>(sx * sy);
            out.at(x, y) = {sum.r * n, sum.g * n, sum.b * n, sum.a * n};
        }
    }
    return out;
}

float hash01(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float tileNoise(float u, float v, int32_t period, uint32_t seed) {
    const float x = u * static_cast<float>(period), y = v * static_cast<float>(period);
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const float tx = smoothstep(0.0f, 1.0f, x - fx), ty = smoothstep(0.0f, 1.0f, y - fy);
    const auto cell = [&](int32_t i, int32_t j) {
        return hash01(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    const float a = cell(ix, iy), b = cell(ix + 1, iy);
    const float c = cell(ix, iy + 1), d = cell(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float tileFbm(float u, float v, int32_t period, int32_t octaves, uint32_t seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int32_t o = 0; o < octaves; ++o) {
        sum += tileNoise(u, v, period << o, seed + static_cast<uint32_t>(o) * 7919u) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}
