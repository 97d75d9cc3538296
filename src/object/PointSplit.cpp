// Splitting points by surface.
//
// A point shared by triangles of k surfaces becomes k point records so that each can
// hold its surface's colour and luminosity. The player did this with a points ×
// surfaces work array and a chain per point that every corner walked: record p went to
// the surface of the first corner (in triangle order, corners 0, 1, 2) that used p, and
// each further surface of p got a copy of record p, numbered behind the points in the
// order the corners needed them (the next free record at that corner).
//
// Here the same numbering comes from linear passes, without the work array:
//   1. corners are bucketed by point with a counting sort, each bucket in corner order;
//   2. walking one point's bucket, the first corner of each surface is the corner where
//      the player's chain walk would have found that surface missing: for the bucket's
//      first surface it claims record p, for every other surface it creates a copy; each
//      corner notes which corner created its record;
//   3. each point's own record takes the surface of its bucket's first corner;
//   4. copies are numbered by the corner that created them, in corner order: the order
//      in which the player's loop reached those corners, hence its record numbers;
//   5. copies are written (record p, already claimed, with the copy's surface values),
//      and every corner takes its record's number.
// Time and memory are linear in points + corners + surfaces; the result, record for
// record and index for index, is the player's.
#include <algorithm>
#include <memory>
#include <new>

#include "object/MeshPreparation.h"

namespace {

constexpr int32_t kOwnRecord = -1; // a corner that uses its point's own record

void takeSurface(MeshPoint& point, const Surface& surface, int32_t index) {
    point.luminosity = surface.luminosity;
    point.color[0] = surface.color[0];
    point.color[1] = surface.color[1];
    point.color[2] = surface.color[2];
    point.surface = index;
}

} // namespace

int32_t splitPointsBySurface(Mesh& mesh) {
    const int32_t pointCount = mesh.pointCount;
    const int64_t cornerCount = static_cast<int64_t>(mesh.polygonCount) * 3; // 3t + k
    const int32_t surfaceCount = mesh.surfaceCount;
    auto cornerPoint = [&mesh](int64_t c) {
        return mesh.polygons[c / 3].corners[c % 3].pointIndex;
    };
    auto cornerSurface = [&mesh](int64_t c) { return mesh.polygons[c / 3].surface; };

    // bucketEnd[p]: after step 1, one past the last entry of point p's bucket.
    std::unique_ptr<int64_t[]> bucketEnd(new (std::nothrow) int64_t[pointCount + 1]());
    // byPoint: step 1 corners by point; from step 4 the record number of each copy,
    // indexed by the corner that created it.
    std::unique_ptr<int32_t[]> byPoint(new (std::nothrow) int32_t[cornerCount + 1]);
    // creator[c]: the corner that created corner c's record, or kOwnRecord.
    std::unique_ptr<int32_t[]> creator(new (std::nothrow) int32_t[cornerCount + 1]);
    // For the point being walked: which surfaces it has seen and the creator of each.
    std::unique_ptr<int32_t[]> seenBy(new (std::nothrow) int32_t[surfaceCount + 1]);
    std::unique_ptr<int32_t[]> surfaceCreator(new (std::nothrow) int32_t[surfaceCount + 1]);
    if (bucketEnd == nullptr || byPoint == nullptr || creator == nullptr || seenBy == nullptr ||
        surfaceCreator == nullptr) {
        return -1;
    }

    // 1. Counting sort of the corners by point, stable.
    for (int64_t c = 0; c < cornerCount; ++c) {
        ++bucketEnd[cornerPoint(c)];
    }
    int64_t total = 0;
    for (int32_t p = 0; p < pointCount; ++p) {
        const int64_t n = bucketEnd[p];
        bucketEnd[p] = total; // the bucket's start, advanced to its end while filling
        total += n;
    }
    for (int64_t c = 0; c < cornerCount; ++c) {
        byPoint[bucketEnd[cornerPoint(c)]++] = static_cast<int32_t>(c);
    }

    // 2. Which corner creates which record.
    std::fill(seenBy.get(), seenBy.get() + surfaceCount, -1);
    int64_t copyCount = 0;
    for (int32_t p = 0; p < pointCount; ++p) {
        const int64_t begin = p == 0 ? 0 : bucketEnd[p - 1];
        for (int64_t i = begin; i < bucketEnd[p]; ++i) {
            const int32_t c = byPoint[i];
            const int32_t s = cornerSurface(c);
            if (seenBy[s] != p) {
                seenBy[s] = p;
                surfaceCreator[s] = i == begin ? kOwnRecord : c;
                copyCount += i == begin ? 0 : 1;
            }
            creator[c] = surfaceCreator[s];
        }
    }

    // 3. The records: each point with the surface of its first corner.
    const int64_t recordCount = pointCount + copyCount;
    std::unique_ptr<MeshPoint[]> points(new (std::nothrow) MeshPoint[recordCount]);
    if (points == nullptr) {
        return -1;
    }
    std::copy(mesh.points.get(), mesh.points.get() + pointCount, points.get());
    for (int32_t p = 0; p < pointCount; ++p) {
        const int64_t begin = p == 0 ? 0 : bucketEnd[p - 1];
        if (begin < bucketEnd[p]) {
            const int32_t s = cornerSurface(byPoint[begin]);
            takeSurface(points[p], mesh.surfaces[s], s);
        }
    }

    // 4. Copy numbers, in the order of the corners that create them (the buckets are
    // done with).
    int32_t next = pointCount;
    for (int64_t c = 0; c < cornerCount; ++c) {
        if (creator[c] == c) {
            byPoint[c] = next++;
        }
    }

    // 5. The copies, and every corner's record.
    for (int64_t c = 0; c < cornerCount; ++c) {
        PolygonCorner& corner = mesh.polygons[c / 3].corners[c % 3];
        if (creator[c] == c) {
            const int32_t s = cornerSurface(c);
            MeshPoint& copy = points[byPoint[c]];
            copy = points[corner.pointIndex];
            takeSurface(copy, mesh.surfaces[s], s);
        }
        if (creator[c] != kOwnRecord) {
            corner.pointIndex = byPoint[creator[c]];
        }
    }
    mesh.points = std::move(points);
    mesh.pointCount = static_cast<int32_t>(recordCount);
    return 0;
}
