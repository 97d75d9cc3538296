#include "DemoFolder.h"

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "TextureFile.h"

LwobSurface colourSurface(int r, int g, int b, uint16_t flags) {
    LwobSurface s;
    s.color(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    s.flags(flags);
    if ((flags & kSmoothFlag) != 0) {
        s.smoothingAngle(1.5625f); // 89.5 degrees, as LightWave writes it
    }
    return s;
}

std::string imageName(const std::string& texture) {
    return "C:\\Emberlight\\Images\\" + texture + ".iff";
}

LwobSurface& planarImage(LwobSurface& s, const std::string& texture, uint16_t axis, Vec3 size,
                         Vec3 centre) {
    s.texture("CTEX", "Planar Image Map")
        .textureImage(imageName(texture))
        .textureFlags(axis)
        .textureSize(size.x, size.y, size.z)
        .textureCenter(centre.x, centre.y, centre.z);
    return s;
}

LwobSurface& cylindricalImage(LwobSurface& s, const std::string& texture, uint16_t axis, Vec3 size,
                              Vec3 centre, float wrap) {
    s.texture("CTEX", "Cylindrical Image Map")
        .textureImage(imageName(texture))
        .textureFlags(axis)
        .textureSize(size.x, size.y, size.z)
        .textureCenter(centre.x, centre.y, centre.z)
        .wrapWidth(wrap)
        .wrapHeight(1.0f);
    return s;
}

DemoFolder::DemoFolder(std::string root) : root_(std::move(root)) {
    for (const char* sub : {"", "/scenes", "/objects", "/textures", "/cdrom"}) {
        const std::string dir = root_ + sub;
        if (mkdir(dir.c_str(), 0755) != 0) {
            struct stat st {};
            if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                throw std::runtime_error("cannot create " + dir);
            }
        }
    }
}

std::string DemoFolder::writeObject(const std::string& name, const MeshBuilder& mesh) {
    if (!mesh.write(root_ + "/objects/" + name + ".lwo")) {
        throw std::runtime_error("cannot write object " + name);
    }
    ++objects_;
    triangles_ += mesh.triangleCount();
    return "objects\\" + name + ".lwo";
}

void DemoFolder::writeTexture(const std::string& name, const Image& image, GrTextureFormat_t format,
                              bool mipmaps) {
    if (textures_.count(name) != 0) {
        return;
    }
    if (!::writeTexture(root_ + "/textures/" + name + ".3df", image, format, mipmaps)) {
        throw std::runtime_error("cannot write texture " + name);
    }
    textures_[name] = format;
}

void DemoFolder::writeScene(const std::string& name, const SceneText& scene) {
    std::ofstream out(root_ + "/scenes/" + name + ".lws", std::ios::binary);
    out << scene.text();
    if (!out) {
        throw std::runtime_error("cannot write scene " + name);
    }
}
