// FrameBuffer: the device's two colour buffers and its depth buffer.
//
// Colour pixels are 16-bit RGB565 (the authentic mode) or 32-bit 0xFFRRGGBB (the clean
// mode), chosen when the buffers are made; the depth buffer holds one 16-bit value per
// pixel (W or Z, see PixelMath.h). Memory row 0 is the top row of the screen; the
// drawing code maps origin coordinates to memory rows. Drawing goes to the back
// buffer; swap() makes it the front buffer (the old front becomes the back buffer and
// keeps its pixels, as on the board).
//
// Read-back converts the front buffer to 8-bit RGBA, top row first, for presentation
// and image files; see OutputFilter.h for the optional presentation filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

inline constexpr int32_t kMaxFrameBufferSide = 16384;
// Every buffer has this many pixels after its last row, never part of the picture and
// never written, so that the fast spans can load a whole group of pixels starting at
// any pixel of the buffer.
inline constexpr size_t kFrameBufferSlack = 16;

// Fill `count` pixels or depths from `p` with one value: by memset when its bytes are
// all alike (clears to black and to the farthest depth), else a 64-bit word at a time
// (a plain loop is a store per value at our optimisation level).
void fillValues(uint16_t* p, size_t count, uint16_t value);
void fillValues(uint32_t* p, size_t count, uint32_t value);

class FrameBuffer {
public:
    // Allocates both colour buffers and the depth buffer. False when a side is outside
    // 1..kMaxFrameBufferSide or memory is short (the buffer is then released).
    bool allocate(int32_t width, int32_t height, bool rgb565);
    void release();

    bool isAllocated() const { return depth_ != nullptr; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool isRgb565() const { return rgb565_; }
    int32_t bytesPerPixel() const { return rgb565_ ? 2 : 4; }

    // Rows of the back buffer in its format (only the one matching isRgb565() exists).
    uint16_t* backRow16(int32_t memoryRow) {
        return color16_[back_].get() + static_cast<size_t>(memoryRow) * width_;
    }
    uint32_t* backRow32(int32_t memoryRow) {
        return color32_[back_].get() + static_cast<size_t>(memoryRow) * width_;
    }
    const uint16_t* frontRow16(int32_t memoryRow) const {
        return color16_[1 - back_].get() + static_cast<size_t>(memoryRow) * width_;
    }
    const uint32_t* frontRow32(int32_t memoryRow) const {
        return color32_[1 - back_].get() + static_cast<size_t>(memoryRow) * width_;
    }
    uint16_t* depthRow(int32_t memoryRow) {
        return depth_.get() + static_cast<size_t>(memoryRow) * width_;
    }

    void swap() { back_ = 1 - back_; }

    // Fills columns [x0, x1) of memory rows [row0, row1) of the back buffer with a
    // colour pixel (already in the buffer's format) and the depth buffer with `depth`.
    void fill(int32_t x0, int32_t row0, int32_t x1, int32_t row1, uint32_t pixel, uint16_t depth);

    // The pixel at (column, memory row) of the back or front buffer as 0xAARRGGBB, alpha
    // 255 (for tests and read-back).
    uint32_t backPixel(int32_t column, int32_t memoryRow) const;
    uint32_t frontPixel(int32_t column, int32_t memoryRow) const;
    uint16_t depthAt(int32_t column, int32_t memoryRow) const {
        return depth_[static_cast<size_t>(memoryRow) * width_ + column];
    }

private:
    uint32_t pixelOf(int32_t buffer, int32_t column, int32_t memoryRow) const;

    int32_t width_ = 0;
    int32_t height_ = 0;
    bool rgb565_ = true;
    int32_t back_ = 0;
    std::unique_ptr<uint16_t[]> color16_[2]; // RGB565 mode
    std::unique_ptr<uint32_t[]> color32_[2]; // 32-bit mode
    std::unique_ptr<uint16_t[]> depth_;
};
