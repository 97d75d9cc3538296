#include "content/PictureFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "content/IlbmPicture.h"
#include "content/PngFile.h"

namespace {

int32_t refuse(char* message, size_t size, const char* text) {
    if (message != nullptr && size > 0) {
        std::snprintf(message, size, "%s", text);
    }
    return 0;
}

bool isPng(const uint8_t* bytes, size_t size) {
    static const uint8_t kMagic[4] = {0x89, 'P', 'N', 'G'};
    return size >= 4 && std::memcmp(bytes, kMagic, 4) == 0;
}

} // namespace

int32_t decodePicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                      size_t messageSize) {
    if (isIffPicture(bytes, size)) {
        return decodeIffPicture(bytes, size, image, message, messageSize);
    }
    if (isPng(bytes, size)) {
        image.allocate(0, 0);
        return refuse(message, messageSize, "PNG pictures are read from files");
    }
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        return decodeJpegPicture(bytes, size, image, message, messageSize);
    }
    return decodeStbPicture(bytes, size, image, message, messageSize);
}

int32_t readPictureFile(const char* hostPath, RgbaImage& image, char* message, size_t messageSize) {
    image.allocate(0, 0);
    FILE* file = std::fopen(hostPath, "rb");
    if (file == nullptr) {
        return refuse(message, messageSize, "cannot open the picture file");
    }
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        length = std::ftell(file);
    }
    if (length < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return refuse(message, messageSize, "cannot read the picture file");
    }
    if (length > kMaxPictureFileBytes) {
        std::fclose(file);
        return refuse(message, messageSize, "picture file too large");
    }
    uint8_t magic[4] = {};
    const size_t got = std::fread(magic, 1, sizeof magic, file);
    if (isPng(magic, got)) {
        std::fclose(file);
        return readPngFile(hostPath, image, message, messageSize);
    }
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[static_cast<size_t>(length) + 1]);
    if (bytes == nullptr) {
        std::fclose(file);
        return refuse(message, messageSize, "not enough memory for the picture file");
    }
    const bool read = std::fseek(file, 0, SEEK_SET) == 0 &&
                      std::fread(bytes.get(), 1, static_cast<size_t>(length), file) ==
                          static_cast<size_t>(length);
    std::fclose(file);
    if (!read) {
        return refuse(message, messageSize, "cannot read the picture file");
    }
    return decodePicture(bytes.get(), static_cast<size_t>(length), image, message, messageSize);
}
