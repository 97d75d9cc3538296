// One fast span written once with Google Highway, for comparing it with the hand-written
// ones (bench_span_widths): textured (bilinear, nearest mip-mapped, wrap) times vertex
// colour, W-buffered, replace, into a dithered RGB565 buffer. Highway compiles it for
// every target of the build's processor family (SSSE3, SSE4, AVX2, AVX-512 on x86-64;
// NEON, SVE on ARM) and picks one at run time.
//
// It is the loop of FastSpansAvx512.cpp / FastSpansAvx2.cpp in Highway's operations, with
// what bit-identity costs a portable library:
//   - ConvertTo (float to int32) saturates large positive values and NaN to INT32_MAX; the
//     spans' floor must give INT32_MIN for every value out of range as the scalar path
//     does, so each conversion takes a compare and a select more;
//   - 16-bit masked loads and stores are emulated on AVX2 by whole-vector loads and
//     read-modify-write stores, which read and write pixels of other bands (another
//     thread's): partial groups go through a copy on the stack, pixel by pixel;
//   - the 2x2 footprint comes from four 32-bit gathers.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "HighwaySpan.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include "HighwaySpan.h"

HWY_BEFORE_NAMESPACE();
namespace highway_span {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// One lane cannot hold two 16-bit words: the general span draws.
void TexturedBilinearSpans(SpanContext& c, const Span* spans, int32_t spanCount) {
    drawSpansGeneral(c, spans, spanCount);
}
#else
using DF = hn::ScalableTag<float>;
using DI = hn::RebindToSigned<DF>;
using DU = hn::RebindToUnsigned<DF>;
using DU16 = hn::Repartition<uint16_t, DU>;
using DW = hn::Rebind<uint16_t, DU>; // one 16-bit value per 32-bit lane, half width
using VF = hn::Vec<DF>;
using VI = hn::Vec<DI>;
using VU = hn::Vec<DU>;
using V16 = hn::Vec<DU16>;

// floorToInt of PixelMath.h on each lane: INT32_MIN for NaN and out of range.
HWY_INLINE VI floorToInt(VF x) {
    const DI di;
    const DF df;
    const VI converted = hn::ConvertTo(di, x);
    const VI t = hn::IfThenElse(hn::RebindMask(di, hn::Lt(x, hn::Set(df, 2147483648.0f))),
                                converted, hn::Set(di, INT32_MIN));
    const VF back = hn::ConvertTo(df, t);
    return hn::Add(t, hn::VecFromMask(di, hn::RebindMask(di, hn::Gt(back, x))));
}

HWY_INLINE VU encodeWDepth(VF w) {
    const DU du;
    const VU bits = hn::BitCast(du, w);
    const auto low = hn::Lt(bits, hn::Set(du, 0x3F800000u));
    const auto high = hn::Gt(bits, hn::Set(du, 0x477FFFFFu));
    const VU v = hn::ShiftRight<11>(hn::Sub(bits, hn::Set(du, 0x3F800000u)));
    return hn::IfThenElse(high, hn::Set(du, 0xFFFFu), hn::IfThenZeroElse(low, v));
}

HWY_INLINE V16 lerpWords(V16 a, V16 b, V16 g, V16 f) {
    const DU16 d16;
    const V16 sum = hn::Add(hn::Mul(a, g), hn::Mul(b, f));
    return hn::ShiftRight<8>(hn::Add(sum, hn::Set(d16, 128)));
}

HWY_INLINE V16 mul255Words(V16 a, V16 b) {
    const DU16 d16;
    const V16 t = hn::Add(hn::Mul(a, b), hn::Set(d16, 128));
    return hn::ShiftRight<8>(hn::Add(t, hn::ShiftRight<8>(t)));
}

HWY_INLINE VU iteratedChannel(VU iterator) {
    const DI di;
    const VI v = hn::ShiftRight<16>(hn::BitCast(di, iterator));
    return hn::BitCast(DU(), hn::Min(hn::Max(v, hn::Zero(di)), hn::Set(di, 255)));
}

void TexturedBilinearSpans(SpanContext& c, const Span* spans, int32_t spanCount) {
    const DF df;
    const DI di;
    const DU du;
    const DU16 d16;
    const DW dw;
    const int32_t lanes = static_cast<int32_t>(hn::Lanes(df));
    const RenderState& st = *c.state;
    const bool depthWrite = st.depthMask != FXFALSE;
    const uint32_t compare = static_cast<uint32_t>(st.depthFunction) & 7u;
    const VU passLess = hn::Set(du, (compare & 1) != 0 ? ~0u : 0u);
    const VU passEqual = hn::Set(du, (compare & 2) != 0 ? ~0u : 0u);
    const VU passGreater = hn::Set(du, (compare & 4) != 0 ? ~0u : 0u);
    const bool below = compare == 1 || compare == 3;
    const VU belowBias = hn::Set(du, compare == 3 ? 1u : 0u);

    const VF oowStep = hn::Set(df, c.doow), sowStep = hn::Set(df, c.dsow);
    const VF towStep = hn::Set(df, c.dtow), toowStep = hn::Set(df, c.dtoow);
    const VF sowDy = hn::Set(df, c.dsowdy), towDy = hn::Set(df, c.dtowdy);
    const VF toowDy = hn::Set(df, c.dtoowdy);
    const VF one = hn::Set(df, 1.0f);
    const DecodedTexture* texture = c.texture;
    const bool mipMapped =
        st.mipMapMode == GR_MIPMAP_NEAREST && texture->smallLod > texture->largeLod;
    const int32_t largeLod = texture->largeLod;
    const VI largeLodV = hn::Set(di, largeLod), smallLodV = hn::Set(di, texture->smallLod);
    const VF largeScale = hn::BitCast(df, hn::ShiftLeft<23>(hn::Set(di, 127 + 8 - largeLod)));
    const VI largeOffset = hn::Set(di, c.levelOffset[largeLod]);
    const VI largeShape = hn::Set(di, c.levelShape[largeLod]);
    const VI centre = hn::Set(di, 128);
    const uint32_t* texels = c.texelBase;

    const VU lane = hn::Iota(du, 0);
    const VU rampR = hn::Mul(lane, hn::Set(du, static_cast<uint32_t>(c.dr)));
    const VU rampG = hn::Mul(lane, hn::Set(du, static_cast<uint32_t>(c.dg)));
    const VU rampB = hn::Mul(lane, hn::Set(du, static_cast<uint32_t>(c.db)));
    const VU stepR = hn::Mul(hn::Set(du, static_cast<uint32_t>(c.dr)), hn::Set(du, lanes));
    const VU stepG = hn::Mul(hn::Set(du, static_cast<uint32_t>(c.dg)), hn::Set(du, lanes));
    const VU stepB = hn::Mul(hn::Set(du, static_cast<uint32_t>(c.db)), hn::Set(du, lanes));
    const VF laneF = hn::ConvertTo(df, hn::BitCast(di, lane));
    const VF groupStep = hn::Set(df, static_cast<float>(lanes));
    HWY_ALIGN uint32_t pixels[hn::MaxLanes(du)];
    HWY_ALIGN uint32_t depths32[hn::MaxLanes(du)];
    HWY_ALIGN uint16_t tail[hn::MaxLanes(dw)];
    uint64_t written = 0;

    for (int32_t k = 0; k < spanCount; ++k) {
        const Span& span = spans[k];
        const int32_t count = span.count;
        const size_t rowOffset =
            static_cast<size_t>(span.memoryRow) * static_cast<size_t>(c.width) +
            static_cast<size_t>(span.x);
        uint16_t* const depths = c.depth + rowOffset;
        uint16_t* const row16 = c.color16 + rowOffset;
        const VU thresholds = hn::LoadDup128(
            du, c.dither->laneThresholds[((span.memoryRow & 3) << 2) | (span.x & 3)]);
        const VF oow0 = hn::Set(df, span.start.oow), sow0 = hn::Set(df, span.start.sow);
        const VF tow0 = hn::Set(df, span.start.tow), toow0 = hn::Set(df, span.start.toow);
        VU itR = hn::Add(hn::Set(du, static_cast<uint32_t>(span.start.r)), rampR);
        VU itG = hn::Add(hn::Set(du, static_cast<uint32_t>(span.start.g)), rampG);
        VU itB = hn::Add(hn::Set(du, static_cast<uint32_t>(span.start.b)), rampB);
        VF fi = laneF;
        for (int32_t i0 = 0; i0 < count; i0 += lanes, fi = hn::Add(fi, groupStep),
                     itR = hn::Add(itR, stepR), itG = hn::Add(itG, stepG),
                     itB = hn::Add(itB, stepB)) {
            const int32_t n = count - i0 < lanes ? count - i0 : lanes;
            const bool inRow = span.x + i0 + lanes <= c.width;
            const VF w = hn::Div(one, hn::Add(oow0, hn::Mul(fi, oowStep)));
            const VU depth = encodeWDepth(w);
            VU stored;
            if (n == lanes || inRow) {
                stored = hn::PromoteTo(du, hn::LoadU(dw, depths + i0));
            } else {
                for (int32_t j = 0; j < lanes; ++j) {
                    tail[j] = j < n ? depths[i0 + j] : 0;
                }
                stored = hn::PromoteTo(du, hn::Load(dw, tail));
            }
            const auto inSpan = hn::FirstN(du, static_cast<size_t>(n));
            const auto pass =
                below ? hn::Gt(hn::BitCast(di, hn::Add(stored, belowBias)), hn::BitCast(di, depth))
                      : hn::RebindMask(
                            di,
                            hn::Ne(hn::Or(hn::Or(hn::And(hn::VecFromMask(du, hn::Lt(depth, stored)),
                                                         passLess),
                                                 hn::And(hn::VecFromMask(du, hn::Eq(depth, stored)),
                                                         passEqual)),
                                          hn::And(hn::VecFromMask(du, hn::Gt(depth, stored)),
                                                  passGreater)),
                                   hn::Zero(du)));
            const auto live = hn::And(hn::RebindMask(du, pass), inSpan);
            if (hn::AllFalse(du, live)) {
                continue;
            }

            const VU colorRb =
                hn::Or(iteratedChannel(itB), hn::ShiftLeft<16>(iteratedChannel(itR)));
            const VU colorGa = iteratedChannel(itG);
            const VF s = hn::Mul(hn::Add(sow0, hn::Mul(fi, sowStep)), w);
            const VF t = hn::Mul(hn::Add(tow0, hn::Mul(fi, towStep)), w);
            VF scale = largeScale;
            VI offset = largeOffset;
            VI shape = largeShape;
            if (mipMapped) {
                const VF dsdx = hn::Mul(w, hn::Sub(sowStep, hn::Mul(s, toowStep)));
                const VF dtdx = hn::Mul(w, hn::Sub(towStep, hn::Mul(t, toowStep)));
                const VF dsdy = hn::Mul(w, hn::Sub(sowDy, hn::Mul(s, toowDy)));
                const VF dtdy = hn::Mul(w, hn::Sub(towDy, hn::Mul(t, toowDy)));
                const VF footprint = hn::Max(hn::Add(hn::Mul(dsdx, dsdx), hn::Mul(dtdx, dtdx)),
                                             hn::Add(hn::Mul(dsdy, dsdy), hn::Mul(dtdy, dtdy)));
                const VI exponent = hn::Sub(
                    hn::And(hn::ShiftRight<23>(hn::BitCast(di, footprint)), hn::Set(di, 0xFF)),
                    hn::Set(di, 127));
                VI lod = hn::ShiftRight<1>(hn::Add(exponent, hn::Set(di, 1)));
                lod = hn::Min(hn::Max(lod, largeLodV), smallLodV);
                scale = hn::BitCast(df, hn::ShiftLeft<23>(hn::Sub(hn::Set(di, 127 + 8), lod)));
                offset = hn::GatherIndex(di, c.levelOffset, lod);
                shape = hn::GatherIndex(di, c.levelShape, lod);
            }
            const VI u = hn::Sub(floorToInt(hn::Mul(s, scale)), centre);
            const VI v = hn::Sub(floorToInt(hn::Mul(t, scale)), centre);
            const VI x0 = hn::And(hn::ShiftRight<8>(u), hn::And(shape, hn::Set(di, 255)));
            const VI y0 =
                hn::And(hn::ShiftRight<8>(v), hn::And(hn::ShiftRight<8>(shape), hn::Set(di, 255)));
            const VI stride = hn::ShiftRight<16>(shape);
            const VI index = hn::Add(hn::Add(offset, hn::Mul(y0, stride)), x0);
            const VI below1 = hn::Add(index, stride);
            const auto* base = reinterpret_cast<const int32_t*>(texels);
            const VU t00 = hn::BitCast(du, hn::GatherIndex(di, base, index));
            const VU t10 =
                hn::BitCast(du, hn::GatherIndex(di, base, hn::Add(index, hn::Set(di, 1))));
            const VU t01 = hn::BitCast(du, hn::GatherIndex(di, base, below1));
            const VU t11 =
                hn::BitCast(du, hn::GatherIndex(di, base, hn::Add(below1, hn::Set(di, 1))));
            const VU byteMask = hn::Set(du, 0x00FF00FFu);
            auto rb = [&](VU p) { return hn::BitCast(d16, hn::And(p, byteMask)); };
            auto ga = [&](VU p) { return hn::ShiftRight<8>(hn::BitCast(d16, p)); };
            const VU fu = hn::And(hn::BitCast(du, u), hn::Set(du, 255));
            const VU fv = hn::And(hn::BitCast(du, v), hn::Set(du, 255));
            const V16 fu2 = hn::BitCast(d16, hn::Or(fu, hn::ShiftLeft<16>(fu)));
            const V16 fv2 = hn::BitCast(d16, hn::Or(fv, hn::ShiftLeft<16>(fv)));
            const V16 gu2 = hn::Sub(hn::Set(d16, 256), fu2);
            const V16 gv2 = hn::Sub(hn::Set(d16, 256), fv2);
            const V16 texelRb = lerpWords(lerpWords(rb(t00), rb(t10), gu2, fu2),
                                          lerpWords(rb(t01), rb(t11), gu2, fu2), gv2, fv2);
            const V16 texelGa = lerpWords(lerpWords(ga(t00), ga(t10), gu2, fu2),
                                          lerpWords(ga(t01), ga(t11), gu2, fu2), gv2, fv2);
            const V16 outRb = mul255Words(texelRb, hn::BitCast(d16, colorRb));
            const V16 outGa = mul255Words(texelGa, hn::BitCast(d16, colorGa));

            // Dither (the formula of Dither.h) and pack to RGB565 in the low words.
            const V16 th = hn::BitCast(d16, thresholds);
            const V16 erb = hn::Add(outRb, hn::ShiftRight<7>(outRb));
            const V16 ega = hn::Add(outGa, hn::ShiftRight<7>(outGa));
            const VU qrb =
                hn::BitCast(du, hn::ShiftRight<8>(hn::Add(hn::Mul(erb, hn::Set(d16, 31)), th)));
            const VU qg = hn::BitCast(
                du,
                hn::ShiftRight<8>(hn::Add(hn::Mul(ega, hn::BitCast(d16, hn::Set(du, 63))), th)));
            const VU packed = hn::Or(hn::Or(hn::And(qrb, hn::Set(du, 31)), hn::ShiftRight<5>(qrb)),
                                     hn::ShiftLeft<5>(qg));
            if (hn::AllTrue(du, live)) {
                hn::StoreU(hn::DemoteTo(dw, hn::BitCast(di, packed)), dw, row16 + i0);
                if (depthWrite) {
                    hn::StoreU(hn::DemoteTo(dw, hn::BitCast(di, depth)), dw, depths + i0);
                }
                written += static_cast<uint64_t>(lanes);
                continue;
            }
            hn::Store(packed, du, pixels);
            hn::Store(depth, du, depths32);
            uint8_t bits[(hn::MaxLanes(du) + 7) / 8] = {};
            hn::StoreMaskBits(du, live, bits);
            for (int32_t j = 0; j < n; ++j) {
                if ((bits[j / 8] >> (j % 8) & 1) == 0) {
                    continue;
                }
                row16[i0 + j] = static_cast<uint16_t>(pixels[j]);
                if (depthWrite) {
                    depths[i0 + j] = static_cast<uint16_t>(depths32[j]);
                }
                ++written;
            }
        }
    }
    c.pixelsWritten += written;
}
#endif

} // namespace HWY_NAMESPACE
} // namespace highway_span
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace highway_span {
HWY_EXPORT(TexturedBilinearSpans);
} // namespace highway_span

SpanFunction highwayTexturedBilinearSpan(int64_t targets) {
    hwy::SetSupportedTargetsForTest(targets);
    hwy::GetChosenTarget().Update(hwy::SupportedTargets());
    return HWY_DYNAMIC_DISPATCH(highway_span::TexturedBilinearSpans);
}

const char* highwayTargetName(int64_t targets) {
    hwy::SetSupportedTargetsForTest(targets);
    const int64_t best = hwy::SupportedTargets() & HWY_TARGETS;
    return hwy::TargetName(best & -best);
}
#endif
