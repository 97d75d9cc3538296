#include "accel/Dither.h"

namespace {

// Classic recursive Bayer matrices; thresholds 0..N^2-1.
constexpr int32_t kBayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr int32_t kBayer2[2][2] = {{0, 2}, {3, 1}};

uint16_t quantise(int32_t v, int32_t levels, int32_t threshold) {
    return static_cast<uint16_t>(((v + (v >> 7)) * levels + threshold) >> 8);
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
            const int32_t threshold = (2 * k + 1) * 128 / cells;
            tables.thresholds[row * 4 + column] = static_cast<uint8_t>(threshold);
            DitherPosition& p = tables.positions[row * 4 + column];
            for (int32_t v = 0; v < 256; ++v) {
                p.red[v] = static_cast<uint16_t>(quantise(v, 31, threshold) << 11);
                p.green[v] = static_cast<uint16_t>(quantise(v, 63, threshold) << 5);
                p.blue[v] = quantise(v, 31, threshold);
            }
        }
    }
}

void buildLanes(DitherTables& tables) {
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t column = 0; column < 4; ++column) {
            for (int32_t k = 0; k < 4; ++k) {
                const uint32_t t = tables.thresholds[row * 4 + ((column + k) & 3)];
                tables.laneThresholds[row * 4 + column][k] = t | t << 16;
            }
            const uint32_t t = tables.thresholds[row * 4 + column];
            tables.positionThresholds[row * 4 + column] = t | t << 16;
        }
    }
}

struct AllTables {
    DitherTables disabled, twoByTwo, fourByFour;
    AllTables() {
        build(disabled, GR_DITHER_DISABLE);
        build(twoByTwo, GR_DITHER_2x2);
        build(fourByFour, GR_DITHER_4x4);
        buildLanes(disabled);
        buildLanes(twoByTwo);
        buildLanes(fourByFour);
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
