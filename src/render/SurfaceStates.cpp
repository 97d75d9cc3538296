#include "render/SurfaceStates.h"

#include "object/Surface.h"
#include "texture/TextureTable.h"

namespace {

constexpr float kReplacingReflectivity = 0.95f;

void setTexturedStates() {
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
}

// Transparency-weighted blend with the alpha taken from the constant colour.
void setConstantAlphaBlend(float alpha) {
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grConstantColorValue(alphaInTopByte(alpha));
}

} // namespace

GrColor_t alphaInTopByte(float alpha) {
    if (!(alpha > 0.0f)) {
        return 0; // negative, zero or not a number
    }
    const uint32_t byte = alpha < 255.0f ? static_cast<uint32_t>(alpha) : 255u;
    return byte << 24;
}

MainPassSurface setMainPassSurfaceState(const Surface& s, int32_t hasDissolve, float dissolve,
                                        TextureTable& textures) {
    MainPassSurface state;
    if (s.transparent == 0 && (hasDissolve == 0 || s.additive != 0)) {
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        grAlphaCombine(GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    } else {
        grColorCombine(GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL,
                       GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        float a = s.transparent != 0 ? 255.0f * s.transparency : 0.0f;
        if (hasDissolve != 0) {
            a = (255.0f - a) * dissolve + a;
        }
        state.alpha = a;
        setConstantAlphaBlend(a);
        grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                     GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
        grAlphaBlendFunction(GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_SRC_ALPHA, GR_BLEND_ONE,
                             GR_BLEND_ZERO);
    }

    bool textured = false;
    if (s.textureMapping != 0) {
        textures.selectTexture(s.colorTexture);
        textured = true;
    } else if (s.reflective != 0 && s.reflectivity >= kReplacingReflectivity) {
        textures.selectTexture(s.reflectionTexture);
        state.reflectionMapping = 1;
        textured = true;
    }
    if (textured) {
        setTexturedStates();
    }

    if (s.additive != 0) {
        grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
        grDepthMask(FXFALSE);
    } else {
        grDepthMask(FXTRUE);
    }
    return state;
}

bool drawsReflectionPass(const Surface& s) {
    return s.reflective != 0 && (s.textureMapping != 0 || s.reflectivity < kReplacingReflectivity);
}

float setReflectionPassSurfaceState(const Surface& s, TextureTable& textures) {
    const float a = s.reflectivity * -255.0f + 255.0f;
    setConstantAlphaBlend(a);
    grAlphaBlendFunction(GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_SRC_ALPHA, GR_BLEND_ONE,
                         GR_BLEND_ZERO);
    textures.selectTexture(s.reflectionTexture);
    setTexturedStates();
    return a;
}
