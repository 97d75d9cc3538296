// The picture driver: a picture file of any kind (IFF, JPEG, BMP, Targa, PNG) through the
// clip picture reader and, for images of a size a texture is made from, the texture
// converter in the format and with the mip-maps a clip texture gets.
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "content/PictureFile.h"
#include "content/TextureConverter.h"

namespace {

constexpr char kPictureFile[] = "picture.img";
constexpr int64_t kMaxConvertedPixels = 512 * 512;

} // namespace

void preparePictureInput() {}

const char* runPictureInput(const uint8_t* data, size_t size) {
    writeWorkspaceFile(kPictureFile, data, size);
    RgbaImage image;
    char message[256] = {};
    if (readPictureFile(kPictureFile, image, message, sizeof message) == 0) {
        if (message[0] == '\0') {
            return "a refused picture without a reason";
        }
        return image.pixels == nullptr ? nullptr : "a refused picture kept its pixels";
    }
    if (image.width < 1 || image.height < 1 || image.width > kMaxImageSide ||
        image.height > kMaxImageSide || image.pixels == nullptr ||
        static_cast<int64_t>(image.width) * image.height > kMaxPicturePixels) {
        return "a picture of impossible size";
    }
    if (static_cast<int64_t>(image.width) * image.height > kMaxConvertedPixels) {
        return nullptr;
    }
    TextureConversion conversion;
    conversion.format = size % 2 == 0 ? GR_TEXFMT_RGB_565 : GR_TEXFMT_INTENSITY_8;
    conversion.mipMaps = true;
    ThreeDfTexture texture;
    if (convertImageToThreeDf(image, conversion, texture, message, sizeof message) == 0) {
        return "a readable picture did not convert";
    }
    return nullptr;
}
