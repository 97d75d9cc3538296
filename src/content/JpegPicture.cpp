// JPEG pictures through libjpeg (Debian's libjpeg-turbo), a decoder hardened by years of
// fuzzing; stb_image's JPEG decoder read out of bounds on damaged Huffman tables.
//
// libjpeg reports errors by calling an exit routine that must not return; ours jumps
// back to decodeJpegPicture with longjmp. Nothing between the setjmp and a jump owns
// memory that a destructor would free: the image buffer is a plain pointer released by
// hand on both paths, and the decompressor is destroyed after the jump.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "content/PictureFile.h"

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr, int) {} // warnings of damaged but readable files: quiet

int32_t refuse(char* message, size_t size, const char* text, const char* detail) {
    if (message != nullptr && size > 0) {
        std::snprintf(message, size, "%s: %s", text, detail);
    }
    return 0;
}

} // namespace

int32_t decodeJpegPicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                          size_t messageSize) {
    image.allocate(0, 0);
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    errors.message[0] = '\0';
    uint8_t* volatile pixels = nullptr;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        delete[] pixels;
        image.allocate(0, 0);
        return refuse(message, messageSize, "damaged JPEG picture", errors.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const int64_t pixelCount = static_cast<int64_t>(info.image_width) * info.image_height;
    // A lying header: at least one bit per 8 x 8 block of pixels.
    if (info.image_width < 1 || info.image_height < 1 ||
        info.image_width > static_cast<JDIMENSION>(kMaxImageSide) ||
        info.image_height > static_cast<JDIMENSION>(kMaxImageSide) ||
        pixelCount > kMaxPicturePixels || pixelCount > static_cast<int64_t>(size) * 8 * 64) {
        jpeg_destroy_decompress(&info);
        return refuse(message, messageSize, "JPEG picture",
                      pixelCount > static_cast<int64_t>(size) * 8 * 64
                          ? "too short for the size in its header"
                          : "of an unsupported size");
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    const size_t stride = static_cast<size_t>(info.output_width) * 4;
    pixels = new (std::nothrow) uint8_t[stride * info.output_height];
    if (pixels == nullptr) {
        jpeg_destroy_decompress(&info);
        return refuse(message, messageSize, "JPEG picture", "not enough memory");
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const int32_t width = static_cast<int32_t>(info.output_width);
    const int32_t height = static_cast<int32_t>(info.output_height);
    jpeg_destroy_decompress(&info);
    const bool ok = image.allocate(width, height);
    if (ok) {
        std::memcpy(image.pixels.get(), pixels, stride * static_cast<size_t>(height));
    }
    delete[] pixels;
    return ok ? 1 : refuse(message, messageSize, "JPEG picture", "not enough memory");
}
