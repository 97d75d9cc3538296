// TraceDevice: records every accelerator call as one line of text.
//
// Lines read like the calls: constants by name, integers in decimal (colours in hex),
// floats with 9 significant digits so that they read back to the same float, vertices
// with every field. Texture data and tables appear as an FNV-1a hash of their bytes so
// that traces stay deterministic and short:
//   grDepthBufferFunction(GR_CMP_LEQUAL)
//   grConstantColorValue(0x3f000000)
//   grDrawTriangle({x=100 y=50.0625 z=5 r=255 g=128 b=0 a=63 ooz=13107 oow=0.200000003
//                   sow=0 tow=0 tmuoow=0.200000003}, {...}, {...})
//   grTexMinAddress(GR_TMU0) = 0
//
// With a device to forward to, every call is recorded and then forwarded, and queries
// answer with the forwarded device's results; alone, the tracer answers as one board
// with 4 MB of frame-buffer and texture memory.
#pragma once

#include <cstdint>
#include <string>

#include "accel/Device.h"

class TraceDevice : public AcceleratorDevice {
public:
    explicit TraceDevice(AcceleratorDevice* forwardTo = nullptr) : forward_(forwardTo) {}

    const std::string& text() const { return text_; } // every line, each ending in '\n'
    void clear() { text_.clear(); }

    void grGlideInit() override;
    FxBool grSstQueryHardware(GrHwConfiguration* hardware) override;
    void grSstSelect(int which) override;
    FxBool grSstWinOpen(void* window, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                        GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                        int auxBuffers) override;
    void grGlideShutdown() override;
    FxBool grSstControl(GrControl_t code) override;
    void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth) override;
    void grBufferSwap(int swapInterval) override;
    int grBufferNumPending() override;
    void grClipWindow(FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY) override;
    void grSstOrigin(GrOriginLocation_t origin) override;
    void grDitherMode(GrDitherMode_t mode) override;
    void grDepthBufferMode(GrDepthBufferMode_t mode) override;
    void grDepthBufferFunction(GrCmpFnc_t function) override;
    void grDepthMask(FxBool enable) override;
    void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                        GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) override;
    void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                        GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) override;
    void grConstantColorValue(GrColor_t color) override;
    void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource, GrAlphaBlendFnc_t rgbDestination,
                              GrAlphaBlendFnc_t alphaSource,
                              GrAlphaBlendFnc_t alphaDestination) override;
    void grAlphaTestFunction(GrCmpFnc_t function) override;
    void grAlphaTestReferenceValue(GrAlpha_t value) override;
    void grCullMode(GrCullMode_t mode) override;
    FxU32 grTexMinAddress(GrChipID_t tmu) override;
    FxU32 grTexMaxAddress(GrChipID_t tmu) override;
    FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) override;
    void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd,
                             GrTexInfo* info) override;
    void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data) override;
    void grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table) override;
    void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) override;
    void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                      GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor,
                      FxBool rgbInvert, FxBool alphaInvert) override;
    void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                         GrTextureFilterMode_t magFilter) override;
    void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend) override;
    void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp,
                        GrTextureClampMode_t tClamp) override;
    void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) override;
    void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) override;

private:
    void line(const std::string& text) { text_ += text, text_ += '\n'; }

    AcceleratorDevice* forward_;
    std::string text_;
};

// The text the tracer writes for a float: 9 significant digits, reads back exactly.
std::string traceFloat(float value);
