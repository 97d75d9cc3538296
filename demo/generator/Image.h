// Image: the procedural pictures behind the demo's textures.
//
// An Image is a grid of RGBA colours, each channel a float in 0..1, row 0 at the top
// (the first row of a 3DF level). Noise is deterministic: the same seed gives the same
// picture on every machine, so the generated demo is reproducible.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Color {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

Color mix(Color a, Color b, float t);
Color scaled(Color c, float s); // colour times s, alpha kept
Color rgb(int r, int g, int b); // 0..255 bytes, opaque
float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);

struct Image {
    int32_t width = 0, height = 0;
    std::vector<Color> pixels; // row by row, top first

    Image() = default;
    Image(int32_t w, int32_t h, Color fill = {});
    Color& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y * width + x)]; }
    const Color& at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y * width + x)];
    }
    // Wrapping access, for tileable filters.
    const Color& wrapped(int32_t x, int32_t y) const;
    // Half size by 2x2 averaging (a side of 1 stays 1).
    Image halved() const;
    // Fills every pixel from f(u, v) with u, v in [0, 1) at the pixel centres.
    template <typename F>
    void paint(F f) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                at(x, y) = f((static_cast<float>(x) + 0.5f) / static_cast<float>(width),
                             (static_cast<float>(y) + 0.5f) / static_cast<float>(height));
            }
        }
    }
};

// Tileable value noise with period `period` cells over the unit square, 0..1.
float tileNoise(float u, float v, int32_t period, uint32_t seed);
// Sum of `octaves` tileable noises, each twice the frequency and half the weight, 0..1.
float tileFbm(float u, float v, int32_t period, int32_t octaves, uint32_t seed);
// A hash of integers to 0..1.
float hash01(int32_t x, int32_t y, uint32_t seed);
