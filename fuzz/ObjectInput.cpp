// The object driver: an object file (and optionally its texture coordinate file)
// through SceneObject::loadObject, mesh preparation included, twice: as the player reads
// it (triangles only) and as the ember tool does (polygons of any size triangulated).
#include <cstring>
#include <memory>

#include "FuzzContent.h"
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "MeshPromises.h"
#include "content/Triangulator.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

constexpr char kObjectFile[] = "objects/fuzz.lwo";
constexpr char kCoordinateFile[] = "objects/fuzz.txc";
constexpr char kObjectPath[] = "objects\\fuzz.lwo";

// Loads the workspace's object into `object` with the triangulating reader on or off, then
// again into the same slot; nullptr when every promise held (a refusal included).
const char* loadTwice(SceneObject& object, bool triangulating) {
    readerExtensions().triangulatePolygons = triangulating ? &triangulatePolygon : nullptr;
    const auto textures = std::make_unique<TextureTable>();
    const int32_t loaded = object.loadObject(*textures, kObjectPath);
    const char* broken =
        loaded == 0 ? brokenEmptySlotPromise(object) : brokenMeshPromise(object, *textures);
    // Loading again into the same slot starts from a clean slot.
    const int32_t points = object.mesh.pointCount;
    if (broken == nullptr && loaded == 1 &&
        (object.loadObject(*textures, kObjectPath) == 0 || object.mesh.pointCount != points)) {
        broken = "loading the same file again gave another result";
    }
    if (broken == nullptr && loaded == 1) {
        broken = brokenMeshPromise(object, *textures);
    }
    readerExtensions().triangulatePolygons = nullptr;
    return broken;
}

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

    const auto faithful = std::make_unique<SceneObject>();
    if (const char* broken = loadTwice(*faithful, false)) {
        return broken;
    }
    const auto triangulated = std::make_unique<SceneObject>();
    if (const char* broken = loadTwice(*triangulated, true)) {
        return broken;
    }
    // Triangles are taken as they are: what the player loads, the ember tool loads alike.
    if (faithful->mesh.points != nullptr &&
        (triangulated->mesh.pointCount != faithful->mesh.pointCount ||
         triangulated->mesh.polygonCount != faithful->mesh.polygonCount)) {
        return "the triangulating reader read an all-triangle object differently";
    }
    return nullptr;
}
