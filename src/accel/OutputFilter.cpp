#include "accel/OutputFilter.h"

#include <cstring>

namespace {

uint32_t filterChannel(uint32_t left, uint32_t centre, uint32_t right, uint32_t shift,
                       uint32_t threshold) {
    const int32_t c = static_cast<int32_t>(centre >> shift & 0xFF);
    int32_t l = static_cast<int32_t>(left >> shift & 0xFF);
    int32_t r = static_cast<int32_t>(right >> shift & 0xFF);
    const int32_t t = static_cast<int32_t>(threshold);
    if (l - c > t || c - l > t) {
        l = c;
    }
    if (r - c > t || c - r > t) {
        r = c;
    }
    return static_cast<uint32_t>((l + 2 * c + r + 2) >> 2) << shift;
}

} // namespace

void applyOutputFilter(uint32_t* row, int32_t width, uint32_t* scratch) {
    if (width < 2) {
        return;
    }
    std::memcpy(scratch, row, static_cast<size_t>(width) * sizeof(uint32_t));
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t c = scratch[x];
        const uint32_t l = scratch[x > 0 ? x - 1 : x];
        const uint32_t r = scratch[x + 1 < width ? x + 1 : x];
        row[x] = (c & 0xFF000000u) | filterChannel(l, c, r, 16, 16) | filterChannel(l, c, r, 8, 8) |
                 filterChannel(l, c, r, 0, 16);
    }
}
