#include "accel/PngFile.h"

#include <png.h>
#include <sys/stat.h>

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

// Deflate expands data at most 1032-fold, and the rows of a w x h image take at least
// h * (1 + ceil(w / 8)) bytes before compression (one bit per pixel, a filter byte per
// row). A header asking for more than the file can therefore hold is a lie, refused
// before the image's pixels (up to a gigabyte) are allocated for it.
constexpr uint64_t kMaxDeflateRatio = 1032;

bool fileCanHoldImage(const char* hostPath, png_uint_32 width, png_uint_32 height) {
    struct stat info;
    if (stat(hostPath, &info) != 0 || info.st_size < 0) {
        return false;
    }
    const uint64_t rowBytes = 1 + (static_cast<uint64_t>(width) + 7) / 8;
    return static_cast<uint64_t>(height) * rowBytes <=
           static_cast<uint64_t>(info.st_size) * kMaxDeflateRatio;
}

} // namespace

int32_t readPngFile(const char* hostPath, RgbaImage& image, char* message, size_t messageSize) {
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
    if (!fileCanHoldImage(hostPath, png.width, png.height)) {
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
