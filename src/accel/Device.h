// The device behind the accelerator operations.
//
// Every free function of accel/Accelerator.h forwards to the current device, a class
// with one virtual method per operation, named as the operation. A device overrides
// what it implements; the base class is inert (calls do nothing, queries report no
// board and no texture memory), which is also what the library does when no device has
// been set or after grGlideShutdown.
//
// Devices:
//   SoftwareDevice  the CPU rasteriser (frame and depth buffers, texture memory)
//   TraceDevice     records every call as a line of text, optionally forwarding
//
// Usage:
//   SoftwareDevice device(options);
//   setAcceleratorDevice(&device);   // not owned; keep it alive while it is current
//   ... grSstWinOpen(...), grDrawTriangle(...) ...
//   setAcceleratorDevice(nullptr);
#pragma once

#include "accel/Accelerator.h"

class AcceleratorDevice {
public:
    virtual ~AcceleratorDevice() = default;

    virtual void grGlideInit() {}
    virtual FxBool grSstQueryHardware(GrHwConfiguration* hardware);
    virtual void grSstSelect(int /*which*/) {}
    virtual FxBool grSstWinOpen(void* /*window*/, GrScreenResolution_t /*resolution*/,
                                GrScreenRefresh_t /*refresh*/, GrColorFormat_t /*colorFormat*/,
                                GrOriginLocation_t /*origin*/, int /*colorBuffers*/,
                                int /*auxBuffers*/) {
        return FXFALSE;
    }
    virtual void grGlideShutdown() {}
    virtual FxBool grSstControl(GrControl_t /*code*/) { return FXTRUE; }

    virtual void grBufferClear(GrColor_t /*color*/, GrAlpha_t /*alpha*/, FxU16 /*depth*/) {}
    virtual void grBufferSwap(int /*swapInterval*/) {}
    virtual int grBufferNumPending() { return 0; }
    virtual void grClipWindow(FxU32 /*minX*/, FxU32 /*minY*/, FxU32 /*maxX*/, FxU32 /*maxY*/) {}
    virtual void grSstOrigin(GrOriginLocation_t /*origin*/) {}
    virtual void grDitherMode(GrDitherMode_t /*mode*/) {}

    virtual void grDepthBufferMode(GrDepthBufferMode_t /*mode*/) {}
    virtual void grDepthBufferFunction(GrCmpFnc_t /*function*/) {}
    virtual void grDepthMask(FxBool /*enable*/) {}

    virtual void grColorCombine(GrCombineFunction_t /*function*/, GrCombineFactor_t /*factor*/,
                                GrCombineLocal_t /*local*/, GrCombineOther_t /*other*/,
                                FxBool /*invert*/) {}
    virtual void grAlphaCombine(GrCombineFunction_t /*function*/, GrCombineFactor_t /*factor*/,
                                GrCombineLocal_t /*local*/, GrCombineOther_t /*other*/,
                                FxBool /*invert*/) {}
    virtual void grConstantColorValue(GrColor_t /*color*/) {}
    virtual void grAlphaBlendFunction(GrAlphaBlendFnc_t /*rgbSource*/,
                                      GrAlphaBlendFnc_t /*rgbDestination*/,
                                      GrAlphaBlendFnc_t /*alphaSource*/,
                                      GrAlphaBlendFnc_t /*alphaDestination*/) {}
    virtual void grAlphaTestFunction(GrCmpFnc_t /*function*/) {}
    virtual void grAlphaTestReferenceValue(GrAlpha_t /*value*/) {}
    virtual void grCullMode(GrCullMode_t /*mode*/) {}

    virtual FxU32 grTexMinAddress(GrChipID_t /*tmu*/) { return 0; }
    virtual FxU32 grTexMaxAddress(GrChipID_t /*tmu*/) { return 0; }
    // Pure arithmetic on the description; devices rarely need to override it.
    virtual FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info);
    virtual void grTexDownloadMipMap(GrChipID_t /*tmu*/, FxU32 /*startAddress*/, FxU32 /*evenOdd*/,
                                     GrTexInfo* /*info*/) {}
    virtual void grTexDownloadTable(GrChipID_t /*tmu*/, GrTexTable_t /*type*/, void* /*data*/) {}
    virtual void grTexNCCTable(GrChipID_t /*tmu*/, GrNCCTable_t /*table*/) {}
    virtual void grTexSource(GrChipID_t /*tmu*/, FxU32 /*startAddress*/, FxU32 /*evenOdd*/,
                             GrTexInfo* /*info*/) {}
    virtual void grTexCombine(GrChipID_t /*tmu*/, GrCombineFunction_t /*rgbFunction*/,
                              GrCombineFactor_t /*rgbFactor*/,
                              GrCombineFunction_t /*alphaFunction*/,
                              GrCombineFactor_t /*alphaFactor*/, FxBool /*rgbInvert*/,
                              FxBool /*alphaInvert*/) {}
    virtual void grTexFilterMode(GrChipID_t /*tmu*/, GrTextureFilterMode_t /*minFilter*/,
                                 GrTextureFilterMode_t /*magFilter*/) {}
    virtual void grTexMipMapMode(GrChipID_t /*tmu*/, GrMipMapMode_t /*mode*/, FxBool /*lodBlend*/) {
    }
    virtual void grTexClampMode(GrChipID_t /*tmu*/, GrTextureClampMode_t /*sClamp*/,
                                GrTextureClampMode_t /*tClamp*/) {}

    virtual void grDrawTriangle(const GrVertex* /*a*/, const GrVertex* /*b*/,
                                const GrVertex* /*c*/) {}
    virtual void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
        grDrawTriangle(a, b, c);
    }
};

// The device the free functions forward to; nullptr restores the inert device.
void setAcceleratorDevice(AcceleratorDevice* device);
AcceleratorDevice& currentAcceleratorDevice();
