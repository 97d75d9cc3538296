// RenderState: every piece of accelerator state that the render-state operations set,
// as the software device keeps it between calls.
//
// Values are stored exactly as the caller passed them (unknown enumerators included);
// the pixel pipeline decides what they mean when it draws. The defaults are what a
// freshly opened surface starts with (our choice where the library leaves it open):
// Gouraud colour and alpha, replace blend, no depth buffering, no alpha test, no culling,
// 4x4 dither, a pass-through texture unit with point sampling, no mip-mapping and wrap.
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"

// One colour or alpha combine unit: result = f * a + b, then clamp and optional invert.
struct CombineUnit {
    GrCombineFunction_t function = GR_COMBINE_FUNCTION_LOCAL;
    GrCombineFactor_t factor = GR_COMBINE_FACTOR_ZERO;
    GrCombineLocal_t local = GR_COMBINE_LOCAL_ITERATED;
    GrCombineOther_t other = GR_COMBINE_OTHER_ITERATED;
    FxBool invert = FXFALSE;
};

// The texture unit's own combine (local = the filtered texel, other = 0).
struct TextureCombineUnit {
    GrCombineFunction_t rgbFunction = GR_COMBINE_FUNCTION_LOCAL;
    GrCombineFactor_t rgbFactor = GR_COMBINE_FACTOR_ZERO;
    GrCombineFunction_t alphaFunction = GR_COMBINE_FUNCTION_LOCAL;
    GrCombineFactor_t alphaFactor = GR_COMBINE_FACTOR_ZERO;
    FxBool rgbInvert = FXFALSE;
    FxBool alphaInvert = FXFALSE;
};

struct RenderState {
    GrOriginLocation_t origin = GR_ORIGIN_UPPER_LEFT;
    // Clip window as passed: pixels minX <= x < maxX, minY <= y < maxY in the current
    // origin's coordinates; bounded by the buffer when drawing.
    uint32_t clipMinX = 0;
    uint32_t clipMinY = 0;
    uint32_t clipMaxX = 0;
    uint32_t clipMaxY = 0;
    GrDitherMode_t ditherMode = GR_DITHER_4x4;
    GrCullMode_t cullMode = GR_CULL_DISABLE;

    GrDepthBufferMode_t depthMode = GR_DEPTHBUFFER_DISABLE;
    GrCmpFnc_t depthFunction = GR_CMP_LESS;
    FxBool depthMask = FXTRUE;

    CombineUnit color;
    CombineUnit alpha;
    GrColor_t constantColor = 0; // 0xAARRGGBB
    GrAlphaBlendFnc_t rgbSourceBlend = GR_BLEND_ONE;
    GrAlphaBlendFnc_t rgbDestinationBlend = GR_BLEND_ZERO;
    GrAlphaBlendFnc_t alphaSourceBlend = GR_BLEND_ONE;       // kept; no alpha buffer
    GrAlphaBlendFnc_t alphaDestinationBlend = GR_BLEND_ZERO; // kept; no alpha buffer
    GrCmpFnc_t alphaTestFunction = GR_CMP_ALWAYS;
    uint8_t alphaTestReference = 0;

    TextureCombineUnit textureCombine;
    GrTextureFilterMode_t minFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
    GrTextureFilterMode_t magFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
    GrMipMapMode_t mipMapMode = GR_MIPMAP_DISABLE;
    GrTextureClampMode_t sClamp = GR_TEXTURECLAMP_WRAP;
    GrTextureClampMode_t tClamp = GR_TEXTURECLAMP_WRAP;
};
