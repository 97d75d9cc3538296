#include "content/PngFile.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "accel/SoftwareDevice.h"

namespace {

void say(char* message, size_t size, const char* text, const char* detail = nullptr) {
    if (message == nullptr || size == 0) {
        return;
    }
    if (detail != nullptr && detail[0] != '\0') {
        std::snprintf(message, size, "%s: %s", text, detail);
    } else {
        std::snprintf(message, size, "%s", text);
    }
}

// What libpng would allocate for, checked before it reads the file: libpng allocates a
// chunk's declared length before reading the chunk (a 178-byte file declaring a 540 MB
// text chunk made it ask for 540 MB).
struct PngFileShape {
    int64_t size = -1;           // bytes; -1 when the file cannot be read (libpng says why)
    int64_t overlongChunkAt = 0; // offset of a chunk that runs past the end, else 0
};

uint32_t bigEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

// Walks the chunk headers of a PNG file up to IEND or the end of the file. Every step
// moves at least 12 bytes, so the walk ends. A file that is not a PNG file is left to
// libpng to name.
PngFileShape shapeOf(const char* hostPath) {
    PngFileShape shape;
    FILE* file = std::fopen(hostPath, "rb");
    if (file == nullptr) {
        return shape;
    }
    if (std::fseek(file, 0, SEEK_END) == 0) {
        shape.size = std::ftell(file);
    }
    uint8_t header[8];
    if (shape.size < 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fread(header, 1, 8, file) != 8 || png_sig_cmp(header, 0, 8) != 0) {
        std::fclose(file);
        return shape;
    }
    for (int64_t at = 8; at + 8 <= shape.size;) {
        if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
            std::fread(header, 1, 8, file) != 8) {
            break;
        }
        const int64_t length = bigEndian32(header);
        if (length + 12 > shape.size - at) {
            shape.overlongChunkAt = at;
            break;
        }
        if (std::memcmp(header + 4, "IEND", 4) == 0) {
            break;
        }
        at += 12 + length;
    }
    std::fclose(file);
    return shape;
}

// Deflate expands data at most 1032-fold, and the rows of a w x h image take at least
// h * (1 + ceil(w / 8)) bytes before compression (one bit per pixel, a filter byte per
// row). A header asking for more than the file can therefore hold is a lie, refused
// before the image's pixels (up to a gigabyte) are allocated for it.
constexpr uint64_t kMaxDeflateRatio = 1032;

bool fileCanHoldImage(int64_t fileSize, png_uint_32 width, png_uint_32 height) {
    const uint64_t rowBytes = 1 + (static_cast<uint64_t>(width) + 7) / 8;
    return fileSize >= 0 && static_cast<uint64_t>(height) * rowBytes <=
                                static_cast<uint64_t>(fileSize) * kMaxDeflateRatio;
}

} // namespace

int32_t readPngFile(const char* hostPath, RgbaImage& image, char* message, size_t messageSize) {
    const PngFileShape shape = shapeOf(hostPath);
    if (shape.overlongChunkAt > 0) {
        char detail[96];
        std::snprintf(detail, sizeof(detail),
                      "the chunk at byte %lld runs past the end of the file",
                      static_cast<long long>(shape.overlongChunkAt));
        say(message, messageSize, "damaged PNG file", detail);
        return 0;
    }
    png_image png;
    std::memset(&png, 0, sizeof(png));
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, hostPath) == 0) {
        say(message, messageSize, "not a readable PNG file", png.message);
        return 0;
    }
    if (png.width < 1 || png.height < 1 || png.width > static_cast<png_uint_32>(kMaxImageSide) ||
        png.height > static_cast<png_uint_32>(kMaxImageSide)) {
        png_image_free(&png);
        say(message, messageSize, "PNG image is larger than 16384 pixels on a side");
        return 0;
    }
    if (!fileCanHoldImage(shape.size, png.width, png.height)) {
        png_image_free(&png);
        say(message, messageSize, "damaged PNG file: too short for the image size in its header");
        return 0;
    }
    png.format = PNG_FORMAT_RGBA;
    if (!image.allocate(static_cast<int32_t>(png.width), static_cast<int32_t>(png.height))) {
        png_image_free(&png);
        say(message, messageSize, "not enough memory for the PNG image");
        return 0;
    }
    if (png_image_finish_read(&png, nullptr, image.pixels.get(), 0, nullptr) == 0) {
        say(message, messageSize, "damaged PNG file", png.message);
        image.allocate(0, 0);
        return 0;
    }
    return 1;
}

int32_t writePngFile(const char* hostPath, const uint8_t* pixels, int32_t width, int32_t height,
                     int32_t channels, size_t stride, char* message, size_t messageSize) {
    if (pixels == nullptr || width < 1 || height < 1 || (channels != 3 && channels != 4) ||
        stride < static_cast<size_t>(width) * channels) {
        say(message, messageSize, "nothing to write as PNG");
        return 0;
    }
    png_image png;
    std::memset(&png, 0, sizeof(png));
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (png_image_write_to_file(&png, hostPath, 0, pixels, static_cast<png_int_32>(stride),
                                nullptr) == 0) {
        say(message, messageSize, "cannot write PNG file", png.message);
        return 0;
    }
    return 1;
}

int32_t writePngFile(const char* hostPath, const RgbaImage& image, char* message,
                     size_t messageSize) {
    return writePngFile(hostPath, image.pixels.get(), image.width, image.height, 4,
                        static_cast<size_t>(image.width) * 4, message, messageSize);
}

int32_t writeFrontBufferPng(const SoftwareDevice& device, const char* hostPath, OutputFilter filter,
                            char* message, size_t messageSize) {
    if (!device.isOpen()) {
        say(message, messageSize, "the accelerator surface is not open");
        return 0;
    }
    const size_t stride = static_cast<size_t>(device.width()) * 3;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[stride * device.height()]);
    if (pixels == nullptr) {
        say(message, messageSize, "not enough memory for the frame");
        return 0;
    }
    device.readFrontBuffer(pixels.get(), 3, stride, filter);
    return writePngFile(hostPath, pixels.get(), device.width(), device.height(), 3, stride, message,
                        messageSize);
}
