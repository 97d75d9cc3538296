// The PNG driver: a PNG file through the texture converter's reader and, for images of
// a size a texture is made from, through the conversion and a 3DF round trip.
#include <cstring>
#include <filesystem>
#include <iterator>

#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "content/PngFile.h"
#include "content/TextureConverter.h"

namespace {

constexpr char kImageFile[] = "image.png";
constexpr char kTextureFile[] = "textures/converted.3df";
constexpr char kTexturePath[] = "textures\\converted.3df";
constexpr int64_t kMaxConvertedPixels = 512 * 512;

constexpr size_t kFormatCount = std::size(kThreeDfFormats);

} // namespace

void preparePngInput() {
    std::error_code ignored;
    std::filesystem::create_directories("textures", ignored);
}

const char* runPngInput(const uint8_t* data, size_t size) {
    writeWorkspaceFile(kImageFile, data, size);
    RgbaImage image;
    char message[256] = {};
    if (readPngFile(kImageFile, image, message, sizeof message) == 0) {
        if (message[0] == '\0') {
            return "a refused PNG file without a reason";
        }
        return nullptr;
    }
    if (image.width < 1 || image.height < 1 || image.width > kMaxImageSide ||
        image.height > kMaxImageSide || image.pixels == nullptr) {
        return "a PNG image of impossible size";
    }
    if (static_cast<int64_t>(image.width) * image.height > kMaxConvertedPixels) {
        return nullptr;
    }

    TextureConversion conversion;
    conversion.format = kThreeDfFormats[size % kFormatCount];
    conversion.mipMaps = (size / kFormatCount) % 2 == 1;
    ThreeDfTexture texture;
    if (convertImageToThreeDf(image, conversion, texture, message, sizeof message) == 0) {
        return "a readable image did not convert";
    }
    removeWorkspaceFile(kTextureFile);
    if (write3dfFile(kTextureFile, texture.info) == FXFALSE) {
        return "a converted texture could not be written";
    }
    ThreeDfTexture reread;
    if (loadThreeDfTexture(kTexturePath, reread, message, sizeof message) == 0) {
        return "a written texture could not be read back";
    }
    if (reread.info.mem_required != texture.info.mem_required ||
        std::memcmp(reread.texels.get(), texture.texels.get(), texture.info.mem_required) != 0) {
        return "a texture read back differs from the one written";
    }
    RgbaImage level;
    const int32_t levels = threeDfLevelCount(reread.info);
    if (decodeThreeDfLevel(reread, 0, level, message, sizeof message) == 0 ||
        decodeThreeDfLevel(reread, levels - 1, level, message, sizeof message) == 0) {
        return "a converted texture does not decode";
    }
    return nullptr;
}
