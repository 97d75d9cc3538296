#include "accel/Combine.h"

#include "accel/PixelMath.h"

namespace {

int32_t channel(uint32_t argb, int32_t c) { // c: 0 r, 1 g, 2 b, 3 a
    static const int32_t kShift[4] = {16, 8, 0, 24};
    return static_cast<int32_t>(argb >> kShift[c] & 0xFF);
}

uint32_t pack(int32_t r, int32_t g, int32_t b, int32_t a) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 |
           static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

int32_t applyFunction(GrCombineFunction_t function, int32_t f, int32_t local, int32_t other,
                      int32_t localAlpha) {
    int32_t v = 0;
    switch (function) {
    case GR_COMBINE_FUNCTION_LOCAL:
        v = local;
        break;
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA:
        v = localAlpha;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER:
        v = mul255(other, f);
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL:
        v = mul255(other, f) + local;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA:
        v = mul255(other, f) + localAlpha;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL:
        v = scaleSigned(other - local, f);
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL:
        v = scaleSigned(other - local, f) + local;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA:
        v = scaleSigned(other - local, f) + localAlpha;
        break;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL:
        v = scaleSigned(-local, f) + local;
        break;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA:
        v = scaleSigned(-local, f) + localAlpha;
        break;
    default: // ZERO and unknown values
        break;
    }
    return clampByte(v);
}

// The factor of one channel; `local` is the unit's local value for that channel.
int32_t factorValue(GrCombineFactor_t factor, int32_t local, int32_t localAlpha, int32_t otherAlpha,
                    int32_t textureAlpha) {
    switch (factor) {
    case GR_COMBINE_FACTOR_LOCAL:
        return local;
    case GR_COMBINE_FACTOR_OTHER_ALPHA:
        return otherAlpha;
    case GR_COMBINE_FACTOR_LOCAL_ALPHA:
        return localAlpha;
    case GR_COMBINE_FACTOR_TEXTURE_ALPHA:
        return textureAlpha;
    case GR_COMBINE_FACTOR_ONE:
        return 255;
    case GR_COMBINE_FACTOR_ONE_MINUS_LOCAL:
        return 255 - local;
    case GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA:
        return 255 - otherAlpha;
    case GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA:
        return 255 - localAlpha;
    case GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA:
        return 255 - textureAlpha;
    default: // ZERO and unknown values
        return 0;
    }
}

int32_t invertIf(FxBool invert, int32_t v) {
    return invert != FXFALSE ? 255 - v : v;
}

int32_t blendFactor(GrAlphaBlendFnc_t factor, int32_t sourceAlpha, int32_t otherColor) {
    switch (factor) {
    case GR_BLEND_ONE:
    case GR_BLEND_DST_ALPHA: // no destination alpha: it is 1
        return 255;
    case GR_BLEND_SRC_ALPHA:
        return sourceAlpha;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA:
        return 255 - sourceAlpha;
    case GR_BLEND_SRC_COLOR: // DST_COLOR as a source factor
        return otherColor;
    case GR_BLEND_ONE_MINUS_SRC_COLOR:
        return 255 - otherColor;
    default: // ZERO, ONE_MINUS_DST_ALPHA, ALPHA_SATURATE and unknown values
        return 0;
    }
}

} // namespace

uint32_t combineTexture(const TextureCombineUnit& unit, uint32_t texel) {
    const int32_t a = channel(texel, 3);
    int32_t out[4];
    for (int32_t c = 0; c < 3; ++c) {
        const int32_t local = channel(texel, c);
        const int32_t f = factorValue(unit.rgbFactor, local, a, 0, a);
        out[c] = invertIf(unit.rgbInvert, applyFunction(unit.rgbFunction, f, local, 0, a));
    }
    const int32_t fa = factorValue(unit.alphaFactor, a, a, 0, a);
    out[3] = invertIf(unit.alphaInvert, applyFunction(unit.alphaFunction, fa, a, 0, a));
    return pack(out[0], out[1], out[2], out[3]);
}

uint32_t combineColorAndAlpha(const CombineUnit& color, const CombineUnit& alpha,
                              const CombineInputs& in) {
    const int32_t depthByte = static_cast<int32_t>(in.depth >> 8 & 0xFF);
    const int32_t textureAlpha = channel(in.texture, 3);

    int32_t localAlpha = 0;
    switch (alpha.local) {
    case GR_COMBINE_LOCAL_ITERATED:
        localAlpha = in.iterated[3];
        break;
    case GR_COMBINE_LOCAL_CONSTANT:
        localAlpha = channel(in.constant, 3);
        break;
    case GR_COMBINE_LOCAL_DEPTH:
        localAlpha = depthByte;
        break;
    default:
        break;
    }
    int32_t otherAlpha = 0;
    switch (alpha.other) {
    case GR_COMBINE_OTHER_ITERATED:
        otherAlpha = in.iterated[3];
        break;
    case GR_COMBINE_OTHER_TEXTURE:
        otherAlpha = textureAlpha;
        break;
    case GR_COMBINE_OTHER_CONSTANT:
        otherAlpha = channel(in.constant, 3);
        break;
    default:
        break;
    }

    int32_t out[4];
    for (int32_t c = 0; c < 3; ++c) {
        int32_t local = 0;
        switch (color.local) {
        case GR_COMBINE_LOCAL_ITERATED:
            local = in.iterated[c];
            break;
        case GR_COMBINE_LOCAL_CONSTANT:
            local = channel(in.constant, c);
            break;
        case GR_COMBINE_LOCAL_DEPTH:
            local = depthByte;
            break;
        default:
            break;
        }
        int32_t other = 0;
        switch (color.other) {
        case GR_COMBINE_OTHER_ITERATED:
            other = in.iterated[c];
            break;
        case GR_COMBINE_OTHER_TEXTURE:
            other = channel(in.texture, c);
            break;
        case GR_COMBINE_OTHER_CONSTANT:
            other = channel(in.constant, c);
            break;
        default:
            break;
        }
        const int32_t f = factorValue(color.factor, local, localAlpha, otherAlpha, textureAlpha);
        out[c] = invertIf(color.invert, applyFunction(color.function, f, local, other, localAlpha));
    }
    const int32_t fa = factorValue(alpha.factor, localAlpha, localAlpha, otherAlpha, textureAlpha);
    out[3] = invertIf(alpha.invert,
                      applyFunction(alpha.function, fa, localAlpha, otherAlpha, localAlpha));
    return pack(out[0], out[1], out[2], out[3]);
}

uint32_t blendColor(GrAlphaBlendFnc_t sourceFactor, GrAlphaBlendFnc_t destinationFactor,
                    uint32_t source, uint32_t destination) {
    const int32_t sourceAlpha = channel(source, 3);
    int32_t out[3];
    for (int32_t c = 0; c < 3; ++c) {
        const int32_t s = channel(source, c);
        const int32_t d = channel(destination, c);
        const int32_t v = mul255(s, blendFactor(sourceFactor, sourceAlpha, d)) +
                          mul255(d, blendFactor(destinationFactor, sourceAlpha, s));
        out[c] = v > 255 ? 255 : v;
    }
    return pack(out[0], out[1], out[2], 0);
}

bool combineUsesTexture(const RenderState& state) {
    const CombineUnit& color = state.color;
    const CombineUnit& alpha = state.alpha;
    auto scales = [](GrCombineFunction_t f) {
        return f >= GR_COMBINE_FUNCTION_SCALE_OTHER &&
               f <= GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    };
    auto readsOther = [](GrCombineFunction_t f) {
        return f >= GR_COMBINE_FUNCTION_SCALE_OTHER &&
               f <= GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    };
    auto textureFactor = [](GrCombineFactor_t f) {
        return f == GR_COMBINE_FACTOR_TEXTURE_ALPHA ||
               f == GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA;
    };
    auto otherAlphaFactor = [](GrCombineFactor_t f) {
        return f == GR_COMBINE_FACTOR_OTHER_ALPHA || f == GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA;
    };
    const bool alphaOtherIsTexture = alpha.other == GR_COMBINE_OTHER_TEXTURE;
    if (readsOther(color.function) && color.other == GR_COMBINE_OTHER_TEXTURE) {
        return true;
    }
    if (scales(color.function) &&
        (textureFactor(color.factor) || (otherAlphaFactor(color.factor) && alphaOtherIsTexture))) {
        return true;
    }
    if (readsOther(alpha.function) && alphaOtherIsTexture) {
        return true;
    }
    return scales(alpha.function) &&
           (textureFactor(alpha.factor) || (otherAlphaFactor(alpha.factor) && alphaOtherIsTexture));
}

bool alphaIsConstant(const CombineUnit& alpha) {
    const GrCombineFunction_t f = alpha.function;
    const bool readsLocal = f == GR_COMBINE_FUNCTION_LOCAL ||
                            f == GR_COMBINE_FUNCTION_LOCAL_ALPHA ||
                            (f >= GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL &&
                             f <= GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA);
    const bool readsOther = f >= GR_COMBINE_FUNCTION_SCALE_OTHER &&
                            f <= GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    const bool scales = f >= GR_COMBINE_FUNCTION_SCALE_OTHER &&
                        f <= GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    bool factorLocal = false;
    bool factorOther = false;
    bool factorTexture = false;
    if (scales) {
        switch (alpha.factor) {
        case GR_COMBINE_FACTOR_LOCAL:
        case GR_COMBINE_FACTOR_LOCAL_ALPHA:
        case GR_COMBINE_FACTOR_ONE_MINUS_LOCAL:
        case GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA:
            factorLocal = true;
            break;
        case GR_COMBINE_FACTOR_OTHER_ALPHA:
        case GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA:
            factorOther = true;
            break;
        case GR_COMBINE_FACTOR_TEXTURE_ALPHA:
        case GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA:
            factorTexture = true;
            break;
        default:
            break;
        }
    }
    const bool localVaries =
        (readsLocal || factorLocal) && alpha.local != GR_COMBINE_LOCAL_CONSTANT;
    const bool otherVaries =
        (readsOther || factorOther) && alpha.other != GR_COMBINE_OTHER_CONSTANT;
    return !localVaries && !otherVaries && !factorTexture;
}
