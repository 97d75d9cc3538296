// SceneObject::loadObject: an object file into its slot, ready to draw.
#include <cstring>
#include <new>

#include "object/MeshPreparation.h"
#include "object/ObjectFile.h"
#include "object/ObjectLoadFailure.h"
#include "object/ObjectReader.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"

namespace {

// A failed load leaves the slot as a fresh one: no arrays, counts 0.
int32_t fail(Mesh& mesh) {
    mesh = Mesh{};
    return 0;
}

// FORM ... LWO2: an object of LightWave 6 or later.
bool isLwo2(const ObjectFile& file) {
    return file.size >= 12 && std::memcmp(file.bytes.get(), "FORM", 4) == 0 &&
           std::memcmp(file.bytes.get() + 8, "LWO2", 4) == 0;
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
    // Without a reader for later objects (the player), an LWO2 file goes to the LWOB
    // reader below, which refuses it as it always did.
    int32_t (*const readOther)(SceneObject&, TextureTable&, ObjectFile&) =
        readerExtensions().readOtherObject;
    if (readOther != nullptr && isLwo2(file)) {
        return readOther(*this, textures, file) == 1 ? 1 : fail(mesh);
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
