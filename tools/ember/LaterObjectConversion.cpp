#include "ember/LaterObjectConversion.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "ember/Commands.h"
#include "ember/MeshExport.h"
#include "object/ObjectFile.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace fs = std::filesystem;

namespace {

// A folder of its own for the read-back, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = (fs::temp_directory_path() / "ember-object-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) {
            throw ToolError("cannot make a temporary folder in " +
                            fs::temp_directory_path().string());
        }
        path_ = name;
    }
    ~ScratchFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The exported files loaded as the player loads objects (LWOB triangles only).
std::string readBackDifference(const Mesh& loaded, const ExportedMesh& exported) {
    const ScratchFolder scratch;
    const fs::path object = scratch.path() / "object.lwo";
    writeFileBytes(object, exported.lwob);
    writeFileBytes(scratch.path() / "object.txc", exported.textureCoordinates);
    ReaderExtensions& extensions = readerExtensions();
    const ReaderExtensions saved = extensions;
    extensions = ReaderExtensions{};
    auto textures = std::make_unique<TextureTable>();
    auto check = std::make_unique<SceneObject>();
    const int32_t read = check->loadObject(*textures, object.c_str());
    extensions = saved;
    if (read != 1) {
        return "it does not load: " + displayText(lastRefusal());
    }
    const std::string differs = meshDifference(loaded, check->mesh);
    return differs.empty() ? "" : "it reads back otherwise: " + differs;
}

} // namespace

bool isLwo2Object(const std::string& contentPath) {
    ObjectFile file;
    return readObjectFile(file, contentPath.c_str()) == 1 && file.size >= 12 &&
           std::memcmp(file.bytes.get(), "FORM", 4) == 0 &&
           std::memcmp(file.bytes.get() + 8, "LWO2", 4) == 0;
}

ConvertedObject convertLwo2Object(const std::string& contentPath, const fs::path& textureFolder,
                                  std::vector<std::string>& texturesWritten) {
    auto textures = std::make_unique<TextureTable>();
    auto object = std::make_unique<SceneObject>();
    clearLastRefusal();
    if (object->loadObject(*textures, contentPath.c_str()) != 1) {
        const std::string reason = displayText(lastRefusal());
        throw ToolError(reason.empty() ? "cannot open object file " + contentPath : reason);
    }
    const Mesh& mesh = object->mesh;
    auto textureNames = std::make_unique<std::string[]>(kTextureSlotCount);
    std::set<std::string> taken = namesInFolder(textureFolder);
    taken.insert("flare"); // the player's lens flare
    std::error_code error;
    fs::create_directories(textureFolder, error);
    exportTextures(mesh, *textures, textureFolder, taken, textureNames.get());
    for (int32_t i = 0; i < kTextureSlotCount; ++i) {
        if (!textureNames[i].empty()) {
            texturesWritten.push_back((textureFolder / (textureNames[i] + ".3df")).string());
        }
    }

    ExportedMesh exported = exportMesh(mesh, textureNames.get());
    const std::string differs = readBackDifference(mesh, exported);
    if (!differs.empty()) {
        for (const std::string& written : texturesWritten) {
            fs::remove(written, error); // new names: nothing that was there is lost
        }
        texturesWritten.clear();
        throw ToolError(contentPath + ": the converted object is not the same: " + differs);
    }
    ConvertedObject converted;
    converted.lwob = std::move(exported.lwob);
    converted.textureCoordinates = std::move(exported.textureCoordinates);
    converted.triangles = mesh.polygonCount;
    return converted;
}
