// Lens flare squares.
//
// The square's corners lie on a circle of radius R around the light, a quarter turn
// apart, starting at X × (π/2) + π: a light straight ahead stands its square on a
// corner, and the square spins as the light crosses the view. The quarter and half
// turns are the constants 1.57079631795 and 3.1415926359 as the content was tuned
// with (not exact multiples of π). The start angle is computed in double and rounded
// to single precision; each further corner adds a quarter turn to the rounded angle
// and rounds again, and the corner directions are the single-precision cosine and
// sine of those angles. Screen positions are truncated to 1/16 pixel (not rounded as
// the objects' are). Texture coordinates are divided by depth for the perspective-
// correct interpolation of the accelerator.
#include "render/LensFlares.h"

#include <cmath>

#include "accel/Accelerator.h"
#include "math/Matrix4.h"
#include "player/SceneLight.h"
#include "render/CameraView.h"
#include "render/RenderCounters.h"
#include "render/ScreenSnap.h"
#include "texture/TextureTable.h"

namespace {

constexpr float kSmallestFlare = 0.001f;
constexpr float kNearestFlareDepth = 1.0f;

void setFlareStates() {
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    grDepthMask(FXFALSE);
    grAlphaTestReferenceValue(1);
    grSstOrigin(GR_ORIGIN_LOWER_LEFT);
    grCullMode(GR_CULL_DISABLE);
}

void drawFlare(const SceneLight& light, float zoomFactor, float screenWidth, float screenHeight) {
    const float x = light.motion.viewPosition.x;
    const float y = light.motion.viewPosition.y;
    const float z = light.motion.viewPosition.z;
    const float radius = light.flareIntensity;
    const float w = 1.0f / z;

    GrVertex v[4];
    float angle = static_cast<float>(static_cast<double>(x) * kQuarterTurn + kHalfTurn);
    for (int k = 0; k < 4; ++k) {
        GrVertex& g = v[k];
        const float cx = static_cast<float>(std::cos(static_cast<double>(angle)));
        const float cy = static_cast<float>(std::sin(static_cast<double>(angle)));
        angle = static_cast<float>(static_cast<double>(angle) + kQuarterTurn);
        const float vx = x + radius * cx;
        const float vy = y + radius * cy;
        g.x = truncateToSixteenth((vx * w * zoomFactor + 1.0f) * 0.5f * screenWidth);
        g.y =
            truncateToSixteenth((vy * w * zoomFactor * kScreenAspect + 1.0f) * 0.5f * screenHeight);
        g.z = z;
        g.ooz = 65535.0f * w;
        g.oow = w;
        g.r = light.color[0] * 256.0f;
        g.g = light.color[1] * 256.0f;
        g.b = light.color[2] * 256.0f;
        g.a = 255.0f;
        g.tmuvtx[0].oow = w;
    }
    const float texels = 256.0f * w;
    v[0].tmuvtx[0].sow = 0.0f, v[0].tmuvtx[0].tow = 0.0f;
    v[1].tmuvtx[0].sow = 0.0f, v[1].tmuvtx[0].tow = texels;
    v[2].tmuvtx[0].sow = texels, v[2].tmuvtx[0].tow = texels;
    v[3].tmuvtx[0].sow = texels, v[3].tmuvtx[0].tow = 0.0f;

    guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
    guDrawTriangleWithClip(&v[0], &v[2], &v[3]);
    ++renderCounters.flaresDrawn;
}

} // namespace

void drawLensFlares(const SceneLight* lights, int32_t lightCount, int32_t flareTexture,
                    TextureTable& textures, float zoomFactor, float screenWidth,
                    float screenHeight) {
    setFlareStates();
    textures.selectTexture(flareTexture);
    for (int32_t i = 0; i < lightCount; ++i) {
        const SceneLight& light = lights[i];
        if (light.lensFlare == 0 || !(light.flareIntensity >= kSmallestFlare) ||
            !(light.motion.viewPosition.z > kNearestFlareDepth)) {
            continue;
        }
        drawFlare(light, zoomFactor, screenWidth, screenHeight);
    }
    grDepthMask(FXTRUE);
}
