// A software device on a small frame buffer, made current for one test, with helpers to
// build vertices and read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "accel/SoftwareDevice.h"

class DeviceTest : public ::testing::Test {
protected:
    void TearDown() override { setAcceleratorDevice(nullptr); }

    // Opens a width x height surface (origin upper left), 32-bit unless asked otherwise.
    void open(int32_t width, int32_t height, AccelColorMode mode = AccelColorMode::Clean32) {
        options_.width = width;
        options_.height = height;
        options_.colorMode = mode;
        options_.report = [](void* context, const char* line) {
            static_cast<DeviceTest*>(context)->reports_.push_back(line);
        };
        options_.reportContext = this;
        device_ = std::make_unique<SoftwareDevice>(options_);
        setAcceleratorDevice(device_.get());
        ASSERT_TRUE(grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz,
                                 GR_COLORFORMAT_ABGR, GR_ORIGIN_UPPER_LEFT, 2, 1));
        grBufferClear(0, 0, 0xFFFF);
    }

    static GrVertex vertex(float x, float y, float r = 255, float g = 255, float b = 255,
                           float a = 255) {
        GrVertex v;
        v.x = x;
        v.y = y;
        v.r = r;
        v.g = g;
        v.b = b;
        v.a = a;
        v.oow = 1.0f;
        v.ooz = 65535.0f;
        v.tmuvtx[0].oow = 1.0f;
        return v;
    }
    // Texture coordinates in texels of the 256-texel space at depth w (oow = 1 / w).
    static GrVertex textured(float x, float y, float s, float t, float w = 1.0f) {
        GrVertex v = vertex(x, y);
        v.oow = v.tmuvtx[0].oow = 1.0f / w;
        v.tmuvtx[0].sow = s / w;
        v.tmuvtx[0].tow = t / w;
        return v;
    }

    static void triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
        grDrawTriangle(&a, &b, &c);
    }
    // An axis-aligned rectangle as two triangles sharing a diagonal.
    static void rectangle(float x0, float y0, float x1, float y1, GrVertex base = vertex(0, 0)) {
        GrVertex v[4] = {base, base, base, base};
        v[0].x = x0, v[0].y = y0;
        v[1].x = x1, v[1].y = y0;
        v[2].x = x1, v[2].y = y1;
        v[3].x = x0, v[3].y = y1;
        triangle(v[0], v[1], v[2]);
        triangle(v[0], v[2], v[3]);
    }
    // A textured rectangle: corners map to texture coordinates (s0, t0) .. (s1, t1).
    static void texturedRectangle(float x0, float y0, float x1, float y1, float s0, float t0,
                                  float s1, float t1) {
        const GrVertex a = textured(x0, y0, s0, t0);
        const GrVertex b = textured(x1, y0, s1, t0);
        const GrVertex c = textured(x1, y1, s1, t1);
        const GrVertex d = textured(x0, y1, s0, t1);
        triangle(a, b, c);
        triangle(a, c, d);
    }

    // 0x00RRGGBB of the back buffer at a memory position.
    uint32_t rgb(int32_t column, int32_t row) const {
        return device_->backPixel(column, row) & 0x00FFFFFFu;
    }
    uint32_t red(int32_t column, int32_t row) const { return rgb(column, row) >> 16; }

    // Opaque Gouraud: the vertex colour.
    static void gouraudState() {
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    }
    // Texture times vertex colour, as the player sets it.
    static void texturedState(GrTextureFilterMode_t filter = GR_TEXTUREFILTER_BILINEAR,
                              GrMipMapMode_t mip = GR_MIPMAP_NEAREST) {
        grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                       GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
        grTexMipMapMode(GR_TMU0, mip, FXFALSE);
        grTexFilterMode(GR_TMU0, filter, filter);
        grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                     GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
        grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    }

    // Downloads a texture (levels packed in `texels`, host order) at `address` and makes
    // it the source.
    static GrTexInfo loadTexture(uint32_t address, GrLOD_t largeLod, GrLOD_t smallLod,
                                 GrAspectRatio_t aspect, GrTextureFormat_t format,
                                 std::vector<uint8_t>& texels) {
        GrTexInfo info;
        info.largeLod = largeLod;
        info.smallLod = smallLod;
        info.aspectRatio = aspect;
        info.format = format;
        info.data = texels.data();
        grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
        grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
        return info;
    }
    // RGB565 texels of one level, row by row, as bytes in host order.
    static std::vector<uint8_t> rgb565Texels(const std::vector<uint16_t>& texels) {
        std::vector<uint8_t> bytes(texels.size() * 2);
        std::memcpy(bytes.data(), texels.data(), bytes.size());
        return bytes;
    }

    SoftwareDeviceOptions options_;
    std::unique_ptr<SoftwareDevice> device_;
    std::vector<std::string> reports_;
};
