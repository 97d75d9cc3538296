// SpanContext: what a span function needs to shade the pixels of one row of a triangle.
//
// The rasteriser fills the per-triangle part (targets, state, texture, per-pixel steps)
// once per triangle and the start values once per span, then calls the span function
// selected for the current state (SpanSelection.h). Values at the i-th pixel of a span
// are start + i * step: colours in 16.16 fixed point (the start holds +0.5, so taking
// the integer part rounds), the others in single precision. Every span function computes
// exactly these values, so all of them produce the same bits.
#pragma once

#include <cstdint>

#include "accel/Dither.h"
#include "accel/FrameBuffer.h"
#include "accel/RenderState.h"
#include "accel/TextureCache.h"

struct SpanStart {
    int32_t r = 0, g = 0, b = 0, a = 0; // 16.16, 0..255 scale, +0.5 bias
    float oow = 0.0f;                   // vertex 1/w (W-buffer)
    float ooz = 0.0f;                   // vertex 65535/z (Z-buffer)
    float sow = 0.0f, tow = 0.0f;       // texture coordinates over w, 256-texel space
    float toow = 0.0f;                  // texture unit 1/w
};

struct SpanContext {
    FrameBuffer* buffer = nullptr;
    const RenderState* state = nullptr;
    const DitherTables* dither = nullptr;
    // The current texture, or nullptr: then every texel is opaque white.
    const DecodedTexture* texture = nullptr;
    // The texture unit's oow equals the vertex oow at all three vertices, so one
    // reciprocal serves depth and texture.
    bool sharedOow = false;

    // Per-pixel steps along x.
    int32_t dr = 0, dg = 0, db = 0, da = 0;
    float doow = 0.0f, dooz = 0.0f, dsow = 0.0f, dtow = 0.0f, dtoow = 0.0f;
    // Steps along y, for the level of detail.
    float dsowdy = 0.0f, dtowdy = 0.0f, dtoowdy = 0.0f;

    // Set by the span selection for the fast spans: the alpha unit's result when it is
    // the same at every pixel, and the constant colour's alpha.
    int32_t blendAlpha = 0;
    int32_t constantAlpha = 0;

    SpanStart start;

    uint64_t pixelsWritten = 0;
};

// Shades `count` pixels of memory row `memoryRow`, from column x on.
using SpanFunction = void (*)(SpanContext& context, int32_t memoryRow, int32_t x, int32_t count);

// The span function that honours every state, one pixel at a time.
void drawSpanGeneral(SpanContext& context, int32_t memoryRow, int32_t x, int32_t count);

// The value of a 16.16 colour iterator at pixel i, rounded and clamped to 0..255.
inline int32_t iteratedByte(int32_t start, int32_t step, int32_t i) {
    const uint32_t v =
        static_cast<uint32_t>(start) + static_cast<uint32_t>(step) * static_cast<uint32_t>(i);
    const int32_t value = static_cast<int32_t>(v) >> 16;
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}
