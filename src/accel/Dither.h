// Ordered dither: how 8-bit channels become the 5-6-5 bits of a 16-bit pixel.
//
// Each screen position (x & 3, y & 3) has a threshold k from a Bayer matrix (4x4, or
// the 2x2 matrix repeated); a channel value v becomes
//     q = floor(v * (2^n - 1) / 255 + (k + 0.5) / N^2),  clamped to 2^n - 1,
// with n the channel's bits and N^2 the matrix size. Averaged over the matrix this is
// v * (2^n - 1) / 255 without bias, so smooth Gouraud ramps keep their mean colour.
// With dithering disabled every position rounds to nearest (k + 0.5 = N^2 / 2).
//
// The results sit in lookup tables, already shifted into place, so a pixel is three
// loads and two ORs: red[r] | green[g] | blue[b] of its position's row. Positions are
// frame-buffer positions (column, memory row), so the pattern stays fixed to the
// screen whichever origin is in force.
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"

struct DitherPosition {
    uint16_t red[256];   // r5 << 11
    uint16_t green[256]; // g6 << 5
    uint16_t blue[256];  // b5
};

struct DitherTables {
    DitherPosition positions[16]; // index (row & 3) * 4 + (column & 3)
};

// The tables of a dither mode (GR_DITHER_DISABLE, 2x2, 4x4; anything else: 4x4). Built
// once, shared, never freed.
const DitherTables& ditherTables(GrDitherMode_t mode);

inline const DitherPosition& ditherRow(const DitherTables& tables, int32_t column, int32_t row) {
    return tables.positions[((row & 3) << 2) | (column & 3)];
}

inline uint32_t ditherPixel(const DitherTables& tables, int32_t column, int32_t row, int32_t r,
                            int32_t g, int32_t b) {
    const DitherPosition& p = ditherRow(tables, column, row);
    return static_cast<uint32_t>(p.red[r] | p.green[g] | p.blue[b]);
}
