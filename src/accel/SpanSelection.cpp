#include "accel/SpanSelection.h"

#include "accel/Combine.h"
#include "accel/FastSpans.h"

namespace {

bool isPassThroughTextureCombine(const TextureCombineUnit& unit) {
    return unit.rgbFunction == GR_COMBINE_FUNCTION_LOCAL && unit.rgbInvert == FXFALSE;
}

} // namespace

SpanFunction selectSpanFunction(SpanContext& context) {
    const RenderState& st = *context.state;
    const CombineUnit& color = st.color;
    context.constantAlpha = static_cast<int32_t>(st.constantColor >> 24);
    CombineInputs none = {{0, 0, 0, 0}, 0, 0, st.constantColor};
    context.blendAlpha = static_cast<int32_t>(combineColorAndAlpha(color, st.alpha, none) >> 24);

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
    const SpanFunction fast =
        fastSpanFunction(context.rgb565, st.depthMode == GR_DEPTHBUFFER_WBUFFER, kind, blend);
    return fast != nullptr ? fast : drawSpansGeneral;
}
