// Morph chain preparation and the per-frame blend.
//
// Why it is written this way:
//   - Shapes are copied once at load time, so that the per-frame blend is one pass over
//     the head's points with weights computed once per frame, and no allocation.
//   - The blend is single precision in the written order (P1 × f + P0 × (1 − f); h1 × P0 +
//     h2 × P1 + h3 × T0 + h4 × T1): reordering would change the rounding of every point.
//   - The segment is trunc(trunc(a × 100) / 100), not floor(a): amounts between -1 and 0
//     fall in the first segment and extrapolate it. Below -1 there is no member before
//     the head; amounts there are held at -1 (the first segment extended by one whole
//     segment before the head), which is continuous with the amounts above and bounded.
//     A NaN amount gives the head's own shape; amounts at or past the chain's end give
//     the last member's shape. The float-to-int conversion only ever sees values in
//     [-100, 100 × chain length), where it is defined.
//   - Preparation validates every chain before it changes anything, so a refused scene
//     keeps its objects as they were loaded.
#include "anim/Morph.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "player/SceneObject.h"

namespace {

constexpr float kBoxStart = 50000.0f;

// The Hermite basis of anim/Envelope.h, in single precision.
struct HermiteWeights {
    float h1, h2, h3, h4;
};

HermiteWeights hermiteWeights(float t) {
    const float t2 = t * t;
    const float t3 = t * t2;
    HermiteWeights h;
    h.h2 = t3 * -2.0f + t2 * 3.0f;
    h.h1 = 1.0f - h.h2;
    h.h3 = t2 * -2.0f + t + t3;
    h.h4 = t3 - t2;
    return h;
}

void describe(char* problem, size_t size, const char* format, int32_t a, int32_t b, int32_t c = 0,
              int32_t d = 0) {
    if (problem != nullptr && size > 0) {
        std::snprintf(problem, size, format, a, b, c, d);
    }
}

int32_t pointCountOf(const SceneObject& object) {
    return object.mesh.points != nullptr ? object.mesh.pointCount : 0;
}

// 1 when some morphing object names object `index` as its target.
bool isNamedAsTarget(const SceneObject* objects, int32_t count, int32_t index) {
    for (int32_t i = 0; i < count; ++i) {
        if (objects[i].hasMorph == 1 && objects[i].morphTarget == index) {
            return true;
        }
    }
    return false;
}

// Checks every chain; 1 when all can be prepared. Chains are walked from their heads
// only: objects that name each other (or themselves) with no head before them are just
// targets, hidden and never blended, and need no check.
int32_t validateChains(const SceneObject* objects, int32_t count, char* problem, size_t size) {
    for (int32_t i = 0; i < count; ++i) {
        if (objects[i].hasMorph != 1) {
            continue;
        }
        const int32_t target = objects[i].morphTarget;
        if (target < 0 || target >= count) {
            describe(problem, size, "morph target %d of object %d is not an object of the scene",
                     target + 1, i + 1);
            return 0;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        if (objects[i].hasMorph != 1 || isNamedAsTarget(objects, count, i)) {
            continue;
        }
        // With every target inside the scene, a chain that has not ended after `count`
        // steps has visited some object twice.
        const int32_t headPoints = pointCountOf(objects[i]);
        int32_t steps = 0;
        for (int32_t j = objects[i].morphTarget;; j = objects[j].morphTarget) {
            if (pointCountOf(objects[j]) < headPoints) {
                describe(problem, size,
                         "morph target object %d has fewer points (%d) than object %d (%d)", j + 1,
                         pointCountOf(objects[j]), i + 1, headPoints);
                return 0;
            }
            if (objects[j].hasMorph != 1) {
                break;
            }
            if (++steps == count) {
                describe(problem, size, "morph chain of object %d loops", i + 1, 0);
                return 0;
            }
        }
    }
    return 1;
}

// Copies the shapes of the chain that starts at `head` and widens its box.
int32_t copyChain(SceneObject* objects, SceneObject& head) {
    int32_t length = 1;
    for (int32_t j = static_cast<int32_t>(&head - objects); objects[j].hasMorph == 1;
         j = objects[j].morphTarget) {
        ++length;
    }
    auto positions = std::unique_ptr<std::unique_ptr<Vector3[]>[]>(
        new (std::nothrow) std::unique_ptr<Vector3[]>[length]);
    auto normals = std::unique_ptr<std::unique_ptr<Vector3[]>[]>(
        new (std::nothrow) std::unique_ptr<Vector3[]>[length]);
    if (positions == nullptr || normals == nullptr) {
        return 0;
    }
    float maxX = -kBoxStart, maxY = -kBoxStart, maxZ = -kBoxStart;
    float minX = kBoxStart, minY = kBoxStart, minZ = kBoxStart;
    const SceneObject* member = &head;
    for (int32_t k = 0; k < length; ++k) {
        for (const float* corner : member->boundingBox) {
            maxX = corner[0] > maxX ? corner[0] : maxX;
            maxY = corner[1] > maxY ? corner[1] : maxY;
            maxZ = corner[2] > maxZ ? corner[2] : maxZ;
            minX = corner[0] < minX ? corner[0] : minX;
            minY = corner[1] < minY ? corner[1] : minY;
            minZ = corner[2] < minZ ? corner[2] : minZ;
        }
        const int32_t points = pointCountOf(*member);
        positions[k].reset(new (std::nothrow) Vector3[points]);
        normals[k].reset(new (std::nothrow) Vector3[points]);
        if (positions[k] == nullptr || normals[k] == nullptr) {
            return 0;
        }
        for (int32_t p = 0; p < points; ++p) {
            const MeshPoint& point = member->mesh.points[p];
            positions[k][p] = Vector3{point.position[0], point.position[1], point.position[2]};
            normals[k][p] = Vector3{point.normal[0], point.normal[1], point.normal[2]};
        }
        member = &objects[member->morphTarget];
    }
    head.morphPositions = std::move(positions);
    head.morphNormals = std::move(normals);
    head.morphChainLength = length;

    const float box[8][3] = {
        {maxX, maxY, maxZ}, {minX, maxY, maxZ}, {minX, minY, maxZ}, {maxX, minY, maxZ},
        {maxX, maxY, minZ}, {minX, maxY, minZ}, {minX, minY, minZ}, {maxX, minY, minZ},
    };
    for (int32_t c = 0; c < 8; ++c) {
        head.boundingBox[c][0] = box[c][0];
        head.boundingBox[c][1] = box[c][1];
        head.boundingBox[c][2] = box[c][2];
        head.boundingBox[c][3] = 1.0f;
    }
    return 1;
}

// The members around one segment of the chain: before (seg - 1) and after (seg + 2) are
// read only where the chain has them.
struct CubicMembers {
    const Vector3* before;
    const Vector3* p0;
    const Vector3* p1;
    const Vector3* after;
};

// One coordinate of the cubic blend. The tangent at a chain end is the straight
// difference to its neighbour, inside it is the mean of the two differences.
template <bool kBefore, bool kAfter>
float cubicValue(const HermiteWeights& h, float before, float v0, float v1, float after) {
    const float d = v1 - v0;
    const float t0 = kBefore ? ((v0 - before) + d) * 0.5f : d;
    const float t1 = kAfter ? ((after - v1) + d) * 0.5f : d;
    return h.h1 * v0 + h.h2 * v1 + h.h3 * t0 + h.h4 * t1;
}

// The blend over all points, specialised on which neighbours exist so that the loop
// carries no per-point branch.
template <bool kBefore, bool kAfter>
void cubicBlend(MeshPoint* points, int32_t count, const HermiteWeights& h, const CubicMembers& pos,
                const CubicMembers& nrm) {
    for (int32_t i = 0; i < count; ++i) {
        const Vector3 pb = kBefore ? pos.before[i] : Vector3{};
        const Vector3 pa = kAfter ? pos.after[i] : Vector3{};
        const Vector3 nb = kBefore ? nrm.before[i] : Vector3{};
        const Vector3 na = kAfter ? nrm.after[i] : Vector3{};
        const Vector3& p0 = pos.p0[i];
        const Vector3& p1 = pos.p1[i];
        const Vector3& n0 = nrm.p0[i];
        const Vector3& n1 = nrm.p1[i];
        MeshPoint& point = points[i];
        point.position[0] = cubicValue<kBefore, kAfter>(h, pb.x, p0.x, p1.x, pa.x);
        point.position[1] = cubicValue<kBefore, kAfter>(h, pb.y, p0.y, p1.y, pa.y);
        point.position[2] = cubicValue<kBefore, kAfter>(h, pb.z, p0.z, p1.z, pa.z);
        point.normal[0] = cubicValue<kBefore, kAfter>(h, nb.x, n0.x, n1.x, na.x);
        point.normal[1] = cubicValue<kBefore, kAfter>(h, nb.y, n0.y, n1.y, na.y);
        point.normal[2] = cubicValue<kBefore, kAfter>(h, nb.z, n0.z, n1.z, na.z);
    }
}

} // namespace

int32_t prepareMorphChains(SceneObject* objects, int32_t objectCount, char* problem,
                           size_t problemSize) {
    if (objects == nullptr || objectCount <= 0) {
        return 1;
    }
    if (!validateChains(objects, objectCount, problem, problemSize)) {
        return 0;
    }
    for (int32_t i = 0; i < objectCount; ++i) {
        if (objects[i].hasMorph == 1) {
            objects[objects[i].morphTarget].isMorphTarget = 1;
        }
    }
    for (int32_t i = 0; i < objectCount; ++i) {
        SceneObject& head = objects[i];
        if (head.hasMorph == 1 && head.isMorphTarget == 0 && !copyChain(objects, head)) {
            describe(problem, problemSize, "out of memory copying the morph chain of object %d",
                     i + 1, 0);
            return 0;
        }
    }
    // No count outlives its array: the surface count and names go with the surfaces.
    for (int32_t i = 0; i < objectCount; ++i) {
        Mesh& mesh = objects[i].mesh;
        if (objects[i].isMorphTarget == 1) {
            mesh.points.reset();
            mesh.polygons.reset();
            mesh.surfaces.reset();
            mesh.surfaceNames.reset();
            mesh.pointCount = 0;
            mesh.polygonCount = 0;
            mesh.surfaceCount = 0;
        }
    }
    return 1;
}

void SceneObject::applyMorph() {
    const int32_t n = morphChainLength;
    if (hasMorph == 0 || n <= 0 || morphPositions == nullptr || morphNormals == nullptr ||
        mesh.points == nullptr) {
        return;
    }
    float a = morphAmount;
    if (std::isnan(a)) {
        a = 0.0f;
    }
    if (a < -1.0f) {
        a = -1.0f;
    }
    int32_t seg = n; // at or past the chain's end
    if (a < static_cast<float>(n)) {
        seg = static_cast<int32_t>(a * 100.0f) / 100;
        seg = seg < 0 ? 0 : seg; // exactly -1 truncates to -1: no member before the head
    }
    MeshPoint* points = mesh.points.get();
    const int32_t count = mesh.pointCount;

    if (seg + 1 >= n) {
        const Vector3* lastP = morphPositions[n - 1].get();
        const Vector3* lastN = morphNormals[n - 1].get();
        for (int32_t i = 0; i < count; ++i) {
            points[i].position[0] = lastP[i].x;
            points[i].position[1] = lastP[i].y;
            points[i].position[2] = lastP[i].z;
            points[i].normal[0] = lastN[i].x;
            points[i].normal[1] = lastN[i].y;
            points[i].normal[2] = lastN[i].z;
        }
        return;
    }

    const float f = a - static_cast<float>(seg);
    const bool hasBefore = seg > 0;
    const bool hasAfter = seg + 1 < n - 1;
    const Vector3* p0 = morphPositions[seg].get();
    const Vector3* p1 = morphPositions[seg + 1].get();
    const Vector3* pBefore = hasBefore ? morphPositions[seg - 1].get() : nullptr;
    const Vector3* pAfter = hasAfter ? morphPositions[seg + 2].get() : nullptr;
    const Vector3* n0 = morphNormals[seg].get();
    const Vector3* n1 = morphNormals[seg + 1].get();
    const Vector3* nBefore = hasBefore ? morphNormals[seg - 1].get() : nullptr;
    const Vector3* nAfter = hasAfter ? morphNormals[seg + 2].get() : nullptr;

    if (morphMode != 0) {
        const float g = 1.0f - f;
        for (int32_t i = 0; i < count; ++i) {
            points[i].position[0] = p1[i].x * f + p0[i].x * g;
            points[i].position[1] = p1[i].y * f + p0[i].y * g;
            points[i].position[2] = p1[i].z * f + p0[i].z * g;
            points[i].normal[0] = n1[i].x * f + n0[i].x * g;
            points[i].normal[1] = n1[i].y * f + n0[i].y * g;
            points[i].normal[2] = n1[i].z * f + n0[i].z * g;
        }
        return;
    }

    const HermiteWeights h = hermiteWeights(f);
    const CubicMembers positions{pBefore, p0, p1, pAfter};
    const CubicMembers normals{nBefore, n0, n1, nAfter};
    if (hasBefore && hasAfter) {
        cubicBlend<true, true>(points, count, h, positions, normals);
    } else if (hasBefore) {
        cubicBlend<true, false>(points, count, h, positions, normals);
    } else if (hasAfter) {
        cubicBlend<false, true>(points, count, h, positions, normals);
    } else {
        cubicBlend<false, false>(points, count, h, positions, normals);
    }
}
