// The object driver: an object file (and optionally its texture coordinate file)
// through SceneObject::loadObject, mesh preparation included.
#include <cstring>
#include <memory>

#include "FuzzContent.h"
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "MeshPromises.h"
#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

constexpr char kObjectFile[] = "objects/fuzz.lwo";
constexpr char kCoordinateFile[] = "objects/fuzz.txc";
constexpr char kObjectPath[] = "objects\\fuzz.lwo";

} // namespace

void prepareObjectInput() {
    setLoaderTraceStream(discardStream());
    writeSceneContent();
}

const char* runObjectInput(const uint8_t* data, size_t size) {
    const size_t markerSize = sizeof(kTextureCoordinateMarker) - 1;
    const uint8_t* marker = nullptr;
    for (size_t i = 0; marker == nullptr && i + markerSize <= size; ++i) {
        if (std::memcmp(data + i, kTextureCoordinateMarker, markerSize) == 0) {
            marker = data + i;
        }
    }
    const size_t objectSize = marker != nullptr ? static_cast<size_t>(marker - data) : size;
    writeWorkspaceFile(kObjectFile, data, objectSize);
    if (marker != nullptr) {
        writeWorkspaceFile(kCoordinateFile, marker + markerSize, size - objectSize - markerSize);
    } else {
        removeWorkspaceFile(kCoordinateFile);
    }
    removeWorkspaceFile("error.txt");

    const auto textures = std::make_unique<TextureTable>();
    const auto object = std::make_unique<SceneObject>();
    if (object->loadObject(*textures, kObjectPath) == 0) {
        return brokenEmptySlotPromise(*object);
    }
    if (const char* broken = brokenMeshPromise(*object, *textures)) {
        return broken;
    }
    // Loading again into the same slot starts from a clean slot.
    const int32_t points = object->mesh.pointCount;
    if (object->loadObject(*textures, kObjectPath) == 0 || object->mesh.pointCount != points) {
        return "loading the same file again gave another result";
    }
    return brokenMeshPromise(*object, *textures);
}
