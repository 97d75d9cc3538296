#include "accel/FrameBuffer.h"

#include <cstring>
#include <new>

#include "accel/PixelMath.h"

bool FrameBuffer::allocate(int32_t width, int32_t height, bool rgb565) {
    release();
    if (width < 1 || height < 1 || width > kMaxFrameBufferSide || height > kMaxFrameBufferSide) {
        return false;
    }
    width_ = width;
    height_ = height;
    rgb565_ = rgb565;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    const size_t allocated = pixels + kFrameBufferSlack;
    for (int32_t i = 0; i < 2; ++i) {
        if (rgb565) {
            color16_[i].reset(new (std::nothrow) uint16_t[allocated]());
        } else {
            color32_[i].reset(new (std::nothrow) uint32_t[allocated]());
        }
        if (color16_[i] == nullptr && color32_[i] == nullptr) {
            release();
            return false;
        }
    }
    depth_.reset(new (std::nothrow) uint16_t[allocated]);
    if (depth_ == nullptr) {
        release();
        return false;
    }
    std::memset(depth_.get(), 0xFF, allocated * sizeof(uint16_t));
    back_ = 0;
    return true;
}

void FrameBuffer::release() {
    for (int32_t i = 0; i < 2; ++i) {
        color16_[i].reset();
        color32_[i].reset();
    }
    depth_.reset();
    width_ = height_ = 0;
}

void FrameBuffer::fill(int32_t x0, int32_t row0, int32_t x1, int32_t row1, uint32_t pixel,
                       uint16_t depth) {
    if (!isAllocated() || x0 >= x1 || row0 >= row1) {
        return;
    }
    for (int32_t row = row0; row < row1; ++row) {
        uint16_t* depths = depthRow(row);
        if (rgb565_) {
            uint16_t* p = backRow16(row);
            for (int32_t x = x0; x < x1; ++x) {
                p[x] = static_cast<uint16_t>(pixel);
            }
        } else {
            uint32_t* p = backRow32(row);
            for (int32_t x = x0; x < x1; ++x) {
                p[x] = pixel;
            }
        }
        for (int32_t x = x0; x < x1; ++x) {
            depths[x] = depth;
        }
    }
}

uint32_t FrameBuffer::pixelOf(int32_t buffer, int32_t column, int32_t memoryRow) const {
    const size_t index = static_cast<size_t>(memoryRow) * width_ + column;
    if (rgb565_) {
        return rgb565ToArgb(color16_[buffer][index]);
    }
    return color32_[buffer][index] | 0xFF000000u;
}

uint32_t FrameBuffer::backPixel(int32_t column, int32_t memoryRow) const {
    return pixelOf(back_, column, memoryRow);
}

uint32_t FrameBuffer::frontPixel(int32_t column, int32_t memoryRow) const {
    return pixelOf(1 - back_, column, memoryRow);
}
