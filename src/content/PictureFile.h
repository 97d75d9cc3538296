// Pictures that LightWave objects name as image clips, decoded to RGBA.
//
// The kind is told by the file's first bytes, never by its name:
//   FORM....ILBM / PBM / RGBN / RGB8   IFF pictures (IlbmPicture.h, ours)
//   89 50 4E 47                        PNG (libpng, PngFile.h)
//   FF D8                              JPEG (libjpeg, JpegPicture.cpp)
//   BM                                 BMP (stb_image)
//   anything else                      tried as Targa, which has no magic (stb_image)
//
// Every decoder is bounded: sides of 1..kMaxImageSide, at most kMaxPicturePixels, and a
// pixel count no larger than the file's bytes could describe in that format, so a lying
// header never causes a large allocation. Any file that cannot be decoded is refused
// with one line in `message`; nothing is read outside the file's bytes.
//
// Usage:
//   RgbaImage image; char message[256];
//   if (readPictureFile(hostPath, image, message, sizeof message) == 0) { report message }
#pragma once

#include <cstddef>
#include <cstdint>

#include "content/RgbaImage.h"

inline constexpr int64_t kMaxPicturePixels = 64 * 1024 * 1024; // 256 MB of RGBA
inline constexpr int64_t kMaxPictureFileBytes = 256 * 1024 * 1024;

// A picture file (a host path). 1 decoded, 0 refused (reason in `message`).
int32_t readPictureFile(const char* hostPath, RgbaImage& image, char* message, size_t messageSize);

// A picture in memory, detected by magic. PNG needs a file (libpng reads it there), so
// this takes every kind but PNG.
int32_t decodePicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                      size_t messageSize);

// JPEG through libjpeg.
int32_t decodeJpegPicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                          size_t messageSize);

// BMP and Targa through stb_image.
int32_t decodeStbPicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                         size_t messageSize);
