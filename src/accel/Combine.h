// The colour, alpha and texture combine units and the frame-buffer blend, one pixel at
// a time, for every function, factor, local and other value (see PixelMath.h for how
// products round).
//
// A combine unit computes, per channel, f * a + b clamped to 0..255 and then inverted
// when asked (255 - result):
//   ZERO 0; LOCAL local; LOCAL_ALPHA local alpha; SCALE_OTHER f*other;
//   SCALE_OTHER_ADD_LOCAL f*other + local; ..._ADD_LOCAL_ALPHA f*other + local alpha;
//   SCALE_OTHER_MINUS_LOCAL f*(other - local); ..._ADD_LOCAL +local; ..._ADD_LOCAL_ALPHA
//   +local alpha; SCALE_MINUS_LOCAL_ADD_LOCAL f*(-local) + local; ..._ALPHA f*(-local) +
//   local alpha.
// Factors: ZERO 0; LOCAL the local channel (the local alpha in the alpha unit);
// OTHER_ALPHA, LOCAL_ALPHA, TEXTURE_ALPHA; ONE 255; ONE_MINUS_* 255 - the same.
// The colour unit's "local alpha" and "other alpha" are the alpha unit's local and other
// inputs (the units are linked). Inputs: local ITERATED (vertex colour or alpha),
// CONSTANT (grConstantColorValue), DEPTH (top 8 bits of the pixel's depth value; for
// colour, on all three channels); other ITERATED, TEXTURE (the texture combine's
// output), CONSTANT. Values outside the tables count as zero.
//
// Blend: colour = src * F_src + dst * F_dst per channel, clamped to 255; dst is the
// frame-buffer pixel expanded to 8 bits. There is no destination alpha, so DST_ALPHA is
// 1 and ONE_MINUS_DST_ALPHA and ALPHA_SATURATE are 0. The "colour" factor is the other
// side's colour (as a source factor value 2 is DST_COLOR, as a destination factor
// SRC_COLOR), as the shared constant values say.
#pragma once

#include <cstdint>

#include "accel/RenderState.h"

struct CombineInputs {
    int32_t iterated[4]; // r, g, b, a: 0..255
    uint32_t texture;    // texture combine output, 0xAARRGGBB
    uint32_t depth;      // the pixel's 16-bit depth value
    uint32_t constant;   // 0xAARRGGBB
};

// The texture combine unit applied to one filtered texel.
uint32_t combineTexture(const TextureCombineUnit& unit, uint32_t texel);

// The colour and alpha combine units: 0xAARRGGBB with the alpha unit's result on top.
uint32_t combineColorAndAlpha(const CombineUnit& color, const CombineUnit& alpha,
                              const CombineInputs& inputs);

// Blends a source colour (alpha used by the factors) onto a destination colour; both
// 0xAARRGGBB. Returns 0x00RRGGBB.
uint32_t blendColor(GrAlphaBlendFnc_t sourceFactor, GrAlphaBlendFnc_t destinationFactor,
                    uint32_t source, uint32_t destination);

// Whether the alpha unit's result is the same at every pixel (it reads only the constant
// colour), so that it can be computed once.
bool alphaIsConstant(const CombineUnit& alpha);

// Whether the colour or alpha output depends on the texture (the texture must then be
// fetched).
bool combineUsesTexture(const RenderState& state);
