// SceneObject::loadObject: an object file into its slot, ready to draw.
#include <cstring>
#include <new>

#include "object/MeshPreparation.h"
#include "object/ObjectFile.h"
#include "object/ObjectLoadFailure.h"
#include "object/ObjectReader.h"
#include "player/SceneObject.h"

namespace {

// A failed load leaves the slot as a fresh one: no arrays, counts 0.
int32_t fail(Mesh& mesh) {
    mesh = Mesh{};
    return 0;
}

} // namespace

int32_t SceneObject::loadObject(TextureTable& textures, const char* fileName) {
    // Everything of an earlier load goes, anyReflective included: the new file alone
    // decides whether the reflection pass is needed.
    mesh = Mesh{};

    ObjectFile file;
    if (readObjectFile(file, fileName) == 0) {
        return fail(mesh);
    }
    if (readPointsChunk(mesh, file) != 0 || readPolygonsChunk(mesh, file) != 0 ||
        readSurfaceChunks(mesh, textures, file) != 0) {
        return fail(mesh);
    }

    const int32_t coordinates = applyTextureCoordinateFile(mesh, fileName);
    if (coordinates < 0) {
        return fail(mesh);
    }
    if (coordinates == 0) {
        generateTextureCoordinates(mesh);
    }
    computeVertexNormals(mesh);
    if (splitPointsBySurface(mesh) != 0) {
        reportUnusableObject(fileName, "out of memory splitting %d points by surface",
                             mesh.pointCount);
        return fail(mesh);
    }
    computeBoundingBox(mesh, boundingBox);
    for (int32_t i = 0; i < mesh.surfaceCount; ++i) {
        if (mesh.surfaces[i].reflective != 0) {
            mesh.anyReflective = 1;
        }
    }
    return 1;
}

void SceneObject::rememberFileName(const char* name) {
    const size_t bytes = std::strlen(name) + 1;
    fileName.reset(new (std::nothrow) char[bytes]);
    if (fileName != nullptr) {
        std::memcpy(fileName.get(), name, bytes);
    }
}
