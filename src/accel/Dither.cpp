#include "accel/Dither.h"

namespace {

// Classic recursive Bayer matrices; thresholds 0..N^2-1.
constexpr int32_t kBayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr int32_t kBayer2[2][2] = {{0, 2}, {3, 1}};

// floor(v * levels / 255 + (2k + 1) / (2 * cells)), clamped to levels.
uint16_t quantise(int32_t v, int32_t levels, int32_t k, int32_t cells) {
    const int32_t numerator = 2 * v * levels * cells + (2 * k + 1) * 255;
    const int32_t q = numerator / (2 * 255 * cells);
    return static_cast<uint16_t>(q > levels ? levels : q);
}

void build(DitherTables& tables, GrDitherMode_t mode) {
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t column = 0; column < 4; ++column) {
            int32_t k = 0;
            int32_t cells = 1;
            if (mode == GR_DITHER_2x2) {
                k = kBayer2[row & 1][column & 1];
                cells = 4;
            } else if (mode != GR_DITHER_DISABLE) {
                k = kBayer4[row][column];
                cells = 16;
            }
            DitherPosition& p = tables.positions[row * 4 + column];
            for (int32_t v = 0; v < 256; ++v) {
                p.red[v] = static_cast<uint16_t>(quantise(v, 31, k, cells) << 11);
                p.green[v] = static_cast<uint16_t>(quantise(v, 63, k, cells) << 5);
                p.blue[v] = quantise(v, 31, k, cells);
            }
        }
    }
}

struct AllTables {
    DitherTables disabled, twoByTwo, fourByFour;
    AllTables() {
        build(disabled, GR_DITHER_DISABLE);
        build(twoByTwo, GR_DITHER_2x2);
        build(fourByFour, GR_DITHER_4x4);
    }
};

} // namespace

const DitherTables& ditherTables(GrDitherMode_t mode) {
    static const AllTables tables;
    if (mode == GR_DITHER_DISABLE) {
        return tables.disabled;
    }
    return mode == GR_DITHER_2x2 ? tables.twoByTwo : tables.fourByFour;
}
