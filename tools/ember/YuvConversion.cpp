// Converting is done for every pixel of every frame a y4m gets, on the threads that
// draw, so it runs sixteen pixels at a time in SSE2 (the x86-64 baseline), or thirty-two
// in AVX2 or AVX-512 where the processor has them (YuvConversionWide.cpp), straight from
// the device's rows. Each sum above, offset included, lies in 0..65535, so 16-bit lanes
// with wrapping products and sums hold it exactly: the vector paths give the scalar
// formula's bytes, and the last pixels of a row take the scalar formula itself.
#include "ember/YuvConversion.h"

#include "accel/FastSpans.h"
#include "accel/PixelMath.h"
#include "ember/YuvConversionWide.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kLumaOffset = 128 + 16 * 256;
constexpr int kChromaOffset = 128 + 128 * 256;

void convertScalar(uint32_t argb, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    const int r = static_cast<int>(argb >> 16 & 0xFF);
    const int g = static_cast<int>(argb >> 8 & 0xFF);
    const int b = static_cast<int>(argb & 0xFF);
    *y = static_cast<uint8_t>((66 * r + 129 * g + 25 * b + kLumaOffset) >> 8);
    *cb = static_cast<uint8_t>((-38 * r - 74 * g + 112 * b + kChromaOffset) >> 8);
    *cr = static_cast<uint8_t>((112 * r - 94 * g - 18 * b + kChromaOffset) >> 8);
}

#if defined(__SSE2__)

using Channels = ChannelLanes;

template <int Shift>
__m128i argbChannel(__m128i first, __m128i second) {
    const __m128i byte = _mm_set1_epi32(0xFF);
    return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(first, Shift), byte),
                           _mm_and_si128(_mm_srli_epi32(second, Shift), byte));
}

Channels channelsOf(const uint32_t* pixels) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4));
    return {argbChannel<16>(first, second), argbChannel<8>(first, second),
            argbChannel<0>(first, second)};
}

Channels channelsOf(const uint16_t* pixels) {
    return widenRgb565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)));
}

struct Weights {
    __m128i r, g, b, offset;
    Weights(int r_, int g_, int b_, int offset_)
        : r(_mm_set1_epi16(static_cast<int16_t>(r_))), g(_mm_set1_epi16(static_cast<int16_t>(g_))),
          b(_mm_set1_epi16(static_cast<int16_t>(b_))),
          offset(_mm_set1_epi16(static_cast<int16_t>(static_cast<uint16_t>(offset_)))) {}
    __m128i apply(const Channels& c) const {
        const __m128i sum =
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(c.r, r), _mm_mullo_epi16(c.g, g)),
                          _mm_add_epi16(_mm_mullo_epi16(c.b, b), offset));
        return _mm_srli_epi16(sum, 8);
    }
    // Sixteen pixels' values as bytes.
    void store(const Channels& first, const Channels& second, uint8_t* out) const {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_packus_epi16(apply(first), apply(second)));
    }
};

// Converts whole groups of sixteen; returns the pixels done.
template <typename Pixel>
size_t convertGroups(const Pixel* pixels, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    const Weights luma(66, 129, 25, kLumaOffset);
    const Weights blue(-38, -74, 112, kChromaOffset);
    const Weights red(112, -94, -18, kChromaOffset);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const Channels first = channelsOf(pixels + i);
        const Channels second = channelsOf(pixels + i + 8);
        luma.store(first, second, y + i);
        blue.store(first, second, cb + i);
        red.store(first, second, cr + i);
    }
    return i;
}

#endif

uint32_t argbOf(uint32_t argb) {
    return argb;
}
uint32_t argbOf(uint16_t rgb565) {
    return rgb565ToArgb(rgb565);
}

// Converts whole groups of pixels of one path; returns the pixels done.
template <typename Pixel>
using GroupsFunction = size_t (*)(const Pixel*, size_t, uint8_t*, uint8_t*, uint8_t*);

template <typename Pixel>
size_t noGroups(const Pixel*, size_t, uint8_t*, uint8_t*, uint8_t*) {
    return 0;
}

struct Path {
    GroupsFunction<uint32_t> argb = noGroups<uint32_t>;
    GroupsFunction<uint16_t> rgb565 = noGroups<uint16_t>;
};

bool runs(YuvPath path) {
    switch (path) {
    case YuvPath::Fastest:
    case YuvPath::Scalar:
        return true;
#if defined(__SSE2__)
    case YuvPath::Sse2:
        return true;
#endif
#if defined(__x86_64__)
    case YuvPath::Avx2:
        return processorHasAvx2();
    case YuvPath::Avx512:
        return processorHasAvx512();
#endif
    default:
        return false;
    }
}

Path pathFor(YuvPath path) {
    if (path == YuvPath::Fastest) {
        for (YuvPath wide : {YuvPath::Avx512, YuvPath::Avx2, YuvPath::Sse2}) {
            if (runs(wide)) {
                return pathFor(wide);
            }
        }
        return Path();
    }
    Path p;
    switch (runs(path) ? path : YuvPath::Scalar) {
#if defined(__SSE2__)
    case YuvPath::Sse2:
        p.argb = convertGroups<uint32_t>;
        p.rgb565 = convertGroups<uint16_t>;
        break;
#endif
#if defined(__x86_64__)
    case YuvPath::Avx2:
        p.argb = argbToYuvGroupsAvx2;
        p.rgb565 = rgb565ToYuvGroupsAvx2;
        break;
    case YuvPath::Avx512:
        p.argb = argbToYuvGroupsAvx512;
        p.rgb565 = rgb565ToYuvGroupsAvx512;
        break;
#endif
    default:
        break;
    }
    return p;
}

Path chosen(YuvPath path) {
    static const Path fastest = pathFor(YuvPath::Fastest);
    return path == YuvPath::Fastest ? fastest : pathFor(path);
}

template <typename Pixel>
void convert(const Pixel* pixels, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr,
             GroupsFunction<Pixel> groups) {
    size_t i = groups(pixels, count, y, cb, cr);
    for (; i < count; ++i) {
        convertScalar(argbOf(pixels[i]), y + i, cb + i, cr + i);
    }
}

} // namespace

bool yuvPathAvailable(YuvPath path) {
    return runs(path);
}

void argbToYuv444(const uint32_t* argb, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr,
                  YuvPath path) {
    convert(argb, count, y, cb, cr, chosen(path).argb);
}

void rgb565ToYuv444(const uint16_t* rgb565, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr,
                    YuvPath path) {
    convert(rgb565, count, y, cb, cr, chosen(path).rgb565);
}
