#include "accel/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kGuardBand = 524288.0; // 2^19 pixels
constexpr double kColorLimit = 1024.0;
constexpr double kValueLimit = 1e30;

enum Attribute { kRed, kGreen, kBlue, kAlpha, kOow, kOoz, kSow, kTow, kToow, kAttributeCount };

struct SetupVertex {
    double x = 0.0, y = 0.0; // screen pixels, origin coordinates
    double value[kAttributeCount] = {};
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

SetupVertex setupVertexOf(const GrVertex& v) {
    SetupVertex s;
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
    return s;
}

int64_t floorDiv(int64_t n, int64_t d) { // d > 0
    int64_t q = n / d;
    if (n % d != 0 && n < 0) {
        --q;
    }
    return q;
}

int64_t ceilDiv16(int64_t n) {
    return -floorDiv(-n, 16);
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

struct Plane {
    double c0 = 0.0; // value at the centre of pixel (0, 0)
    double ddx = 0.0;
    double ddy = 0.0;
    double at(int64_t column, int64_t row) const {
        return c0 + ddx * static_cast<double>(column) + ddy * static_cast<double>(row);
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
    return static_cast<int32_t>(std::nearbyint(f));
}

// Draws a triangle whose vertices lie inside the guard band.
RasterResult rasterizeInBand(const SetupVertex* v0, const SetupVertex* v1, const SetupVertex* v2,
                             bool cull, const RasterTarget& target, SpanContext& context,
                             SpanFunction span) {
    int64_t x[3], y[3];
    const SetupVertex* v[3] = {v0, v1, v2};
    for (int32_t i = 0; i < 3; ++i) {
        x[i] = static_cast<int64_t>(std::nearbyint(v[i]->x * 16.0));
        y[i] = static_cast<int64_t>(std::nearbyint(v[i]->y * 16.0));
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
    const int64_t lastRow = std::min<int64_t>(floorDiv(maxY - 8, 16), target.clipMaxY - 1);
    const int64_t firstColumn = std::max<int64_t>(ceilDiv16(minX - 8), target.clipMinX);
    const int64_t lastColumn = std::min<int64_t>(floorDiv(maxX - 8, 16), target.clipMaxX - 1);
    if (firstRow > lastRow || firstColumn > lastColumn) {
        return RasterResult::Drawn;
    }

    Edge edges[3];
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t j = (i + 1) % 3;
        edges[i].setUp(x[i], y[i], x[j], y[j], firstRow);
    }

    // Attribute planes over the snapped positions, in pixels.
    const double px[3] = {x[0] / 16.0, x[1] / 16.0, x[2] / 16.0};
    const double py[3] = {y[0] / 16.0, y[1] / 16.0, y[2] / 16.0};
    const double areaPixels = static_cast<double>(area) / 256.0;
    // Which attributes to set up (bits of target.attributes, by Attribute).
    static const uint32_t kBit[kAttributeCount] = {
        kAttributeColor, kAttributeColor,   kAttributeColor,   kAttributeAlpha,  kAttributeOow,
        kAttributeOoz,   kAttributeTexture, kAttributeTexture, kAttributeTexture};
    bool used[kAttributeCount];
    int32_t usedList[kAttributeCount];
    int32_t usedCount = 0;
    Plane planes[kAttributeCount];
    for (int32_t a = 0; a < kAttributeCount; ++a) {
        used[a] = (target.attributes & kBit[a]) != 0;
        if (!used[a]) {
            continue;
        }
        usedList[usedCount++] = a;
        const double d1 = v[1]->value[a] - v[0]->value[a];
        const double d2 = v[2]->value[a] - v[0]->value[a];
        Plane& p = planes[a];
        p.ddx = (d1 * (py[2] - py[0]) - d2 * (py[1] - py[0])) / areaPixels;
        p.ddy = (d2 * (px[1] - px[0]) - d1 * (px[2] - px[0])) / areaPixels;
        p.c0 = v[0]->value[a] + p.ddx * (0.5 - px[0]) + p.ddy * (0.5 - py[0]);
    }
    context.dr = fixedStep(planes[kRed].ddx);
    context.dg = fixedStep(planes[kGreen].ddx);
    context.db = fixedStep(planes[kBlue].ddx);
    context.da = fixedStep(planes[kAlpha].ddx);
    context.doow = toFloat(planes[kOow].ddx);
    context.dooz = toFloat(planes[kOoz].ddx);
    context.dsow = toFloat(planes[kSow].ddx);
    context.dtow = toFloat(planes[kTow].ddx);
    context.dtoow = toFloat(planes[kToow].ddx);
    context.dsowdy = toFloat(planes[kSow].ddy);
    context.dtowdy = toFloat(planes[kTow].ddy);
    context.dtoowdy = toFloat(planes[kToow].ddy);
    context.sharedOow = v[0]->value[kOow] == v[0]->value[kToow] &&
                        v[1]->value[kOow] == v[1]->value[kToow] &&
                        v[2]->value[kOow] == v[2]->value[kToow];

    SpanStart& s = context.start;
    s = SpanStart(); // attributes the state does not read stay 0
    const bool flip = target.origin == GR_ORIGIN_LOWER_LEFT;
    // Each attribute at column 0 of the current row; stepped by ddy row by row.
    double rowBase[kAttributeCount] = {};
    for (int32_t k = 0; k < usedCount; ++k) {
        rowBase[usedList[k]] = planes[usedList[k]].at(0, firstRow);
    }
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
            auto at = [&](int32_t a) { return rowBase[a] + planes[a].ddx * column; };
            if (used[kRed]) {
                s.r = fixedStart(at(kRed));
                s.g = fixedStart(at(kGreen));
                s.b = fixedStart(at(kBlue));
            }
            if (used[kAlpha]) {
                s.a = fixedStart(at(kAlpha));
            }
            if (used[kOow]) {
                s.oow = toFloat(at(kOow));
            }
            if (used[kOoz]) {
                s.ooz = toFloat(at(kOoz));
            }
            if (used[kSow]) {
                s.sow = toFloat(at(kSow));
                s.tow = toFloat(at(kTow));
                s.toow = toFloat(at(kToow));
            }
            const int64_t memoryRow = flip ? target.bufferHeight - 1 - row : row;
            span(context, static_cast<int32_t>(memoryRow), static_cast<int32_t>(left),
                 static_cast<int32_t>(right - left + 1));
        }
        for (Edge& e : edges) {
            e.nextRow();
        }
        for (int32_t k = 0; k < usedCount; ++k) {
            rowBase[usedList[k]] += planes[usedList[k]].ddy;
        }
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
    SetupVertex polygon[8] = {setupVertexOf(a), setupVertexOf(b), setupVertexOf(c)};
    bool inBand = true;
    for (int32_t i = 0; i < 3; ++i) {
        inBand = inBand && std::fabs(polygon[i].x) <= kGuardBand &&
                 std::fabs(polygon[i].y) <= kGuardBand;
    }
    if (inBand) {
        return rasterizeInBand(&polygon[0], &polygon[1], &polygon[2], true, target, context, span);
    }

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
