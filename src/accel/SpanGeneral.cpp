// The general span: every state honoured, one pixel at a time, in the order the board
// works (depth value, texture fetch, texture combine, colour and alpha combine, alpha
// test, depth test, blend, dither and write). The depth test is made first because it
// reads nothing the colour path writes; a pixel that fails either test writes nothing.
//
// This is the reference the fast spans (FastSpans.cpp) must match
// bit for bit; it is used for every state combination they do not cover.
#include "accel/Combine.h"
#include "accel/PixelMath.h"
#include "accel/SpanContext.h"
#include "accel/TextureSampler.h"

namespace {

// The value of a 16.16 colour iterator at pixel i, rounded and clamped to 0..255.
int32_t iteratedByte(int32_t start, int32_t step, int32_t i) {
    const uint32_t v =
        static_cast<uint32_t>(start) + static_cast<uint32_t>(step) * static_cast<uint32_t>(i);
    const int32_t value = static_cast<int32_t>(v) >> 16;
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

uint32_t sampleAt(const SpanContext& c, const SpanStart& start, float fi) {
    if (c.texture == nullptr) {
        return 0xFFFFFFFFu;
    }
    const RenderState& st = *c.state;
    const DecodedTexture& texture = *c.texture;
    const float w = 1.0f / (start.toow + fi * c.dtoow);
    const float s = (start.sow + fi * c.dsow) * w;
    const float t = (start.tow + fi * c.dtow) * w;

    GrLOD_t lod = texture.largeLod;
    GrTextureFilterMode_t filter = st.minFilter;
    const bool mipMapped =
        st.mipMapMode == GR_MIPMAP_NEAREST && texture.smallLod > texture.largeLod;
    if (mipMapped || st.minFilter != st.magFilter) {
        const int32_t e =
            footprintExponent(w, s, t, c.dsow, c.dtow, c.dtoow, c.dsowdy, c.dtowdy, c.dtoowdy);
        if (mipMapped) {
            lod = nearestLod(e, texture.largeLod, texture.smallLod);
        }
        filter = isMagnified(e, texture.largeLod) ? st.magFilter : st.minFilter;
    }
    const bool bilinear = filter == GR_TEXTUREFILTER_BILINEAR;
    const bool clampS = st.sClamp == GR_TEXTURECLAMP_CLAMP;
    const bool clampT = st.tClamp == GR_TEXTURECLAMP_CLAMP;
    const DecodedLevel& level = texture.levels[lod];
    const int32_t u = texelCoordinate(s, lod, bilinear);
    const int32_t v = texelCoordinate(t, lod, bilinear);
    return bilinear ? sampleBilinear(level, u, v, clampS, clampT)
                    : samplePoint(level, u, v, clampS, clampT);
}

void drawSpan(SpanContext& c, const Span& span) {
    const RenderState& st = *c.state;
    const SpanStart& start = span.start;
    const int32_t memoryRow = span.memoryRow;
    const size_t rowOffset = static_cast<size_t>(memoryRow) * static_cast<size_t>(c.width);
    uint16_t* depths = c.depth + rowOffset;
    uint16_t* row16 = c.rgb565 ? c.color16 + rowOffset : nullptr;
    uint32_t* row32 = c.rgb565 ? nullptr : c.color32 + rowOffset;
    const bool depthOn =
        st.depthMode == GR_DEPTHBUFFER_WBUFFER || st.depthMode == GR_DEPTHBUFFER_ZBUFFER;
    const uint32_t depthCompare = compareMask(st.depthFunction);
    const uint32_t alphaCompare = compareMask(st.alphaTestFunction);
    const bool useTexture = combineUsesTexture(st);
    const bool replace =
        st.rgbSourceBlend == GR_BLEND_ONE && st.rgbDestinationBlend == GR_BLEND_ZERO;

    CombineInputs in;
    in.constant = st.constantColor;
    in.texture = 0;
    for (int32_t i = 0; i < span.count; ++i) {
        const int32_t px = span.x + i;
        const float fi = static_cast<float>(i);
        uint32_t depth = 0;
        if (st.depthMode == GR_DEPTHBUFFER_WBUFFER) {
            depth = encodeWDepth(1.0f / (start.oow + fi * c.doow));
        } else if (st.depthMode == GR_DEPTHBUFFER_ZBUFFER) {
            depth = encodeZDepth(start.ooz + fi * c.dooz);
        }
        if (depthOn && !comparePasses(depthCompare, depth, depths[px])) {
            continue;
        }
        in.depth = depth;
        in.iterated[0] = iteratedByte(start.r, c.dr, i);
        in.iterated[1] = iteratedByte(start.g, c.dg, i);
        in.iterated[2] = iteratedByte(start.b, c.db, i);
        in.iterated[3] = iteratedByte(start.a, c.da, i);
        if (useTexture) {
            in.texture = combineTexture(st.textureCombine, sampleAt(c, start, fi));
        }
        uint32_t color = combineColorAndAlpha(st.color, st.alpha, in);
        if (!comparePasses(alphaCompare, color >> 24, st.alphaTestReference)) {
            continue;
        }
        if (!replace) {
            const uint32_t destination = c.rgb565 ? rgb565ToArgb(row16[px]) : row32[px];
            color = blendColor(st.rgbSourceBlend, st.rgbDestinationBlend, color, destination);
        }
        const int32_t r = static_cast<int32_t>(color >> 16 & 0xFF);
        const int32_t g = static_cast<int32_t>(color >> 8 & 0xFF);
        const int32_t b = static_cast<int32_t>(color & 0xFF);
        if (c.rgb565) {
            row16[px] = static_cast<uint16_t>(ditherPixel(*c.dither, px, memoryRow, r, g, b));
        } else {
            row32[px] = 0xFF000000u | (color & 0x00FFFFFFu);
        }
        if (depthOn && st.depthMask != FXFALSE) {
            depths[px] = static_cast<uint16_t>(depth);
        }
        ++c.pixelsWritten;
    }
}

} // namespace

void drawSpansGeneral(SpanContext& c, const Span* spans, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        drawSpan(c, spans[k]);
    }
}
