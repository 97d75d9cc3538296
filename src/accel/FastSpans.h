// The fast spans: the states the player draws with, specialised at compile time so that
// the per-pixel loop has no branch on state, with the per-pixel arithmetic of four
// pixels at a time in SSE2 (the x86-64 baseline, FastSpans.cpp), of eight at a time in
// AVX2 (FastSpansAvx2.cpp) or of sixteen in AVX-512 (FastSpansAvx512.cpp), the wider
// ones for processors that have them, chosen at run time.
//
// Covered: a 16- or 32-bit buffer; W-buffer or no depth buffer, any compare function,
// mask on or off; colour = vertex colour, vertex colour faded by the constant alpha
// (the blended surfaces), or texture x vertex colour with point or bilinear filtering
// (one filter for magnification and minification), nearest mip-mapping or none, wrap on
// both axes; blend replace, add, or ONE_MINUS_SRC_ALPHA / SRC_ALPHA with an alpha that
// is the same at every pixel; no alpha test. Everything else takes the general span.
//
// Every value is computed with the same operations in the same order as the general
// span (SpanGeneral.cpp), so all of them give the same bits; a test draws random scenes
// with each and compares the buffers.
//
// Each width is written by hand, one file per instruction set, rather than once with
// Google Highway (which would also give ARM vectors), by measurement: the same span
// (bilinear textured, W-buffered, dithered RGB565) written with Highway 1.0.3, with the
// same loop (then a group per span), gives the same bits but, replaying the fill-rate
// triangles' spans on a 2-core AVX-512 Xeon (bench_span_widths, CPU-time medians, loaded
// machine), took 16-27% longer than the
// sixteen-wide spans (10-px triangles 17.9 against 14.6 ms, 100-px 5.46 against 4.29,
// 5000-px 2.38 against 2.05) and 2-3% longer than the eight-wide ones, although it ran
// 12-14% fewer instructions there (hardware gathers: one instruction, slower than the
// loads they replace). What it costs: its float-to-int conversion saturates, so every
// floor takes a compare and a select more to keep the scalar path's INT32_MIN; its 16-bit
// masked loads and stores are whole-vector reads and read-modify-writes on AVX2, which
// would touch pixels of another thread's band, so partial groups go through the stack;
// and the sixteen-wide spans' sharing of a group by several short spans rests on expand
// and permute instructions it does not offer in that version. Each width is checked
// against the general span by the equivalence test. Off x86-64 the general span draws
// everything.
#pragma once

#include "accel/SpanContext.h"

enum class FastColor { Iterated, Faded, TexturedPoint, TexturedBilinear };
enum class FastBlend { Replace, Add, AlphaOver };

// The four-wide span for a combination, or nullptr where SSE2 is not available.
SpanFunction fastSpanFunctionSse2(bool rgb565, bool wBuffer, FastColor color, FastBlend blend);

// The eight-wide span for a combination, or nullptr when the build has no AVX2 spans.
// Only for a processor where processorHasAvx2() holds.
SpanFunction fastSpanFunctionAvx2(bool rgb565, bool wBuffer, FastColor color, FastBlend blend);

// The sixteen-wide span for a combination, or nullptr when the build has no AVX-512
// spans. Only for a processor where processorHasAvx512() holds.
SpanFunction fastSpanFunctionAvx512(bool rgb565, bool wBuffer, FastColor color, FastBlend blend);

// Whether the processor and the operating system run AVX2 code, or AVX-512 code with the
// F, BW and VL parts.
bool processorHasAvx2();
bool processorHasAvx512();

// The instantiation of `Spans<Rgb565, WBuffer, Color, Blend>::draw` for a combination of
// states; each width of spans keeps its templates in its own file (compiled for its
// instruction set) and picks from them with this. Static, so that each of those files
// has a copy of its own: a shared (weak) one could be the AVX2 file's.
template <template <bool, bool, FastColor, FastBlend> class Spans>
static SpanFunction selectFastSpan(bool rgb565, bool wBuffer, FastColor color, FastBlend blend) {
    const auto byBlend = [blend]<bool Rgb565, bool WBuffer, FastColor Color>() -> SpanFunction {
        switch (blend) {
        case FastBlend::Replace:
            return Spans<Rgb565, WBuffer, Color, FastBlend::Replace>::draw;
        case FastBlend::Add:
            return Spans<Rgb565, WBuffer, Color, FastBlend::Add>::draw;
        default:
            return Spans<Rgb565, WBuffer, Color, FastBlend::AlphaOver>::draw;
        }
    };
    const auto byColor = [&]<bool Rgb565, bool WBuffer>() -> SpanFunction {
        switch (color) {
        case FastColor::Iterated:
            return byBlend.template operator()<Rgb565, WBuffer, FastColor::Iterated>();
        case FastColor::Faded:
            return byBlend.template operator()<Rgb565, WBuffer, FastColor::Faded>();
        case FastColor::TexturedPoint:
            return byBlend.template operator()<Rgb565, WBuffer, FastColor::TexturedPoint>();
        default:
            return byBlend.template operator()<Rgb565, WBuffer, FastColor::TexturedBilinear>();
        }
    };
    if (rgb565) {
        return wBuffer ? byColor.template operator()<true, true>()
                       : byColor.template operator()<true, false>();
    }
    return wBuffer ? byColor.template operator()<false, true>()
                   : byColor.template operator()<false, false>();
}
