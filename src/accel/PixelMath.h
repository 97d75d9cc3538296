// The arithmetic of one pixel, shared by every span function so that the fast paths and
// the general path produce the same bits.
//
// Colour products. Every product of two 0..255 values is x * y / 255 rounded to the
// nearest integer (mul255). Factors run 0..255 with 255 meaning 1, so a factor of ONE
// passes a value through exactly and ZERO removes it; 1 - f is 255 - f. A signed term
// (other - local, -local) is scaled by its magnitude and given its sign back, so that
// f * (-local) + local == local - f * local exactly (no rounding bias by sign).
//
// Depth. The W-buffer stores w = 1 / oow as a 16-bit floating value: 4-bit exponent
// and 12-bit mantissa of w for 1 <= w < 65536, 0 below 1, 0xFFFF from 65536 on. It is
// read straight from the bits of the single-precision w, which is why it grows
// monotonically with w. A non-positive or NaN oow (a point at or behind the eye) is
// farthest. The Z-buffer stores ooz truncated to 0..65535.
//
// Float to integer. Conversions go through the SSE conversion instructions' defined
// behaviour (any NaN or out-of-range value becomes INT32_MIN) and wrap in unsigned
// arithmetic, so that no vertex value, however hostile, is undefined behaviour; texel
// addresses are masked or clamped after the conversion.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "accel/Accelerator.h"

// x * y / 255 rounded to nearest, for 0 <= x, y <= 255.
inline int32_t mul255(int32_t x, int32_t y) {
    const int32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

// f * v for a signed v (-255..255) and a factor 0..255, rounded by magnitude.
inline int32_t scaleSigned(int32_t v, int32_t f) {
    return v >= 0 ? mul255(v, f) : -mul255(-v, f);
}

inline int32_t clampByte(int32_t v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// 5- and 6-bit channels to 8 bits by replicating their high bits.
inline uint32_t expand5(uint32_t v) {
    return (v << 3) | (v >> 2);
}
inline uint32_t expand6(uint32_t v) {
    return (v << 2) | (v >> 4);
}

// RGB565 to 0xAARRGGBB with alpha 255.
inline uint32_t rgb565ToArgb(uint32_t p) {
    return 0xFF000000u | expand5((p >> 11) & 31) << 16 | expand6((p >> 5) & 63) << 8 |
           expand5(p & 31);
}

#if defined(__SSE2__)
// Eight pixels' channels, 0..255 in 16-bit lanes.
struct ChannelLanes {
    __m128i r, g, b;
};
// Eight RGB565 pixels' channels widened as rgb565ToArgb widens them.
inline ChannelLanes widenRgb565(__m128i p) {
    const __m128i r = _mm_srli_epi16(p, 11);
    const __m128i g = _mm_and_si128(_mm_srli_epi16(p, 5), _mm_set1_epi16(63));
    const __m128i b = _mm_and_si128(p, _mm_set1_epi16(31));
    return {_mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2)),
            _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4)),
            _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2))};
}
#endif

inline uint32_t floatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof(bits));
    return bits;
}

// The 16-bit W-buffer value of a depth w (= 1 / oow).
inline uint32_t encodeWDepth(float w) {
    const uint32_t bits = floatBits(w);
    if (bits < 0x3F800000u) { // +0 <= w < 1 (negative w has the sign bit: handled below)
        return 0;
    }
    if (bits >= 0x47800000u) { // w >= 65536, infinity, NaN, or negative
        return 0xFFFF;
    }
    return (bits - 0x3F800000u) >> 11;
}

// Truncation toward zero with the SSE conversion's result for NaN and out-of-range
// values (INT32_MIN).
inline int32_t truncateToInt(float f) {
#if defined(__SSE2__)
    return _mm_cvttss_si32(_mm_set_ss(f));
#else
    if (!(f > -2147483648.0f && f < 2147483648.0f)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(f);
#endif
}

// floor(f) as an int32, INT32_MIN for NaN and values out of range, wrapping like the
// vector code (the one-below adjustment of INT32_MIN wraps to INT32_MAX).
inline int32_t floorToInt(float f) {
    const int32_t t = truncateToInt(f);
    const uint32_t adjust = static_cast<float>(t) > f ? 1u : 0u;
    return static_cast<int32_t>(static_cast<uint32_t>(t) - adjust);
}

// The 16-bit Z-buffer value of an ooz.
inline uint32_t encodeZDepth(float ooz) {
    const int32_t z = truncateToInt(ooz);
    if (!(ooz >= 0.0f)) {
        return 0; // negative or NaN
    }
    if (z < 0 || z > 0xFFFF) { // too large for int32 (INT32_MIN) or above 16 bits
        return 0xFFFF;
    }
    return static_cast<uint32_t>(z);
}

// Compare functions are bit sets of {less = 1, equal = 2, greater = 4}, which is how our
// GR_CMP_* constants are numbered (NEVER 0 ... ALWAYS 7).
inline uint32_t compareMask(GrCmpFnc_t function) {
    return static_cast<uint32_t>(function) & 7u;
}
inline bool comparePasses(uint32_t mask, uint32_t value, uint32_t reference) {
    const uint32_t relation = value < reference ? 1u : (value == reference ? 2u : 4u);
    return (mask & relation) != 0;
}

// floor(log2(x)) of a positive float from its exponent bits (denormals count as -127);
// NaN and infinity give 128.
inline int32_t floorLog2(float x) {
    return static_cast<int32_t>((floatBits(x) >> 23) & 0xFF) - 127;
}
