// RgbaImage: an 8-bit RGBA picture in memory, the currency of the PNG reader and writer
// and of the texture converter.
//
// Pixels are R, G, B, A bytes, rows top first, no padding. Sides are limited to
// kMaxImageSide so that no file can ask for an unbounded allocation.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

inline constexpr int32_t kMaxImageSide = 16384;

struct RgbaImage {
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels; // width * height * 4

    // A zero-filled image; false (and an empty image) for a side outside 1..kMaxImageSide
    // or when memory is short.
    bool allocate(int32_t w, int32_t h) {
        pixels.reset();
        width = height = 0;
        if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) {
            return false;
        }
        pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(w) * h * 4]());
        if (pixels == nullptr) {
            return false;
        }
        width = w;
        height = h;
        return true;
    }
    uint8_t* at(int32_t x, int32_t y) {
        return pixels.get() + (static_cast<size_t>(y) * width + x) * 4;
    }
    const uint8_t* at(int32_t x, int32_t y) const {
        return pixels.get() + (static_cast<size_t>(y) * width + x) * 4;
    }
};
