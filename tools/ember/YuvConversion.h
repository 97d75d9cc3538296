// YuvConversion: pixels to 8-bit BT.601 studio-range Y'CbCr planes (4:4:4), in integers
// with rounding, so that every machine writes the same bytes:
//   Y  = (66 R + 129 G + 25 B + 128 + 16 * 256) >> 8
//   Cb = (-38 R - 74 G + 112 B + 128 + 128 * 256) >> 8
//   Cr = (112 R - 94 G - 18 B + 128 + 128 * 256) >> 8
// from 0xFFRRGGBB words, or from RGB565 words widened as the device reads them back
// (rgb565ToArgb).
//
// Usage:
//   argbToYuv444(frame.argb.data(), pixels, yPlane, cbPlane, crPlane);
#pragma once

#include <cstddef>
#include <cstdint>

// The planes' values of black.
inline constexpr uint8_t kBlackLuma = 16;
inline constexpr uint8_t kBlackChroma = 128;

// The instructions that convert (all give the same bytes): Fastest, the widest the
// processor has.
enum class YuvPath { Fastest, Scalar, Sse2, Avx2, Avx512 };
// Whether this build runs `path` on this processor.
bool yuvPathAvailable(YuvPath path);

void argbToYuv444(const uint32_t* argb, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr,
                  YuvPath path = YuvPath::Fastest);
void rgb565ToYuv444(const uint16_t* rgb565, size_t count, uint8_t* y, uint8_t* cb, uint8_t* cr,
                    YuvPath path = YuvPath::Fastest);
