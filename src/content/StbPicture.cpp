// BMP and Targa pictures through stb_image (Debian's libstb-dev header).
//
// The decoder is compiled here from the packaged header rather than linked from the
// packaged library, so that it is configured for us: only the two formats we route to
// it (PNG goes to libpng, JPEG to libjpeg, the IFF kinds to our own decoder), no stdio,
// sides bounded by kMaxImageSide, and (in the sanitizer and fuzzing builds)
// instrumented like the rest of the code that reads untrusted files.
//
// stb_image allocates the whole image for the size in a header before it decodes the
// data, so the size is checked first against what the file's bytes could describe:
// Targa's run-length packets cover at most 128 pixels in two bytes, and BMP stores at
// least one bit per pixel. A header asking for more is a lie and refused before
// anything is allocated.
#include <cstdio>
#include <cstring>

#include "content/PictureFile.h"

#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

static_assert(STBI_MAX_DIMENSIONS == kMaxImageSide, "stb_image bounds the sides as we do");

namespace {

int32_t refuse(char* message, size_t size, const char* text, const char* detail = nullptr) {
    if (message != nullptr && size > 0) {
        if (detail != nullptr) {
            std::snprintf(message, size, "%s: %s", text, detail);
        } else {
            std::snprintf(message, size, "%s", text);
        }
    }
    return 0;
}

// Pixels that `size` bytes of the format can describe at its best compression.
int64_t describablePixels(const uint8_t* bytes, size_t size) {
    const int64_t n = static_cast<int64_t>(size);
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        return n * 8; // one bit per pixel
    }
    return n * 64; // Targa: 128 pixels per two-byte packet
}

} // namespace

int32_t decodeStbPicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                         size_t messageSize) {
    image.allocate(0, 0);
    if (size > static_cast<size_t>(kMaxPictureFileBytes)) {
        return refuse(message, messageSize, "picture file too large");
    }
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(bytes, length, &width, &height, &channels) == 0) {
        return refuse(message, messageSize, "not a picture this program reads",
                      stbi_failure_reason());
    }
    const int64_t pixels = static_cast<int64_t>(width) * height;
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
        pixels > kMaxPicturePixels) {
        return refuse(message, messageSize, "picture of an unsupported size");
    }
    if (pixels > describablePixels(bytes, size)) {
        return refuse(message, messageSize,
                      "damaged picture: too short for the size in its header");
    }
    stbi_uc* decoded = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
    if (decoded == nullptr) {
        return refuse(message, messageSize, "damaged picture", stbi_failure_reason());
    }
    if (!image.allocate(width, height)) {
        stbi_image_free(decoded);
        return refuse(message, messageSize, "not enough memory for the picture");
    }
    std::memcpy(image.pixels.get(), decoded, static_cast<size_t>(width) * height * 4);
    stbi_image_free(decoded);
    return 1;
}
