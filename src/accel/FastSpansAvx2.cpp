// The fast spans eight pixels at a time in AVX2, for processors that have it (chosen at
// run time by the span selection). They cover exactly the states of the four-wide SSE2
// spans (FastSpans.h) and give exactly their bits, which are the general span's.
//
// Shape of the loop: a group of eight pixels computes its depths (w = 1 / oow and the
// 16-bit encoding), tests them against the depth buffer in one go, and for textured
// spans its perspective-divided coordinates, levels of detail (per lane: a group may
// straddle two levels) and 8-bit fixed-point texel positions. Texels come by plain loads,
// one 64-bit load per row of a bilinear 2x2 footprint, transposed into the lane layout
// the filter wants (eight-lane gathers measured slower). Filter, colour products, blend
// and dither run on 16-bit lanes; eight pixels are stored at once, a partial group pixel
// by pixel. The next group (of the span or of the next one) fetches its depths and
// texels before this group's colours are made: one group's steps depend on each other
// from the division to the store, and the processor would not start the next group on
// its own (8-11% less CPU time on a 2-core AVX-512 Xeon, bench_span_widths).
//
// Unlike the sixteen-wide spans, a group holds one span's pixels: sharing groups among
// short spans (blends and permutes to place each piece, the pixels stored one by one)
// measured 8% fewer instructions for 10-pixel triangles and no less time.
//
// Why it matches the other spans bit for bit:
//   - every float operation is the same single IEEE operation in the same order as in
//     SpanGeneral.cpp (mul, add, div; no fused multiply-add, which this file is not
//     compiled to use, and -ffp-contract=off keeps it that way; no reciprocal
//     estimates); the span offset i is the exact float (0..7) + 8k;
//   - float-to-int conversion is the same truncating instruction with the same floor
//     fix-up, and MAX returns its first operand exactly as `x > y ? x : y` does;
//   - the integer colour arithmetic is the one of PixelMath.h on lanes wide enough
//     never to overflow, and the colour iterators are the same uint32 sums;
//   - a lane past the end of the span or failing the depth test is computed but never
//     stored; its texel indices are masked into the level like any other, so even its
//     loads stay inside the texture, and its pixel loads stay on the span's row (the
//     next row may belong to another thread's band).
//
// This file is compiled with -mavx2 and nothing else is: so that no shared inline
// function is ever emitted here in an AVX2 form the linker could pick for baseline
// code, it calls no inline function of another header and keeps all it defines in an
// anonymous namespace (a test checks the object for weak symbols). (The span selector of
// FastSpans.h is static: its copy here is this file's own.)
#include "accel/FastSpans.h"

#if defined(__AVX2__)

#include <immintrin.h>

namespace {

[[gnu::always_inline]] inline __m256i splat(int32_t v) {
    return _mm256_set1_epi32(v);
}

// The 16-bit W-buffer value of eight depths (encodeWDepth on each lane).
[[gnu::always_inline]] inline __m256i encodeWDepth8(__m256 w) {
    const __m256i bits = _mm256_castps_si256(w);
    const __m256i biased = _mm256_xor_si256(bits, splat(INT32_MIN)); // unsigned order
    const __m256i low =
        _mm256_cmpgt_epi32(splat(static_cast<int32_t>(0x3F800000u ^ 0x80000000u)), biased);
    const __m256i high =
        _mm256_cmpgt_epi32(biased, splat(static_cast<int32_t>(0x477FFFFFu ^ 0x80000000u)));
    __m256i v = _mm256_srli_epi32(_mm256_sub_epi32(bits, splat(0x3F800000)), 11);
    v = _mm256_andnot_si256(_mm256_or_si256(low, high), v);
    return _mm256_or_si256(v, _mm256_and_si256(high, splat(0xFFFF)));
}

// floorToInt on each lane.
[[gnu::always_inline]] inline __m256i floorToInt8(__m256 x) {
    const __m256i t = _mm256_cvttps_epi32(x);
    const __m256 back = _mm256_cvtepi32_ps(t);
    return _mm256_add_epi32(t, _mm256_castps_si256(_mm256_cmp_ps(back, x, _CMP_GT_OQ)));
}

// Eight pixels' colours on 16-bit lanes: per 32-bit lane (one pixel) the words (b, r) in
// `rb` and (g, a) in `ga`, each 0..255.
struct Colors {
    __m256i rb;
    __m256i ga;
};

[[gnu::always_inline]] inline Colors unpackArgb(__m256i argb) {
    return {_mm256_and_si256(argb, splat(0x00FF00FF)), _mm256_srli_epi16(argb, 8)};
}

// (a * (256 - f) + b * f + 128) >> 8 per word, as a + (((b - a) * f + 128) >> 8) (the
// same: 256 * a is a whole multiple of 256), with the rounded high multiply:
// ((b - a) * 128 * f + 2^14) >> 15. (b - a) * 128 fits a signed word; a, b, f 0..255.
[[gnu::always_inline]] inline __m256i lerpWords(__m256i a, __m256i b, __m256i f) {
    return _mm256_add_epi16(a,
                            _mm256_mulhrs_epi16(_mm256_slli_epi16(_mm256_sub_epi16(b, a), 7), f));
}

// mul255 per word.
[[gnu::always_inline]] inline __m256i mul255Words(__m256i a, __m256i b) {
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

// The iterated colour channel of eight pixels, rounded and clamped to 0..255.
[[gnu::always_inline]] inline __m256i iteratedChannel(__m256i iterator) {
    return _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(iterator, 16), splat(0)),
                            splat(255));
}

// RGB565 pixels (low words of 32-bit lanes) expanded to 8 bits by replication.
[[gnu::always_inline]] inline Colors expandRgb565(__m256i p) {
    const __m256i r5 = _mm256_srli_epi32(p, 11);
    const __m256i g6 = _mm256_and_si256(_mm256_srli_epi32(p, 5), splat(63));
    const __m256i b5 = _mm256_and_si256(p, splat(31));
    const __m256i r8 = _mm256_or_si256(_mm256_slli_epi32(r5, 3), _mm256_srli_epi32(r5, 2));
    const __m256i g8 = _mm256_or_si256(_mm256_slli_epi32(g6, 2), _mm256_srli_epi32(g6, 4));
    const __m256i b8 = _mm256_or_si256(_mm256_slli_epi32(b5, 3), _mm256_srli_epi32(b5, 2));
    return {_mm256_or_si256(b8, _mm256_slli_epi32(r8, 16)), g8};
}

// Dithered RGB565 of eight pixels (the formula of Dither.h), in the low words of 32-bit
// lanes; `thresholds` holds each lane's threshold in both words.
[[gnu::always_inline]] inline __m256i ditherColors(const Colors& c, __m256i thresholds) {
    const __m256i erb = _mm256_add_epi16(c.rb, _mm256_srli_epi16(c.rb, 7));
    const __m256i ega = _mm256_add_epi16(c.ga, _mm256_srli_epi16(c.ga, 7));
    const __m256i qrb = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(erb, _mm256_set1_epi16(31)), thresholds),
        8); // b5, r5
    const __m256i qg =
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(ega, splat(63)), thresholds),
                          8); // g6, 0
    return _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(qrb, splat(31)), _mm256_srli_epi32(qrb, 5)),
        _mm256_slli_epi32(qg, 5));
}

// Eight 32-bit lanes holding 16-bit values, as eight 16-bit values.
[[gnu::always_inline]] inline __m128i packWords(__m256i v) {
    return _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

// Eight consecutive pixels' 16-bit values (depths or RGB565), widened to 32-bit lanes,
// of which the first n (1..8) are the group's. One load when the eight lie in the row
// (`inRow`): the pixels after a span on its own row are the drawing thread's. Else only
// the group's pixels are read (the rest are 0): the next row may be another thread's
// band, being drawn meanwhile.
[[gnu::always_inline]] inline __m256i loadWords(const uint16_t* p, int32_t n, bool inRow) {
    if (n == 8 || inRow) {
        return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    alignas(16) uint16_t tail[8] = {};
    for (int32_t j = 0; j < n; ++j) {
        tail[j] = p[j];
    }
    return _mm256_cvtepu16_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)));
}

[[gnu::always_inline]] inline __m256i loadPixels32(const uint32_t* p, int32_t n, bool inRow) {
    if (n == 8 || inRow) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    return _mm256_maskload_epi32(
        reinterpret_cast<const int*>(p),
        _mm256_cmpgt_epi32(splat(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
}

// One of the level tables of SpanContext, looked up by each lane's LOD (0..8).
[[gnu::always_inline]] inline __m256i levelEntry(const int32_t* table, __m256i lod) {
    const __m256i low = _mm256_permutevar8x32_epi32(
        _mm256_load_si256(reinterpret_cast<const __m256i*>(table)), lod);
    const __m256i high = _mm256_permutevar8x32_epi32(
        _mm256_load_si256(reinterpret_cast<const __m256i*>(table + 8)), lod);
    return _mm256_blendv_epi8(low, high, _mm256_cmpgt_epi32(lod, splat(7)));
}

// The texels at eight indices, by eight loads (faster than a gather where we measured).
[[gnu::always_inline]] inline __m256i texelsAt(const uint32_t* texels, __m256i index) {
    alignas(32) int32_t at[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
    return _mm256_setr_epi32(
        static_cast<int32_t>(texels[at[0]]), static_cast<int32_t>(texels[at[1]]),
        static_cast<int32_t>(texels[at[2]]), static_cast<int32_t>(texels[at[3]]),
        static_cast<int32_t>(texels[at[4]]), static_cast<int32_t>(texels[at[5]]),
        static_cast<int32_t>(texels[at[6]]), static_cast<int32_t>(texels[at[7]]));
}

// Where each lane samples: the texel index (from texelBase) of the top-left texel, its
// row stride, and the 8-bit fractions of the position (bilinear only).
struct Footprint {
    __m256i index;
    __m256i stride;
    __m256i u;
    __m256i v;
};

[[gnu::always_inline]] inline Footprint footprint(__m256i u, __m256i v, __m256i offset,
                                                  __m256i shape) {
    const __m256i x0 =
        _mm256_and_si256(_mm256_srai_epi32(u, 8), _mm256_and_si256(shape, splat(255)));
    const __m256i y0 = _mm256_and_si256(_mm256_srai_epi32(v, 8),
                                        _mm256_and_si256(_mm256_srli_epi32(shape, 8), splat(255)));
    const __m256i stride = _mm256_srli_epi32(shape, 16);
    // y0 * stride < 2^16, so one 16-bit multiply on the low words gives it.
    const __m256i index =
        _mm256_add_epi32(_mm256_add_epi32(offset, _mm256_mullo_epi16(y0, stride)), x0);
    return {index, stride, u, v};
}

// The four texels of each lane's 2x2 footprint: the corners (0, 0), (1, 0), (0, 1), (1, 1).
struct Corners {
    __m256i c00, c10, c01, c11;
};

// The 2x2 footprints of eight lanes. Each 64-bit load brings a texel and its right
// neighbour (decoded levels repeat their first column and row past the last, see
// TextureCache.h); sixteen such loads and a transpose beat four eight-lane gathers on
// the processors we measured.
[[gnu::always_inline]] inline Corners corners(const uint32_t* texels, const Footprint& f) {
    alignas(32) int32_t top[8], bottom[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(top), f.index);
    _mm256_store_si256(reinterpret_cast<__m256i*>(bottom), _mm256_add_epi32(f.index, f.stride));
    // (left, right) of lanes k, k + 1 in the low half and of k + 4, k + 5 in the high half.
    auto pairs = [texels](const int32_t* at, int32_t k) {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k]));
        const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k + 1]));
        const __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k + 4]));
        const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k + 5]));
        return _mm256_castsi256_ps(
            _mm256_set_m128i(_mm_unpacklo_epi64(c, d), _mm_unpacklo_epi64(a, b)));
    };
    const __m256 t01 = pairs(top, 0), t23 = pairs(top, 2);
    const __m256 b01 = pairs(bottom, 0), b23 = pairs(bottom, 2);
    auto lefts = [](__m256 p, __m256 q) {
        return _mm256_castps_si256(_mm256_shuffle_ps(p, q, _MM_SHUFFLE(2, 0, 2, 0)));
    };
    auto rights = [](__m256 p, __m256 q) {
        return _mm256_castps_si256(_mm256_shuffle_ps(p, q, _MM_SHUFFLE(3, 1, 3, 1)));
    };
    return {lefts(t01, t23), rights(t01, t23), lefts(b01, b23), rights(b01, b23)};
}

// Eight bilinear texels' filter (lerpTexel along s on both rows, then along t) of the
// corners at texel positions u, v.
[[gnu::always_inline]] inline Colors bilinear(const Corners& texel, __m256i u, __m256i v) {
    const Colors c00 = unpackArgb(texel.c00);
    const Colors c10 = unpackArgb(texel.c10);
    const Colors c01 = unpackArgb(texel.c01);
    const Colors c11 = unpackArgb(texel.c11);
    const __m256i fu = _mm256_and_si256(u, splat(255));
    const __m256i fv = _mm256_and_si256(v, splat(255));
    const __m256i fu2 = _mm256_or_si256(fu, _mm256_slli_epi32(fu, 16));
    const __m256i fv2 = _mm256_or_si256(fv, _mm256_slli_epi32(fv, 16));
    const __m256i topRb = lerpWords(c00.rb, c10.rb, fu2);
    const __m256i topGa = lerpWords(c00.ga, c10.ga, fu2);
    const __m256i bottomRb = lerpWords(c01.rb, c11.rb, fu2);
    const __m256i bottomGa = lerpWords(c01.ga, c11.ga, fu2);
    return {lerpWords(topRb, bottomRb, fv2), lerpWords(topGa, bottomGa, fv2)};
}

template <bool Rgb565, bool WBuffer, FastColor Color, FastBlend Blend>
void fastSpans8(SpanContext& c, const Span* spans, int32_t spanCount) {
    constexpr bool kTextured =
        Color == FastColor::TexturedPoint || Color == FastColor::TexturedBilinear;
    // Per triangle: the state's constants and the steps.
    const RenderState& st = *c.state;
    const bool depthWrite = WBuffer && st.depthMask != FXFALSE;
    const uint32_t compare = static_cast<uint32_t>(st.depthFunction) & 7u; // compareMask
    const __m256i passLess = splat((compare & 1) != 0 ? -1 : 0);
    const __m256i passEqual = splat((compare & 2) != 0 ? -1 : 0);
    const __m256i passGreater = splat((compare & 4) != 0 ? -1 : 0);
    // LESS and LEQUAL (what the player uses) as one compare: stored + (LEQUAL ? 1 : 0) > new.
    const bool below = compare == 1 || compare == 3;
    const __m256i belowBias = splat(compare == 3 ? 1 : 0);
    const __m256i fade = _mm256_set1_epi16(static_cast<int16_t>(c.constantAlpha));
    const __m256i sourceWeight = _mm256_set1_epi16(static_cast<int16_t>(255 - c.blendAlpha));
    const __m256i destinationWeight = _mm256_set1_epi16(static_cast<int16_t>(c.blendAlpha));
    const __m256i full = _mm256_set1_epi16(255);

    const __m256 oowStep = _mm256_set1_ps(c.doow);
    const __m256 sowStep = _mm256_set1_ps(c.dsow);
    const __m256 towStep = _mm256_set1_ps(c.dtow);
    const __m256 toowStep = _mm256_set1_ps(c.dtoow);
    const __m256 sowDy = _mm256_set1_ps(c.dsowdy), towDy = _mm256_set1_ps(c.dtowdy);
    const __m256 toowDy = _mm256_set1_ps(c.dtoowdy);
    const __m256 one = _mm256_set1_ps(1.0f);

    const DecodedTexture* texture = c.texture;
    const bool mipMapped =
        kTextured && st.mipMapMode == GR_MIPMAP_NEAREST && texture->smallLod > texture->largeLod;
    const GrLOD_t largeLod = kTextured ? texture->largeLod : 0;
    const __m256i largeLod8 = splat(largeLod);
    const __m256i smallLod8 = splat(kTextured ? texture->smallLod : 0);
    // 2^(8 - lod): u * 256 = s * 2^(8 - lod), from the exponent bits.
    const __m256 largeScale = _mm256_castsi256_ps(_mm256_slli_epi32(splat(127 + 8 - largeLod), 23));
    const __m256i largeOffset = splat(c.levelOffset[largeLod]);
    const __m256i largeShape = splat(c.levelShape[largeLod]);
    const __m256i centre = splat(Color == FastColor::TexturedBilinear ? 128 : 0);

    // Colour iterators: start + lane * step, then + 8 * step per group.
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i rampR = _mm256_mullo_epi32(lane, splat(c.dr));
    const __m256i rampG = _mm256_mullo_epi32(lane, splat(c.dg));
    const __m256i rampB = _mm256_mullo_epi32(lane, splat(c.db));
    const __m256i stepR = _mm256_slli_epi32(splat(c.dr), 3);
    const __m256i stepG = _mm256_slli_epi32(splat(c.dg), 3);
    const __m256i stepB = _mm256_slli_epi32(splat(c.db), 3);
    const __m256 lanes = _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
    const __m256 eight = _mm256_set1_ps(8.0f);
    uint64_t written = 0;

    uint16_t* const depthBuffer = c.depth;
    uint16_t* const color16 = c.color16;
    uint32_t* const color32 = c.color32;

    // A group: pixels i0..i0 + n - 1 (n = 1..8) of span k, the first at `at` in the
    // buffers. Every group starts on a column x + 8m, and the dither pattern repeats
    // every four columns, so the lanes' thresholds are the same in every group of a span.
    struct Group {
        __m256 oow0, sow0, tow0, toow0, fi; // fi: the pixels' offsets in the span, as floats
        __m256i itR, itG, itB, thresholds;
        size_t at;
        int32_t n;
        bool inRow; // the eight pixels from `at` lie in the span's row
    };
    int32_t k = 0, i0 = 0;
    const auto first = [&](Group & g) __attribute__((always_inline)) {
        const Span& span = spans[k];
        g.at = static_cast<size_t>(span.memoryRow) * static_cast<size_t>(c.width) +
               static_cast<size_t>(span.x);
        g.thresholds = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(
            c.dither->laneThresholds[((span.memoryRow & 3) << 2) | (span.x & 3)])));
        g.oow0 = _mm256_set1_ps(span.start.oow);
        g.sow0 = _mm256_set1_ps(span.start.sow);
        g.tow0 = _mm256_set1_ps(span.start.tow);
        g.toow0 = _mm256_set1_ps(span.start.toow);
        g.itR = _mm256_add_epi32(splat(span.start.r), rampR);
        g.itG = _mm256_add_epi32(splat(span.start.g), rampG);
        g.itB = _mm256_add_epi32(splat(span.start.b), rampB);
        g.fi = lanes;
        g.n = span.count < 8 ? span.count : 8;
        g.inRow = span.x + 8 <= c.width;
    };
    // The group after g, in g; false after the last one.
    const auto next = [&](Group & g) __attribute__((always_inline)) {
        i0 += 8;
        if (i0 < spans[k].count) {
            g.fi = _mm256_add_ps(g.fi, eight);
            g.itR = _mm256_add_epi32(g.itR, stepR);
            g.itG = _mm256_add_epi32(g.itG, stepG);
            g.itB = _mm256_add_epi32(g.itB, stepB);
            g.at += 8;
            g.n = spans[k].count - i0 < 8 ? spans[k].count - i0 : 8;
            g.inRow = spans[k].x + i0 + 8 <= c.width;
            return true;
        }
        if (++k == spanCount) {
            return false;
        }
        i0 = 0;
        first(g);
        return true;
    };

    // A group's two stages (see the banner): fetch (depth test, texels), then finish
    // (colours, stores). No two spans of a call share a pixel, so a group's fetch may
    // come before the previous group's stores.
    struct Fetched {
        int32_t live; // the lanes that pass the depth test
        __m256i depth;
        Corners texels; // bilinear: the 2x2 footprints; point sampling: the texels in c00
        __m256i u, v;
    };
    const auto fetch = [&](const Group& g) __attribute__((always_inline)) {
        Fetched f;
        int32_t live = (1 << g.n) - 1;
        __m256 w = one;
        if (WBuffer || (kTextured && c.sharedOow)) {
            w = _mm256_div_ps(one, _mm256_add_ps(g.oow0, _mm256_mul_ps(g.fi, oowStep)));
        }
        __m256i depth = _mm256_setzero_si256();
        if constexpr (WBuffer) {
            depth = encodeWDepth8(w);
            const __m256i stored = loadWords(depthBuffer + g.at, g.n, g.inRow);
            const __m256i pass =
                below ? _mm256_cmpgt_epi32(_mm256_add_epi32(stored, belowBias), depth)
                      : _mm256_or_si256(
                            _mm256_or_si256(
                                _mm256_and_si256(_mm256_cmpgt_epi32(stored, depth), passLess),
                                _mm256_and_si256(_mm256_cmpeq_epi32(depth, stored), passEqual)),
                            _mm256_and_si256(_mm256_cmpgt_epi32(depth, stored), passGreater));
            live &= _mm256_movemask_ps(_mm256_castsi256_ps(pass));
        }
        f.live = live;
        f.depth = depth;
        if (kTextured && live != 0) {
            const __m256 wt =
                c.sharedOow
                    ? w
                    : _mm256_div_ps(one, _mm256_add_ps(g.toow0, _mm256_mul_ps(g.fi, toowStep)));
            const __m256 s = _mm256_mul_ps(_mm256_add_ps(g.sow0, _mm256_mul_ps(g.fi, sowStep)), wt);
            const __m256 t = _mm256_mul_ps(_mm256_add_ps(g.tow0, _mm256_mul_ps(g.fi, towStep)), wt);
            __m256 scale = largeScale;
            __m256i offset = largeOffset;
            __m256i shape = largeShape;
            if (mipMapped) {
                const __m256 dsdx =
                    _mm256_mul_ps(wt, _mm256_sub_ps(sowStep, _mm256_mul_ps(s, toowStep)));
                const __m256 dtdx =
                    _mm256_mul_ps(wt, _mm256_sub_ps(towStep, _mm256_mul_ps(t, toowStep)));
                const __m256 dsdy =
                    _mm256_mul_ps(wt, _mm256_sub_ps(sowDy, _mm256_mul_ps(s, toowDy)));
                const __m256 dtdy =
                    _mm256_mul_ps(wt, _mm256_sub_ps(towDy, _mm256_mul_ps(t, toowDy)));
                const __m256 footprintSquared = _mm256_max_ps(
                    _mm256_add_ps(_mm256_mul_ps(dsdx, dsdx), _mm256_mul_ps(dtdx, dtdx)),
                    _mm256_add_ps(_mm256_mul_ps(dsdy, dsdy), _mm256_mul_ps(dtdy, dtdy)));
                // floorLog2, then the nearest level clamped to the texture's.
                const __m256i exponent = _mm256_sub_epi32(
                    _mm256_and_si256(_mm256_srli_epi32(_mm256_castps_si256(footprintSquared), 23),
                                     splat(0xFF)),
                    splat(127));
                __m256i lod = _mm256_srai_epi32(_mm256_add_epi32(exponent, splat(1)), 1);
                lod = _mm256_min_epi32(_mm256_max_epi32(lod, largeLod8), smallLod8);
                scale = _mm256_castsi256_ps(
                    _mm256_slli_epi32(_mm256_sub_epi32(splat(127 + 8), lod), 23));
                offset = levelEntry(c.levelOffset, lod);
                shape = levelEntry(c.levelShape, lod);
            }
            const __m256i u = _mm256_sub_epi32(floorToInt8(_mm256_mul_ps(s, scale)), centre);
            const __m256i v = _mm256_sub_epi32(floorToInt8(_mm256_mul_ps(t, scale)), centre);
            const Footprint where = footprint(u, v, offset, shape);
            if constexpr (Color == FastColor::TexturedBilinear) {
                f.texels = corners(c.texelBase, where);
            } else {
                f.texels.c00 = texelsAt(c.texelBase, where.index);
            }
            f.u = u;
            f.v = v;
        }
        return f;
    };
    const auto finish = [&](const Group& g, const Fetched& f) __attribute__((always_inline)) {
        int32_t live = f.live;
        if (live == 0) {
            return;
        }
        const __m256i depth = f.depth;
        Colors color = {
            _mm256_or_si256(iteratedChannel(g.itB), _mm256_slli_epi32(iteratedChannel(g.itR), 16)),
            iteratedChannel(g.itG)};
        if constexpr (kTextured) {
            const Colors texel = Color == FastColor::TexturedBilinear ? bilinear(f.texels, f.u, f.v)
                                                                      : unpackArgb(f.texels.c00);
            color = {mul255Words(texel.rb, color.rb), mul255Words(texel.ga, color.ga)};
        }
        if constexpr (Color == FastColor::Faded) {
            color.rb = _mm256_sub_epi16(color.rb, mul255Words(color.rb, fade));
            color.ga = _mm256_sub_epi16(color.ga, mul255Words(color.ga, fade));
        }
        if constexpr (Blend != FastBlend::Replace) {
            const Colors destination = Rgb565
                                           ? expandRgb565(loadWords(color16 + g.at, g.n, g.inRow))
                                           : unpackArgb(loadPixels32(color32 + g.at, g.n, g.inRow));
            if constexpr (Blend == FastBlend::Add) {
                color.rb = _mm256_add_epi16(color.rb, destination.rb);
                color.ga = _mm256_add_epi16(color.ga, destination.ga);
            } else {
                color.rb = _mm256_add_epi16(mul255Words(color.rb, sourceWeight),
                                            mul255Words(destination.rb, destinationWeight));
                color.ga = _mm256_add_epi16(mul255Words(color.ga, sourceWeight),
                                            mul255Words(destination.ga, destinationWeight));
            }
            color.rb = _mm256_min_epi16(color.rb, full);
            color.ga = _mm256_min_epi16(color.ga, full);
        }

        if (live == 0xFF) {
            if constexpr (Rgb565) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(color16 + g.at),
                                 packWords(ditherColors(color, g.thresholds)));
            } else {
                const __m256i packed = _mm256_or_si256(
                    _mm256_or_si256(color.rb,
                                    _mm256_slli_epi32(_mm256_and_si256(color.ga, splat(255)), 8)),
                    splat(static_cast<int32_t>(0xFF000000u)));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(color32 + g.at), packed);
            }
            if (depthWrite) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(depthBuffer + g.at), packWords(depth));
            }
            written += 8;
            return;
        }
        alignas(32) uint32_t pixels[8];
        alignas(16) uint16_t depth16[8];
        if constexpr (Rgb565) {
            _mm256_store_si256(reinterpret_cast<__m256i*>(pixels),
                               ditherColors(color, g.thresholds));
        } else {
            _mm256_store_si256(
                reinterpret_cast<__m256i*>(pixels),
                _mm256_or_si256(
                    _mm256_or_si256(color.rb,
                                    _mm256_slli_epi32(_mm256_and_si256(color.ga, splat(255)), 8)),
                    splat(static_cast<int32_t>(0xFF000000u))));
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(depth16), packWords(depth));
        written += static_cast<uint64_t>(__builtin_popcount(static_cast<uint32_t>(live)));
        for (; live != 0; live &= live - 1) {
            const int32_t j = __builtin_ctz(static_cast<uint32_t>(live));
            if constexpr (Rgb565) {
                color16[g.at + j] = static_cast<uint16_t>(pixels[j]);
            } else {
                color32[g.at + j] = pixels[j];
            }
            if (depthWrite) {
                depthBuffer[g.at + j] = depth16[j];
            }
        }
    };

    Group g;
    first(g);
    Fetched fetched = fetch(g);
    for (Group following = g; next(following); g = following) {
        const Fetched followingFetched = fetch(following);
        finish(g, fetched);
        fetched = followingFetched;
    }
    finish(g, fetched);
    c.pixelsWritten += written;
}

template <bool Rgb565, bool WBuffer, FastColor Color, FastBlend Blend>
struct Avx2Spans {
    static void draw(SpanContext& c, const Span* spans, int32_t spanCount) {
        fastSpans8<Rgb565, WBuffer, Color, Blend>(c, spans, spanCount);
    }
};

} // namespace

SpanFunction fastSpanFunctionAvx2(bool rgb565, bool wBuffer, FastColor color, FastBlend blend) {
    return selectFastSpan<Avx2Spans>(rgb565, wBuffer, color, blend);
}

#else

SpanFunction fastSpanFunctionAvx2(bool, bool, FastColor, FastBlend) {
    return nullptr;
}

#endif
