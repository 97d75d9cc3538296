#include "MeshPromises.h"

#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

bool isTextureIndex(int32_t index, const TextureTable& textures) {
    // 0 is also what a surface without an image holds.
    return index == kNoTexture || (index >= 0 && index < textures.count) || index == 0;
}

} // namespace

const char* brokenMeshPromise(const SceneObject& object, const TextureTable& textures) {
    const Mesh& mesh = object.mesh;
    if (mesh.pointCount < 0 || mesh.polygonCount < 0 || mesh.surfaceCount < 0) {
        return "a negative count";
    }
    if ((mesh.pointCount > 0 && mesh.points == nullptr) ||
        (mesh.polygonCount > 0 && mesh.polygons == nullptr)) {
        return "a count without its array";
    }
    if (mesh.polygonCount > 0 && (mesh.surfaces == nullptr || mesh.surfaceNames == nullptr)) {
        return "polygons without surfaces";
    }
    for (int32_t i = 0; i < mesh.polygonCount; ++i) {
        const MeshPolygon& polygon = mesh.polygons[i];
        if (polygon.surface < 0 || polygon.surface >= mesh.surfaceCount) {
            return "a polygon's surface outside the surfaces";
        }
        for (const PolygonCorner& corner : polygon.corners) {
            if (corner.pointIndex < 0 || corner.pointIndex >= mesh.pointCount) {
                return "a corner's point outside the points";
            }
            if (mesh.points[corner.pointIndex].surface != polygon.surface) {
                return "a corner's point belongs to another surface";
            }
        }
    }
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        if (mesh.points[i].surface < 0 ||
            (mesh.surfaceCount > 0 && mesh.points[i].surface >= mesh.surfaceCount)) {
            return "a point's surface outside the surfaces";
        }
    }
    int32_t anyReflective = 0;
    for (int32_t i = 0; i < mesh.surfaceCount; ++i) {
        const Surface& surface = mesh.surfaces[i];
        if (!isTextureIndex(surface.colorTexture, textures) ||
            !isTextureIndex(surface.reflectionTexture, textures)) {
            return "a surface's texture outside the texture table";
        }
        // 4 to 6 (cubic, front, UV) are the LWO2 reader's.
        if (surface.textureMapping < 0 || surface.textureMapping > 6) {
            return "a texture mapping other than 0 to 6";
        }
        anyReflective |= surface.reflective != 0 ? 1 : 0;
    }
    if (anyReflective != mesh.anyReflective) {
        return "anyReflective disagrees with the surfaces";
    }
    if (textures.count < 0 || textures.count > kTextureSlotCount) {
        return "a texture count outside the table";
    }
    return nullptr;
}

const char* brokenEmptySlotPromise(const SceneObject& object) {
    const Mesh& mesh = object.mesh;
    if (mesh.pointCount != 0 || mesh.polygonCount != 0 || mesh.surfaceCount != 0 ||
        mesh.points != nullptr || mesh.polygons != nullptr || mesh.surfaces != nullptr ||
        mesh.surfaceNames != nullptr || mesh.anyReflective != 0) {
        return "a failed load left something in the slot";
    }
    return nullptr;
}
