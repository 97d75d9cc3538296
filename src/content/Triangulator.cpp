// The triangulator: ear clipping in the polygon's own plane.
//
// Why not a fan around the first corner, which is what a quad needs anyway? A fan is
// right only for convex polygons. LightWave's modeller writes concave n-gons freely
// (letters, cut-outs, the 66-corner outline of a bevelled shape): fanned, their
// triangles reach outside the outline, overlap each other, and some face backwards, so
// the player draws slivers across holes and culls parts of the face. Ear clipping cuts
// only triangles that lie inside what is left of the polygon, so the pieces tile it.
//
// Why in the Newell plane? The corners of a modeller's polygon are rarely exactly
// coplanar. The Newell normal (the sum of the edge cross products) is the normal of the
// best-fitting plane and points the way the polygon winds, also when its first corners
// are collinear or concave; projecting the corners onto that plane gives a 2-D polygon
// that winds counter-clockwise, so a convex corner is a left turn and every ear keeps
// the polygon's corner order (the triangle faces where the polygon faces). Coordinates
// are doubles, relative to the first corner, so that large objects keep small details.
//
// What is done when no proper ear exists (self-intersecting polygons, non-planar ones
// that overlap themselves in projection, straight corners): first straight corners are
// dropped (their triangles have no area), then a convex corner is cut regardless of
// what lies inside its triangle, and when no corner turns the ring's way any more (the
// other lobe of a figure eight) the ring's direction is flipped. Each step removes a
// corner, so the polygon is always covered and the work stays bounded: after
// kForcedCuts such cuts the containment test is dropped and the rest costs O(n) per
// corner. A simple polygon never gets there.
//
// Quads are most of every object: a planar or nearly planar quad with at most one
// reflex corner is split at its reflex corner (or 0-2 when convex) straight from its
// corners' turns, without the ring. Triangles are checked for zero area only.
//
// Written here rather than taken from a library: Debian packages no C++ polygon
// triangulator but CGAL, which is large, throws, and works in exact arithmetic that
// this does not need.
#include "content/Triangulator.h"

#include <cmath>
#include <new>

namespace {

// The sine of the smallest turn that counts as one; a turn below it is straight. Also
// the width, relative to its length, below which a polygon has no area. Well above the
// rounding of single-precision corners near the origin, well below any visible angle.
constexpr double kFlat = 1e-7;

// Cuts made without the containment test before the test is dropped altogether.
constexpr int32_t kForcedCuts = 16;

struct Vec {
    double x;
    double y;
    double z;
};

Vec vec(const Vector3& p) {
    return {p.x, p.y, p.z};
}
Vec operator-(const Vec& a, const Vec& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator+(const Vec& a, const Vec& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator*(double s, const Vec& a) {
    return {s * a.x, s * a.y, s * a.z};
}
Vec cross(const Vec& a, const Vec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Vec& a, const Vec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool samePoint(const Vector3& a, const Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Whether `c`, the cross product of two edges, is too short against the edges' lengths
// (squared) to be a turn: the sine of the angle between them is below kFlat.
bool straight(double crossSquared, double edgeSquared1, double edgeSquared2) {
    return crossSquared <= kFlat * kFlat * edgeSquared1 * edgeSquared2;
}

// The turn a -> b -> c in the plane: +1 left, -1 right, 0 straight (or an edge of no
// length).
int32_t turnOf(double ax, double ay, double bx, double by, double cx, double cy) {
    const double e1x = bx - ax;
    const double e1y = by - ay;
    const double e2x = cx - bx;
    const double e2y = cy - by;
    const double c = e1x * e2y - e1y * e2x;
    if (straight(c * c, e1x * e1x + e1y * e1y, e2x * e2x + e2y * e2y)) {
        return 0;
    }
    return c > 0.0 ? 1 : -1;
}

} // namespace

int32_t Triangulator::triangulate(const Vector3* corners, int32_t cornerCount,
                                  int32_t (*triangles)[3]) {
    if (corners == nullptr || triangles == nullptr || cornerCount < 3) {
        return 0;
    }
    if (cornerCount == 3) {
        const Vec e1 = vec(corners[1]) - vec(corners[0]);
        const Vec e2 = vec(corners[2]) - vec(corners[1]);
        const Vec n = cross(e1, e2);
        if (straight(dot(n, n), dot(e1, e1), dot(e2, e2))) {
            return 0;
        }
        triangles[0][0] = 0;
        triangles[0][1] = 1;
        triangles[0][2] = 2;
        return 1;
    }
    if (cornerCount == 4 && splitQuad(corners, triangles) == 2) {
        return 2;
    }
    return clipEars(corners, cornerCount, triangles);
}

// 2 when the quad was split; 0 when it needs the ring (a straight or repeated corner,
// two reflex corners: bow-ties and worse).
int32_t Triangulator::splitQuad(const Vector3* corners, int32_t (*triangles)[3]) {
    const Vec p[4] = {vec(corners[0]), vec(corners[1]), vec(corners[2]), vec(corners[3])};
    const Vec normal = cross(p[2] - p[0], p[3] - p[1]); // the quad's Newell normal
    const double normalSquared = dot(normal, normal);
    int32_t reflex = -1;
    for (int32_t i = 0; i < 4; ++i) {
        const Vec e1 = p[i] - p[(i + 3) % 4];
        const Vec e2 = p[(i + 1) % 4] - p[i];
        const double turn = dot(normal, cross(e1, e2));
        if (straight(turn * turn, normalSquared * dot(e1, e1), dot(e2, e2))) {
            return 0;
        }
        if (turn < 0.0) {
            if (reflex >= 0) {
                return 0;
            }
            reflex = i;
        }
    }
    const bool across13 = reflex == 1 || reflex == 3;
    const int32_t split[2][3] = {{0, 1, 2}, {0, 2, 3}};
    const int32_t splitAcross13[2][3] = {{0, 1, 3}, {1, 2, 3}};
    for (int32_t t = 0; t < 2; ++t) {
        for (int32_t k = 0; k < 3; ++k) {
            triangles[t][k] = across13 ? splitAcross13[t][k] : split[t][k];
        }
    }
    return 2;
}

int32_t Triangulator::clipEars(const Vector3* corners, int32_t cornerCount,
                               int32_t (*triangles)[3]) {
    if (cornerCount > capacity_) {
        ring_.reset(new (std::nothrow) RingVertex[static_cast<size_t>(cornerCount)]);
        capacity_ = ring_ != nullptr ? cornerCount : 0;
        if (ring_ == nullptr) {
            return -1;
        }
    }
    RingVertex* ring = ring_.get();

    // The ring: the corners without repeats of the one before.
    int32_t m = 0;
    for (int32_t i = 0; i < cornerCount; ++i) {
        if (m == 0 || !samePoint(corners[i], corners[ring[m - 1].corner])) {
            ring[m++].corner = i;
        }
    }
    while (m > 1 && samePoint(corners[ring[m - 1].corner], corners[ring[0].corner])) {
        --m;
    }
    if (m < 3) {
        return 0;
    }
    const auto at = [&](int32_t i) { return vec(corners[ring[i].corner]); };

    // Extent: the corner farthest from the first, then the one farthest from that line.
    // A polygon that is narrower than kFlat of its length has no area.
    const Vec origin = at(0);
    Vec length{0.0, 0.0, 0.0};
    for (int32_t i = 1; i < m; ++i) {
        const Vec d = at(i) - origin;
        if (dot(d, d) > dot(length, length)) {
            length = d;
        }
    }
    Vec widest{0.0, 0.0, 0.0};
    for (int32_t i = 1; i < m; ++i) {
        const Vec c = cross(length, at(i) - origin);
        if (dot(c, c) > dot(widest, widest)) {
            widest = c;
        }
    }
    const double lengthSquared = dot(length, length);
    if (straight(dot(widest, widest), lengthSquared, lengthSquared)) {
        return 0;
    }

    // The plane: the Newell normal, or, when the polygon's signed area cancels out (a
    // bow-tie), the plane of its widest triangle facing the way its first corner turns.
    Vec normal{0.0, 0.0, 0.0};
    for (int32_t i = 1; i + 1 < m; ++i) {
        normal = normal + cross(at(i) - origin, at(i + 1) - origin);
    }
    if (dot(normal, normal) <= 1e-12 * dot(widest, widest)) {
        normal = widest;
        if (dot(normal, cross(at(1) - origin, at(m - 1) - origin)) < 0.0) {
            normal = -1.0 * normal;
        }
    }
    const Vec unitNormal = (1.0 / std::sqrt(dot(normal, normal))) * normal;
    const double ax = std::fabs(unitNormal.x);
    const double ay = std::fabs(unitNormal.y);
    const double az = std::fabs(unitNormal.z);
    const Vec helper = ax <= ay && ax <= az ? Vec{1.0, 0.0, 0.0}
                       : ay <= az           ? Vec{0.0, 1.0, 0.0}
                                            : Vec{0.0, 0.0, 1.0};
    Vec u = cross(unitNormal, helper);
    u = (1.0 / std::sqrt(dot(u, u))) * u;
    const Vec v = cross(unitNormal, u); // (u, v, normal) right-handed

    for (int32_t i = 0; i < m; ++i) {
        const Vec d = at(i) - origin;
        ring[i].x = dot(d, u);
        ring[i].y = dot(d, v);
        ring[i].previous = i == 0 ? m - 1 : i - 1;
        ring[i].next = i == m - 1 ? 0 : i + 1;
        ring[i].turn = 0;
    }
    turnCount_[0] = 0;
    turnCount_[1] = m;
    turnCount_[2] = 0;
    for (int32_t i = 0; i < m; ++i) {
        updateTurn(i);
    }

    testContainment_ = true;
    int32_t orientation = 1; // the way convex corners turn
    int32_t forcedCuts = 0;
    int32_t count = 0;
    const auto cut = [&](int32_t w) {
        triangles[count][0] = ring[ring[w].previous].corner;
        triangles[count][1] = ring[w].corner;
        triangles[count][2] = ring[ring[w].next].corner;
        ++count;
    };
    int32_t remaining = m;
    int32_t vertex = 0;
    int32_t stop = 0; // back here without a cut: no ear is left
    while (remaining > 3) {
        if (isEar(vertex, orientation)) {
            cut(vertex);
            const int32_t after = ring[ring[vertex].next].next; // skip a sliver next to it
            unlink(vertex);
            --remaining;
            vertex = stop = after;
            continue;
        }
        vertex = ring[vertex].next;
        if (vertex != stop) {
            continue;
        }
        int32_t w = vertex;
        while (ring[w].turn != 0 && ring[w].next != vertex) {
            w = ring[w].next;
        }
        if (ring[w].turn == 0) {
            vertex = stop = ring[w].next;
            unlink(w);
            --remaining;
            continue;
        }
        while (ring[w].turn != orientation && ring[w].next != vertex) {
            w = ring[w].next;
        }
        if (ring[w].turn != orientation) {
            orientation = -orientation;
            continue;
        }
        if (++forcedCuts > kForcedCuts) {
            testContainment_ = true;
        }
        cut(w);
        const int32_t after = ring[ring[w].next].next;
        unlink(w);
        --remaining;
        vertex = stop = after;
    }
    if (ring[vertex].turn != 0) {
        cut(vertex);
    }
    return count;
}

void Triangulator::updateTurn(int32_t v) {
    RingVertex* ring = ring_.get();
    RingVertex& b = ring[v];
    const RingVertex& a = ring[b.previous];
    const RingVertex& c = ring[b.next];
    --turnCount_[b.turn + 1];
    b.turn = turnOf(a.x, a.y, b.x, b.y, c.x, c.y);
    ++turnCount_[b.turn + 1];
}

// Whether the corner v turns the ring's way and no other corner that could reach into
// its triangle (one that does not turn that way) lies inside it or on its border.
// Corners at the same place as the triangle's own (a polygon that touches itself) do
// not count.
bool Triangulator::isEar(int32_t v, int32_t orientation) const {
    const RingVertex* ring = ring_.get();
    const RingVertex& b = ring[v];
    if (b.turn != orientation) {
        return false;
    }
    if (!testContainment_ || turnCount_[1] + turnCount_[1 - orientation] == 0) {
        return true;
    }
    const RingVertex& a = ring[b.previous];
    const RingVertex& c = ring[b.next];
    const double o = orientation;
    const auto same = [](const RingVertex& p, const RingVertex& q) {
        return p.x == q.x && p.y == q.y;
    };
    const auto side = [o](const RingVertex& from, const RingVertex& to, const RingVertex& p) {
        return o * ((to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x));
    };
    for (int32_t w = c.next; w != b.previous; w = ring[w].next) {
        const RingVertex& p = ring[w];
        if (p.turn == orientation || same(p, a) || same(p, b) || same(p, c)) {
            continue;
        }
        if (side(a, b, p) >= 0.0 && side(b, c, p) >= 0.0 && side(c, a, p) >= 0.0) {
            return false;
        }
    }
    return true;
}

void Triangulator::unlink(int32_t v) {
    RingVertex* ring = ring_.get();
    const int32_t previous = ring[v].previous;
    const int32_t next = ring[v].next;
    ring[previous].next = next;
    ring[next].previous = previous;
    --turnCount_[ring[v].turn + 1];
    updateTurn(previous);
    updateTurn(next);
}

int32_t triangulatePolygon(const Vector3* corners, int32_t cornerCount, int32_t (*triangles)[3]) {
    static Triangulator triangulator;
    return triangulator.triangulate(corners, cornerCount, triangles);
}
