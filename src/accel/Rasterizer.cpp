#include "accel/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kGuardBand = 524288.0; // 2^19 pixels
constexpr double kColorLimit = 1024.0;
constexpr double kValueLimit = 1e30;

enum Attribute { kRed, kGreen, kBlue, kAlpha, kOow, kOoz, kSow, kTow, kToow, kAttributeCount };
// Attribute arrays are padded to an even length so that the plane arithmetic, the same
// operations on every element, runs two attributes per SSE2 instruction.
constexpr int32_t kPaddedCount = kAttributeCount + 1;

struct SetupVertex {
    double x = 0.0, y = 0.0; // screen pixels, origin coordinates
    double value[kPaddedCount] = {};
};

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

void setUpVertex(const GrVertex& v, SetupVertex& s) {
    s.x = v.x;
    s.y = v.y;
    s.value[kRed] = limited(v.r, kColorLimit);
    s.value[kGreen] = limited(v.g, kColorLimit);
    s.value[kBlue] = limited(v.b, kColorLimit);
    s.value[kAlpha] = limited(v.a, kColorLimit);
    s.value[kOow] = limited(v.oow, kValueLimit);
    s.value[kOoz] = limited(v.ooz, kValueLimit);
    s.value[kSow] = limited(v.tmuvtx[0].sow, kValueLimit);
    s.value[kTow] = limited(v.tmuvtx[0].tow, kValueLimit);
    s.value[kToow] = limited(v.tmuvtx[0].oow, kValueLimit);
    s.value[kAttributeCount] = 0.0;
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

int64_t floorDiv(int64_t n, int64_t d) { // d > 0
    int64_t q = n / d;
    if (n % d != 0 && n < 0) {
        --q;
    }
    return q;
}

// floor(n / 16) and ceil(n / 16): an arithmetic shift is a floor division.
int64_t floorDiv16(int64_t n) {
    return n >> 4;
}
int64_t ceilDiv16(int64_t n) {
    return -((-n) >> 4);
}

// One edge of a positively oriented triangle, stepped row by row (see the header).
struct Edge {
    bool horizontal = false;
    bool upper = false; // bounds the span from the right (dy > 0) or the left (dy < 0)
    int64_t c = 0;      // horizontal edges: the edge function's row constant
    int64_t cStep = 0;
    int64_t q = 0, r = 0, d = 1; // floor(C / d) and remainder for the current row
    int64_t qStep = 0, rStep = 0;

    void setUp(int64_t xi, int64_t yi, int64_t xj, int64_t yj, int64_t firstRow) {
        const int64_t dx = xj - xi;
        const int64_t dy = yj - yi;
        const int64_t bias = (dy < 0 || (dy == 0 && dx > 0)) ? 0 : 1;
        // Inside when C(row) - 16 * dy * column >= 0.
        const int64_t rowConstant = dx * (16 * firstRow + 8 - yi) - dy * (8 - xi) - bias;
        cStep = 16 * dx;
        horizontal = dy == 0;
        if (horizontal) {
            c = rowConstant;
            return;
        }
        upper = dy > 0;
        d = 16 * (dy > 0 ? dy : -dy);
        q = floorDiv(rowConstant, d);
        r = rowConstant - q * d;
        qStep = floorDiv(cStep, d);
        rStep = cStep - qStep * d;
    }

    void nextRow() {
        if (horizontal) {
            c += cStep;
            return;
        }
        q += qStep;
        r += rStep;
        if (r >= d) {
            ++q;
            r -= d;
        }
    }
};

float toFloat(double v) {
    return static_cast<float>(std::min(std::max(v, -kValueLimit), kValueLimit));
}

int32_t fixedStart(double v) { // 16.16 with the rounding half added, floored
    const double f = std::min(std::max((v + 0.5) * 65536.0, -1073741824.0), 1073741824.0);
    const int64_t t = static_cast<int64_t>(f);
    return static_cast<int32_t>(static_cast<double>(t) > f ? t - 1 : t);
}

int32_t fixedStep(double v) {
    const double f = std::min(std::max(v * 65536.0, -16777216.0), 16777216.0);
    return static_cast<int32_t>(roundToInt64(f));
}

// Draws a triangle whose vertices lie inside the guard band.
RasterResult rasterizeInBand(const SetupVertex* v0, const SetupVertex* v1, const SetupVertex* v2,
                             bool cull, const RasterTarget& target, SpanContext& context,
                             SpanFunction span) {
    int64_t x[3], y[3];
    const SetupVertex* v[3] = {v0, v1, v2};
    for (int32_t i = 0; i < 3; ++i) {
        x[i] = roundToInt64(v[i]->x * 16.0);
        y[i] = roundToInt64(v[i]->y * 16.0);
    }
    int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) {
        return RasterResult::Rejected;
    }
    if (cull && ((target.cullMode == GR_CULL_NEGATIVE && area < 0) ||
                 (target.cullMode == GR_CULL_POSITIVE && area > 0))) {
        return RasterResult::Culled;
    }
    if (area < 0) { // order the vertices so that the interior is on the positive side
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        std::swap(v[1], v[2]);
        area = -area;
    }

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
        return RasterResult::Drawn;
    }

    Edge edges[3];
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t j = i == 2 ? 0 : i + 1;
        edges[i].setUp(x[i], y[i], x[j], y[j], firstRow);
    }

    // Attribute planes over the snapped positions, in pixels: the value at the centre of
    // pixel (0, 0) and the steps along x and y. Every attribute is set up, two to an
    // instruction; the ones the state does not read are dropped below.
    const double px[3] = {x[0] / 16.0, x[1] / 16.0, x[2] / 16.0};
    const double py[3] = {y[0] / 16.0, y[1] / 16.0, y[2] / 16.0};
    const double areaPixels = static_cast<double>(area) / 256.0;
    alignas(16) double ddx[kPaddedCount], ddy[kPaddedCount], rowBase[kPaddedCount];
    for (int32_t a = 0; a < kPaddedCount; ++a) {
        const double d1 = v[1]->value[a] - v[0]->value[a];
        const double d2 = v[2]->value[a] - v[0]->value[a];
        ddx[a] = (d1 * (py[2] - py[0]) - d2 * (py[1] - py[0])) / areaPixels;
        ddy[a] = (d2 * (px[1] - px[0]) - d1 * (px[2] - px[0])) / areaPixels;
        const double c0 = v[0]->value[a] + ddx[a] * (0.5 - px[0]) + ddy[a] * (0.5 - py[0]);
        // The value at column 0 of the first row; stepped by ddy row by row.
        rowBase[a] = c0 + ddx[a] * 0.0 + ddy[a] * static_cast<double>(firstRow);
    }
    // Attributes the state does not read stay 0, steps and starts.
    const bool useColor = (target.attributes & kAttributeColor) != 0;
    const bool useAlpha = (target.attributes & kAttributeAlpha) != 0;
    const bool useOow = (target.attributes & kAttributeOow) != 0;
    const bool useOoz = (target.attributes & kAttributeOoz) != 0;
    const bool useTexture = (target.attributes & kAttributeTexture) != 0;
    context.dr = useColor ? fixedStep(ddx[kRed]) : 0;
    context.dg = useColor ? fixedStep(ddx[kGreen]) : 0;
    context.db = useColor ? fixedStep(ddx[kBlue]) : 0;
    context.da = useAlpha ? fixedStep(ddx[kAlpha]) : 0;
    context.doow = useOow ? toFloat(ddx[kOow]) : 0.0f;
    context.dooz = useOoz ? toFloat(ddx[kOoz]) : 0.0f;
    context.dsow = useTexture ? toFloat(ddx[kSow]) : 0.0f;
    context.dtow = useTexture ? toFloat(ddx[kTow]) : 0.0f;
    context.dtoow = useTexture ? toFloat(ddx[kToow]) : 0.0f;
    context.dsowdy = useTexture ? toFloat(ddy[kSow]) : 0.0f;
    context.dtowdy = useTexture ? toFloat(ddy[kTow]) : 0.0f;
    context.dtoowdy = useTexture ? toFloat(ddy[kToow]) : 0.0f;
    context.sharedOow = v[0]->value[kOow] == v[0]->value[kToow] &&
                        v[1]->value[kOow] == v[1]->value[kToow] &&
                        v[2]->value[kOow] == v[2]->value[kToow];

    const bool flip = target.origin == GR_ORIGIN_LOWER_LEFT;
    Span batch[kSpanBatch]; // filled before use
    int32_t batched = 0;
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        int64_t left = firstColumn;
        int64_t right = lastColumn;
        bool empty = false;
        for (const Edge& e : edges) {
            if (e.horizontal) {
                empty = empty || e.c < 0;
            } else if (e.upper) {
                right = std::min(right, e.q);
            } else {
                left = std::max(left, -e.q);
            }
        }
        if (!empty && left <= right) {
            const double column = static_cast<double>(left);
            alignas(16) double at[kPaddedCount];
            for (int32_t a = 0; a < kPaddedCount; ++a) {
                at[a] = rowBase[a] + ddx[a] * column;
            }
            Span& out = batch[batched++];
            out.memoryRow = static_cast<int32_t>(flip ? target.bufferHeight - 1 - row : row);
            out.x = static_cast<int32_t>(left);
            out.count = static_cast<int32_t>(right - left + 1);
            SpanStart& s = out.start;
            s = SpanStart{};
            if (useColor) {
                s.r = fixedStart(at[kRed]);
                s.g = fixedStart(at[kGreen]);
                s.b = fixedStart(at[kBlue]);
            }
            if (useAlpha) {
                s.a = fixedStart(at[kAlpha]);
            }
            if (useOow) {
                s.oow = toFloat(at[kOow]);
            }
            if (useOoz) {
                s.ooz = toFloat(at[kOoz]);
            }
            if (useTexture) {
                s.sow = toFloat(at[kSow]);
                s.tow = toFloat(at[kTow]);
                s.toow = toFloat(at[kToow]);
            }
            if (batched == kSpanBatch) {
                span(context, batch, batched);
                batched = 0;
            }
        }
        for (Edge& e : edges) {
            e.nextRow();
        }
        for (int32_t a = 0; a < kPaddedCount; ++a) {
            rowBase[a] += ddy[a];
        }
    }
    if (batched > 0) {
        span(context, batch, batched);
    }
    return RasterResult::Drawn;
}

SetupVertex lerp(const SetupVertex& a, const SetupVertex& b, double t) {
    SetupVertex r;
    r.x = a.x + (b.x - a.x) * t;
    r.y = a.y + (b.y - a.y) * t;
    for (int32_t i = 0; i < kAttributeCount; ++i) {
        r.value[i] = a.value[i] + (b.value[i] - a.value[i]) * t;
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

RasterResult rasterizeTriangle(const GrVertex& a, const GrVertex& b, const GrVertex& c,
                               const RasterTarget& target, SpanContext& context,
                               SpanFunction span) {
    const GrVertex* in[3] = {&a, &b, &c};
    for (const GrVertex* v : in) {
        if (!std::isfinite(v->x) || !std::isfinite(v->y)) {
            return RasterResult::Rejected;
        }
    }
    if (target.clipMinX >= target.clipMaxX || target.clipMinY >= target.clipMaxY) {
        return RasterResult::Drawn;
    }
    SetupVertex corners[3];
    setUpVertex(a, corners[0]);
    setUpVertex(b, corners[1]);
    setUpVertex(c, corners[2]);
    bool inBand = true;
    for (const SetupVertex& corner : corners) {
        inBand = inBand && std::fabs(corner.x) <= kGuardBand && std::fabs(corner.y) <= kGuardBand;
    }
    if (inBand) {
        return rasterizeInBand(&corners[0], &corners[1], &corners[2], true, target, context, span);
    }

    SetupVertex polygon[8] = {corners[0], corners[1], corners[2]};
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
    for (int32_t k = 1; k + 1 < n; ++k) {
        rasterizeInBand(&polygon[0], &polygon[k], &polygon[k + 1], false, target, context, span);
    }
    return RasterResult::Drawn;
}
