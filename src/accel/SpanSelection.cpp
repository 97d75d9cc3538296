#include "accel/SpanSelection.h"

#include "accel/Combine.h"
#include "accel/FastSpans.h"
#include "accel/TriangleRows.h"

namespace {

bool isPassThroughTextureCombine(const TextureCombineUnit& unit) {
    return unit.rgbFunction == GR_COMBINE_FUNCTION_LOCAL && unit.rgbInvert == FXFALSE;
}

// The level tables of SpanContext. Every level of a decoded texture lies in one
// allocation, the lowest-addressed level first.
void fillLevelTables(SpanContext& context) {
    const DecodedTexture* texture = context.texture;
    context.texelBase = nullptr;
    if (texture == nullptr) {
        return;
    }
    const uint32_t* base = texture->levels[texture->largeLod].texels;
    for (GrLOD_t lod = texture->largeLod; lod <= texture->smallLod; ++lod) {
        base = texture->levels[lod].texels < base ? texture->levels[lod].texels : base;
    }
    context.texelBase = base;
    for (GrLOD_t lod = texture->largeLod; lod <= texture->smallLod; ++lod) {
        const DecodedLevel& level = texture->levels[lod];
        context.levelOffset[lod] = static_cast<int32_t>(level.texels - base);
        context.levelShape[lod] = (level.width - 1) | (level.height - 1) << 8 | level.stride << 16;
    }
}

} // namespace

bool avx2SpansAvailable() {
    static const bool available =
        processorHasAvx2() &&
        fastSpanFunctionAvx2(true, true, FastColor::Iterated, FastBlend::Replace) != nullptr;
    return available;
}

bool avx512SpansAvailable() {
    static const bool available =
        processorHasAvx512() &&
        fastSpanFunctionAvx512(true, true, FastColor::Iterated, FastBlend::Replace) != nullptr;
    return available;
}

SpanFunction selectSpanFunction(SpanContext& context, SpanPath path) {
    const RenderState& st = *context.state;
    const CombineUnit& color = st.color;
    context.constantAlpha = static_cast<int32_t>(st.constantColor >> 24);
    CombineInputs none = {{0, 0, 0, 0}, 0, 0, st.constantColor};
    fillLevelTables(context);
    context.blendAlpha = static_cast<int32_t>(combineColorAndAlpha(color, st.alpha, none) >> 24);

    context.drawRows = path == SpanPath::Fastest && avx512SpansAvailable()
                           ? triangleRowsFunctionAvx512()
                           : nullptr;
    if (path == SpanPath::General) {
        return drawSpansGeneral;
    }
    if (color.invert != FXFALSE || st.alphaTestFunction != GR_CMP_ALWAYS ||
        (st.depthMode != GR_DEPTHBUFFER_DISABLE && st.depthMode != GR_DEPTHBUFFER_WBUFFER)) {
        return drawSpansGeneral;
    }

    FastBlend blend;
    if (st.rgbSourceBlend == GR_BLEND_ONE && st.rgbDestinationBlend == GR_BLEND_ZERO) {
        blend = FastBlend::Replace;
    } else if (st.rgbSourceBlend == GR_BLEND_ONE && st.rgbDestinationBlend == GR_BLEND_ONE) {
        blend = FastBlend::Add;
    } else if (st.rgbSourceBlend == GR_BLEND_ONE_MINUS_SRC_ALPHA &&
               st.rgbDestinationBlend == GR_BLEND_SRC_ALPHA && alphaIsConstant(st.alpha)) {
        blend = FastBlend::AlphaOver;
    } else {
        return drawSpansGeneral;
    }

    FastColor kind;
    if (color.function == GR_COMBINE_FUNCTION_LOCAL && color.local == GR_COMBINE_LOCAL_ITERATED) {
        kind = FastColor::Iterated;
    } else if (color.function == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL &&
               color.factor == GR_COMBINE_FACTOR_LOCAL_ALPHA &&
               color.local == GR_COMBINE_LOCAL_ITERATED &&
               st.alpha.local == GR_COMBINE_LOCAL_CONSTANT) {
        kind = FastColor::Faded;
    } else if (color.function == GR_COMBINE_FUNCTION_SCALE_OTHER &&
               color.factor == GR_COMBINE_FACTOR_LOCAL &&
               color.local == GR_COMBINE_LOCAL_ITERATED &&
               color.other == GR_COMBINE_OTHER_TEXTURE &&
               isPassThroughTextureCombine(st.textureCombine)) {
        if (context.texture == nullptr) {
            kind = FastColor::Iterated; // white texels: texel x colour is the colour
        } else if (st.minFilter != st.magFilter || st.sClamp != GR_TEXTURECLAMP_WRAP ||
                   st.tClamp != GR_TEXTURECLAMP_WRAP) {
            return drawSpansGeneral;
        } else {
            kind = st.minFilter == GR_TEXTUREFILTER_BILINEAR ? FastColor::TexturedBilinear
                                                             : FastColor::TexturedPoint;
        }
    } else {
        return drawSpansGeneral;
    }
    const bool wBuffer = st.depthMode == GR_DEPTHBUFFER_WBUFFER;
    SpanFunction fast = nullptr;
    if (path == SpanPath::Fastest && avx512SpansAvailable()) {
        fast = fastSpanFunctionAvx512(context.rgb565, wBuffer, kind, blend);
    }
    if (fast == nullptr && path != SpanPath::Sse2 && avx2SpansAvailable()) {
        fast = fastSpanFunctionAvx2(context.rgb565, wBuffer, kind, blend);
    }
    if (fast == nullptr) {
        fast = fastSpanFunctionSse2(context.rgb565, wBuffer, kind, blend);
    }
    return fast != nullptr ? fast : drawSpansGeneral;
}
