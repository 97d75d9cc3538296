// The four-wide fast spans (see FastSpans.h for what they cover).
//
// Shape of the loop: pixels go in groups of four. For a group, SSE2 computes the four
// depth values (w = 1 / oow and its 16-bit encoding), tests them against the depth
// buffer in one go (a group that fails entirely costs almost nothing), and for textured
// spans the four perspective-divided texture coordinates, levels of detail and 8-bit
// fixed-point texel positions. Then each live pixel of the group is shaded on its own:
// texel fetch and bilinear weights on 16-bit lanes, colour products, blend, dither by
// table, store.
//
// Why it matches the general span bit for bit: every float operation is the same single
// IEEE operation in the same order (mul, add, div; no fused multiply-add, no reciprocal
// estimates), float-to-int conversion uses the same instruction with the same fix-up for
// floor, MAXPS returns its first operand exactly as `x > y ? x : y` does, and the
// integer colour arithmetic is the one of PixelMath.h on lanes wide enough never to
// overflow. The colour iterators are the same uint32 sums stepped pixel by pixel.
#include "accel/FastSpans.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include "accel/PixelMath.h"
#include "accel/TextureSampler.h"

namespace {

// The 16-bit W-buffer value of four depths (encodeWDepth on each lane).
[[gnu::always_inline]] inline __m128i encodeWDepth4(__m128 w) {
    const __m128i bits = _mm_castps_si128(w);
    const __m128i biased = _mm_xor_si128(bits, _mm_set1_epi32(INT32_MIN)); // unsigned order
    const __m128i low =
        _mm_cmplt_epi32(biased, _mm_set1_epi32(static_cast<int32_t>(0x3F800000u ^ 0x80000000u)));
    const __m128i high =
        _mm_cmpgt_epi32(biased, _mm_set1_epi32(static_cast<int32_t>(0x477FFFFFu ^ 0x80000000u)));
    __m128i v = _mm_srli_epi32(_mm_sub_epi32(bits, _mm_set1_epi32(0x3F800000)), 11);
    v = _mm_andnot_si128(_mm_or_si128(low, high), v);
    return _mm_or_si128(v, _mm_and_si128(high, _mm_set1_epi32(0xFFFF)));
}

// floorToInt on each lane.
[[gnu::always_inline]] inline __m128i floorToInt4(__m128 x) {
    const __m128i t = _mm_cvttps_epi32(x);
    const __m128 back = _mm_cvtepi32_ps(t);
    return _mm_add_epi32(t, _mm_castps_si128(_mm_cmpgt_ps(back, x)));
}

// Lane-wise select: mask ? a : b.
[[gnu::always_inline]] inline __m128i select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Four pixels' colours on 16-bit lanes: per 32-bit lane (one pixel) the words (b, r) in
// `rb` and (g, a) in `ga`, each 0..255.
struct Quad {
    __m128i rb;
    __m128i ga;
};

[[gnu::always_inline]] inline Quad unpackArgb(__m128i argb) {
    return {_mm_and_si128(argb, _mm_set1_epi32(0x00FF00FF)), _mm_srli_epi16(argb, 8)};
}

// (a * (256 - f) + b * f + 128) >> 8 per word, weights g = 256 - f and f per word.
[[gnu::always_inline]] inline __m128i lerpWords(__m128i a, __m128i b, __m128i g, __m128i f) {
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, g), _mm_mullo_epi16(b, f));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}

// mul255 per word.
[[gnu::always_inline]] inline __m128i mul255Words(__m128i a, __m128i b) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

[[gnu::always_inline]] inline Quad mul255Quad(const Quad& a, const Quad& b) {
    return {mul255Words(a.rb, b.rb), mul255Words(a.ga, b.ga)};
}

// The texel index base = y0 * stride + x0 of each lane (y0 * stride < 2^16, so one
// 16-bit multiply on the low words gives it).
[[gnu::always_inline]] inline __m128i texelBase(__m128i u, __m128i v, const DecodedLevel& level) {
    const __m128i x0 = _mm_and_si128(_mm_srai_epi32(u, 8), _mm_set1_epi32(level.width - 1));
    const __m128i y0 = _mm_and_si128(_mm_srai_epi32(v, 8), _mm_set1_epi32(level.height - 1));
    return _mm_add_epi32(_mm_mullo_epi16(y0, _mm_set1_epi32(level.stride)), x0);
}

// The texel bases of four lanes whose levels differ (mip-mapped groups that straddle a
// level boundary).
inline void mixedBases(const DecodedLevel* const levels[4], __m128i u, __m128i v, int32_t base[4]) {
    alignas(16) int32_t us[4], vs[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(us), u);
    _mm_store_si128(reinterpret_cast<__m128i*>(vs), v);
    for (int32_t k = 0; k < 4; ++k) {
        const DecodedLevel& l = *levels[k];
        base[k] = (vs[k] >> 8 & (l.height - 1)) * l.stride + (us[k] >> 8 & (l.width - 1));
    }
}

// Four bilinear texels (lerpTexel along s on both rows, then along t) on 16-bit lanes.
// `level` serves all four lanes, or `levels` gives each lane's own when it is nullptr.
[[gnu::always_inline]] inline Quad
bilinearQuad(const DecodedLevel* level, const DecodedLevel* const levels[4], __m128i u, __m128i v) {
    __m128i top[4], bottom[4];
    if (level != nullptr) {
        const __m128i base = texelBase(u, v, *level);
        const uint32_t* texels = level->texels;
        const int32_t stride = level->stride;
        const int64_t base01 = _mm_cvtsi128_si64(base);
        const int64_t base23 = _mm_cvtsi128_si64(_mm_unpackhi_epi64(base, base));
        const uint32_t* t[4] = {
            texels + static_cast<int32_t>(base01), texels + static_cast<int32_t>(base01 >> 32),
            texels + static_cast<int32_t>(base23), texels + static_cast<int32_t>(base23 >> 32)};
        for (int32_t k = 0; k < 4; ++k) {
            top[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t[k]));
            bottom[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t[k] + stride));
        }
    } else {
        alignas(16) int32_t base[4];
        mixedBases(levels, u, v, base);
        for (int32_t k = 0; k < 4; ++k) {
            const uint32_t* t = levels[k]->texels + base[k];
            top[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t));
            bottom[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t + levels[k]->stride));
        }
    }
    // Transpose the (left, right) pairs of the four lanes into left and right vectors.
    const __m128 t01 = _mm_castsi128_ps(_mm_unpacklo_epi64(top[0], top[1]));
    const __m128 t23 = _mm_castsi128_ps(_mm_unpacklo_epi64(top[2], top[3]));
    const __m128 b01 = _mm_castsi128_ps(_mm_unpacklo_epi64(bottom[0], bottom[1]));
    const __m128 b23 = _mm_castsi128_ps(_mm_unpacklo_epi64(bottom[2], bottom[3]));
    const Quad c00 =
        unpackArgb(_mm_castps_si128(_mm_shuffle_ps(t01, t23, _MM_SHUFFLE(2, 0, 2, 0))));
    const Quad c10 =
        unpackArgb(_mm_castps_si128(_mm_shuffle_ps(t01, t23, _MM_SHUFFLE(3, 1, 3, 1))));
    const Quad c01 =
        unpackArgb(_mm_castps_si128(_mm_shuffle_ps(b01, b23, _MM_SHUFFLE(2, 0, 2, 0))));
    const Quad c11 =
        unpackArgb(_mm_castps_si128(_mm_shuffle_ps(b01, b23, _MM_SHUFFLE(3, 1, 3, 1))));

    const __m128i byte = _mm_set1_epi32(255);
    const __m128i fu = _mm_and_si128(u, byte);
    const __m128i fv = _mm_and_si128(v, byte);
    const __m128i fu2 = _mm_or_si128(fu, _mm_slli_epi32(fu, 16));
    const __m128i fv2 = _mm_or_si128(fv, _mm_slli_epi32(fv, 16));
    const __m128i gu2 = _mm_sub_epi16(_mm_set1_epi16(256), fu2);
    const __m128i gv2 = _mm_sub_epi16(_mm_set1_epi16(256), fv2);
    const __m128i topRb = lerpWords(c00.rb, c10.rb, gu2, fu2);
    const __m128i topGa = lerpWords(c00.ga, c10.ga, gu2, fu2);
    const __m128i bottomRb = lerpWords(c01.rb, c11.rb, gu2, fu2);
    const __m128i bottomGa = lerpWords(c01.ga, c11.ga, gu2, fu2);
    return {lerpWords(topRb, bottomRb, gv2, fv2), lerpWords(topGa, bottomGa, gv2, fv2)};
}

[[gnu::always_inline]] inline Quad
pointQuad(const DecodedLevel* level, const DecodedLevel* const levels[4], __m128i u, __m128i v) {
    alignas(16) int32_t base[4];
    uint32_t texels[4];
    if (level != nullptr) {
        _mm_store_si128(reinterpret_cast<__m128i*>(base), texelBase(u, v, *level));
        for (int32_t k = 0; k < 4; ++k) {
            texels[k] = level->texels[base[k]];
        }
    } else {
        mixedBases(levels, u, v, base);
        for (int32_t k = 0; k < 4; ++k) {
            texels[k] = levels[k]->texels[base[k]];
        }
    }
    return unpackArgb(
        _mm_setr_epi32(static_cast<int32_t>(texels[0]), static_cast<int32_t>(texels[1]),
                       static_cast<int32_t>(texels[2]), static_cast<int32_t>(texels[3])));
}

// The iterated colours of four pixels, rounded and clamped (iteratedByte on each).
[[gnu::always_inline]] inline Quad iteratedQuad(__m128i r, __m128i g, __m128i b) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_set1_epi16(255);
    __m128i br = _mm_packs_epi32(_mm_srai_epi32(b, 16), _mm_srai_epi32(r, 16));
    br = _mm_max_epi16(_mm_min_epi16(br, top), zero);
    __m128i gg = _mm_packs_epi32(_mm_srai_epi32(g, 16), zero);
    gg = _mm_max_epi16(_mm_min_epi16(gg, top), zero);
    return {_mm_unpacklo_epi16(br, _mm_srli_si128(br, 8)), _mm_unpacklo_epi16(gg, zero)};
}

// RGB565 pixels (low words of 32-bit lanes) expanded to 8 bits by replication.
[[gnu::always_inline]] inline Quad expandRgb565(__m128i p) {
    const __m128i r5 = _mm_srli_epi32(p, 11);
    const __m128i g6 = _mm_and_si128(_mm_srli_epi32(p, 5), _mm_set1_epi32(63));
    const __m128i b5 = _mm_and_si128(p, _mm_set1_epi32(31));
    const __m128i r8 = _mm_or_si128(_mm_slli_epi32(r5, 3), _mm_srli_epi32(r5, 2));
    const __m128i g8 = _mm_or_si128(_mm_slli_epi32(g6, 2), _mm_srli_epi32(g6, 4));
    const __m128i b8 = _mm_or_si128(_mm_slli_epi32(b5, 3), _mm_srli_epi32(b5, 2));
    return {_mm_or_si128(b8, _mm_slli_epi32(r8, 16)), g8};
}

// Dithered RGB565 of four pixels (the formula of Dither.h), in the low words of 32-bit
// lanes; `thresholds` holds each lane's threshold in both words.
[[gnu::always_inline]] inline __m128i ditherQuad(const Quad& c, __m128i thresholds) {
    const __m128i erb = _mm_add_epi16(c.rb, _mm_srli_epi16(c.rb, 7));
    const __m128i ega = _mm_add_epi16(c.ga, _mm_srli_epi16(c.ga, 7));
    const __m128i qrb = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(erb, _mm_set1_epi16(31)), thresholds), 8); // b5, r5
    const __m128i qg = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(ega, _mm_set1_epi32(63)), thresholds), 8); // g6, 0
    return _mm_or_si128(
        _mm_or_si128(_mm_and_si128(qrb, _mm_set1_epi32(31)), _mm_srli_epi32(qrb, 5)),
        _mm_slli_epi32(qg, 5));
}

// Four 32-bit lanes holding 16-bit values, as four 16-bit values in the low 64 bits.
[[gnu::always_inline]] inline __m128i packLow16(__m128i v) {
    const __m128i bias = _mm_set1_epi32(0x8000);
    const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(v, bias), _mm_sub_epi32(v, bias));
    return _mm_add_epi16(packed, _mm_set1_epi16(static_cast<int16_t>(0x8000)));
}

template <bool Rgb565, bool WBuffer, FastColor Color, FastBlend Blend>
void fastSpans(SpanContext& c, const Span* spans, int32_t spanCount) {
    constexpr bool kTextured =
        Color == FastColor::TexturedPoint || Color == FastColor::TexturedBilinear;
    // Per triangle: the state's constants and the steps.
    const RenderState& st = *c.state;
    const bool depthWrite = WBuffer && st.depthMask != FXFALSE;
    const uint32_t compare = compareMask(st.depthFunction);
    const __m128i passLess = _mm_set1_epi32((compare & 1) != 0 ? -1 : 0);
    const __m128i passEqual = _mm_set1_epi32((compare & 2) != 0 ? -1 : 0);
    const __m128i passGreater = _mm_set1_epi32((compare & 4) != 0 ? -1 : 0);
    // LESS and LEQUAL (what the player uses) as one compare: new < stored + (LEQUAL ? 1 : 0).
    const bool below = compare == 1 || compare == 3;
    const __m128i belowBias = _mm_set1_epi32(compare == 3 ? 1 : 0);
    const __m128i fade = _mm_set1_epi16(static_cast<int16_t>(c.constantAlpha));
    const __m128i sourceWeight = _mm_set1_epi16(static_cast<int16_t>(255 - c.blendAlpha));
    const __m128i destinationWeight = _mm_set1_epi16(static_cast<int16_t>(c.blendAlpha));
    const __m128i full = _mm_set1_epi16(255);
    const __m128i zero = _mm_setzero_si128();

    const __m128 oowStep = _mm_set1_ps(c.doow);
    const __m128 sowStep = _mm_set1_ps(c.dsow);
    const __m128 towStep = _mm_set1_ps(c.dtow);
    const __m128 toowStep = _mm_set1_ps(c.dtoow);
    const __m128 sowDy = _mm_set1_ps(c.dsowdy), towDy = _mm_set1_ps(c.dtowdy);
    const __m128 toowDy = _mm_set1_ps(c.dtoowdy);

    const DecodedTexture* texture = c.texture;
    const bool mipMapped =
        kTextured && st.mipMapMode == GR_MIPMAP_NEAREST && texture->smallLod > texture->largeLod;
    const GrLOD_t largeLod = kTextured ? texture->largeLod : 0;
    const __m128i largeLod4 = _mm_set1_epi32(largeLod);
    const __m128i smallLod4 = _mm_set1_epi32(kTextured ? texture->smallLod : 0);
    const __m128 fixedScale = _mm_set1_ps(kLodCoordinateScale[largeLod]);
    const __m128i centre = _mm_set1_epi32(Color == FastColor::TexturedBilinear ? 128 : 0);

    // Colour iterators of the four lanes: start + lane * step, then + 4 * step per group
    // (the same uint32 sums as the general span's).
    auto ramp = [](int32_t step, __m128i& fourSteps) {
        const __m128i d = _mm_set1_epi32(step);
        const __m128i d2 = _mm_add_epi32(d, d);
        fourSteps = _mm_add_epi32(d2, d2);
        // (0, 1, 2, 3) * step
        return _mm_unpacklo_epi64(_mm_unpacklo_epi32(_mm_setzero_si128(), d),
                                  _mm_unpacklo_epi32(d2, _mm_add_epi32(d2, d)));
    };
    __m128i stepR, stepG, stepB;
    const __m128i rampR = ramp(c.dr, stepR);
    const __m128i rampG = ramp(c.dg, stepG);
    const __m128i rampB = ramp(c.db, stepB);

    const __m128 lanes = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
    const __m128 four = _mm_set1_ps(4.0f);
    const __m128 one = _mm_set1_ps(1.0f);
    // w = 1 / oow is computed one group ahead: the division's latency then overlaps the
    // previous group's work instead of stalling the current one.
    const bool reciprocal = WBuffer || (kTextured && c.sharedOow);
    uint64_t written = 0;

    for (int32_t k = 0; k < spanCount; ++k) {
        const Span& span = spans[k];
        const int32_t count = span.count;
        const size_t rowOffset =
            static_cast<size_t>(span.memoryRow) * static_cast<size_t>(c.width) +
            static_cast<size_t>(span.x);
        uint16_t* const depths = c.depth + rowOffset;
        uint16_t* const row16 = Rgb565 ? c.color16 + rowOffset : nullptr;
        uint32_t* const row32 = Rgb565 ? nullptr : c.color32 + rowOffset;
        // Every group starts on a column x + 4m, so the four lanes' dither thresholds are
        // the same in every group of the span.
        const __m128i thresholds = _mm_load_si128(reinterpret_cast<const __m128i*>(
            c.dither->laneThresholds[((span.memoryRow & 3) << 2) | (span.x & 3)]));
        const __m128 oow0 = _mm_set1_ps(span.start.oow);
        const __m128 sow0 = _mm_set1_ps(span.start.sow);
        const __m128 tow0 = _mm_set1_ps(span.start.tow);
        const __m128 toow0 = _mm_set1_ps(span.start.toow);
        __m128i itR = _mm_add_epi32(_mm_set1_epi32(span.start.r), rampR);
        __m128i itG = _mm_add_epi32(_mm_set1_epi32(span.start.g), rampG);
        __m128i itB = _mm_add_epi32(_mm_set1_epi32(span.start.b), rampB);

        __m128 fi = lanes; // the span offsets of the group's pixels, as floats
        __m128 nextW = reciprocal ? _mm_div_ps(one, _mm_add_ps(oow0, _mm_mul_ps(fi, oowStep)))
                                  : _mm_setzero_ps();
        for (int32_t i0 = 0; i0 < count; i0 += 4, fi = _mm_add_ps(fi, four)) {
            const int32_t n = count - i0 < 4 ? count - i0 : 4;
            int32_t live = (1 << n) - 1;
            const __m128 w = nextW;
            if (reciprocal && i0 + 4 < count) {
                nextW =
                    _mm_div_ps(one, _mm_add_ps(oow0, _mm_mul_ps(_mm_add_ps(fi, four), oowStep)));
            }
            __m128i depth = zero;
            if constexpr (WBuffer) {
                depth = encodeWDepth4(w);
                __m128i stored;
                if (n == 4) {
                    stored = _mm_unpacklo_epi16(
                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(depths + i0)), zero);
                } else {
                    alignas(16) int32_t tail[4] = {0, 0, 0, 0};
                    for (int32_t j = 0; j < n; ++j) {
                        tail[j] = depths[i0 + j];
                    }
                    stored = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
                }
                const __m128i pass =
                    below ? _mm_cmplt_epi32(depth, _mm_add_epi32(stored, belowBias))
                          : _mm_or_si128(
                                _mm_or_si128(
                                    _mm_and_si128(_mm_cmplt_epi32(depth, stored), passLess),
                                    _mm_and_si128(_mm_cmpeq_epi32(depth, stored), passEqual)),
                                _mm_and_si128(_mm_cmpgt_epi32(depth, stored), passGreater));
                live &= _mm_movemask_ps(_mm_castsi128_ps(pass));
            }
            if (live == 0) {
                itR = _mm_add_epi32(itR, stepR);
                itG = _mm_add_epi32(itG, stepG);
                itB = _mm_add_epi32(itB, stepB);
                continue;
            }

            Quad color = iteratedQuad(itR, itG, itB);
            itR = _mm_add_epi32(itR, stepR);
            itG = _mm_add_epi32(itG, stepG);
            itB = _mm_add_epi32(itB, stepB);
            if constexpr (kTextured) {
                const __m128 wt =
                    c.sharedOow ? w : _mm_div_ps(one, _mm_add_ps(toow0, _mm_mul_ps(fi, toowStep)));
                const __m128 s = _mm_mul_ps(_mm_add_ps(sow0, _mm_mul_ps(fi, sowStep)), wt);
                const __m128 t = _mm_mul_ps(_mm_add_ps(tow0, _mm_mul_ps(fi, towStep)), wt);
                __m128 scale = fixedScale;
                const DecodedLevel* level = &texture->levels[largeLod]; // or per lane:
                const DecodedLevel* levels[4] = {nullptr, nullptr, nullptr, nullptr};
                if (mipMapped) {
                    const __m128 dsdx =
                        _mm_mul_ps(wt, _mm_sub_ps(sowStep, _mm_mul_ps(s, toowStep)));
                    const __m128 dtdx =
                        _mm_mul_ps(wt, _mm_sub_ps(towStep, _mm_mul_ps(t, toowStep)));
                    const __m128 dsdy = _mm_mul_ps(wt, _mm_sub_ps(sowDy, _mm_mul_ps(s, toowDy)));
                    const __m128 dtdy = _mm_mul_ps(wt, _mm_sub_ps(towDy, _mm_mul_ps(t, toowDy)));
                    const __m128 footprint =
                        _mm_max_ps(_mm_add_ps(_mm_mul_ps(dsdx, dsdx), _mm_mul_ps(dtdx, dtdx)),
                                   _mm_add_ps(_mm_mul_ps(dsdy, dsdy), _mm_mul_ps(dtdy, dtdy)));
                    const __m128i exponent =
                        _mm_sub_epi32(_mm_and_si128(_mm_srli_epi32(_mm_castps_si128(footprint), 23),
                                                    _mm_set1_epi32(0xFF)),
                                      _mm_set1_epi32(127));
                    __m128i lod = _mm_srai_epi32(_mm_add_epi32(exponent, _mm_set1_epi32(1)), 1);
                    lod = select(_mm_cmplt_epi32(lod, largeLod4), largeLod4, lod);
                    lod = select(_mm_cmpgt_epi32(lod, smallLod4), smallLod4, lod);
                    // 2^(8 - lod), built from its exponent bits.
                    scale = _mm_castsi128_ps(
                        _mm_slli_epi32(_mm_sub_epi32(_mm_set1_epi32(127 + 8), lod), 23));
                    const int32_t first = _mm_cvtsi128_si32(lod);
                    if (_mm_movemask_epi8(_mm_cmpeq_epi32(lod, _mm_set1_epi32(first))) == 0xFFFF) {
                        level = &texture->levels[first];
                    } else {
                        level = nullptr;
                        alignas(16) int32_t lods[4];
                        _mm_store_si128(reinterpret_cast<__m128i*>(lods), lod);
                        for (int32_t j = 0; j < 4; ++j) {
                            levels[j] = &texture->levels[lods[j]];
                        }
                    }
                }
                const __m128i u = _mm_sub_epi32(floorToInt4(_mm_mul_ps(s, scale)), centre);
                const __m128i v = _mm_sub_epi32(floorToInt4(_mm_mul_ps(t, scale)), centre);
                const Quad texel = Color == FastColor::TexturedBilinear
                                       ? bilinearQuad(level, levels, u, v)
                                       : pointQuad(level, levels, u, v);
                color = mul255Quad(texel, color);
            }
            if constexpr (Color == FastColor::Faded) {
                color.rb = _mm_sub_epi16(color.rb, mul255Words(color.rb, fade));
                color.ga = _mm_sub_epi16(color.ga, mul255Words(color.ga, fade));
            }
            if constexpr (Blend != FastBlend::Replace) {
                __m128i stored;
                if (n == 4) {
                    stored =
                        Rgb565 ? _mm_unpacklo_epi16(
                                     _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row16 + i0)),
                                     zero)
                               : _mm_loadu_si128(reinterpret_cast<const __m128i*>(row32 + i0));
                } else {
                    alignas(16) int32_t tail[4] = {0, 0, 0, 0};
                    for (int32_t j = 0; j < n; ++j) {
                        tail[j] = Rgb565 ? row16[i0 + j] : static_cast<int32_t>(row32[i0 + j]);
                    }
                    stored = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
                }
                const Quad destination = Rgb565 ? expandRgb565(stored) : unpackArgb(stored);
                if constexpr (Blend == FastBlend::Add) {
                    color.rb = _mm_add_epi16(color.rb, destination.rb);
                    color.ga = _mm_add_epi16(color.ga, destination.ga);
                } else {
                    color.rb = _mm_add_epi16(mul255Words(color.rb, sourceWeight),
                                             mul255Words(destination.rb, destinationWeight));
                    color.ga = _mm_add_epi16(mul255Words(color.ga, sourceWeight),
                                             mul255Words(destination.ga, destinationWeight));
                }
                color.rb = _mm_min_epi16(color.rb, full);
                color.ga = _mm_min_epi16(color.ga, full);
            }

            __m128i packed;
            if constexpr (Rgb565) {
                packed = packLow16(ditherQuad(color, thresholds));
            } else {
                packed = _mm_or_si128(
                    _mm_or_si128(color.rb,
                                 _mm_slli_epi32(_mm_and_si128(color.ga, _mm_set1_epi32(255)), 8)),
                    _mm_set1_epi32(static_cast<int32_t>(0xFF000000u)));
            }
            const __m128i packedDepth = packLow16(depth);
            if (live == 15) {
                if constexpr (Rgb565) {
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(row16 + i0), packed);
                } else {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(row32 + i0), packed);
                }
                if (depthWrite) {
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(depths + i0), packedDepth);
                }
                written += 4;
                continue;
            }
            alignas(16) int32_t pixels[4];
            alignas(16) uint16_t depth16[8];
            alignas(16) uint16_t pixels16[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(pixels), packed);
            _mm_store_si128(reinterpret_cast<__m128i*>(pixels16), packed);
            _mm_store_si128(reinterpret_cast<__m128i*>(depth16), packedDepth);
            for (int32_t j = 0; j < n; ++j) {
                if ((live >> j & 1) == 0) {
                    continue;
                }
                if constexpr (Rgb565) {
                    row16[i0 + j] = pixels16[j];
                } else {
                    row32[i0 + j] = static_cast<uint32_t>(pixels[j]);
                }
                if (depthWrite) {
                    depths[i0 + j] = depth16[j];
                }
                ++written;
            }
        }
    }
    c.pixelsWritten += written;
}

template <bool Rgb565, bool WBuffer, FastColor Color, FastBlend Blend>
struct Sse2Spans {
    static void draw(SpanContext& c, const Span* spans, int32_t spanCount) {
        fastSpans<Rgb565, WBuffer, Color, Blend>(c, spans, spanCount);
    }
};

} // namespace

SpanFunction fastSpanFunctionSse2(bool rgb565, bool wBuffer, FastColor color, FastBlend blend) {
    return selectFastSpan<Sse2Spans>(rgb565, wBuffer, color, blend);
}

#else

SpanFunction fastSpanFunctionSse2(bool, bool, FastColor, FastBlend) {
    return nullptr;
}

#endif

bool processorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    // The compiler's run-time check also asks the operating system whether it saves the
    // 256-bit registers.
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

bool processorHasAvx512() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
           __builtin_cpu_supports("avx512vl") != 0;
#else
    return false;
#endif
}
