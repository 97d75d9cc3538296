// The LWO2 driver: an LWO2 object file through SceneObject::loadObject with the ember
// tool's reader of later objects switched on, then one of its layers alone.
#include <memory>

#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "MeshPromises.h"
#include "content/Lwo2Object.h"
#include "content/PngFile.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

constexpr char kObjectFile[] = "objects/fuzz.lwo";
constexpr char kObjectPath[] = "objects\\fuzz.lwo";

} // namespace

void prepareLwo2Input() {
    setLoaderTraceStream(discardStream());
    readerExtensions().readOtherObject = &readLwo2Object;
    // The picture the seeds' clips name, so that inputs reach the texture path.
    RgbaImage picture;
    if (picture.allocate(8, 4)) {
        char message[128];
        writeWorkspaceFile("objects/.keep", "");
        writePngFile("objects/boxuv.png", picture, message, sizeof message);
    }
}

const char* runLwo2Input(const uint8_t* data, size_t size) {
    writeWorkspaceFile(kObjectFile, data, size);
    removeWorkspaceFile("error.txt");
    const auto textures = std::make_unique<TextureTable>();
    const auto object = std::make_unique<SceneObject>();
    if (object->loadObject(*textures, kObjectPath) == 0) {
        return brokenEmptySlotPromise(*object);
    }
    if (const char* broken = brokenMeshPromise(*object, *textures)) {
        return broken;
    }
    // One layer alone: a subset of what the whole file drew.
    const auto layer = std::make_unique<SceneObject>();
    Lwo2LayerInfo info;
    if (loadLwo2ObjectLayer(*layer, *textures, kObjectPath, static_cast<int32_t>(size % 3),
                            &info) == 0) {
        return brokenEmptySlotPromise(*layer);
    }
    if (layer->mesh.polygonCount > object->mesh.polygonCount) {
        return "one layer drew more than the whole object";
    }
    return brokenMeshPromise(*layer, *textures);
}
