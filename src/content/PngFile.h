// PNG files: reading any PNG as 8-bit RGBA (for the texture converter) and writing RGBA
// or RGB pixels (front buffers, exported textures, rendered frames).
//
// Built on libpng's simplified interface, which converts every colour type and bit
// depth (palette, grey, 16-bit, tRNS) to 8-bit RGBA on reading. Results are 1 or 0; on 0
// `message` holds one line saying what went wrong. Paths are host paths.
#pragma once

#include <cstddef>
#include <cstdint>

#include "accel/OutputFilter.h"
#include "content/RgbaImage.h"

class SoftwareDevice;

int32_t readPngFile(const char* hostPath, RgbaImage& image, char* message, size_t messageSize);

// `channels` is 3 (RGB) or 4 (RGBA); rows are `stride` bytes apart, top row first.
int32_t writePngFile(const char* hostPath, const uint8_t* pixels, int32_t width, int32_t height,
                     int32_t channels, size_t stride, char* message, size_t messageSize);
int32_t writePngFile(const char* hostPath, const RgbaImage& image, char* message,
                     size_t messageSize);

// The device's front buffer as an RGB PNG, through the presentation filter if asked.
int32_t writeFrontBufferPng(const SoftwareDevice& device, const char* hostPath, OutputFilter filter,
                            char* message, size_t messageSize);
