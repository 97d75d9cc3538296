// The 3DF driver: a texture file through gu3dfGetInfo and gu3dfLoad, the texture
// converter's export, and the texture table onto a small software device.
#include <memory>

#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "accel/SoftwareDevice.h"
#include "accel/TextureLayout.h"
#include "content/TextureConverter.h"
#include "texture/TextureTable.h"

namespace {

constexpr char kTextureFile[] = "textures/fuzz.3df";
constexpr char kTexturePath[] = "textures\\fuzz.3df";
constexpr int32_t kSide = 16; // pixels of the device's frame

SoftwareDevice* device = nullptr; // see useProcessDevice

GrVertex corner(float x, float y, float s, float t) {
    GrVertex v;
    v.x = x;
    v.y = y;
    v.r = v.g = v.b = v.a = 255.0f;
    v.oow = v.tmuvtx[0].oow = 1.0f;
    v.ooz = 65535.0f;
    v.tmuvtx[0].sow = s;
    v.tmuvtx[0].tow = t;
    return v;
}

// Draws the selected texture over the frame, magnified and minified.
void drawTextured() {
    const GrVertex a = corner(0, 0, 0, 0);
    const GrVertex b = corner(kSide, 0, 256, 0);
    const GrVertex c = corner(0, kSide, 0, 2048);
    grDrawTriangle(&a, &b, &c);
    const GrVertex d = corner(kSide, kSide, 3, 5);
    grDrawTriangle(&b, &d, &c);
}

} // namespace

void prepareThreeDfInput() {
    SoftwareDeviceOptions options;
    options.width = kSide;
    options.height = kSide;
    options.colorMode = AccelColorMode::Clean32;
    options.textureMemoryBytes = 256u << 10; // room for a few of the largest textures
    useProcessDevice(device, options);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
}

const char* runThreeDfInput(const uint8_t* data, size_t size) {
    writeWorkspaceFile(kTextureFile, data, size);
    removeWorkspaceFile("error.txt");

    Gu3dfInfo info;
    if (gu3dfGetInfo(kTexturePath, &info) == FXFALSE) {
        return nullptr;
    }
    GrTexInfo texInfo;
    texInfo.smallLod = info.header.small_lod;
    texInfo.largeLod = info.header.large_lod;
    texInfo.aspectRatio = info.header.aspect_ratio;
    texInfo.format = info.header.format;
    if (!isValidTexInfo(texInfo) || info.mem_required != textureTexelBytes(texInfo)) {
        return "gu3dfGetInfo accepted a header that describes no texture";
    }
    int32_t width = 0;
    int32_t height = 0;
    levelDimensions(texInfo.largeLod, texInfo.aspectRatio, width, height);
    if (info.header.width != static_cast<FxU32>(width) ||
        info.header.height != static_cast<FxU32>(height)) {
        return "gu3dfGetInfo's size disagrees with its LOD and aspect";
    }

    ThreeDfTexture texture;
    char message[256];
    if (loadThreeDfTexture(kTexturePath, texture, message, sizeof message) == 1) {
        for (int32_t level = 0; level < threeDfLevelCount(texture.info); ++level) {
            RgbaImage image;
            if (decodeThreeDfLevel(texture, level, image, message, sizeof message) == 0) {
                return "a loaded texture has a level that does not decode";
            }
        }
    }

    const auto table = std::make_unique<TextureTable>();
    const int32_t index = table->loadTexture("C:\\maps\\Fuzz.iff");
    if (index != 0) {
        return "the first texture of a table did not take slot 0";
    }
    grBufferClear(0, 0, 0xFFFF);
    table->selectTexture(index);
    drawTextured();
    table->reloadAll();
    table->selectTexture(index);
    drawTextured();
    return nullptr;
}
