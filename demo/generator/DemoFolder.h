// DemoFolder: where the generator writes, and the shared vocabulary of the scenes.
//
// The folder has the layout the player reads from its working directory:
//   scenes/*.lws   objects/*.lwo (+ .txc)   textures/*.3df   cdrom/ (the disc image)
// Content paths inside the files are written as LightWave on Windows wrote them:
// backslashes, the objects named "objects\name.lwo", texture images named by a full
// Windows path of the original image ("C:\Emberlight\Images\grass.iff"), which the
// player reduces to "textures\grass.3df".
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "Geometry.h"
#include "Image.h"
#include "SceneText.h"
#include "accel/Accelerator.h"

// Surface flag bits of the FLAG sub-chunk.
inline constexpr uint16_t kLuminousFlag = 0x1;
inline constexpr uint16_t kSmoothFlag = 0x4;
inline constexpr uint16_t kDoubleSidedFlag = 0x100;
inline constexpr uint16_t kAdditiveFlag = 0x200;
// Texture axis flags of TFLG.
inline constexpr uint16_t kAxisX = 1, kAxisY = 2, kAxisZ = 4;

// A surface of colour r, g, b (bytes) with the given flags.
LwobSurface colourSurface(int r, int g, int b, uint16_t flags = kSmoothFlag);
// The image name of a texture as a surface or fire names it ("C:\...\name.iff").
std::string imageName(const std::string& texture);
// Adds a planar ("Planar Image Map") or cylindrical colour texture to `s`.
LwobSurface& planarImage(LwobSurface& s, const std::string& texture, uint16_t axis, Vec3 size,
                         Vec3 centre = {});
LwobSurface& cylindricalImage(LwobSurface& s, const std::string& texture, uint16_t axis, Vec3 size,
                              Vec3 centre = {}, float wrap = 1.0f);

class DemoFolder {
public:
    explicit DemoFolder(std::string root);

    const std::string& root() const { return root_; }
    // Writes objects/<name>.lwo; returns its content path "objects\<name>.lwo".
    std::string writeObject(const std::string& name, const MeshBuilder& mesh);
    // Writes textures/<name>.3df once (later calls with the same name are ignored).
    void writeTexture(const std::string& name, const Image& image, GrTextureFormat_t format,
                      bool mipmaps = true);
    void writeScene(const std::string& name, const SceneText& scene);

    int32_t objectCount() const { return objects_; }
    int32_t triangleCount() const { return triangles_; }
    const std::map<std::string, GrTextureFormat_t>& textures() const { return textures_; }

private:
    std::string root_;
    int32_t objects_ = 0;
    int32_t triangles_ = 0;
    std::map<std::string, GrTextureFormat_t> textures_;
};

// The scenes; each writes its objects and textures, and returns its scene text.
SceneText buildOutdoor(DemoFolder& folder);
SceneText buildTemple(DemoFolder& folder);
SceneText buildFuture(DemoFolder& folder);
SceneText buildOffice(DemoFolder& folder);
SceneText buildTheEnd(DemoFolder& folder);
// Textures shared by several scenes: flare.3df and the fire and spark sprites.
void writeSharedTextures(DemoFolder& folder);
