// The triangulator on hand-made hard cases and on the polygons of real objects: every
// triangle inside its polygon, the pieces' areas adding up to the polygon's, the
// polygon's winding kept, and polygons that cannot be tiled (non-planar, self-crossing)
// still covered.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "content/Triangulator.h"

namespace {

using Polygon = std::vector<Vector3>;
using Triangles = std::vector<std::array<int32_t, 3>>;

struct V {
    double x, y, z;
};
V sub(const Vector3& a, const Vector3& b) {
    return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
}
V cross(const V& a, const V& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const V& a, const V& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Triangles triangulate(const Polygon& polygon) {
    Triangulator triangulator;
    std::vector<int32_t[3]> out(polygon.size() > 2 ? polygon.size() - 2 : 1);
    const int32_t n =
        triangulator.triangulate(polygon.data(), static_cast<int32_t>(polygon.size()), out.data());
    EXPECT_GE(n, 0);
    EXPECT_LE(n, std::max<int32_t>(0, static_cast<int32_t>(polygon.size()) - 2));
    Triangles result;
    for (int32_t i = 0; i < n; ++i) {
        result.push_back({out[i][0], out[i][1], out[i][2]});
    }
    return result;
}

V newell(const Polygon& p) {
    V n{0, 0, 0};
    for (size_t i = 1; i + 1 < p.size(); ++i) {
        const V c = cross(sub(p[i], p[0]), sub(p[i + 1], p[0]));
        n = {n.x + c.x, n.y + c.y, n.z + c.z};
    }
    return n;
}

// 2-D coordinates in the plane whose normal is `n`, counter-clockwise around it.
struct Plane {
    V u, v;
    explicit Plane(V n) {
        const double len = std::sqrt(dot(n, n));
        n = {n.x / len, n.y / len, n.z / len};
        const V helper = std::fabs(n.x) < 0.5 ? V{1, 0, 0} : V{0, 1, 0};
        u = cross(n, helper);
        const double ul = std::sqrt(dot(u, u));
        u = {u.x / ul, u.y / ul, u.z / ul};
        v = cross(n, u);
    }
    std::array<double, 2> at(const Vector3& p) const {
        const V d{p.x, p.y, p.z};
        return {dot(d, u), dot(d, v)};
    }
};

using P2 = std::array<double, 2>;

double cross2(const P2& a, const P2& b, const P2& c) {
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

// Non-zero winding: inside any lobe of a self-crossing polygon too.
bool insidePolygon(const std::vector<P2>& poly, const P2& p) {
    int winding = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const P2& a = poly[i];
        const P2& b = poly[(i + 1) % poly.size()];
        if (a[1] <= p[1]) {
            if (b[1] > p[1] && cross2(a, b, p) > 0) {
                ++winding;
            }
        } else if (b[1] <= p[1] && cross2(a, b, p) < 0) {
            --winding;
        }
    }
    return winding != 0;
}

bool insideTriangle(const P2& a, const P2& b, const P2& c, const P2& p) {
    const double s = cross2(a, b, c) >= 0 ? 1.0 : -1.0;
    const double eps = 1e-9;
    return s * cross2(a, b, p) >= -eps && s * cross2(b, c, p) >= -eps &&
           s * cross2(c, a, p) >= -eps;
}

// Each triangle's corners in the polygon's cyclic order (so it winds as the polygon
// does) and distinct.
void expectPolygonOrder(const Triangles& triangles) {
    for (const auto& t : triangles) {
        const int rises = (t[0] < t[1]) + (t[1] < t[2]) + (t[2] < t[0]);
        EXPECT_EQ(rises, 2) << t[0] << " " << t[1] << " " << t[2];
    }
}

// A simple planar polygon: triangles inside it, facing its way, tiling its area.
void expectTiled(const Polygon& polygon, const char* name) {
    SCOPED_TRACE(name);
    const Triangles triangles = triangulate(polygon);
    ASSERT_FALSE(triangles.empty());
    expectPolygonOrder(triangles);
    const V n = newell(polygon);
    const Plane plane(n);
    std::vector<P2> flat;
    for (const Vector3& p : polygon) {
        flat.push_back(plane.at(p));
    }
    double area = 0;
    for (const auto& t : triangles) {
        const V tn = cross(sub(polygon[t[1]], polygon[t[0]]), sub(polygon[t[2]], polygon[t[0]]));
        EXPECT_GE(dot(tn, n), 0.0) << "a triangle faces away";
        area += std::sqrt(dot(tn, tn)) / 2;
        const P2 a = flat[t[0]], b = flat[t[1]], c = flat[t[2]];
        // Points just inside the triangle's corners and its centre lie inside the polygon.
        for (const auto& w : {std::array<double, 3>{0.9, 0.05, 0.05},
                              {0.05, 0.9, 0.05},
                              {0.05, 0.05, 0.9},
                              {1 / 3.0, 1 / 3.0, 1 / 3.0}}) {
            const P2 p{w[0] * a[0] + w[1] * b[0] + w[2] * c[0],
                       w[0] * a[1] + w[1] * b[1] + w[2] * c[1]};
            if (std::fabs(cross2(a, b, c)) > 1e-12) {
                EXPECT_TRUE(insidePolygon(flat, p)) << t[0] << " " << t[1] << " " << t[2];
            }
        }
    }
    const double polygonArea = std::sqrt(dot(n, n)) / 2;
    EXPECT_NEAR(area, polygonArea, 1e-5 * polygonArea);
}

// Any polygon: every point of its projection onto its plane (non-zero winding) lies in
// some triangle, and the triangles wind as the polygon does.
void expectCovered(const Polygon& polygon, V normal, const char* name) {
    SCOPED_TRACE(name);
    const Triangles triangles = triangulate(polygon);
    ASSERT_FALSE(triangles.empty());
    expectPolygonOrder(triangles);
    const Plane plane(normal);
    std::vector<P2> flat;
    double lo[2] = {1e30, 1e30}, hi[2] = {-1e30, -1e30};
    for (const Vector3& p : polygon) {
        flat.push_back(plane.at(p));
        for (int k = 0; k < 2; ++k) {
            lo[k] = std::min(lo[k], flat.back()[k]);
            hi[k] = std::max(hi[k], flat.back()[k]);
        }
    }
    int tested = 0;
    for (int i = 1; i < 40; ++i) {
        for (int j = 1; j < 40; ++j) {
            const P2 p{lo[0] + (hi[0] - lo[0]) * i / 40.0, lo[1] + (hi[1] - lo[1]) * j / 40.0};
            if (!insidePolygon(flat, p)) {
                continue;
            }
            ++tested;
            bool covered = false;
            for (const auto& t : triangles) {
                covered = covered || insideTriangle(flat[t[0]], flat[t[1]], flat[t[2]], p);
            }
            EXPECT_TRUE(covered) << p[0] << ", " << p[1];
        }
    }
    EXPECT_GT(tested, 0);
}

Polygon star(int points, float outer, float inner) {
    Polygon p;
    for (int i = 0; i < 2 * points; ++i) {
        const double a = M_PI * i / points;
        const float r = i % 2 == 0 ? outer : inner;
        p.push_back({r * float(std::cos(a)), r * float(std::sin(a)), 0});
    }
    return p;
}

// Turns a planar polygon (z = 0) to face an arbitrary direction, far from the origin.
Polygon tilted(const Polygon& p) {
    Polygon out;
    for (const Vector3& c : p) {
        out.push_back({1000.0f + 0.6f * c.x + 0.48f * c.y, -50.0f + 0.8f * c.y - 0.36f * c.x,
                       7.0f + 0.64f * c.x});
    }
    return out;
}

TEST(TriangulatorTest, SimplePolygonsAreTiledWithTheirWinding) {
    const Polygon square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const Polygon l = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}};
    const Polygon u = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {2, 3, 0},
                       {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}};
    const Polygon arrow = {{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {0.5f, 1, 0}}; // reflex corner 3
    const Polygon dart = {{0.5f, 1, 0}, {0, 0, 0}, {2, 1, 0}, {0, 2, 0}};  // reflex corner 0
    // Corners on the straight edges, the first one among them.
    const Polygon collinear = {{1, 0, 0}, {2, 0, 0},    {3, 0, 0}, {3, 1, 0},
                               {3, 2, 0}, {1.5f, 2, 0}, {0, 2, 0}, {0, 0, 0}};
    const Polygon repeated = {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
    // Two lobes that touch at one corner, named twice.
    const Polygon pinched = {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {2, 2, 0}, {0, 2, 0}, {1, 1, 0}};
    Polygon clockwise = u;
    std::reverse(clockwise.begin(), clockwise.end());
    const struct {
        const char* name;
        Polygon polygon;
    } cases[] = {{"square", square},
                 {"L", l},
                 {"U", u},
                 {"U clockwise", clockwise},
                 {"U tilted, far from the origin", tilted(u)},
                 {"arrow", arrow},
                 {"dart", dart},
                 {"star", star(7, 2.0f, 0.6f)},
                 {"star of 511 points", star(511, 10.0f, 9.0f)},
                 {"collinear corners", collinear},
                 {"repeated corner", repeated},
                 {"pinched", pinched}};
    for (const auto& c : cases) {
        expectTiled(c.polygon, c.name);
    }
}

TEST(TriangulatorTest, PolygonsThatCannotBeTiledAreStillCovered) {
    const Polygon bowTie = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}};
    const Polygon lopsidedBowTie = {{0, 0, 0}, {2, 2, 0}, {2, 0, 0}, {0, 1, 0}};
    const Polygon saddle = {{0, 0, 0}, {1, 0, 1}, {1, 1, 0}, {0, 1, 1}};
    const Polygon figureEight = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 1, 0},
                                 {3, 0, 0}, {2, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    expectCovered(bowTie, {0, 0, 1}, "bow-tie");
    expectCovered(lopsidedBowTie, {0, 0, 1}, "lopsided bow-tie");
    expectCovered(figureEight, {0, 0, 1}, "figure eight");
    expectCovered(saddle, newell(saddle), "saddle");
    EXPECT_EQ(triangulate(saddle).size(), 2u);
}

TEST(TriangulatorTest, PolygonsWithoutAreaGiveNoTriangles) {
    const Polygon cases[] = {{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},
                             {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}},
                             {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}},
                             {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0, 0}, {3, 0, 0}},
                             {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}},
                             {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {5, 5, 5}},
                             {{0, 0, 0}, {1, 2, 3}}};
    for (const Polygon& p : cases) {
        EXPECT_TRUE(triangulate(p).empty()) << p.size();
    }
}

// --- Polygons of real objects -------------------------------------------------------

struct RealObject {
    std::vector<Vector3> points;
    std::vector<std::vector<int32_t>> polygons;
};

uint32_t bigEndian(const std::string& b, size_t at, int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
        value = value << 8 | static_cast<uint8_t>(b[at + i]);
    }
    return value;
}

// PNTS and POLS of an LWOB or LWO2 file (FACE polygons; one layer).
RealObject readRealObject(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string b = ss.str();
    EXPECT_GT(b.size(), 12u) << path;
    const bool lwo2 = b.compare(8, 4, "LWO2") == 0;
    RealObject object;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string tag = b.substr(at, 4);
        const uint32_t length = bigEndian(b, at + 4, 4);
        const size_t data = at + 8;
        if (tag == "PNTS") {
            for (size_t p = data; p + 12 <= data + length; p += 12) {
                float xyz[3];
                for (int k = 0; k < 3; ++k) {
                    const uint32_t bits = bigEndian(b, p + 4 * k, 4);
                    std::memcpy(&xyz[k], &bits, 4);
                }
                object.points.push_back({xyz[0], xyz[1], xyz[2]});
            }
        } else if (tag == "POLS") {
            size_t p = data + (lwo2 ? 4 : 0);
            while (p < data + length) {
                const uint32_t n = bigEndian(b, p, 2) & (lwo2 ? 0x3FF : 0xFFFF);
                p += 2;
                std::vector<int32_t> polygon;
                for (uint32_t k = 0; k < n; ++k) {
                    const bool wide = lwo2 && static_cast<uint8_t>(b[p]) == 0xFF;
                    polygon.push_back(wide ? bigEndian(b, p, 4) & 0xFFFFFF : bigEndian(b, p, 2));
                    p += wide ? 4 : 2;
                }
                if (!lwo2) {
                    p += 2; // surface
                }
                object.polygons.push_back(polygon);
            }
        }
        at = data + length + (length % 2);
    }
    return object;
}

TEST(TriangulatorTest, RealPolygonsAreTiled) {
    const std::string root = std::string(std::getenv("EMBER_TESTDATA")) + "/";
    const char* files[] = {"lwob/box1.5.lwo", "lwob/sphere_with_mat_gloss_10pc.lwo",
                           "lwob/ConcavePolygon.lwo", "polygons/concave_polygon.lwo",
                           "polygons/nonplanar_polygon.lwo"};
    for (const char* file : files) {
        const RealObject object = readRealObject(root + file);
        ASSERT_FALSE(object.polygons.empty()) << file;
        for (const auto& indices : object.polygons) {
            Polygon polygon;
            for (int32_t i : indices) {
                polygon.push_back(object.points.at(static_cast<size_t>(i)));
            }
            if (std::string(file).find("nonplanar") != std::string::npos) {
                expectCovered(polygon, newell(polygon), file);
            } else {
                expectTiled(polygon, file);
            }
        }
    }
}

} // namespace
