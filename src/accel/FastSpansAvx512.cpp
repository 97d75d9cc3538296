// The fast spans sixteen pixels at a time in AVX-512 (F, BW and VL), for processors that
// have it (chosen at run time by the span selection). They cover exactly the states of
// the other fast spans (FastSpans.h) and give exactly their bits, which are the general
// span's.
//
// The loop is the eight-wide one's (FastSpansAvx2.cpp) at twice the width, with what
// AVX-512 adds: per-lane masks for the depth test and for partial groups, so that a
// partial group loads and stores only its own pixels (masked loads and stores, no tail
// copies); the level tables in one permute; and the 2x2 bilinear footprints by four
// 64-bit gathers (a texel and its right neighbour per lane, see TextureCache.h) split
// into left and right texels by two-source permutes.
//
// Short spans share groups. A small triangle's rows are spans of a few pixels: a group
// per span would leave most of its sixteen lanes idle while paying for all of them
// (gathers, divisions). So a long span fills whole groups of its own, and the short spans
// and the ends of long ones are gathered into one group, each piece of a span in its own
// lanes with its own start values (masked broadcasts), its depths and colours loaded
// straight into its lanes and its results stored from them, with masks, piece by piece
// (through the address lane 0 would have: 2% more 10-pixel triangles a second than
// moving each piece's lanes by an expand and back by a permute). A
// lane holds the same pixel offset and the same iterator sums as in a group of its own
// span, so the bits do not change. What can wait for the group to be full does: the
// colour iterators (start + offset * step) and dither thresholds (a permute of the 4x4
// table) are made once a group, not piece by piece (bench_fill_rate, two threads:
// 100-pixel triangles 3.6% faster, 10-pixel ones 0.7%).
//
// Groups overlap. A group is one long chain of dependent steps (division, level of
// detail, texel addresses, gathers, filter, dither), too long for the processor to start
// the next group on its own while it waits; so the loop does it: a long span keeps three
// groups in flight (one making its texel addresses, one gathering its texels, one making
// its colours and storing them), and a full shared group is finished only once the next
// one has gathered its texels. This reads a group's depths and colours before the group
// before it is stored, which is sound because the spans of a call never share a pixel.
// (Measured on a 2-core AVX-512 Xeon, bench_span_widths: 5000-px triangles 12-15% and
// 100-px ones about 10% less CPU time.)
//
// Why it matches the other spans bit for bit: the same single IEEE operations in the same
// order (mul, add, div; no fused multiply-add: -ffp-contract=off, and no embedded
// rounding), the same truncating conversion with the same floor fix-up, MAX with the
// same operand order, the integer colour arithmetic of PixelMath.h on 16-bit lanes, and
// the colour iterators as the same uint32 sums. A lane past the end of a span or failing
// the depth test is computed but never stored, and never loads a pixel.
//
// Like the AVX2 file, this one is compiled for its instruction set alone: it calls no
// inline function of another header and keeps all it defines in an anonymous namespace
// (a test checks its object for weak symbols).
#include "accel/FastSpans.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VL__)

#include <immintrin.h>

namespace {

[[gnu::always_inline]] inline __m512i splat(int32_t v) {
    return _mm512_set1_epi32(v);
}

// The 16-bit W-buffer value of sixteen depths (encodeWDepth on each lane).
[[gnu::always_inline]] inline __m512i encodeWDepth16(__m512 w) {
    const __m512i bits = _mm512_castps_si512(w);
    const __mmask16 low = _mm512_cmplt_epu32_mask(bits, splat(0x3F800000));
    const __mmask16 high = _mm512_cmpgt_epu32_mask(bits, splat(0x477FFFFF));
    const __m512i v = _mm512_srli_epi32(_mm512_sub_epi32(bits, splat(0x3F800000)), 11);
    return _mm512_mask_mov_epi32(_mm512_maskz_mov_epi32(static_cast<__mmask16>(~(low | high)), v),
                                 high, splat(0xFFFF));
}

// floorToInt on each lane.
[[gnu::always_inline]] inline __m512i floorToInt16(__m512 x) {
    const __m512i t = _mm512_cvttps_epi32(x);
    const __m512 back = _mm512_cvtepi32_ps(t);
    return _mm512_mask_sub_epi32(t, _mm512_cmp_ps_mask(back, x, _CMP_GT_OQ), t, splat(1));
}

// Sixteen pixels' colours on 16-bit lanes: per 32-bit lane (one pixel) the words (b, r)
// in `rb` and (g, a) in `ga`, each 0..255.
struct Colors {
    __m512i rb;
    __m512i ga;
};

[[gnu::always_inline]] inline Colors unpackArgb(__m512i argb) {
    return {_mm512_and_si512(argb, splat(0x00FF00FF)), _mm512_srli_epi16(argb, 8)};
}

// (a * (256 - f) + b * f + 128) >> 8 per word, as a + (((b - a) * f + 128) >> 8) (the
// same: 256 * a is a whole multiple of 256), with the rounded high multiply:
// ((b - a) * 128 * f + 2^14) >> 15. (b - a) * 128 fits a signed word; a, b, f 0..255.
[[gnu::always_inline]] inline __m512i lerpWords(__m512i a, __m512i b, __m512i f) {
    return _mm512_add_epi16(a,
                            _mm512_mulhrs_epi16(_mm512_slli_epi16(_mm512_sub_epi16(b, a), 7), f));
}

// mul255 per word.
[[gnu::always_inline]] inline __m512i mul255Words(__m512i a, __m512i b) {
    const __m512i t = _mm512_add_epi16(_mm512_mullo_epi16(a, b), _mm512_set1_epi16(128));
    return _mm512_srli_epi16(_mm512_add_epi16(t, _mm512_srli_epi16(t, 8)), 8);
}

// The iterated colour channel of sixteen pixels, rounded and clamped to 0..255.
[[gnu::always_inline]] inline __m512i iteratedChannel(__m512i iterator) {
    return _mm512_min_epi32(_mm512_max_epi32(_mm512_srai_epi32(iterator, 16), splat(0)),
                            splat(255));
}

// RGB565 pixels (low words of 32-bit lanes) expanded to 8 bits by replication.
[[gnu::always_inline]] inline Colors expandRgb565(__m512i p) {
    const __m512i r5 = _mm512_srli_epi32(p, 11);
    const __m512i g6 = _mm512_and_si512(_mm512_srli_epi32(p, 5), splat(63));
    const __m512i b5 = _mm512_and_si512(p, splat(31));
    const __m512i r8 = _mm512_or_si512(_mm512_slli_epi32(r5, 3), _mm512_srli_epi32(r5, 2));
    const __m512i g8 = _mm512_or_si512(_mm512_slli_epi32(g6, 2), _mm512_srli_epi32(g6, 4));
    const __m512i b8 = _mm512_or_si512(_mm512_slli_epi32(b5, 3), _mm512_srli_epi32(b5, 2));
    return {_mm512_or_si512(b8, _mm512_slli_epi32(r8, 16)), g8};
}

// Dithered RGB565 of sixteen pixels (the formula of Dither.h), in the low words of 32-bit
// lanes; `thresholds` holds each lane's threshold in both words.
[[gnu::always_inline]] inline __m512i ditherColors(const Colors& c, __m512i thresholds) {
    const __m512i erb = _mm512_add_epi16(c.rb, _mm512_srli_epi16(c.rb, 7));
    const __m512i ega = _mm512_add_epi16(c.ga, _mm512_srli_epi16(c.ga, 7));
    const __m512i qrb = _mm512_srli_epi16(
        _mm512_add_epi16(_mm512_mullo_epi16(erb, _mm512_set1_epi16(31)), thresholds),
        8); // b5, r5
    const __m512i qg =
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(ega, splat(63)), thresholds),
                          8); // g6, 0
    return _mm512_or_si512(
        _mm512_or_si512(_mm512_and_si512(qrb, splat(31)), _mm512_srli_epi32(qrb, 5)),
        _mm512_slli_epi32(qg, 5));
}

[[gnu::always_inline]] inline __m512i packArgb(const Colors& c) {
    return _mm512_or_si512(
        _mm512_or_si512(c.rb, _mm512_slli_epi32(_mm512_and_si512(c.ga, splat(255)), 8)),
        splat(static_cast<int32_t>(0xFF000000u)));
}

// Where lane 0 would be for a piece of a span whose first pixel `first` is in lane
// `lane`: loads and stores of the piece's lanes through it, masked to them, move no
// lane (a permute or an expand each). The lanes before it are masked off, so their
// memory, possibly outside the buffer, is never touched; the address is worked out in
// integers, since pointer arithmetic could not point there.
template <typename T>
[[gnu::always_inline]] inline T* laneZero(T* first, int32_t lane) {
    return reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(first) -
                                static_cast<uintptr_t>(lane) * sizeof(T));
}

// The texels at sixteen indices.
[[gnu::always_inline]] inline __m512i texelsAt(const uint32_t* texels, __m512i index) {
    return _mm512_i32gather_epi32(index, texels, 4);
}

// Where each lane samples: the texel index (from texelBase) of the top-left texel, its
// row stride, and the 8-bit fractions of the position (bilinear only).
struct Footprint {
    __m512i index;
    __m512i stride;
    __m512i u;
    __m512i v;
};

[[gnu::always_inline]] inline Footprint footprint(__m512i u, __m512i v, __m512i offset,
                                                  __m512i shape) {
    const __m512i x0 =
        _mm512_and_si512(_mm512_srai_epi32(u, 8), _mm512_and_si512(shape, splat(255)));
    const __m512i y0 = _mm512_and_si512(_mm512_srai_epi32(v, 8),
                                        _mm512_and_si512(_mm512_srli_epi32(shape, 8), splat(255)));
    const __m512i stride = _mm512_srli_epi32(shape, 16);
    // y0 * stride < 2^16, so one 16-bit multiply on the low words gives it.
    const __m512i index =
        _mm512_add_epi32(_mm512_add_epi32(offset, _mm512_mullo_epi16(y0, stride)), x0);
    return {index, stride, u, v};
}

// A texel and its right neighbour for each lane of `index` (decoded levels repeat their
// first column and row past the last, see TextureCache.h), split into the left texels
// and the right ones.
[[gnu::always_inline]] inline void texelPairs(const uint32_t* texels, __m512i index, __m512i& left,
                                              __m512i& right) {
    const __m512i first = _mm512_i32gather_epi64(_mm512_castsi512_si256(index), texels, 4);
    const __m512i second = _mm512_i32gather_epi64(_mm512_extracti64x4_epi64(index, 1), texels, 4);
    const __m512i evens =
        _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    left = _mm512_permutex2var_epi32(first, evens, second);
    right = _mm512_permutex2var_epi32(first, _mm512_add_epi32(evens, splat(1)), second);
}

// What a group needs from memory before its colours: the lanes that pass the depth test
// (none: nothing more was done), their depth values, their texels (the 2x2 footprints'
// corners (0, 0), (1, 0), (0, 1), (1, 1) for bilinear, the texel in t00 for point
// sampling) and their texel positions u, v.
struct Fetched {
    __mmask16 live;
    __m512i depth;
    __m512i t00, t10, t01, t11;
    __m512i u, v;
    __m512i index, below; // where the top and bottom rows of the texels are
};

// Sixteen bilinear texels' filter (lerpTexel along s on both rows, then along t).
[[gnu::always_inline]] inline Colors bilinear(const Fetched& f) {
    const Colors c00 = unpackArgb(f.t00);
    const Colors c10 = unpackArgb(f.t10);
    const Colors c01 = unpackArgb(f.t01);
    const Colors c11 = unpackArgb(f.t11);
    // The low byte of each lane's u and v in both of its words.
    const __m512i lowByteTwice = _mm512_broadcast_i32x4(
        _mm_setr_epi32(static_cast<int32_t>(0x80008000u), static_cast<int32_t>(0x80048004u),
                       static_cast<int32_t>(0x80088008u), static_cast<int32_t>(0x800C800Cu)));
    const __m512i fu2 = _mm512_shuffle_epi8(f.u, lowByteTwice);
    const __m512i fv2 = _mm512_shuffle_epi8(f.v, lowByteTwice);
    const __m512i topRb = lerpWords(c00.rb, c10.rb, fu2);
    const __m512i topGa = lerpWords(c00.ga, c10.ga, fu2);
    const __m512i bottomRb = lerpWords(c01.rb, c11.rb, fu2);
    const __m512i bottomGa = lerpWords(c01.ga, c11.ga, fu2);
    return {lerpWords(topRb, bottomRb, fv2), lerpWords(topGa, bottomGa, fv2)};
}

template <bool Rgb565, bool WBuffer, FastColor Color, FastBlend Blend>
void fastSpans16(SpanContext& c, const Span* spans, int32_t spanCount) {
    constexpr bool kTextured =
        Color == FastColor::TexturedPoint || Color == FastColor::TexturedBilinear;
    // Per triangle: the state's constants and the steps.
    const RenderState& st = *c.state;
    const bool depthWrite = WBuffer && st.depthMask != FXFALSE;
    const uint32_t compare = static_cast<uint32_t>(st.depthFunction) & 7u; // compareMask
    const __mmask16 passLess = (compare & 1) != 0 ? 0xFFFF : 0;
    const __mmask16 passEqual = (compare & 2) != 0 ? 0xFFFF : 0;
    const __mmask16 passGreater = (compare & 4) != 0 ? 0xFFFF : 0;
    // LESS and LEQUAL (what the player uses) as one compare: stored + (LEQUAL ? 1 : 0) > new.
    const bool below = compare == 1 || compare == 3;
    const __m512i belowBias = splat(compare == 3 ? 1 : 0);
    const __m512i fade = _mm512_set1_epi16(static_cast<int16_t>(c.constantAlpha));
    const __m512i sourceWeight = _mm512_set1_epi16(static_cast<int16_t>(255 - c.blendAlpha));
    const __m512i destinationWeight = _mm512_set1_epi16(static_cast<int16_t>(c.blendAlpha));
    const __m512i full = _mm512_set1_epi16(255);

    const __m512 oowStep = _mm512_set1_ps(c.doow);
    const __m512 sowStep = _mm512_set1_ps(c.dsow);
    const __m512 towStep = _mm512_set1_ps(c.dtow);
    const __m512 toowStep = _mm512_set1_ps(c.dtoow);
    const __m512 sowDy = _mm512_set1_ps(c.dsowdy), towDy = _mm512_set1_ps(c.dtowdy);
    const __m512 toowDy = _mm512_set1_ps(c.dtoowdy);
    const __m512 one = _mm512_set1_ps(1.0f);

    const DecodedTexture* texture = c.texture;
    const bool mipMapped =
        kTextured && st.mipMapMode == GR_MIPMAP_NEAREST && texture->smallLod > texture->largeLod;
    const GrLOD_t largeLod = kTextured ? texture->largeLod : 0;
    const __m512i largeLod16 = splat(largeLod);
    const __m512i smallLod16 = splat(kTextured ? texture->smallLod : 0);
    // 2^(8 - lod): u * 256 = s * 2^(8 - lod), from the exponent bits.
    const __m512 largeScale = _mm512_castsi512_ps(_mm512_slli_epi32(splat(127 + 8 - largeLod), 23));
    const __m512i largeOffset = splat(c.levelOffset[largeLod]);
    const __m512i largeShape = splat(c.levelShape[largeLod]);
    const __m512i offsets = _mm512_loadu_si512(c.levelOffset);
    const __m512i shapes = _mm512_loadu_si512(c.levelShape);
    const __m512i centre = splat(Color == FastColor::TexturedBilinear ? 128 : 0);

    const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512 lanes = _mm512_cvtepi32_ps(lane);
    uint64_t written = 0;

    // A group is sixteen lanes from one or more spans: each lane has its span's start
    // values and its pixel's offset in the span, and each piece of a span its memory.
    // Long spans fill whole groups of their own; the short ones and the ends of long ones
    // share groups (with the small triangles' spans of a few pixels, most lanes would
    // otherwise be idle).
    struct Piece {
        size_t at; // the first pixel's index in the buffers
        int32_t lane, count;
    };
    // Held in locals: the stores through the buffers could otherwise be taken to change
    // them, and every piece would read them again.
    uint16_t* const depthBuffer = c.depth;
    uint16_t* const color16 = c.color16;
    uint32_t* const color32 = c.color32;
    const size_t width = static_cast<size_t>(c.width);
    const auto pixelsOf = [&](const Piece& piece) {
        return Rgb565 ? static_cast<void*>(color16 + piece.at)
                      : static_cast<void*>(color32 + piece.at);
    };
    struct Lanes {
        __m512 oow0, sow0, tow0, toow0, fi;
        __m512i itR, itG, itB, thresholds;
        __m512i stored;      // the depths of the group's pixels
        __m512i storedColor; // ... and their colours, for blending
    };
    // A group's stages (see the banner): locate (depth test, texel addresses), gather
    // the texels, finish (colours, stores).
    const auto locate = [&](const Lanes& g, __mmask16 inGroup) __attribute__((always_inline)) {
        Fetched f;
        __mmask16 live = inGroup;
        __m512 w = one;
        if (WBuffer || (kTextured && c.sharedOow)) {
            w = _mm512_div_ps(one, _mm512_add_ps(g.oow0, _mm512_mul_ps(g.fi, oowStep)));
        }
        __m512i depth = _mm512_setzero_si512();
        if constexpr (WBuffer) {
            depth = encodeWDepth16(w);
            const __mmask16 pass =
                below ? _mm512_cmpgt_epi32_mask(_mm512_add_epi32(g.stored, belowBias), depth)
                      : static_cast<__mmask16>(
                            (_mm512_cmpgt_epi32_mask(g.stored, depth) & passLess) |
                            (_mm512_cmpeq_epi32_mask(depth, g.stored) & passEqual) |
                            (_mm512_cmpgt_epi32_mask(depth, g.stored) & passGreater));
            live &= pass;
        }
        f.live = live;
        f.depth = depth;
        if (kTextured && live != 0) {
            const __m512 wt =
                c.sharedOow
                    ? w
                    : _mm512_div_ps(one, _mm512_add_ps(g.toow0, _mm512_mul_ps(g.fi, toowStep)));
            const __m512 s = _mm512_mul_ps(_mm512_add_ps(g.sow0, _mm512_mul_ps(g.fi, sowStep)), wt);
            const __m512 t = _mm512_mul_ps(_mm512_add_ps(g.tow0, _mm512_mul_ps(g.fi, towStep)), wt);
            __m512 scale = largeScale;
            __m512i offset = largeOffset;
            __m512i shape = largeShape;
            if (mipMapped) {
                const __m512 dsdx =
                    _mm512_mul_ps(wt, _mm512_sub_ps(sowStep, _mm512_mul_ps(s, toowStep)));
                const __m512 dtdx =
                    _mm512_mul_ps(wt, _mm512_sub_ps(towStep, _mm512_mul_ps(t, toowStep)));
                const __m512 dsdy =
                    _mm512_mul_ps(wt, _mm512_sub_ps(sowDy, _mm512_mul_ps(s, toowDy)));
                const __m512 dtdy =
                    _mm512_mul_ps(wt, _mm512_sub_ps(towDy, _mm512_mul_ps(t, toowDy)));
                const __m512 footprintSquared = _mm512_max_ps(
                    _mm512_add_ps(_mm512_mul_ps(dsdx, dsdx), _mm512_mul_ps(dtdx, dtdx)),
                    _mm512_add_ps(_mm512_mul_ps(dsdy, dsdy), _mm512_mul_ps(dtdy, dtdy)));
                // floorLog2, then the nearest level clamped to the texture's.
                const __m512i exponent = _mm512_sub_epi32(
                    _mm512_and_si512(_mm512_srli_epi32(_mm512_castps_si512(footprintSquared), 23),
                                     splat(0xFF)),
                    splat(127));
                __m512i lod = _mm512_srai_epi32(_mm512_add_epi32(exponent, splat(1)), 1);
                lod = _mm512_min_epi32(_mm512_max_epi32(lod, largeLod16), smallLod16);
                scale = _mm512_castsi512_ps(
                    _mm512_slli_epi32(_mm512_sub_epi32(splat(127 + 8), lod), 23));
                offset = _mm512_permutexvar_epi32(lod, offsets);
                shape = _mm512_permutexvar_epi32(lod, shapes);
            }
            const __m512i u = _mm512_sub_epi32(floorToInt16(_mm512_mul_ps(s, scale)), centre);
            const __m512i v = _mm512_sub_epi32(floorToInt16(_mm512_mul_ps(t, scale)), centre);
            const Footprint where = footprint(u, v, offset, shape);
            f.index = where.index;
            f.below = _mm512_add_epi32(where.index, where.stride);
            f.u = u;
            f.v = v;
        }
        return f;
    };
    const auto gatherTexels = [&](Fetched & f) __attribute__((always_inline)) {
        if (kTextured && f.live != 0) {
            if constexpr (Color == FastColor::TexturedBilinear) {
                texelPairs(c.texelBase, f.index, f.t00, f.t10);
                texelPairs(c.texelBase, f.below, f.t01, f.t11);
            } else {
                f.t00 = texelsAt(c.texelBase, f.index);
            }
        }
    };
    const auto fetch = [&](const Lanes& g, __mmask16 inGroup) __attribute__((always_inline)) {
        Fetched f = locate(g, inGroup);
        gatherTexels(f);
        return f;
    };
    const auto finish = [&](const Lanes& g, const Fetched& f, const Piece* pieces,
                            int32_t pieceCount) __attribute__((always_inline)) {
        const __mmask16 live = f.live;
        if (live == 0) {
            return;
        }
        const __m512i depth = f.depth;
        Colors color = {
            _mm512_or_si512(iteratedChannel(g.itB), _mm512_slli_epi32(iteratedChannel(g.itR), 16)),
            iteratedChannel(g.itG)};
        if constexpr (kTextured) {
            const Colors texel =
                Color == FastColor::TexturedBilinear ? bilinear(f) : unpackArgb(f.t00);
            color = {mul255Words(texel.rb, color.rb), mul255Words(texel.ga, color.ga)};
        }
        if constexpr (Color == FastColor::Faded) {
            color.rb = _mm512_sub_epi16(color.rb, mul255Words(color.rb, fade));
            color.ga = _mm512_sub_epi16(color.ga, mul255Words(color.ga, fade));
        }
        if constexpr (Blend != FastBlend::Replace) {
            const Colors destination =
                Rgb565 ? expandRgb565(g.storedColor) : unpackArgb(g.storedColor);
            if constexpr (Blend == FastBlend::Add) {
                color.rb = _mm512_add_epi16(color.rb, destination.rb);
                color.ga = _mm512_add_epi16(color.ga, destination.ga);
            } else {
                color.rb = _mm512_add_epi16(mul255Words(color.rb, sourceWeight),
                                            mul255Words(destination.rb, destinationWeight));
                color.ga = _mm512_add_epi16(mul255Words(color.ga, sourceWeight),
                                            mul255Words(destination.ga, destinationWeight));
            }
            color.rb = _mm512_min_epi16(color.rb, full);
            color.ga = _mm512_min_epi16(color.ga, full);
        }

        const __m512i pixels = Rgb565 ? ditherColors(color, g.thresholds) : packArgb(color);
        const __m256i pixelWords = _mm512_cvtepi32_epi16(pixels); // RGB565
        const __m256i depthWords = _mm512_cvtepi32_epi16(depth);
        written += static_cast<uint64_t>(__builtin_popcount(static_cast<uint32_t>(live)));
        for (int32_t p = 0; p < pieceCount; ++p) {
            const Piece& piece = pieces[p];
            const __mmask16 mine = static_cast<__mmask16>(
                static_cast<uint32_t>(live) & (((1u << piece.count) - 1u) << piece.lane));
            if constexpr (Rgb565) {
                _mm256_mask_storeu_epi16(laneZero(color16 + piece.at, piece.lane), mine,
                                         pixelWords);
            } else {
                _mm512_mask_storeu_epi32(laneZero(color32 + piece.at, piece.lane), mine, pixels);
            }
            if (depthWrite) {
                _mm256_mask_storeu_epi16(laneZero(depthBuffer + piece.at, piece.lane), mine,
                                         depthWords);
            }
        }
    };

    auto pieceAt = [&](const Span& span, int32_t at, int32_t lane, int32_t count) {
        return Piece{static_cast<size_t>(span.memoryRow) * width + static_cast<size_t>(span.x + at),
                     lane, count};
    };
    // A long span's group at its first pixel; the dither pattern repeats every four
    // columns.
    const auto thresholdsAt = [&](const Span& span) {
        return _mm512_broadcast_i32x4(_mm_load_si128(reinterpret_cast<const __m128i*>(
            c.dither->laneThresholds[((span.memoryRow & 3) << 2) | (span.x & 3)])));
    };

    // The group short spans are gathered in: lanes 0..used-1 are pixels, of its pieces.
    Lanes shared;
    int32_t used = 0;
    int32_t pieceCount = 0;
    Piece pieceLists[2][16];
    Piece* pieces = pieceLists[0];
    // A full shared group is fetched, and finished once the next one has been fetched
    // too (or at the end).
    Lanes pending;
    Fetched pendingFetched;
    int32_t pendingPieces = 0; // none pending
    const auto finishPending = [&]() __attribute__((always_inline)) {
        if (pendingPieces > 0) {
            finish(pending, pendingFetched, pieces == pieceLists[0] ? pieceLists[1] : pieceLists[0],
                   pendingPieces);
        }
    };
    // Of the shared group's lanes, what a piece puts there as it is: its span's colour
    // starts, the pixel's offset in the span, the span's first column and memory row.
    // The iterators and dither thresholds are made from them once the group is full,
    // with the same sums: start + offset * step wraps to what start - back * step +
    // lane * step does.
    __m512i startR = splat(0), startG = splat(0), startB = splat(0);
    __m512i offset = lane, column = splat(0), memoryRow = splat(0);
    // ... and the depths and the RGB565 colours there, widened once the group is full.
    __m256i storedDepths = _mm256_setzero_si256(), storedColors = _mm256_setzero_si256();
    // The dither thresholds of the four columns and four rows, (row & 3) * 4 + (column & 3).
    const __m512i ditherTable = _mm512_load_si512(c.dither->positionThresholds);
    const auto completeShared = [&]() __attribute__((always_inline)) {
        shared.fi = _mm512_cvtepi32_ps(offset);
        if constexpr (WBuffer) {
            shared.stored = _mm512_cvtepu16_epi32(storedDepths);
        }
        if constexpr (Blend != FastBlend::Replace && Rgb565) {
            shared.storedColor = _mm512_cvtepu16_epi32(storedColors);
        }
        shared.itR = _mm512_add_epi32(startR, _mm512_mullo_epi32(offset, splat(c.dr)));
        shared.itG = _mm512_add_epi32(startG, _mm512_mullo_epi32(offset, splat(c.dg)));
        shared.itB = _mm512_add_epi32(startB, _mm512_mullo_epi32(offset, splat(c.db)));
        const __m512i x = _mm512_and_si512(_mm512_add_epi32(column, offset), splat(3));
        const __m512i y = _mm512_slli_epi32(_mm512_and_si512(memoryRow, splat(3)), 2);
        shared.thresholds = _mm512_permutexvar_epi32(_mm512_or_si512(x, y), ditherTable);
    };
    const auto shadeShared = [&]() __attribute__((always_inline)) {
        completeShared();
        const Fetched fetched = fetch(shared, 0xFFFF);
        finishPending();
        pending = shared;
        pendingFetched = fetched;
        pendingPieces = pieceCount;
        pieces = pieces == pieceLists[0] ? pieceLists[1] : pieceLists[0];
        used = 0;
        pieceCount = 0;
    };
    shared.oow0 = shared.sow0 = shared.tow0 = shared.toow0 = one;
    shared.stored = shared.storedColor = splat(0);

    for (int32_t k = 0; k < spanCount; ++k) {
        const Span& span = spans[k];
        int32_t at = 0;
        if (span.count >= 16) {
            Lanes g;
            g.fi = lanes;
            g.oow0 = _mm512_set1_ps(span.start.oow);
            g.sow0 = _mm512_set1_ps(span.start.sow);
            g.tow0 = _mm512_set1_ps(span.start.tow);
            g.toow0 = _mm512_set1_ps(span.start.toow);
            // Colour iterators: start + lane * step, then + 16 * step per group.
            g.itR = _mm512_add_epi32(splat(span.start.r), _mm512_mullo_epi32(lane, splat(c.dr)));
            g.itG = _mm512_add_epi32(splat(span.start.g), _mm512_mullo_epi32(lane, splat(c.dg)));
            g.itB = _mm512_add_epi32(splat(span.start.b), _mm512_mullo_epi32(lane, splat(c.db)));
            g.thresholds = thresholdsAt(span);
            g.stored = g.storedColor = splat(0);
            const __m512 sixteen = _mm512_set1_ps(16.0f);
            const __m512i stepR = _mm512_slli_epi32(splat(c.dr), 4);
            const __m512i stepG = _mm512_slli_epi32(splat(c.dg), 4);
            const __m512i stepB = _mm512_slli_epi32(splat(c.db), 4);
            // The group of pixels at..at+15 of the span: its memory and stored values.
            const auto load = [&](Lanes & lanes16, int32_t at16) __attribute__((always_inline)) {
                const Piece piece = pieceAt(span, at16, 0, 16);
                if constexpr (WBuffer) {
                    lanes16.stored = _mm512_cvtepu16_epi32(_mm256_loadu_si256(
                        reinterpret_cast<const __m256i*>(depthBuffer + piece.at)));
                }
                if constexpr (Blend != FastBlend::Replace) {
                    lanes16.storedColor =
                        Rgb565 ? _mm512_cvtepu16_epi32(_mm256_loadu_si256(
                                     reinterpret_cast<const __m256i*>(pixelsOf(piece))))
                               : _mm512_loadu_si512(pixelsOf(piece));
                }
                return piece;
            };
            const auto after = [&](const Lanes& before) __attribute__((always_inline)) {
                Lanes next = before;
                next.fi = _mm512_add_ps(before.fi, sixteen);
                next.itR = _mm512_add_epi32(before.itR, stepR);
                next.itG = _mm512_add_epi32(before.itG, stepG);
                next.itB = _mm512_add_epi32(before.itB, stepB);
                return next;
            };
            Piece piece = load(g, 0);
            Fetched fetched = fetch(g, 0xFFFF);
            at = 16;
            if (span.count - at >= 16) {
                // Three groups in flight: one located, one gathered, one finished.
                Lanes g1 = after(g);
                Piece piece1 = load(g1, at);
                Fetched fetched1 = locate(g1, 0xFFFF);
                for (at += 16; span.count - at >= 16; at += 16) {
                    Lanes g2 = after(g1);
                    const Piece piece2 = load(g2, at);
                    const Fetched fetched2 = locate(g2, 0xFFFF);
                    gatherTexels(fetched1);
                    finish(g, fetched, &piece, 1);
                    g = g1, piece = piece1, fetched = fetched1;
                    g1 = g2, piece1 = piece2, fetched1 = fetched2;
                }
                gatherTexels(fetched1);
                finish(g, fetched, &piece, 1);
                g = g1, piece = piece1, fetched = fetched1;
            }
            finish(g, fetched, &piece, 1);
        }
        // The rest of the span (all of a short one) joins the shared group, spilling into
        // the next one when it is full.
        while (at < span.count) {
            const int32_t into = used; // the first lane the piece takes
            const int32_t n = span.count - at < 16 - into ? span.count - at : 16 - into;
            const __mmask16 own = static_cast<__mmask16>(((1u << n) - 1u) << into);
            const Piece piece = pieceAt(span, at, into, n);
            pieces[pieceCount++] = piece;
            offset = _mm512_mask_sub_epi32(offset, own, lane, splat(into - at));
            shared.oow0 = _mm512_mask_mov_ps(shared.oow0, own, _mm512_set1_ps(span.start.oow));
            shared.sow0 = _mm512_mask_mov_ps(shared.sow0, own, _mm512_set1_ps(span.start.sow));
            shared.tow0 = _mm512_mask_mov_ps(shared.tow0, own, _mm512_set1_ps(span.start.tow));
            shared.toow0 = _mm512_mask_mov_ps(shared.toow0, own, _mm512_set1_ps(span.start.toow));
            startR = _mm512_mask_set1_epi32(startR, own, span.start.r);
            startG = _mm512_mask_set1_epi32(startG, own, span.start.g);
            startB = _mm512_mask_set1_epi32(startB, own, span.start.b);
            column = _mm512_mask_set1_epi32(column, own, span.x);
            memoryRow = _mm512_mask_set1_epi32(memoryRow, own, span.memoryRow);
            if constexpr (WBuffer) {
                storedDepths = _mm256_mask_loadu_epi16(storedDepths, own,
                                                       laneZero(depthBuffer + piece.at, into));
            }
            if constexpr (Blend != FastBlend::Replace && Rgb565) {
                storedColors =
                    _mm256_mask_loadu_epi16(storedColors, own, laneZero(color16 + piece.at, into));
            } else if constexpr (Blend != FastBlend::Replace) {
                shared.storedColor = _mm512_mask_loadu_epi32(shared.storedColor, own,
                                                             laneZero(color32 + piece.at, into));
            }
            used += n;
            at += n;
            if (used == 16) {
                shadeShared();
            }
        }
    }
    if (used > 0) { // the last group, not full
        completeShared();
        const Fetched fetched = fetch(shared, static_cast<__mmask16>((1u << used) - 1u));
        finishPending();
        finish(shared, fetched, pieces, pieceCount);
    } else {
        finishPending();
    }
    c.pixelsWritten += written;
}

template <bool Rgb565, bool WBuffer, FastColor Color, FastBlend Blend>
struct Avx512Spans {
    static void draw(SpanContext& c, const Span* spans, int32_t spanCount) {
        fastSpans16<Rgb565, WBuffer, Color, Blend>(c, spans, spanCount);
    }
};

} // namespace

SpanFunction fastSpanFunctionAvx512(bool rgb565, bool wBuffer, FastColor color, FastBlend blend) {
    return selectFastSpan<Avx512Spans>(rgb565, wBuffer, color, blend);
}

#else

SpanFunction fastSpanFunctionAvx512(bool, bool, FastColor, FastBlend) {
    return nullptr;
}

#endif
