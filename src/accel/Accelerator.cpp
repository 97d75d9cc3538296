// The free accelerator operations: each forwards to the current device.
#include "accel/Accelerator.h"

#include "accel/Device.h"
#include "accel/TextureLayout.h"

namespace {

AcceleratorDevice inertDevice;
AcceleratorDevice* current = &inertDevice;

} // namespace

FxBool AcceleratorDevice::grSstQueryHardware(GrHwConfiguration* hardware) {
    if (hardware != nullptr) {
        *hardware = GrHwConfiguration{};
    }
    return FXFALSE;
}

FxU32 AcceleratorDevice::grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
    return info != nullptr ? textureMemoryRequired(evenOdd, *info) : 0;
}

void setAcceleratorDevice(AcceleratorDevice* device) {
    current = device != nullptr ? device : &inertDevice;
}

AcceleratorDevice& currentAcceleratorDevice() {
    return *current;
}

void grGlideInit() {
    current->grGlideInit();
}
FxBool grSstQueryHardware(GrHwConfiguration* hardware) {
    return current->grSstQueryHardware(hardware);
}
void grSstSelect(int which) {
    current->grSstSelect(which);
}
FxBool grSstWinOpen(void* window, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                    GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                    int auxBuffers) {
    return current->grSstWinOpen(window, resolution, refresh, colorFormat, origin, colorBuffers,
                                 auxBuffers);
}
void grGlideShutdown() {
    current->grGlideShutdown();
}
FxBool grSstControl(GrControl_t code) {
    return current->grSstControl(code);
}

void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth) {
    current->grBufferClear(color, alpha, depth);
}
void grBufferSwap(int swapInterval) {
    current->grBufferSwap(swapInterval);
}
int grBufferNumPending() {
    return current->grBufferNumPending();
}
void grClipWindow(FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY) {
    current->grClipWindow(minX, minY, maxX, maxY);
}
void grSstOrigin(GrOriginLocation_t origin) {
    current->grSstOrigin(origin);
}
void grDitherMode(GrDitherMode_t mode) {
    current->grDitherMode(mode);
}

void grDepthBufferMode(GrDepthBufferMode_t mode) {
    current->grDepthBufferMode(mode);
}
void grDepthBufferFunction(GrCmpFnc_t function) {
    current->grDepthBufferFunction(function);
}
void grDepthMask(FxBool enable) {
    current->grDepthMask(enable);
}

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
    current->grColorCombine(function, factor, local, other, invert);
}
void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
    current->grAlphaCombine(function, factor, local, other, invert);
}
void grConstantColorValue(GrColor_t color) {
    current->grConstantColorValue(color);
}
void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource, GrAlphaBlendFnc_t rgbDestination,
                          GrAlphaBlendFnc_t alphaSource, GrAlphaBlendFnc_t alphaDestination) {
    current->grAlphaBlendFunction(rgbSource, rgbDestination, alphaSource, alphaDestination);
}
void grAlphaTestFunction(GrCmpFnc_t function) {
    current->grAlphaTestFunction(function);
}
void grAlphaTestReferenceValue(GrAlpha_t value) {
    current->grAlphaTestReferenceValue(value);
}
void grCullMode(GrCullMode_t mode) {
    current->grCullMode(mode);
}

FxU32 grTexMinAddress(GrChipID_t tmu) {
    return current->grTexMinAddress(tmu);
}
FxU32 grTexMaxAddress(GrChipID_t tmu) {
    return current->grTexMaxAddress(tmu);
}
FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
    return current->grTexTextureMemRequired(evenOdd, info);
}
void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
    current->grTexDownloadMipMap(tmu, startAddress, evenOdd, info);
}
void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data) {
    current->grTexDownloadTable(tmu, type, data);
}
void grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table) {
    current->grTexNCCTable(tmu, table);
}
void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
    current->grTexSource(tmu, startAddress, evenOdd, info);
}
void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                  GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor,
                  FxBool rgbInvert, FxBool alphaInvert) {
    current->grTexCombine(tmu, rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert,
                          alphaInvert);
}
void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                     GrTextureFilterMode_t magFilter) {
    current->grTexFilterMode(tmu, minFilter, magFilter);
}
void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend) {
    current->grTexMipMapMode(tmu, mode, lodBlend);
}
void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp) {
    current->grTexClampMode(tmu, sClamp, tClamp);
}

void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    current->grDrawTriangle(a, b, c);
}
void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    current->guDrawTriangleWithClip(a, b, c);
}
