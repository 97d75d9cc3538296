// Converting is done for every pixel of every frame a y4m gets, on the thread that
// competes with drawing for the cores, so it runs eight pixels at a time in SSE2 (the
// x86-64 baseline). Each sum above, offset included, lies in 0..65535, so 16-bit lanes
// with wrapping products and sums hold it exactly: the vector path gives the scalar
// formula's bytes, and the last pixels of a row take the scalar formula itself.
#include "ember/YuvConversion.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kLumaOffset = 128 + 16 * 256;
constexpr int kChromaOffset = 128 + 128 * 256;

#if defined(__SSE2__)

// The channel `Shift` bits up of eight pixels, one per 16-bit lane.
template <int Shift>
__m128i channel(__m128i first, __m128i second) {
    const __m128i byte = _mm_set1_epi32(0xFF);
    return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(first, Shift), byte),
                           _mm_and_si128(_mm_srli_epi32(second, Shift), byte));
}

struct Weights {
    __m128i r, g, b, offset;
    Weights(int r_, int g_, int b_, int offset_)
        : r(_mm_set1_epi16(static_cast<int16_t>(r_))), g(_mm_set1_epi16(static_cast<int16_t>(g_))),
          b(_mm_set1_epi16(static_cast<int16_t>(b_))),
          offset(_mm_set1_epi16(static_cast<int16_t>(static_cast<uint16_t>(offset_)))) {}
    __m128i apply(__m128i r_, __m128i g_, __m128i b_) const {
        const __m128i sum =
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(r_, r), _mm_mullo_epi16(g_, g)),
                          _mm_add_epi16(_mm_mullo_epi16(b_, b), offset));
        return _mm_srli_epi16(sum, 8);
    }
};

#endif

} // namespace

void argbToYuv444(const uint32_t* argb, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    size_t i = 0;
#if defined(__SSE2__)
    const Weights luma(66, 129, 25, kLumaOffset);
    const Weights blue(-38, -74, 112, kChromaOffset);
    const Weights red(112, -94, -18, kChromaOffset);
    for (; i + 16 <= count; i += 16) {
        const __m128i* in = reinterpret_cast<const __m128i*>(argb + i);
        const __m128i p0 = _mm_loadu_si128(in);
        const __m128i p1 = _mm_loadu_si128(in + 1);
        const __m128i p2 = _mm_loadu_si128(in + 2);
        const __m128i p3 = _mm_loadu_si128(in + 3);
        const __m128i r0 = channel<16>(p0, p1), g0 = channel<8>(p0, p1), b0 = channel<0>(p0, p1);
        const __m128i r1 = channel<16>(p2, p3), g1 = channel<8>(p2, p3), b1 = channel<0>(p2, p3);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + i),
                         _mm_packus_epi16(luma.apply(r0, g0, b0), luma.apply(r1, g1, b1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + i),
                         _mm_packus_epi16(blue.apply(r0, g0, b0), blue.apply(r1, g1, b1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + i),
                         _mm_packus_epi16(red.apply(r0, g0, b0), red.apply(r1, g1, b1)));
    }
#endif
    for (; i < count; ++i) {
        const int r = static_cast<int>(argb[i] >> 16 & 0xFF);
        const int g = static_cast<int>(argb[i] >> 8 & 0xFF);
        const int b = static_cast<int>(argb[i] & 0xFF);
        y[i] = static_cast<uint8_t>((66 * r + 129 * g + 25 * b + kLumaOffset) >> 8);
        cb[i] = static_cast<uint8_t>((-38 * r - 74 * g + 112 * b + kChromaOffset) >> 8);
        cr[i] = static_cast<uint8_t>((112 * r - 94 * g - 18 * b + kChromaOffset) >> 8);
    }
}
