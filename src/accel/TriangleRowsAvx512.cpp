// The rows of a prepared triangle (see Rasterizer.h for the edges, the fill rule and the
// planes), drawn with AVX-512 for processors that have it (chosen at run time with the
// sixteen-wide spans, see SpanSelection.cpp); they give exactly the baseline's bits.
//
// Why. Below about a hundred pixels a triangle costs more to set up than to shade: eight
// attribute planes (r, g, b, a, oow, ooz, sow, tow) in double precision, each evaluated
// at the first pixel of every row's span and converted to the span's start values. Here
// those eight are one vector of eight doubles, so that each step of the arithmetic is one
// instruction where the baseline takes four (two attributes at a time), and a span's
// start values are converted and stored at once, in SpanStart's order: bench_fill_rate
// on two threads of a 2-core AVX-512 Xeon fills 10% more pixels a second with 10-pixel
// triangles, 13% more with 100-pixel ones, than with the baseline's rows. (Compiled for
// AVX2 or the baseline the same source ran slower than the baseline's pairs, 8% and 25%:
// vectors wider than the registers go through memory.)
//
// Why the bits do not change. Every lane does the IEEE double operations of the
// baseline's pairs in the same order (no fused multiply-add: -ffp-contract=off), the same
// truncating and rounding conversions, and MIN and MAX with the same operands. Lanes of
// attributes the state does not read are computed too and then zeroed, as there. The
// texture unit's 1 / w is a ninth plane, set up apart (as scalars, the same operations)
// unless it equals the vertex 1 / w at all three vertices, where its plane is the vertex
// one bit for bit.
//
// Like the wide span files, this one calls no inline function of another header (the
// edges' code, RasterEdges.h, has internal linkage) and keeps what it defines in an
// anonymous namespace (a test checks its object for weak symbols).
#include "accel/TriangleRows.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VL__)

#include <cstddef>
#include <cstring>

#include <immintrin.h>

#include "accel/RasterEdges.h"

// The vectors never cross a call between separately compiled code (every function taking
// or returning one is this file's own and inlined), so the calling convention of the
// wider registers does not matter here.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// The eight planes, in SpanStart's order: r, g, b, a, oow, ooz, sow, tow.
using Doubles = double __attribute__((vector_size(64)));
using Ints = int32_t __attribute__((vector_size(32)));
using Floats = float __attribute__((vector_size(32)));
// Lanes read by name (the colours are lanes 0 to kAlpha).
constexpr int32_t kAlpha = 3, kOow = 4, kSow = 6, kTow = 7;

constexpr double kColorLimit = 1024.0;
constexpr double kValueLimit = 1e30;
// The largest float <= 1e30.
constexpr float kValueLimitFloat = 0x1.93e592p+99f;

int64_t larger(int64_t a, int64_t b) {
    return a < b ? b : a;
}
int64_t smaller(int64_t a, int64_t b) {
    return b < a ? b : a;
}

// The first eight of a vertex's values in GrVertex order (r, g, b, ooz, a, oow, sow, tow)
// in the planes' order. (Shuffled in registers: built from single floats, the vector
// would be read back whole just after eight small stores, and wait for them. Loaded as
// two halves, the way the triangle's values were just stored when it is drawn at once:
// a load spanning two stores waits for both to reach the cache, 10% of the time of
// 10-pixel triangles on one thread.)
[[gnu::always_inline]] inline Floats inPlaneOrder(const float* f) {
    const __m256 values =
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(f)), _mm_loadu_ps(f + 4), 1);
    return _mm256_permutevar8x32_ps(values, _mm256_setr_epi32(0, 1, 2, 4, 5, 3, 6, 7));
}

// Whether |v| <= limit in every lane (false for NaN).
[[gnu::always_inline]] inline bool within(Floats v, Floats limit) {
    const Floats magnitude =
        reinterpret_cast<Floats>(reinterpret_cast<Ints>(v) & (Ints{} + 0x7FFFFFFF));
    return _mm256_movemask_ps(_mm256_cmp_ps(magnitude, limit, _CMP_LE_OQ)) == 0xFF;
}

double clamped(double v, double limit) {
    const double m = -limit > v ? -limit : v;
    return limit < m ? limit : m;
}

double limited(float v, double limit) {
    const double d = v;
    if (__builtin_fabs(d) <= limit) {
        return d;
    }
    if (!__builtin_isfinite(v)) {
        return 0.0;
    }
    return d < 0.0 ? -limit : limit;
}

// A vertex's attributes limited to finite values, from the caller's in GrVertex order (r,
// g, b, ooz, a, oow, sow, tow, texture oow): the eight planes' (`lanes`) and the texture
// unit's 1 / w (`toow`). Kept apart rather than in one record, whose copy would read the
// scalar back as part of a vector just after storing it (a stall of its own).
[[gnu::always_inline]] inline void limitedValues(const float* f, Doubles& lanes, double& toow) {
    const Floats raw = inPlaneOrder(f);
    const Floats limit = {1024.0f,          1024.0f,          1024.0f,          1024.0f,
                          kValueLimitFloat, kValueLimitFloat, kValueLimitFloat, kValueLimitFloat};
    if (within(raw, limit)) { // then the doubles are the floats
        lanes = __builtin_convertvector(raw, Doubles);
    } else {
        for (int32_t i = 0; i < 8; ++i) {
            lanes[i] = limited(raw[i], i <= kAlpha ? kColorLimit : kValueLimit);
        }
    }
    toow = limited(f[8], kValueLimit);
}

// From a cut piece's corner, whose pairs are (r, g), (b, a), (oow, ooz), (sow, tow),
// (texture oow, 0): the first four are the eight planes' order.
[[gnu::always_inline]] inline void cornerValues(const RasterVertex& corner, Doubles& lanes,
                                                double& toow) {
    static_assert(sizeof(Doubles) == 4 * sizeof(RasterPair));
    std::memcpy(&lanes, &corner.value[0], sizeof(Doubles));
    toow = corner.value[4][0];
}

float toFloat(double v) {
    return static_cast<float>(clamped(v, kValueLimit));
}

// MAX(lo, v) then MIN(hi, m) as the baseline does them (the second operand on NaN): v
// clamped to +-limit.
[[gnu::always_inline]] inline __m512d clamped8(__m512d v, double limit) {
    return _mm512_min_pd(_mm512_set1_pd(limit), _mm512_max_pd(_mm512_set1_pd(-limit), v));
}

// Colours (lanes 0-3) from `fixed`, the other lanes the floats of `others` clamped to
// +-1e30, as 32-bit words in SpanStart's and SpanContext's order.
[[gnu::always_inline]] inline Ints withFloats(__m256i fixed, __m512d others) {
    const __m256i floats = _mm256_castps_si256(_mm512_cvtpd_ps(clamped8(others, kValueLimit)));
    return reinterpret_cast<Ints>(_mm256_mask_blend_epi32(0xF0, fixed, floats));
}

// The steps along x in SpanContext's order (dr, dg, db, da, doow, dooz, dsow, dtow), before
// the unread ones are zeroed: colours in 16.16 rounded to nearest, ties to even
// (round(clamp(v * 65536, +-2^24)), as the baseline's conversion of one value in the
// default rounding mode), the others floats clamped to +-1e30.
[[gnu::always_inline]] inline Ints stepValues(Doubles ddx) {
    const __m512d f = clamped8(_mm512_mul_pd(ddx, _mm512_set1_pd(65536.0)), 16777216.0);
    return withFloats(_mm512_cvtpd_epi32(f), ddx);
}

// The start values of a span from the planes at its first pixel, in SpanStart's order,
// before the unread ones are zeroed: colours 16.16 with the rounding half added, floored
// (floor(clamp((v + 0.5) * 65536, +-2^30))), the others floats clamped to +-1e30.
[[gnu::always_inline]] inline Ints startValues(Doubles at) {
    const __m512d f =
        clamped8(_mm512_mul_pd(_mm512_add_pd(at, _mm512_set1_pd(0.5)), _mm512_set1_pd(65536.0)),
                 1073741824.0);
    return withFloats(_mm512_cvttpd_epi32(_mm512_roundscale_pd(f, _MM_FROUND_TO_NEG_INF)), at);
}

// The texture unit's 1 / w plane when it is not the vertex one: the same operations as
// a lane of the others.
struct ScalarPlane {
    double ddx = 0.0, ddy = 0.0, base = 0.0;
};

void drawVectorRows(const RasterTriangle& t, const RasterVertex* corners, int32_t rowFrom,
                    int32_t rowTo, SpanContext& context, SpanFunction span) {
    const int64_t x[3] = {t.x[0], t.x[1], t.x[2]};
    const int64_t y[3] = {t.y[0], t.y[1], t.y[2]};
    const int64_t firstRow = t.firstRow;
    const int64_t startRow = larger(firstRow, rowFrom);
    const int64_t lastRow = smaller(t.lastRow, rowTo);
    const int64_t firstColumn = t.firstColumn;
    const int64_t lastColumn = t.lastColumn;
    if (startRow > lastRow) {
        return;
    }
    Doubles v[3];
    double vertexToow[3];
    for (int32_t i = 0; i < 3; ++i) {
        if (t.piece < 0) {
            limitedValues(t.value[i], v[i], vertexToow[i]);
        } else {
            cornerValues(corners[3 * t.piece + i], v[i], vertexToow[i]);
        }
    }
    const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);

    // Attribute planes over the snapped positions, in pixels: the steps along x and y,
    // and the value at column 0 of the triangle's first row (from the value at the centre
    // of pixel (0, 0)), stepped by ddy row by row.
    const double px[3] = {x[0] / 16.0, x[1] / 16.0, x[2] / 16.0};
    const double py[3] = {y[0] / 16.0, y[1] / 16.0, y[2] / 16.0};
    const double areaPixels = static_cast<double>(area) / 256.0;
    const double row0 = static_cast<double>(firstRow);
    const auto plane = [&](auto v0, auto v1, auto v2, auto& ddx, auto& ddy, auto& base) {
        const auto d1 = v1 - v0;
        const auto d2 = v2 - v0;
        ddx = (d1 * (py[2] - py[0]) - d2 * (py[1] - py[0])) / areaPixels;
        ddy = (d2 * (px[1] - px[0]) - d1 * (px[2] - px[0])) / areaPixels;
        const auto c0 = v0 + ddx * (0.5 - px[0]) + ddy * (0.5 - py[0]);
        base = c0 + ddx * 0.0 + ddy * row0;
    };
    Doubles ddx, ddy, base;
    plane(v[0], v[1], v[2], ddx, ddy, base);
    const bool sharedOow =
        v[0][kOow] == vertexToow[0] && v[1][kOow] == vertexToow[1] && v[2][kOow] == vertexToow[2];
    ScalarPlane toow;
    if (!sharedOow) {
        plane(vertexToow[0], vertexToow[1], vertexToow[2], toow.ddx, toow.ddy, toow.base);
    }

    // The edges on the first row drawn: exact integers, the same whichever row they are
    // stepped from. (Set up after the planes, so that their divisions are under way
    // while this integer work is done.)
    Edges edges;
    int32_t lefts = 0, rights = 0;
    edges.addAll(x, y, startRow, lefts, rights);

    // Attributes the state does not read stay 0, steps and starts.
    const int32_t color = (t.attributes & kAttributeColor) != 0 ? -1 : 0;
    const int32_t alpha = (t.attributes & kAttributeAlpha) != 0 ? -1 : 0;
    const int32_t oow = (t.attributes & kAttributeOow) != 0 ? -1 : 0;
    const int32_t ooz = (t.attributes & kAttributeOoz) != 0 ? -1 : 0;
    const int32_t texture = (t.attributes & kAttributeTexture) != 0 ? -1 : 0;
    const Ints keep = {color, color, color, alpha, oow, ooz, texture, texture};
    const Ints firstSteps = stepValues(ddx) & keep; // dr, dg, db, da, doow, dooz, dsow, dtow
    static_assert(offsetof(SpanContext, dg) == offsetof(SpanContext, dr) + 4 &&
                  offsetof(SpanContext, doow) == offsetof(SpanContext, dr) + 16 &&
                  offsetof(SpanContext, dtow) == offsetof(SpanContext, dr) + 28);
    std::memcpy(&context.dr, &firstSteps, sizeof(firstSteps));
    context.dtoow = texture != 0 ? toFloat(sharedOow ? ddx[kOow] : toow.ddx) : 0.0f;
    context.dsowdy = texture != 0 ? toFloat(ddy[kSow]) : 0.0f;
    context.dtowdy = texture != 0 ? toFloat(ddy[kTow]) : 0.0f;
    context.dtoowdy = texture != 0 ? toFloat(sharedOow ? ddy[kOow] : toow.ddy) : 0.0f;
    context.sharedOow = sharedOow;

    static_assert(offsetof(SpanStart, r) == 0 && offsetof(SpanStart, tow) == 28 &&
                  offsetof(SpanStart, toow) == 32);
    const bool flip = t.flip;
    const uint16_t* const depth = context.depth;
    const size_t width = static_cast<size_t>(context.width);
    Span batch[kSpanBatch]; // filled before use
    int32_t batched = 0;
    // Rows above the first one drawn: the same sums, in the same order, as drawing them.
    for (int64_t row = firstRow; row < startRow; ++row) {
        base += ddy;
        toow.base += toow.ddy;
    }
    // The rows, for the triangle's edges (see Edges::columns).
    const auto drawRows = [&]<int32_t Lefts, int32_t Rights>() {
        for (int64_t row = startRow; row <= lastRow; ++row) {
            int64_t left, right;
            if (edges.template columns<Lefts, Rights>(firstColumn, lastColumn, left, right)) {
                const double column = static_cast<double>(left);
                const Doubles at = base + ddx * column;
                const Ints values = startValues(at);
                const Ints start = values & keep;
                Span& out = batch[batched++];
                out.memoryRow = static_cast<int32_t>(flip ? t.bufferHeight - 1 - row : row);
                out.x = static_cast<int32_t>(left);
                out.count = static_cast<int32_t>(right - left + 1);
                std::memcpy(&out.start, &start, sizeof(start));
                // The span's first depths, which the span function reads first.
                _mm_prefetch(reinterpret_cast<const char*>(
                                 depth + static_cast<size_t>(out.memoryRow) * width + out.x),
                             _MM_HINT_T0);
                if (sharedOow) {
                    const int32_t bits = values[kOow] & texture;
                    std::memcpy(&out.start.toow, &bits, sizeof(bits));
                } else {
                    out.start.toow = texture != 0 ? toFloat(toow.base + toow.ddx * column) : 0.0f;
                }
                if (batched == kSpanBatch) {
                    span(context, batch, batched);
                    batched = 0;
                }
            }
            edges.template nextRow<Lefts, Rights>();
            base += ddy;
            toow.base += toow.ddy;
        }
    };
    forEdgeShape(lefts, rights, drawRows);
    if (batched > 0) {
        span(context, batch, batched);
    }
}

} // namespace

TriangleRowsFunction triangleRowsFunctionAvx512() {
    return drawVectorRows;
}

#else

TriangleRowsFunction triangleRowsFunctionAvx512() {
    return nullptr;
}

#endif
