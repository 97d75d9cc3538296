// SpanContext: what a span function needs to shade the pixels of a triangle's rows.
//
// The rasteriser fills the per-triangle part (targets, state, texture, per-pixel steps)
// once per triangle, then hands the triangle's spans over in batches (Span records with
// their start values) to the span function selected for the current state
// (SpanSelection.h). Batching lets a span function set up its per-triangle constants
// once rather than once per row, which is most of the cost of a small triangle. Values
// at the i-th pixel of a span are start + i * step: colours in 16.16 fixed point (the
// start holds +0.5, so taking the integer part rounds), the others in single precision.
// Every span function computes exactly these values, so all of them produce the same
// bits.
//
// Only plain data lives here: the SIMD span files, some compiled for instruction sets
// beyond the baseline, read these records without calling shared inline code.
#pragma once

#include <cstdint>

#include "accel/Dither.h"
#include "accel/RenderState.h"
#include "accel/TextureCache.h"

// Plain aggregates without member initialisers, so that the rasteriser's batch of spans
// costs nothing to declare; `SpanStart{}` is all zeros.
struct SpanStart {
    int32_t r, g, b, a; // 16.16, 0..255 scale, +0.5 bias
    float oow;          // vertex 1/w (W-buffer)
    float ooz;          // vertex 65535/z (Z-buffer)
    float sow, tow;     // texture coordinates over w, 256-texel space
    float toow;         // texture unit 1/w
};

// The pixels x <= column < x + count of memory row memoryRow (count >= 1, all inside
// the buffer and the clip window).
struct Span {
    int32_t memoryRow;
    int32_t x;
    int32_t count;
    SpanStart start;
};

// Spans per call of a span function (at most).
inline constexpr int32_t kSpanBatch = 32;

struct SpanContext;
struct RasterTriangle;
struct RasterVertex;

// Shades `count` spans (1..kSpanBatch) of the current triangle. No two spans of a call
// share a pixel (they are rows of one triangle): the fast spans read a group's depths
// and colours before they store the group before it.
using SpanFunction = void (*)(SpanContext& context, const Span* spans, int32_t count);

// Draws rows of a prepared triangle (see drawTriangleRows in Rasterizer.h).
using TriangleRowsFunction = void (*)(const RasterTriangle& triangle, const RasterVertex* corners,
                                      int32_t rowFrom, int32_t rowTo, SpanContext& context,
                                      SpanFunction span);

struct SpanContext {
    // The back buffer: colour rows of `width` pixels in the buffer's format (color16 in
    // RGB565 mode, else color32; the other is nullptr) and the depth rows. Refreshed
    // before every triangle, since a swap exchanges the colour buffers.
    bool rgb565 = true;
    uint16_t* color16 = nullptr;
    uint32_t* color32 = nullptr;
    uint16_t* depth = nullptr;
    int32_t width = 0;

    const RenderState* state = nullptr;
    const DitherTables* dither = nullptr;
    // The current texture, or nullptr: then every texel is opaque white.
    const DecodedTexture* texture = nullptr;
    // The current texture's levels for the eight-wide spans, by LOD (entries past the
    // smallest level unused): the level's first texel as an offset from texelBase, and
    // its shape widthMask | heightMask << 8 | stride << 16. Filled by the span selection.
    const uint32_t* texelBase = nullptr;
    alignas(32) int32_t levelOffset[16] = {};
    alignas(32) int32_t levelShape[16] = {};
    // The texture unit's oow equals the vertex oow at all three vertices, so one
    // reciprocal serves depth and texture.
    bool sharedOow = false;

    // How drawTriangleRows draws the rows: set by the span selection to the AVX-512 row
    // drawer (TriangleRows.h) on the fastest path of a processor that has it; nullptr:
    // the baseline's own.
    TriangleRowsFunction drawRows = nullptr;

    // Per-pixel steps along x.
    int32_t dr = 0, dg = 0, db = 0, da = 0;
    float doow = 0.0f, dooz = 0.0f, dsow = 0.0f, dtow = 0.0f, dtoow = 0.0f;
    // Steps along y, for the level of detail.
    float dsowdy = 0.0f, dtowdy = 0.0f, dtoowdy = 0.0f;

    // Set by the span selection for the fast spans: the alpha unit's result when it is
    // the same at every pixel, and the constant colour's alpha.
    int32_t blendAlpha = 0;
    int32_t constantAlpha = 0;

    uint64_t pixelsWritten = 0;
};

// The span function that honours every state, one pixel at a time.
void drawSpansGeneral(SpanContext& context, const Span* spans, int32_t count);
