#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "DeviceTestSupport.h"
#include "accel/FastSpans.h"
#include "accel/TriangleRows.h"

namespace {

class RasterizerTest : public DeviceTest {
protected:
    // Each drawn pixel adds 1 to red: after drawing, red counts the writes per pixel.
    void openCounting(int32_t width, int32_t height) {
        open(width, height);
        gouraudState();
        grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    }
    static GrVertex one(double x, double y) {
        return vertex(static_cast<float>(x), static_cast<float>(y), 1, 0, 0);
    }
    int32_t countPixels(uint32_t value) const {
        int32_t n = 0;
        for (int32_t y = 0; y < device_->height(); ++y) {
            for (int32_t x = 0; x < device_->width(); ++x) {
                n += red(x, y) == value ? 1 : 0;
            }
        }
        return n;
    }
};

struct Point {
    double x, y;
};

// Exact for coordinates on the 1/16 grid: the sign of the cross product.
double side(Point a, Point b, Point p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

double snap(double v) {
    return std::nearbyint(v * 16.0) / 16.0;
}

// Vertices of which about a third of the values are hostile: not finite, beyond the
// limits or the guard band, denormal, on pixel boundaries.
class HostileVertices {
public:
    GrVertex next() {
        GrVertex v;
        GrTmuVertex& t = v.tmuvtx[0];
        for (float* f :
             {&v.x, &v.y, &v.z, &v.r, &v.g, &v.b, &v.ooz, &v.a, &v.oow, &t.sow, &t.tow, &t.oow}) {
            *f = random_() % 3 == 0 ? pick() : static_cast<float>(random_() % 2000) / 100.0f - 2;
        }
        return v;
    }

private:
    float pick() {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        const float max = std::numeric_limits<float>::max();
        const float tiny = std::numeric_limits<float>::denorm_min();
        const float values[] = {nan,    inf,    -inf,   max,   -max,      tiny,
                                1e30f,  -1e30f, 1e7f,   -1e7f, 524288.0f, -524289.0f,
                                0.0f,   -0.0f,  0.5f,   3.2f,  7.9999f,   8.0f,
                                15.99f, 16.0f,  256.0f, -1.0f, 5000.0f};
        return values[random_() % (sizeof(values) / sizeof(values[0]))];
    }
    std::mt19937 random_{11};
};

// What a row drawer handed to the span function: per call the triangle's steps (as bits)
// and its spans.
std::vector<uint32_t>* recordedSpans = nullptr;

void recordSpans(SpanContext& c, const Span* spans, int32_t count) {
    const float steps[] = {c.doow, c.dooz, c.dsow, c.dtow, c.dtoow, c.dsowdy, c.dtowdy, c.dtoowdy};
    for (const int32_t v : {c.dr, c.dg, c.db, c.da, c.sharedOow ? 1 : 0}) {
        recordedSpans->push_back(static_cast<uint32_t>(v));
    }
    for (const float f : steps) {
        recordedSpans->push_back(std::bit_cast<uint32_t>(f));
    }
    const uint32_t* words = reinterpret_cast<const uint32_t*>(spans);
    static_assert(sizeof(Span) % 4 == 0);
    recordedSpans->insert(recordedSpans->end(), words, words + count * sizeof(Span) / 4);
}

} // namespace

TEST_F(RasterizerTest, FansAroundAPointCoverEveryPixelOfTheirAreaExactlyOnce) {
    const int32_t size = 48;
    std::mt19937 random(7);
    for (int32_t round = 0; round < 60; ++round) {
        openCounting(size, size);
        // Centres and corners on a coarse grid in some rounds, so that many pixel centres
        // lie exactly on edges and vertices.
        const double grid = round % 3 == 0 ? 0.5 : (round % 3 == 1 ? 1.0 / 16.0 : 0.25);
        std::uniform_real_distribution<double> centre(16.0, 32.0);
        const Point c = {std::round(centre(random) / grid) * grid,
                         std::round(centre(random) / grid) * grid};
        const int32_t corners = 3 + static_cast<int32_t>(random() % 10);
        std::vector<Point> polygon;
        const double phase = std::uniform_real_distribution<double>(0, 6.3)(random);
        for (int32_t i = 0; i < corners; ++i) {
            const double angle = phase + 2.0 * std::numbers::pi * i / corners;
            polygon.push_back({snap(std::round((c.x + 14.0 * std::cos(angle)) / grid) * grid),
                               snap(std::round((c.y + 14.0 * std::sin(angle)) / grid) * grid)});
        }
        for (int32_t i = 0; i < corners; ++i) {
            const Point a = polygon[i];
            const Point b = polygon[(i + 1) % corners];
            // Either winding: the fill rule must not depend on it.
            if (random() % 2 == 0) {
                triangle(one(c.x, c.y), one(a.x, a.y), one(b.x, b.y));
            } else {
                triangle(one(b.x, b.y), one(a.x, a.y), one(c.x, c.y));
            }
        }
        // The polygon winds one way; a centre strictly inside all its edges must be drawn
        // once, one strictly outside never, one on the outline at most once.
        const double orientation = side(polygon[0], polygon[1], polygon[2]) > 0 ? 1.0 : -1.0;
        for (int32_t y = 0; y < size; ++y) {
            for (int32_t x = 0; x < size; ++x) {
                const Point p = {x + 0.5, y + 0.5};
                bool inside = true;
                bool outside = false;
                for (int32_t i = 0; i < corners; ++i) {
                    const double s = orientation * side(polygon[i], polygon[(i + 1) % corners], p);
                    inside = inside && s > 0;
                    outside = outside || s < 0;
                }
                const uint32_t count = red(x, y);
                if (inside) {
                    ASSERT_EQ(count, 1u) << "round " << round << " pixel " << x << "," << y;
                } else if (outside) {
                    ASSERT_EQ(count, 0u) << "round " << round << " pixel " << x << "," << y;
                } else {
                    ASSERT_LE(count, 1u) << "round " << round << " pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(RasterizerTest, MeshOfUnsnappedQuadsHasNoCracksAndNoOverlaps) {
    // Vertices anywhere (not on the 1/16 grid): the device's own snap makes shared edges
    // match, so a jittered grid of quads still tiles its area.
    openCounting(40, 40);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> jitter(-0.45f, 0.45f);
    GrVertex grid[9][9];
    for (int32_t j = 0; j < 9; ++j) {
        for (int32_t i = 0; i < 9; ++i) {
            const bool border = i == 0 || j == 0 || i == 8 || j == 8;
            grid[j][i] = vertex(4.0f + 4.0f * i + (border ? 0.0f : jitter(random)),
                                4.0f + 4.0f * j + (border ? 0.0f : jitter(random)), 1, 0, 0);
        }
    }
    for (int32_t j = 0; j < 8; ++j) {
        for (int32_t i = 0; i < 8; ++i) {
            triangle(grid[j][i], grid[j][i + 1], grid[j + 1][i + 1]);
            triangle(grid[j][i], grid[j + 1][i + 1], grid[j + 1][i]);
        }
    }
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            const bool inside = x >= 4 && x < 36 && y >= 4 && y < 36;
            ASSERT_EQ(red(x, y), inside ? 1u : 0u) << x << "," << y;
        }
    }
}

TEST_F(RasterizerTest, EdgesThroughPixelCentresBelongToTheTriangleOnTheirRightAndBelow) {
    openCounting(12, 12);
    // Edges on integer coordinates never touch a centre; on half-integer coordinates
    // they pass through a column or row of centres: the left and the top (smaller y)
    // edges keep them, the right and bottom edges leave them.
    rectangle(2.5f, 3.5f, 6.5f, 8.5f, one(0, 0));
    for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x <= 5 && y >= 3 && y <= 7;
            EXPECT_EQ(red(x, y), inside ? 1u : 0u) << x << "," << y;
        }
    }
}

TEST_F(RasterizerTest, VerticesSnapToTheNearestSixteenthOfAPixel) {
    openCounting(8, 8);
    // 2.53 snaps to 2.5 (a centre on the left edge: drawn); 5.47 to 5.5 (right edge: not).
    rectangle(2.53f, 1.0f, 5.47f, 2.0f, one(0, 0));
    EXPECT_EQ(red(1, 1), 0u);
    EXPECT_EQ(red(2, 1), 1u);
    EXPECT_EQ(red(4, 1), 1u);
    EXPECT_EQ(red(5, 1), 0u);
}

TEST_F(RasterizerTest, ClipWindowBoundsEveryWriteInBothOrigins) {
    for (GrOriginLocation_t origin : {GR_ORIGIN_UPPER_LEFT, GR_ORIGIN_LOWER_LEFT}) {
        openCounting(10, 8);
        grSstOrigin(origin);
        grClipWindow(2, 3, 5, 6); // x 2..4, y 3..5 in the origin's coordinates
        rectangle(-20, -20, 40, 40, one(0, 0));
        for (int32_t row = 0; row < 8; ++row) {
            const int32_t y = origin == GR_ORIGIN_UPPER_LEFT ? row : 7 - row;
            for (int32_t x = 0; x < 10; ++x) {
                const bool inside = x >= 2 && x < 5 && y >= 3 && y < 6;
                ASSERT_EQ(red(x, row), inside ? 1u : 0u) << origin << " " << x << "," << row;
            }
        }
    }
    // A window beyond the buffer is limited to it; an empty one draws nothing.
    openCounting(6, 5);
    grClipWindow(0, 0, 100000, 100000);
    rectangle(-1e6f, -1e6f, 1e6f, 1e6f, one(0, 0));
    grClipWindow(4, 4, 2, 2);
    rectangle(0, 0, 6, 5, one(0, 0));
    EXPECT_EQ(countPixels(1), 30);
}

TEST_F(RasterizerTest, CullModeRemovesTrianglesBySignOfArea) {
    openCounting(8, 8);
    const GrVertex a = one(0, 0), b = one(8, 0), c = one(0, 8);
    grCullMode(GR_CULL_NEGATIVE);
    triangle(a, c, b); // negative area: culled
    EXPECT_EQ(countPixels(1), 0);
    triangle(a, b, c);
    EXPECT_EQ(countPixels(1), 28);
    grCullMode(GR_CULL_POSITIVE);
    triangle(a, b, c);
    EXPECT_EQ(countPixels(2), 0);
    EXPECT_EQ(device_->frameCounters().trianglesCulled, 2u);
}

TEST_F(RasterizerTest, NonFiniteOrDegenerateTrianglesDrawNothing) {
    openCounting(8, 8);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    triangle(one(0, 0), one(8, 0), vertex(nan, 8, 1, 0, 0));
    triangle(one(0, 0), vertex(inf, 0, 1, 0, 0), one(0, 8));
    triangle(one(0, 0), one(8, 0), vertex(0, -inf, 1, 0, 0));
    triangle(one(1, 1), one(4, 4), one(7, 7));       // a line
    triangle(one(3, 3), one(3, 3), one(3, 3));       // a point
    triangle(one(1, 1), one(1.01, 1), one(1, 1.02)); // snaps to a point
    EXPECT_EQ(countPixels(0), 64);
    EXPECT_EQ(device_->frameCounters().trianglesRejected, 6u);
}

TEST_F(RasterizerTest, HugeCoordinatesAreClippedNotDropped) {
    openCounting(8, 8);
    // Far beyond the guard band and float-sized: still the triangle that covers the screen.
    triangle(one(-1e30, -1e30), one(3e30, -1e30), one(-1e30, 3e30));
    EXPECT_EQ(countPixels(1), 64);
    // Clipped to the band, the long edge still runs exactly along x + y = 8.
    openCounting(8, 8);
    triangle(one(-1e7, -1e7), one(1e7 + 8, -1e7), one(-1e7, 1e7 + 8));
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            if (x + y != 7) { // centres on the edge itself go to one side or the other
                EXPECT_EQ(red(x, y), x + y < 7 ? 1u : 0u) << x << "," << y;
            }
        }
    }
}

TEST_F(RasterizerTest, HostileVerticesNeverCrashOrEscapeTheBuffer) {
    // Run under the sanitizers in the asan preset: any read or write outside the buffers,
    // any undefined conversion or overflow fails there.
    open(16, 16, AccelColorMode::Authentic16);
    std::vector<uint8_t> texels((64 + 16 + 4 + 1) * 2, 0x5A); // 8x8 down to 1x1
    loadTexture(0, GR_LOD_8, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, texels);
    HostileVertices vertices;
    for (int32_t i = 0; i < 20000; ++i) {
        if (i % 500 == 0) {
            const int32_t mode = (i / 500) % 4;
            if (mode == 0) {
                gouraudState();
            } else {
                texturedState(mode == 1 ? GR_TEXTUREFILTER_BILINEAR
                                        : GR_TEXTUREFILTER_POINT_SAMPLED,
                              mode == 3 ? GR_MIPMAP_DISABLE : GR_MIPMAP_NEAREST);
            }
            grDepthBufferMode(i % 1000 == 0 ? GR_DEPTHBUFFER_WBUFFER : GR_DEPTHBUFFER_ZBUFFER);
            grDepthBufferFunction(GR_CMP_ALWAYS);
            grTexClampMode(GR_TMU0, i % 1500 == 0 ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP,
                           GR_TEXTURECLAMP_WRAP);
            grSstOrigin(i % 1000 == 0 ? GR_ORIGIN_LOWER_LEFT : GR_ORIGIN_UPPER_LEFT);
        }
        const GrVertex a = vertices.next(), b = vertices.next(), c = vertices.next();
        triangle(a, b, c);
    }
    EXPECT_EQ(device_->frameCounters().triangles, 20000u);
    EXPECT_LE(device_->frameCounters().pixelsWritten, 20000u * 256u);
}

TEST(TriangleRowsTest, Avx512RowsGiveTheBaselinesStepsAndSpansBitForBit) {
    const TriangleRowsFunction wide = triangleRowsFunctionAvx512();
    if (wide == nullptr || !processorHasAvx512()) {
        GTEST_SKIP() << "no AVX-512 here";
    }
    HostileVertices vertices;
    std::mt19937 random(5);
    std::vector<uint32_t> baseline, widened;
    for (int32_t i = 0; i < 20000; ++i) {
        RasterTarget target;
        target.bufferHeight = 40;
        target.clipMinX = static_cast<int32_t>(random() % 8);
        target.clipMinY = static_cast<int32_t>(random() % 8);
        target.clipMaxX = 48;
        target.clipMaxY = 40;
        target.origin = random() % 2 == 0 ? GR_ORIGIN_UPPER_LEFT : GR_ORIGIN_LOWER_LEFT;
        target.attributes = static_cast<uint32_t>(random() % 32);
        GrVertex v[3] = {vertices.next(), vertices.next(), vertices.next()};
        if (i % 2 == 0) { // inside the screen, so that most draw rows
            for (GrVertex& p : v) {
                p.x = static_cast<float>(random() % 800) / 16.0f;
                p.y = static_cast<float>(random() % 640) / 16.0f;
            }
        }
        RasterTriangle pieces[kMaxRasterPieces];
        RasterVertex corners[3 * kMaxRasterPieces];
        int32_t count = 0;
        prepareTriangle(v[0], v[1], v[2], target, pieces, corners, count);
        // Some rows only, as a band draws them.
        const int32_t from = static_cast<int32_t>(random() % 40) - 4;
        const int32_t to =
            random() % 2 == 0 ? INT32_MAX : from + static_cast<int32_t>(random() % 12);
        for (int32_t k = 0; k < count; ++k) {
            SpanContext context;
            recordedSpans = &baseline;
            drawTriangleRows(pieces[k], corners, from, to, context, recordSpans);
            context.drawRows = wide;
            recordedSpans = &widened;
            drawTriangleRows(pieces[k], corners, from, to, context, recordSpans);
        }
    }
    recordedSpans = nullptr;
    EXPECT_GT(baseline.size(), 100000u); // rows were drawn
    EXPECT_TRUE(baseline == widened);
}
