#include "accel/Rasterizer.h"

#include "accel/RasterEdges.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kGuardBand = 524288.0; // 2^19 pixels
constexpr double kColorLimit = 1024.0;
constexpr double kValueLimit = 1e30;

// Attributes in the order of SpanStart, padded to an even count: the plane arithmetic
// handles them two at a time, each lane the same IEEE operations as one scalar.
enum Attribute { kRed, kGreen, kBlue, kAlpha, kOow, kOoz, kSow, kTow, kToow, kAttributeCount };
constexpr int32_t kPairCount = kRasterPairCount;
static_assert(2 * kPairCount == kAttributeCount + 1);

using Pair = RasterPair;
using SetupVertex = RasterVertex;

double limited(float v, double limit) {
    const double d = v;
    if (std::fabs(d) <= limit) {
        return d;
    }
    if (!std::isfinite(v)) {
        return 0.0;
    }
    return d < 0.0 ? -limit : limit;
}

// The attribute pairs of a vertex from its values in GrVertex order (r, g, b, ooz, a,
// oow, sow, tow, texture oow), each limited.
void limitedPairs(const float* f, Pair* value) {
#if defined(__SSE2__)
    // All in range and finite (NaN fails every compare): the doubles are the floats.
    // 0x1.93e592p+99f is the largest float <= 1e30.
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 rgbz = _mm_loadu_ps(f);
    const __m128 awst = _mm_loadu_ps(f + 4);
    const __m128 toow = _mm_load_ss(f + 8);
    const __m128 big = _mm_set1_ps(0x1.93e592p+99f);
    const __m128 okRgbz = _mm_cmple_ps(_mm_and_ps(rgbz, magnitude),
                                       _mm_setr_ps(1024.0f, 1024.0f, 1024.0f, 0x1.93e592p+99f));
    const __m128 okAwst =
        _mm_cmple_ps(_mm_and_ps(awst, magnitude),
                     _mm_setr_ps(1024.0f, 0x1.93e592p+99f, 0x1.93e592p+99f, 0x1.93e592p+99f));
    const __m128 okToow = _mm_cmple_ss(_mm_and_ps(toow, magnitude), big);
    if (_mm_movemask_ps(_mm_and_ps(okRgbz, okAwst)) == 15 && (_mm_movemask_ps(okToow) & 1) != 0) {
        const __m128 bazw = _mm_unpacklo_ps(_mm_movehl_ps(rgbz, rgbz), awst); // b a ooz oow
        value[0] = _mm_cvtps_pd(rgbz);
        value[1] = _mm_cvtps_pd(bazw);
        value[2] = _mm_cvtps_pd(_mm_shuffle_ps(bazw, bazw, _MM_SHUFFLE(1, 0, 2, 3)));
        value[3] = _mm_cvtps_pd(_mm_movehl_ps(awst, awst));
        value[4] = _mm_cvtps_pd(toow); // (texture oow, 0)
        return;
    }
#endif
    value[0] = Pair{limited(f[0], kColorLimit), limited(f[1], kColorLimit)};
    value[1] = Pair{limited(f[2], kColorLimit), limited(f[4], kColorLimit)};
    value[2] = Pair{limited(f[5], kValueLimit), limited(f[3], kValueLimit)};
    value[3] = Pair{limited(f[6], kValueLimit), limited(f[7], kValueLimit)};
    value[4] = Pair{limited(f[8], kValueLimit), 0.0};
}

// The first of a GrVertex's attribute values (they lie in GrVertex order from r on).
const float* valuesOf(const GrVertex& v) {
    static_assert(offsetof(GrVertex, g) == offsetof(GrVertex, r) + 4 &&
                  offsetof(GrVertex, b) == offsetof(GrVertex, r) + 8 &&
                  offsetof(GrVertex, ooz) == offsetof(GrVertex, r) + 12 &&
                  offsetof(GrVertex, a) == offsetof(GrVertex, r) + 16 &&
                  offsetof(GrVertex, oow) == offsetof(GrVertex, r) + 20 &&
                  offsetof(GrVertex, tmuvtx) == offsetof(GrVertex, r) + 24 &&
                  sizeof(GrTmuVertex) == 12);
    return &v.r;
}

void setUpVertex(const GrVertex& v, SetupVertex& s) {
    s.x = v.x;
    s.y = v.y;
    limitedPairs(valuesOf(v), s.value);
}

double attribute(const SetupVertex& v, int32_t a) {
    return v.value[a / 2][a % 2];
}

// v rounded to the nearest integer, ties to even (std::nearbyint in the default rounding
// mode), for |v| < 2^62; one conversion instruction instead of a library call.
int64_t roundToInt64(double v) {
#if defined(__SSE2__) && defined(__x86_64__)
    return _mm_cvtsd_si64(_mm_set_sd(v));
#else
    return static_cast<int64_t>(std::nearbyint(v));
#endif
}

// floor(n / 16) and ceil(n / 16): an arithmetic shift is a floor division.
int64_t floorDiv16(int64_t n) {
    return n >> 4;
}
int64_t ceilDiv16(int64_t n) {
    return -((-n) >> 4);
}

float toFloat(double v) {
    return static_cast<float>(std::min(std::max(v, -kValueLimit), kValueLimit));
}

int32_t fixedStep(double v) {
    const double f = std::min(std::max(v * 65536.0, -16777216.0), 16777216.0);
    return static_cast<int32_t>(roundToInt64(f));
}

// The start values of a span from the attributes at its first pixel; `keep` zeroes the
// ones the state does not read. Colours become 16.16 with the rounding half added,
// floored: floor(clamp((v + 0.5) * 65536, +-2^30)); the others floats clamped to +-1e30.
struct StartMask {
    int32_t color, alpha, oow, ooz, texture; // -1 keep, 0 zero
};

void spanStart(const Pair* at, const StartMask& keep, SpanStart& s) {
#if defined(__SSE2__)
    const __m128d limit = _mm_set1_pd(1073741824.0);
    auto fixed = [&](Pair v) { // two 16.16 values in the low half
        const __m128d f = _mm_min_pd(limit, _mm_max_pd(-limit, (v + 0.5) * 65536.0));
        const __m128i t = _mm_cvttpd_epi32(f); // |f| <= 2^30: exact truncation
        const __m128d back = _mm_cvtepi32_pd(t);
        const __m128i below =
            _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(back, f)), _MM_SHUFFLE(3, 1, 2, 0));
        return _mm_add_epi32(t, below);
    };
    const __m128d valueLimit = _mm_set1_pd(kValueLimit);
    auto floats = [&](Pair v) { // two floats in the low half
        return _mm_cvtpd_ps(_mm_min_pd(valueLimit, _mm_max_pd(-valueLimit, v)));
    };
    // _mm_max_pd(lo, v) is v < lo ? lo : v and _mm_min_pd(hi, m) is hi < m ? hi : m,
    // exactly std::max and std::min as the scalar fall-back uses them.
    const __m128i ints =
        _mm_and_si128(_mm_unpacklo_epi64(fixed(at[0]), fixed(at[1])),
                      _mm_setr_epi32(keep.color, keep.color, keep.color, keep.alpha));
    const __m128 four = _mm_and_ps(
        _mm_movelh_ps(floats(at[2]), floats(at[3])),
        _mm_castsi128_ps(_mm_setr_epi32(keep.oow, keep.ooz, keep.texture, keep.texture)));
    alignas(16) int32_t rgba[4];
    alignas(16) float rest[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(rgba), ints);
    _mm_store_ps(rest, four);
    s.r = rgba[0];
    s.g = rgba[1];
    s.b = rgba[2];
    s.a = rgba[3];
    s.oow = rest[0];
    s.ooz = rest[1];
    s.sow = rest[2];
    s.tow = rest[3];
    s.toow = keep.texture != 0 ? _mm_cvtss_f32(floats(at[4])) : 0.0f;
#else
    auto fixed = [](double v) {
        const double f = std::min(std::max((v + 0.5) * 65536.0, -1073741824.0), 1073741824.0);
        const int64_t t = static_cast<int64_t>(f);
        return static_cast<int32_t>(static_cast<double>(t) > f ? t - 1 : t);
    };
    s.r = keep.color != 0 ? fixed(at[0][0]) : 0;
    s.g = keep.color != 0 ? fixed(at[0][1]) : 0;
    s.b = keep.color != 0 ? fixed(at[1][0]) : 0;
    s.a = keep.alpha != 0 ? fixed(at[1][1]) : 0;
    s.oow = keep.oow != 0 ? toFloat(at[2][0]) : 0.0f;
    s.ooz = keep.ooz != 0 ? toFloat(at[2][1]) : 0.0f;
    s.sow = keep.texture != 0 ? toFloat(at[3][0]) : 0.0f;
    s.tow = keep.texture != 0 ? toFloat(at[3][1]) : 0.0f;
    s.toow = keep.texture != 0 ? toFloat(at[4][0]) : 0.0f;
#endif
}

// Which attribute pairs a state reads (bit k: pair k), so that set-up skips the others.
uint32_t pairsRead(uint32_t attributes) {
    uint32_t pairs = 0;
    pairs |= (attributes & kAttributeColor) != 0 ? 3u : 0u;
    pairs |= (attributes & kAttributeAlpha) != 0 ? 2u : 0u;
    pairs |= (attributes & (kAttributeOow | kAttributeOoz)) != 0 ? 4u : 0u;
    pairs |= (attributes & kAttributeTexture) != 0 ? 24u : 0u;
    return pairs;
}

// Culls and orders a triangle of snapped positions (1/16 pixels, inside the guard band)
// and finds the rows and columns it may write. False when it writes nothing (`result`
// says why); `swapped` tells that vertices 1 and 2 trade places to give positive area.
[[gnu::always_inline]] inline bool placeTriangle(const int64_t (&x)[3], const int64_t (&y)[3],
                                                 bool cull, const RasterTarget& target,
                                                 RasterTriangle& t, bool& swapped,
                                                 RasterResult& result) {
    int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    result = RasterResult::Drawn;
    if (area == 0) {
        result = RasterResult::Rejected;
        return false;
    }
    if (cull && ((target.cullMode == GR_CULL_NEGATIVE && area < 0) ||
                 (target.cullMode == GR_CULL_POSITIVE && area > 0))) {
        result = RasterResult::Culled;
        return false;
    }
    swapped = area < 0; // order the vertices so that the interior is on the positive side

    // Rows and columns whose centres lie within the triangle's bounds and the clip window.
    const int64_t minX = std::min(x[0], std::min(x[1], x[2]));
    const int64_t maxX = std::max(x[0], std::max(x[1], x[2]));
    const int64_t minY = std::min(y[0], std::min(y[1], y[2]));
    const int64_t maxY = std::max(y[0], std::max(y[1], y[2]));
    const int64_t firstRow = std::max<int64_t>(ceilDiv16(minY - 8), target.clipMinY);
    const int64_t lastRow = std::min<int64_t>(floorDiv16(maxY - 8), target.clipMaxY - 1);
    const int64_t firstColumn = std::max<int64_t>(ceilDiv16(minX - 8), target.clipMinX);
    const int64_t lastColumn = std::min<int64_t>(floorDiv16(maxX - 8), target.clipMaxX - 1);
    if (firstRow > lastRow || firstColumn > lastColumn) {
        return false;
    }
    const int32_t order[3] = {0, swapped ? 2 : 1, swapped ? 1 : 2};
    for (int32_t i = 0; i < 3; ++i) {
        t.x[i] = static_cast<int32_t>(x[order[i]]);
        t.y[i] = static_cast<int32_t>(y[order[i]]);
    }
    t.firstRow = static_cast<int32_t>(firstRow);
    t.lastRow = static_cast<int32_t>(lastRow);
    t.firstColumn = static_cast<int32_t>(firstColumn);
    t.lastColumn = static_cast<int32_t>(lastColumn);
    t.bufferHeight = target.bufferHeight;
    t.flip = target.origin == GR_ORIGIN_LOWER_LEFT;
    t.attributes = target.attributes;
    t.piece = -1;
    return true;
}

SetupVertex lerp(const SetupVertex& a, const SetupVertex& b, double t) {
    SetupVertex r;
    r.x = a.x + (b.x - a.x) * t;
    r.y = a.y + (b.y - a.y) * t;
    for (int32_t k = 0; k < kPairCount; ++k) {
        r.value[k] = a.value[k] + (b.value[k] - a.value[k]) * t;
    }
    return r;
}

// Clips a polygon to one side of the guard band: keep points whose coordinate `axis`
// (0 x, 1 y) times `sign` is at most the band.
int32_t clipToBand(const SetupVertex* in, int32_t n, SetupVertex* out, int32_t axis, double sign) {
    auto distance = [&](const SetupVertex& v) {
        return kGuardBand - sign * (axis == 0 ? v.x : v.y);
    };
    int32_t m = 0;
    for (int32_t i = 0; i < n; ++i) {
        const SetupVertex& a = in[i];
        const SetupVertex& b = in[(i + 1) % n];
        const double da = distance(a);
        const double db = distance(b);
        if (da >= 0) {
            out[m++] = a;
        }
        if ((da >= 0) != (db >= 0)) {
            SetupVertex cut = lerp(a, b, da / (da - db));
            // Land exactly on the band whatever the rounding of the interpolation.
            (axis == 0 ? cut.x : cut.y) = sign * kGuardBand;
            out[m++] = cut;
        }
    }
    return m;
}

} // namespace

void drawTriangleRows(const RasterTriangle& t, const RasterVertex* corners, int32_t rowFrom,
                      int32_t rowTo, SpanContext& context, SpanFunction span) {
    if (context.drawRows != nullptr) {
        context.drawRows(t, corners, rowFrom, rowTo, context, span);
        return;
    }
    const int64_t x[3] = {t.x[0], t.x[1], t.x[2]};
    const int64_t y[3] = {t.y[0], t.y[1], t.y[2]};
    const int64_t firstRow = t.firstRow;
    const int64_t startRow = std::max<int64_t>(firstRow, rowFrom);
    const int64_t lastRow = std::min<int64_t>(t.lastRow, rowTo);
    const int64_t firstColumn = t.firstColumn;
    const int64_t lastColumn = t.lastColumn;
    if (startRow > lastRow) {
        return;
    }
    SetupVertex values[3];
    const SetupVertex* v[3] = {&values[0], &values[1], &values[2]};
    if (t.piece < 0) {
        limitedPairs(t.value[0], values[0].value);
        limitedPairs(t.value[1], values[1].value);
        limitedPairs(t.value[2], values[2].value);
    } else {
        for (int32_t i = 0; i < 3; ++i) {
            v[i] = &corners[3 * t.piece + i];
        }
    }
    const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);

    // The edges on the first row drawn: exact integers, the same whichever row they are
    // stepped from.
    Edges edges;
    int32_t lefts = 0, rights = 0;
    edges.addAll(x, y, startRow, lefts, rights);

    // Attribute planes over the snapped positions, in pixels: the steps along x and y,
    // and the value at column 0 of the triangle's first row (from the value at the centre
    // of pixel (0, 0)), stepped by ddy row by row. Only the pairs the state reads are set
    // up; the others stay 0 and are dropped below.
    const uint32_t pairs = pairsRead(t.attributes);
    const double px[3] = {x[0] / 16.0, x[1] / 16.0, x[2] / 16.0};
    const double py[3] = {y[0] / 16.0, y[1] / 16.0, y[2] / 16.0};
    const double areaPixels = static_cast<double>(area) / 256.0;
    const double row0 = static_cast<double>(firstRow);
    Pair ddx[kPairCount] = {}, ddy[kPairCount] = {}, rowBase[kPairCount] = {};
    for (int32_t k = 0; k < kPairCount; ++k) {
        if ((pairs >> k & 1) == 0) {
            continue;
        }
        const Pair d1 = v[1]->value[k] - v[0]->value[k];
        const Pair d2 = v[2]->value[k] - v[0]->value[k];
        ddx[k] = (d1 * (py[2] - py[0]) - d2 * (py[1] - py[0])) / areaPixels;
        ddy[k] = (d2 * (px[1] - px[0]) - d1 * (px[2] - px[0])) / areaPixels;
        const Pair c0 = v[0]->value[k] + ddx[k] * (0.5 - px[0]) + ddy[k] * (0.5 - py[0]);
        rowBase[k] = c0 + ddx[k] * 0.0 + ddy[k] * row0;
    }
    auto stepX = [&](int32_t a) { return ddx[a / 2][a % 2]; };
    auto stepY = [&](int32_t a) { return ddy[a / 2][a % 2]; };

    // Attributes the state does not read stay 0, steps and starts.
    StartMask keep;
    keep.color = (t.attributes & kAttributeColor) != 0 ? -1 : 0;
    keep.alpha = (t.attributes & kAttributeAlpha) != 0 ? -1 : 0;
    keep.oow = (t.attributes & kAttributeOow) != 0 ? -1 : 0;
    keep.ooz = (t.attributes & kAttributeOoz) != 0 ? -1 : 0;
    keep.texture = (t.attributes & kAttributeTexture) != 0 ? -1 : 0;
    context.dr = keep.color != 0 ? fixedStep(stepX(kRed)) : 0;
    context.dg = keep.color != 0 ? fixedStep(stepX(kGreen)) : 0;
    context.db = keep.color != 0 ? fixedStep(stepX(kBlue)) : 0;
    context.da = keep.alpha != 0 ? fixedStep(stepX(kAlpha)) : 0;
    context.doow = keep.oow != 0 ? toFloat(stepX(kOow)) : 0.0f;
    context.dooz = keep.ooz != 0 ? toFloat(stepX(kOoz)) : 0.0f;
    context.dsow = keep.texture != 0 ? toFloat(stepX(kSow)) : 0.0f;
    context.dtow = keep.texture != 0 ? toFloat(stepX(kTow)) : 0.0f;
    context.dtoow = keep.texture != 0 ? toFloat(stepX(kToow)) : 0.0f;
    context.dsowdy = keep.texture != 0 ? toFloat(stepY(kSow)) : 0.0f;
    context.dtowdy = keep.texture != 0 ? toFloat(stepY(kTow)) : 0.0f;
    context.dtoowdy = keep.texture != 0 ? toFloat(stepY(kToow)) : 0.0f;
    context.sharedOow = attribute(*v[0], kOow) == attribute(*v[0], kToow) &&
                        attribute(*v[1], kOow) == attribute(*v[1], kToow) &&
                        attribute(*v[2], kOow) == attribute(*v[2], kToow);

    const bool flip = t.flip;
    Span batch[kSpanBatch]; // filled before use
    int32_t batched = 0;
    // The attributes at column 0 of the current row, in locals (five pairs, written out)
    // so that they stay in registers from row to row.
    Pair base0 = rowBase[0], base1 = rowBase[1], base2 = rowBase[2], base3 = rowBase[3],
         base4 = rowBase[4];
    // Rows above the first one drawn: the same sums, in the same order, as drawing them.
    for (int64_t row = firstRow; row < startRow; ++row) {
        base0 += ddy[0];
        base1 += ddy[1];
        base2 += ddy[2];
        base3 += ddy[3];
        base4 += ddy[4];
    }
    // The rows, for the triangle's edges (see Edges::columns).
    const auto drawRows = [&]<int32_t Lefts, int32_t Rights>() {
        for (int64_t row = startRow; row <= lastRow; ++row) {
            int64_t left, right;
            if (edges.template columns<Lefts, Rights>(firstColumn, lastColumn, left, right)) {
                const double column = static_cast<double>(left);
                const Pair at[kPairCount] = {base0 + ddx[0] * column, base1 + ddx[1] * column,
                                             base2 + ddx[2] * column, base3 + ddx[3] * column,
                                             base4 + ddx[4] * column};
                Span& out = batch[batched++];
                out.memoryRow = static_cast<int32_t>(flip ? t.bufferHeight - 1 - row : row);
                out.x = static_cast<int32_t>(left);
                out.count = static_cast<int32_t>(right - left + 1);
                spanStart(at, keep, out.start);
                if (batched == kSpanBatch) {
                    span(context, batch, batched);
                    batched = 0;
                }
            }
            edges.template nextRow<Lefts, Rights>();
            base0 += ddy[0];
            base1 += ddy[1];
            base2 += ddy[2];
            base3 += ddy[3];
            base4 += ddy[4];
        }
    };
    forEdgeShape(lefts, rights, drawRows);
    if (batched > 0) {
        span(context, batch, batched);
    }
}

RasterResult prepareTriangle(const GrVertex& a, const GrVertex& b, const GrVertex& c,
                             const RasterTarget& target, RasterTriangle* pieces,
                             RasterVertex* corners, int32_t& count) {
    count = 0;
    const GrVertex* in[3] = {&a, &b, &c};
    bool inBand = true;
    int64_t x[3], y[3]; // snapped, when inBand
#if defined(__SSE2__)
    // The common case in a few instructions: all six coordinates finite and inside the
    // band (NaN fails the compare), then snapped four at a time. x * 16 is exact in a
    // float there, so rounding it to an integer gives what rounding the double does.
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 band = _mm_set1_ps(static_cast<float>(kGuardBand));
    const __m128 sixteen = _mm_set1_ps(16.0f);
    const __m128 ab =
        _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&a.x)),
                     reinterpret_cast<const __m64*>(&b.x)); // ax ay bx by
    const __m128 cc = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&c.x));
    const int32_t inside = _mm_movemask_ps(_mm_cmple_ps(_mm_and_ps(ab, magnitude), band)) |
                           _mm_movemask_ps(_mm_cmple_ps(_mm_and_ps(cc, magnitude), band)) << 4;
    inBand = (inside & 0x3F) == 0x3F;
    if (inBand) {
        alignas(16) int32_t snapped[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(snapped),
                        _mm_cvtps_epi32(_mm_mul_ps(ab, sixteen)));
        _mm_store_si128(reinterpret_cast<__m128i*>(snapped + 4),
                        _mm_cvtps_epi32(_mm_mul_ps(cc, sixteen)));
        for (int32_t i = 0; i < 3; ++i) {
            x[i] = snapped[2 * i];
            y[i] = snapped[2 * i + 1];
        }
    } else
#endif
    {
        inBand = true;
        for (const GrVertex* v : in) {
            if (!std::isfinite(v->x) || !std::isfinite(v->y)) {
                return RasterResult::Rejected;
            }
            inBand = inBand && std::fabs(v->x) <= static_cast<float>(kGuardBand) &&
                     std::fabs(v->y) <= static_cast<float>(kGuardBand);
        }
        for (int32_t i = 0; i < 3 && inBand; ++i) {
            x[i] = roundToInt64(static_cast<double>(in[i]->x) * 16.0);
            y[i] = roundToInt64(static_cast<double>(in[i]->y) * 16.0);
        }
    }
    if (target.clipMinX >= target.clipMaxX || target.clipMinY >= target.clipMaxY) {
        return RasterResult::Drawn;
    }
    RasterResult result = RasterResult::Drawn;
    if (inBand) {
        // The common case: only the positions are looked at now; the attributes are copied
        // as they are and limited when drawn.
        bool swapped = false;
        RasterTriangle& t = pieces[0];
        if (!placeTriangle(x, y, true, target, t, swapped, result)) {
            return result;
        }
        std::memcpy(t.value[0], valuesOf(a), sizeof(t.value[0]));
        std::memcpy(t.value[1], valuesOf(swapped ? c : b), sizeof(t.value[1]));
        std::memcpy(t.value[2], valuesOf(swapped ? b : c), sizeof(t.value[2]));
        count = 1;
        return result;
    }

    SetupVertex polygon[8];
    setUpVertex(a, polygon[0]);
    setUpVertex(b, polygon[1]);
    setUpVertex(c, polygon[2]);
    const double area = (polygon[1].x - polygon[0].x) * (polygon[2].y - polygon[0].y) -
                        (polygon[2].x - polygon[0].x) * (polygon[1].y - polygon[0].y);
    if (!(area != 0.0) || !std::isfinite(area)) {
        return RasterResult::Rejected;
    }
    if ((target.cullMode == GR_CULL_NEGATIVE && area < 0) ||
        (target.cullMode == GR_CULL_POSITIVE && area > 0)) {
        return RasterResult::Culled;
    }
    SetupVertex other[8];
    int32_t n = 3;
    n = clipToBand(polygon, n, other, 0, 1.0);
    n = clipToBand(other, n, polygon, 0, -1.0);
    n = clipToBand(polygon, n, other, 1, 1.0);
    n = clipToBand(other, n, polygon, 1, -1.0);
    for (int32_t k = 1; k + 1 < n && count < kMaxRasterPieces; ++k) {
        const SetupVertex* v[3] = {&polygon[0], &polygon[k], &polygon[k + 1]};
        int64_t x[3], y[3];
        for (int32_t i = 0; i < 3; ++i) {
            x[i] = roundToInt64(v[i]->x * 16.0);
            y[i] = roundToInt64(v[i]->y * 16.0);
        }
        bool swapped = false;
        RasterTriangle& t = pieces[count];
        if (placeTriangle(x, y, false, target, t, swapped, result)) {
            t.piece = count;
            corners[3 * count] = *v[0];
            corners[3 * count + 1] = *v[swapped ? 2 : 1];
            corners[3 * count + 2] = *v[swapped ? 1 : 2];
            ++count;
        }
    }
    return RasterResult::Drawn;
}

RasterResult rasterizeTriangle(const GrVertex& a, const GrVertex& b, const GrVertex& c,
                               const RasterTarget& target, SpanContext& context,
                               SpanFunction span) {
    RasterTriangle pieces[kMaxRasterPieces];
    RasterVertex corners[3 * kMaxRasterPieces];
    int32_t count = 0;
    const RasterResult result = prepareTriangle(a, b, c, target, pieces, corners, count);
    for (int32_t k = 0; k < count; ++k) {
        drawTriangleRows(pieces[k], corners, INT32_MIN, INT32_MAX, context, span);
    }
    return result;
}
