// Sub-pixel snapping of screen coordinates (pixels) to a sixteenth of a pixel.
//
// Two flavours exist because the drawing code uses two:
//   snapToSixteenth      objects: round to the nearest 1/16 by adding and subtracting
//                        786432 (3 × 2^18) in single precision. At that magnitude a float
//                        has exactly four fraction bits, so the addition rounds to 1/16
//                        (ties to even) and the subtraction is exact. This only works in
//                        single precision without contraction or fast-math; computing
//                        it in double, or letting the compiler fold the constant away,
//                        silently changes every vertex by up to 1/32 pixel.
//   truncateToSixteenth  flares and fire sprites: truncate towards zero to a multiple of
//                        1/16 (value × 16 truncated, times 0.0625). Done on floats, so a
//                        NaN or huge coordinate passes through without an integer
//                        conversion.
#pragma once

#include <cmath>

inline float snapToSixteenth(float pixels) {
    const float shifted = pixels + 786432.0f; // rounds to 1/16 pixel
    return shifted - 786432.0f;               // exact
}

inline float truncateToSixteenth(float pixels) {
    return std::trunc(pixels * 16.0f) * 0.0625f;
}
