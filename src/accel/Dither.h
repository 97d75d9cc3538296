// Ordered dither: how 8-bit channels become the 5-6-5 bits of a 16-bit pixel.
//
// Each screen position (x & 3, y & 3) has a rank k from a Bayer matrix (4x4, or the
// 2x2 matrix repeated) and with it a threshold t = (2k + 1) * 128 / N^2 (0 < t < 256,
// evenly spread); a channel value v (0..255) becomes
//     q = (e(v) * (2^n - 1) + t) >> 8,   e(v) = v + (v >> 7)  (0..255 onto 0..256)
// with n the channel's bits. Averaged over the matrix this is e(v) * (2^n - 1) / 256
// without bias, so smooth Gouraud ramps keep their mean colour; 0 stays 0 and 255 stays
// full. (e(v) differs from v * 256 / 255 by less than a quarter of an 8-bit step.) With
// dithering disabled t is 128 everywhere: rounding to nearest. The formula is all
// 16-bit integer arithmetic, so the fast spans compute it four pixels at a time and the
// tables below give the same bits.
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
    uint8_t thresholds[16];       // t of each position, same index
    // For four consecutive pixels from column c on row r: lane k holds the threshold of
    // column c + k in both 16-bit halves; index (r & 3) * 4 + (c & 3).
    alignas(16) uint32_t laneThresholds[16][4];
    // The threshold of each position in both 16-bit halves, index as above: the first
    // lanes of laneThresholds side by side, for the sixteen-wide spans to permute.
    alignas(64) uint32_t positionThresholds[16];
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
