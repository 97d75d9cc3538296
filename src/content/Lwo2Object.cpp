#include "content/Lwo2Object.h"

#include <memory>

#include "content/Lwo2Mesh.h"
#include "content/Lwo2Model.h"
#include "object/ObjectFile.h"
#include "object/ObjectLoadFailure.h"
#include "platform/Diagnostics.h"
#include "player/SceneObject.h"

namespace {

constexpr size_t kReasonSize = 256;

int32_t refused(SceneObject& object, const ObjectFile& file, const char* reason) {
    object.mesh = Mesh{};
    reportUnusableObject(file.name, "%s", reason);
    return 0;
}

// Builds the layers numbered `layerNumber` (-1: all) into the slot.
int32_t load(SceneObject& object, TextureTable& textures, const ObjectFile& file,
             const Lwo2Model& model, int32_t layerNumber) {
    char reason[kReasonSize] = {};
    if (buildLwo2Mesh(model, layerNumber, textures, file.name, object, reason, sizeof reason) ==
        0) {
        return refused(object, file, reason);
    }
    return 1;
}

} // namespace

int32_t readLwo2Object(SceneObject& object, TextureTable& textures, ObjectFile& file) {
    const auto model = std::make_unique<Lwo2Model>();
    char reason[kReasonSize] = {};
    if (readLwo2Model(file.bytes.get(), static_cast<size_t>(file.size), *model, reason,
                      sizeof reason) == 0) {
        return refused(object, file, reason);
    }
    return load(object, textures, file, *model, -1);
}

int32_t loadLwo2ObjectLayer(SceneObject& object, TextureTable& textures, const char* fileName,
                            int32_t layerNumber, Lwo2LayerInfo* layer) {
    clearLastRefusal();
    object.mesh = Mesh{};
    ObjectFile file;
    if (readObjectFile(file, fileName) == 0) {
        return 0;
    }
    if (!isLwo2File(file.bytes.get(), static_cast<size_t>(file.size))) {
        if (layerNumber != 0) {
            reportUnusableObject(fileName, "layer %d asked of an object that has only one",
                                 layerNumber + 1);
            return 0;
        }
        if (layer != nullptr) {
            *layer = Lwo2LayerInfo{};
        }
        return object.loadObject(textures, fileName);
    }
    const auto model = std::make_unique<Lwo2Model>();
    char reason[kReasonSize] = {};
    if (readLwo2Model(file.bytes.get(), static_cast<size_t>(file.size), *model, reason,
                      sizeof reason) == 0) {
        return refused(object, file, reason);
    }
    for (const Lwo2Layer& found : model->layers) {
        if (found.number != layerNumber) {
            continue;
        }
        if (layer != nullptr) {
            layer->number = found.number;
            layer->flags = found.flags;
            layer->parent = found.parent;
            layer->name = found.name;
            for (int k = 0; k < 3; ++k) {
                layer->pivot[k] = found.pivot[k];
            }
        }
        return load(object, textures, file, *model, layerNumber);
    }
    reportUnusableObject(fileName, "it has no layer %d", layerNumber + 1);
    return 0;
}
