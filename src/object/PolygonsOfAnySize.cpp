// POLS with polygons of any size: the triangulating mode of the object reader.
#include <algorithm>
#include <climits>
#include <new>

#include "math/Vector3.h"
#include "object/ObjectLoadFailure.h"
#include "object/ObjectReader.h"

namespace {

uint16_t bigEndianU16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

// One polygon of a POLS chunk as LightWave 5 writes it: u16 corner count, the corners'
// u16 point indices, an i16 surface number; a negative number -s means surface s, and
// a u16 count of the detail polygons that follow it (written like any other polygon).
struct PolygonRecord {
    const uint8_t* points = nullptr;
    int32_t corners = 0;
    int32_t surface = 0; // 1-based
    int32_t details = 0; // detail polygons that follow
};

// The polygon at `at` of the chunk's `end` bytes; the offset behind it, or -1 when the
// chunk ends inside it.
int64_t nextPolygon(const uint8_t* data, int64_t end, int64_t at, PolygonRecord& polygon) {
    if (at + 2 > end) {
        return -1;
    }
    polygon.corners = bigEndianU16(data + at);
    polygon.points = data + at + 2;
    at += 2 + 2 * static_cast<int64_t>(polygon.corners);
    if (at + 2 > end) {
        return -1;
    }
    const auto surface = static_cast<int16_t>(bigEndianU16(data + at));
    at += 2;
    polygon.surface = surface < 0 ? -static_cast<int32_t>(surface) : surface;
    polygon.details = 0;
    if (surface < 0) {
        if (at + 2 > end) {
            return -1;
        }
        polygon.details = bigEndianU16(data + at);
        at += 2;
    }
    return at;
}

} // namespace

// A polygon cut off by the end of the chunk ends the list, as a partial triangle record
// does for the player.
int32_t readAnyPolygons(Mesh& mesh, ObjectFile& file, int32_t length,
                        int32_t (*triangulate)(const Vector3*, int32_t, int32_t (*)[3])) {
    const uint8_t* data = file.bytes.get() + file.position;
    const int64_t end = std::min<int64_t>(length, remainingBytes(file));
    const int64_t surfaceCount = surfaceNameCount(file);

    // First pass: check every index, and find the room the triangles need.
    int64_t room = 0;
    int32_t largest = 0;
    int32_t number = 0; // of the polygon in the file, from 1
    PolygonRecord polygon;
    for (int64_t at = 0; (at = nextPolygon(data, end, at, polygon)) >= 0;) {
        ++number;
        // Points and lines are skipped unread, as the bytes behind the last whole triangle
        // record are by the player: an object it plays loads here alike.
        for (int32_t k = 0; polygon.corners >= 3 && k < polygon.corners; ++k) {
            const uint16_t point = bigEndianU16(polygon.points + 2 * k);
            if (point >= mesh.pointCount) {
                reportUnusableObject(file.name, "polygon %d uses point %u; PNTS holds %d points",
                                     number, static_cast<unsigned>(point), mesh.pointCount);
                return -1;
            }
        }
        if (polygon.corners >= 3 && surfaceCount >= 0 &&
            (polygon.surface < 1 || polygon.surface > surfaceCount)) {
            reportUnusableObject(file.name,
                                 "polygon %d uses surface %d; SRFS names %lld surfaces "
                                 "(numbered from 1)",
                                 number, polygon.surface, static_cast<long long>(surfaceCount));
            return -1;
        }
        room += polygon.corners >= 3 ? polygon.corners - 2 : 0;
        largest = std::max(largest, polygon.corners);
    }
    if (room > INT32_MAX - 2) {
        reportUnusableObject(file.name, "its polygons make %lld triangles; at most %d can be drawn",
                             static_cast<long long>(room), INT32_MAX - 2);
        return -1;
    }
    PolygonCensus& census = mesh.census;
    mesh.polygons.reset(new (std::nothrow) MeshPolygon[static_cast<size_t>(room) + 2]);
    census.byCorners.reset(new (std::nothrow) int32_t[static_cast<size_t>(largest) + 1]());
    std::unique_ptr<Vector3[]> corners(new (std::nothrow) Vector3[static_cast<size_t>(largest)]);
    std::unique_ptr<int32_t[][3]> triangles(new (std::nothrow)
                                                int32_t[static_cast<size_t>(largest)][3]);
    if (mesh.polygons == nullptr || census.byCorners == nullptr || corners == nullptr ||
        triangles == nullptr) {
        reportUnusableObject(file.name, "out of memory for %lld triangles",
                             static_cast<long long>(room));
        return -1;
    }
    census.largest = largest;

    int32_t count = 0;
    int64_t pendingDetails = 0;
    for (int64_t at = 0; (at = nextPolygon(data, end, at, polygon)) >= 0;) {
        ++census.byCorners[polygon.corners];
        if (pendingDetails > 0) {
            --pendingDetails;
            ++census.detailPolygons;
        }
        pendingDetails += polygon.details;
        if (polygon.corners < 3) {
            ++census.pointsAndLines;
            continue;
        }
        int32_t made = 1;
        if (polygon.corners == 3) {
            triangles[0][0] = 0;
            triangles[0][1] = 1;
            triangles[0][2] = 2;
        } else {
            for (int32_t k = 0; k < polygon.corners; ++k) {
                const float* p = mesh.points[bigEndianU16(polygon.points + 2 * k)].position;
                corners[k] = Vector3{p[0], p[1], p[2]};
            }
            made = triangulate(corners.get(), polygon.corners, triangles.get());
            if (made < 0) {
                reportUnusableObject(file.name,
                                     "out of memory triangulating a polygon of %d "
                                     "corners",
                                     polygon.corners);
                return -1;
            }
            census.degenerate += made == 0 ? 1 : 0;
        }
        for (int32_t t = 0; t < made; ++t) {
            MeshPolygon& triangle = mesh.polygons[count++];
            for (int32_t k = 0; k < 3; ++k) {
                triangle.corners[k].pointIndex = bigEndianU16(polygon.points + 2 * triangles[t][k]);
            }
            triangle.surface = polygon.surface - 1;
        }
    }
    mesh.polygonCount = count;
    return 0;
}
