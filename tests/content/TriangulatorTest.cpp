// Polygons cut into triangles: hand-made hard cases through the object reader's
// triangulating mode, and the polygons of real objects. Every triangle inside its polygon,
// its corners in the polygon's order (so it winds the polygon's way), the pieces' areas
// adding up to the polygon's, the surface kept; polygons that cannot be tiled (non-planar,
// self-crossing) still covered; polygons without area skipped and counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "content/Triangulator.h"
#include "object/ObjectReader.h"
#include "player/ReaderExtensions.h"
#include "support/TestData.h"
#include "writers/LwobWriter.h"

namespace {

using Polygon = std::vector<Vector3>;
using Triangles = std::vector<std::array<int32_t, 3>>;
using V = std::array<double, 3>;
using P2 = std::array<double, 2>;

V sub(const Vector3& a, const Vector3& b) {
    return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
}
V cross(const V& a, const V& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const V& a, const V& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double cross2(const P2& a, const P2& b, const P2& c) {
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

// Twice the polygon's area vector.
V newell(const Polygon& p) {
    V n{0, 0, 0};
    for (size_t i = 1; i + 1 < p.size(); ++i) {
        const V c = cross(sub(p[i], p[0]), sub(p[i + 1], p[0]));
        n = {n[0] + c[0], n[1] + c[1], n[2] + c[2]};
    }
    return n;
}

// Non-zero winding: inside any lobe of a self-crossing polygon too.
bool inside(const std::vector<P2>& polygon, const P2& p) {
    int winding = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const P2& a = polygon[i];
        const P2& b = polygon[(i + 1) % polygon.size()];
        winding += a[1] <= p[1] && b[1] > p[1] && cross2(a, b, p) > 0;
        winding -= a[1] > p[1] && b[1] <= p[1] && cross2(a, b, p) < 0;
    }
    return winding != 0;
}

// `simple`: planar and not crossing itself, so the triangles tile it: facing its way,
// their areas adding up to its area, and on a grid over it (seen along its normal, or z
// when it has none) a point inside it lies in exactly one triangle, a point outside in
// none. Otherwise every point inside it lies in some triangle. Any polygon: each
// triangle's corners run in its order.
void expectTriangulated(const Polygon& polygon, const Triangles& triangles, bool simple) {
    ASSERT_FALSE(triangles.empty());
    const V normal = dot(newell(polygon), newell(polygon)) > 0 ? newell(polygon) : V{0, 0, 1};
    const int axis =
        int(std::max_element(normal.begin(), normal.end(),
                             [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
            normal.begin());
    std::vector<P2> flat; // dropping the normal's largest component
    P2 lo{1e30, 1e30}, hi{-1e30, -1e30};
    for (const Vector3& p : polygon) {
        const double xyz[3] = {p.x, p.y, p.z};
        flat.push_back({xyz[(axis + 1) % 3], xyz[(axis + 2) % 3]});
        lo = {std::min(lo[0], flat.back()[0]), std::min(lo[1], flat.back()[1])};
        hi = {std::max(hi[0], flat.back()[0]), std::max(hi[1], flat.back()[1])};
    }
    double area = 0;
    for (const auto& t : triangles) {
        EXPECT_EQ((t[0] < t[1]) + (t[1] < t[2]) + (t[2] < t[0]), 2) << "corners out of order";
        const V tn = cross(sub(polygon[t[1]], polygon[t[0]]), sub(polygon[t[2]], polygon[t[0]]));
        area += std::sqrt(dot(tn, tn)) / 2;
        EXPECT_TRUE(!simple || dot(tn, normal) >= 0.0) << "a triangle faces away";
    }
    const double polygonArea = std::sqrt(dot(normal, normal)) / 2;
    EXPECT_TRUE(!simple || std::fabs(area - polygonArea) <= 1e-5 * polygonArea) << area;
    for (int k = 0; k < 40 * 40; ++k) { // offsets apart, so no point falls on a diagonal
        const P2 p{lo[0] + (hi[0] - lo[0]) * (k % 40 + 0.618) / 40,
                   lo[1] + (hi[1] - lo[1]) * (k / 40 + 0.291) / 40};
        const auto holding = std::count_if(triangles.begin(), triangles.end(), [&](auto& t) {
            const double s = cross2(flat[t[0]], flat[t[1]], flat[t[2]]) >= 0 ? 1 : -1;
            return s * cross2(flat[t[0]], flat[t[1]], p) >= -1e-9 &&
                   s * cross2(flat[t[1]], flat[t[2]], p) >= -1e-9 &&
                   s * cross2(flat[t[2]], flat[t[0]], p) >= -1e-9;
        });
        if (simple) {
            EXPECT_EQ(holding, inside(flat, p) ? 1 : 0) << p[0] << ", " << p[1];
        } else {
            EXPECT_TRUE(!inside(flat, p) || holding > 0) << p[0] << ", " << p[1];
        }
    }
}

ObjectFile objectFile(const std::string& bytes) {
    ObjectFile file;
    file.size = static_cast<int64_t>(bytes.size());
    file.bytes.reset(new uint8_t[bytes.size()]);
    std::memcpy(file.bytes.get(), bytes.data(), bytes.size());
    return file;
}

// The triangles the ember tool's reader makes of `polygon` (one point per corner, the
// second of two surfaces), as corner indices; checks the surface and what was skipped.
Triangles readAsObject(const Polygon& polygon) {
    std::vector<std::array<float, 3>> points;
    LwobPolygon record{{}, 2};
    for (const Vector3& p : polygon) {
        record.points.push_back(static_cast<uint16_t>(points.size()));
        points.push_back({p.x, p.y, p.z});
    }
    const std::string bytes =
        LwobWriter().points(points).surfaceNames({"A", "B"}).polygons({record}).bytes();
    ObjectFile file = objectFile(bytes);
    Mesh mesh;
    readerExtensions().triangulatePolygons = &triangulatePolygon;
    EXPECT_EQ(readPointsChunk(mesh, file), 0);
    EXPECT_EQ(readPolygonsChunk(mesh, file), 0);
    readerExtensions().triangulatePolygons = nullptr;
    Triangles triangles;
    for (int32_t t = 0; t < mesh.polygonCount; ++t) {
        const MeshPolygon& p = mesh.polygons[t];
        EXPECT_EQ(p.surface, 1);
        triangles.push_back(
            {p.corners[0].pointIndex, p.corners[1].pointIndex, p.corners[2].pointIndex});
    }
    EXPECT_EQ(mesh.census.degenerate + mesh.census.pointsAndLines, triangles.empty() ? 1 : 0);
    return triangles;
}

Polygon star(int points, float outer, float inner) {
    Polygon p;
    for (int i = 0; i < 2 * points; ++i) {
        const float r = i % 2 == 0 ? outer : inner;
        p.push_back(
            {r * float(std::cos(M_PI * i / points)), r * float(std::sin(M_PI * i / points)), 0});
    }
    return p;
}

// A planar polygon (z = 0) turned to face an arbitrary way, far from the origin.
Polygon tilted(const Polygon& p) {
    Polygon out;
    for (const Vector3& c : p) {
        out.push_back(
            {1000 + 0.6f * c.x + 0.48f * c.y, -50 + 0.8f * c.y - 0.36f * c.x, 7 + 0.64f * c.x});
    }
    return out;
}

TEST(TriangulatorTest, HardPolygonsAreTiledOrCoveredKeepingWindingAndSurface) {
    const Polygon u = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {2, 3, 0},
                       {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}};
    enum Expected { tiled, covered, none }; // none: skipped, without area
    const struct {
        const char* name;
        Polygon polygon;
        Expected expected;
    } cases[] = {
        {"L", {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}}, tiled},
        {"U", u, tiled},
        {"U clockwise", {u.rbegin(), u.rend()}, tiled},
        {"U tilted, far from the origin", tilted(u), tiled},
        {"dart, reflex first corner", {{0.5f, 1, 0}, {0, 0, 0}, {2, 1, 0}, {0, 2, 0}}, tiled},
        {"star", star(7, 2.0f, 0.6f), tiled},
        {"star of 511 points", star(511, 10.0f, 9.0f), tiled},
        {"collinear", {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {3, 2, 0}, {0, 2, 0}, {0, 0, 0}}, tiled},
        {"repeated corner", {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, tiled},
        {"pinched", {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {2, 2, 0}, {0, 2, 0}, {1, 1, 0}}, tiled},
        {"bow-tie", {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}}, covered},
        {"lopsided bow-tie", {{0, 0, 0}, {2, 2, 0}, {2, 0, 0}, {0, 1, 0}}, covered},
        {"figure eight",
         {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {2, 0, 0}, {1, 1, 0}, {0, 1, 0}},
         covered},
        {"non-planar quad", {{0, 0, 0}, {1, 0, 1}, {1, 1, 0}, {0, 1, 1}}, covered},
        {"on a line", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, none},
        {"folded on a line", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0, 0}, {3, 0, 0}}, none},
        {"one point", {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {5, 5, 5}}, none},
        {"a line", {{0, 0, 0}, {1, 2, 3}}, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Triangles triangles = readAsObject(c.polygon);
        if (c.expected == none) {
            EXPECT_TRUE(triangles.empty());
        } else {
            expectTriangulated(c.polygon, triangles, c.expected == tiled);
        }
    }
}

// The polygons of a real LWOB file (no detail polygons), corners in the file's order.
std::vector<Polygon> realPolygons(const char* name) {
    ObjectFile file = objectFile(realLwobFile(name));
    Mesh mesh;
    EXPECT_EQ(readPointsChunk(mesh, file), 0);
    uint32_t length = 0;
    EXPECT_EQ(findTag(file, "POLS"), 1);
    EXPECT_EQ(readChunkLength(file, length), 1);
    std::vector<Polygon> polygons;
    for (const int64_t end = file.position + length; file.position < end;) {
        polygons.emplace_back(readBigEndianU16(file));
        for (Vector3& corner : polygons.back()) {
            const float* p = mesh.points[readBigEndianU16(file)].position;
            corner = {p[0], p[1], p[2]};
        }
        readBigEndianU16(file); // surface
    }
    return polygons;
}

TEST(TriangulatorTest, RealPolygonsAreTiled) {
    for (const char* name :
         {"box1.5.lwo", "sphere_with_mat_gloss_10pc.lwo", "ConcavePolygon.lwo"}) {
        SCOPED_TRACE(name);
        const std::vector<Polygon> polygons = realPolygons(name);
        EXPECT_FALSE(polygons.empty());
        for (const Polygon& polygon : polygons) {
            expectTriangulated(polygon, readAsObject(polygon), true);
        }
    }
}

} // namespace
