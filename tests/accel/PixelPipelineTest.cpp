#include <cmath>

#include "DeviceTestSupport.h"
#include "accel/PixelMath.h"

namespace {

class PixelPipelineTest : public DeviceTest {
protected:
    // A rectangle covering the whole small buffer at depth w, in one colour.
    static void fill(float w, float r = 255, float g = 255, float b = 255, float a = 255) {
        GrVertex v = vertex(0, 0, r, g, b, a);
        v.oow = v.tmuvtx[0].oow = 1.0f / w;
        v.ooz = 65535.0f / w;
        rectangle(0, 0, 64, 64, v);
    }
};

uint32_t rgbOf(int32_t r, int32_t g, int32_t b) {
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

} // namespace

TEST(PixelMath, ProductsRoundToNearestAndKeepTheEnds) {
    for (int32_t x = 0; x < 256; ++x) {
        EXPECT_EQ(mul255(x, 255), x);
        EXPECT_EQ(mul255(x, 0), 0);
        for (int32_t y = 0; y < 256; y += 17) {
            EXPECT_EQ(mul255(x, y), static_cast<int32_t>(std::floor(x * y / 255.0 + 0.5)));
        }
    }
    EXPECT_EQ(scaleSigned(-200, 100), -mul255(200, 100));
}

TEST(PixelMath, WDepthIsAFloatingValueGrowingWithW) {
    EXPECT_EQ(encodeWDepth(0.5f), 0u);
    EXPECT_EQ(encodeWDepth(1.0f), 0u);
    EXPECT_EQ(encodeWDepth(1.5f), 0x0800u);  // exponent 0, mantissa half
    EXPECT_EQ(encodeWDepth(2.0f), 0x1000u);  // exponent 1
    EXPECT_EQ(encodeWDepth(10.0f), 0x3400u); // 8 * 1.25
    EXPECT_EQ(encodeWDepth(65535.0f), 0xFFFFu);
    EXPECT_EQ(encodeWDepth(65536.0f), 0xFFFFu);
    EXPECT_EQ(encodeWDepth(1.0f / 0.0f), 0xFFFFu);
    EXPECT_EQ(encodeWDepth(-3.0f), 0xFFFFu); // behind the eye: farthest
    EXPECT_EQ(encodeWDepth(std::nanf("")), 0xFFFFu);
    uint32_t previous = 0;
    for (float w = 1.0f; w < 70000.0f; w *= 1.001f) {
        const uint32_t d = encodeWDepth(w);
        ASSERT_GE(d, previous) << w;
        previous = d;
    }
    EXPECT_EQ(encodeZDepth(1234.9f), 1234u);
    EXPECT_EQ(encodeZDepth(1e9f), 0xFFFFu);
    EXPECT_EQ(encodeZDepth(-5.0f), 0u);
}

TEST_F(PixelPipelineTest, EveryDepthCompareWithMaskOnAndOff) {
    struct Case {
        GrCmpFnc_t function;
        bool nearer, equal, farther; // which new depths pass against the stored one
    };
    const Case cases[] = {
        {GR_CMP_NEVER, false, false, false},  {GR_CMP_LESS, true, false, false},
        {GR_CMP_EQUAL, false, true, false},   {GR_CMP_LEQUAL, true, true, false},
        {GR_CMP_GREATER, false, false, true}, {GR_CMP_NOTEQUAL, true, false, true},
        {GR_CMP_GEQUAL, false, true, true},   {GR_CMP_ALWAYS, true, true, true},
    };
    for (GrDepthBufferMode_t mode : {GR_DEPTHBUFFER_WBUFFER, GR_DEPTHBUFFER_ZBUFFER}) {
        for (const Case& c : cases) {
            for (FxBool mask : {FXFALSE, FXTRUE}) {
                open(4, 4);
                gouraudState();
                grDepthBufferMode(mode);
                grDepthMask(FXTRUE);
                grDepthBufferFunction(GR_CMP_ALWAYS);
                fill(10.0f, 0, 0, 0);
                const uint32_t stored = device_->depthValue(0, 0);
                grDepthBufferFunction(c.function);
                grDepthMask(mask);
                // The Z-buffer value grows as the point comes nearer (ooz = 65535 / z).
                const float nearW = mode == GR_DEPTHBUFFER_WBUFFER ? 5.0f : 20.0f;
                const float farW = mode == GR_DEPTHBUFFER_WBUFFER ? 20.0f : 5.0f;
                const float ws[3] = {nearW, 10.0f, farW};
                const bool passes[3] = {c.nearer, c.equal, c.farther};
                const uint32_t colors[3] = {rgbOf(255, 0, 0), rgbOf(0, 255, 0), rgbOf(0, 0, 255)};
                for (int32_t k = 0; k < 3; ++k) {
                    fill(ws[k], colors[k] >> 16 & 255, colors[k] >> 8 & 255, colors[k] & 255);
                    const uint32_t expected = passes[k] ? colors[k] : 0u;
                    ASSERT_EQ(rgb(1, 1), expected) << mode << " " << c.function << " " << k;
                    const uint32_t depth = device_->depthValue(1, 1);
                    ASSERT_EQ(depth != stored, passes[k] && mask && k != 1)
                        << mode << " " << c.function << " mask " << mask << " " << k;
                    // Restore the stored depth and colour for the next probe.
                    grDepthBufferFunction(GR_CMP_ALWAYS);
                    grDepthMask(FXTRUE);
                    fill(10.0f, 0, 0, 0);
                    grDepthBufferFunction(c.function);
                    grDepthMask(mask);
                }
            }
        }
    }
}

TEST_F(PixelPipelineTest, DisabledDepthBufferNeitherTestsNorWrites) {
    open(4, 4);
    gouraudState();
    grBufferClear(0, 0, 0x1234);
    grDepthBufferFunction(GR_CMP_NEVER);
    fill(10.0f, 9, 9, 9);
    EXPECT_EQ(rgb(2, 2), rgbOf(9, 9, 9));
    EXPECT_EQ(device_->depthValue(2, 2), 0x1234u);
}

TEST_F(PixelPipelineTest, OpaqueGouraudInterpolatesAndClampsVertexColours) {
    open(64, 4);
    gouraudState();
    // Red runs 0 at x = 0 to 256 at x = 64 (the player sends 256 for white flares).
    GrVertex a = vertex(0, 0, 0, 10, 300), b = vertex(64, 0, 256, 10, 300);
    GrVertex c = vertex(64, 4, 256, 10, 300), d = vertex(0, 4, 0, 10, 300);
    triangle(a, b, c);
    triangle(a, c, d);
    for (int32_t x = 0; x < 64; ++x) {
        const int32_t expected =
            std::min(255, static_cast<int32_t>(std::floor((x + 0.5) * 4 + 0.5)));
        ASSERT_EQ(rgb(x, 1), rgbOf(expected, 10, 255)) << x;
    }
}

TEST_F(PixelPipelineTest, TextureTimesVertexColour) {
    open(4, 4);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED);
    std::vector<uint8_t> texel = rgb565Texels({0xFFFF});  // white
    std::vector<uint8_t> texels = rgb565Texels({0xF800}); // red 255
    loadTexture(0, GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_ARGB_4444, texel);
    // 0xFFFF in ARGB4444 is opaque white: the vertex colour passes through.
    GrVertex v = vertex(0, 0, 128, 64, 255);
    rectangle(0, 0, 4, 4, v);
    EXPECT_EQ(rgb(1, 1), rgbOf(128, 64, 255));
    loadTexture(8, GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, texels);
    rectangle(0, 0, 4, 4, v);
    EXPECT_EQ(rgb(1, 1), rgbOf(128, 0, 0));
}

TEST_F(PixelPipelineTest, BlendedTransparencyWeighsByTheConstantAlpha) {
    // The blended surfaces: colour = vertex * (1 - a/255) from the constant alpha, then
    // blended ONE_MINUS_SRC_ALPHA / SRC_ALPHA over the frame buffer.
    open(4, 4);
    gouraudState();
    fill(1.0f, 40, 80, 200); // what lies behind
    const int32_t a = 63;    // transparency 0.25
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grConstantColorValue(static_cast<GrColor_t>(a) << 24);
    grAlphaBlendFunction(GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_SRC_ALPHA, GR_BLEND_ONE,
                         GR_BLEND_ZERO);
    fill(1.0f, 200, 100, 0, 0); // the vertex alpha is not read
    auto expect = [&](int32_t src, int32_t dst) {
        const int32_t s = src - mul255(src, a);
        return mul255(s, 255 - a) + mul255(dst, a);
    };
    EXPECT_EQ(rgb(2, 2), rgbOf(expect(200, 40), expect(100, 80), expect(0, 200)));
    // a = 255 (dissolved): invisible.
    grConstantColorValue(255u << 24);
    fill(1.0f, 255, 255, 255);
    EXPECT_EQ(rgb(2, 2), rgbOf(expect(200, 40), expect(100, 80), expect(0, 200)));
}

TEST_F(PixelPipelineTest, AdditiveBlendSaturates) {
    open(4, 4);
    gouraudState();
    fill(1.0f, 100, 200, 0);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    fill(1.0f, 100, 100, 30);
    EXPECT_EQ(rgb(0, 0), rgbOf(200, 255, 30));
}

TEST_F(PixelPipelineTest, AlphaTestDropsFailingPixelsEntirely) {
    open(4, 4);
    gouraudState();
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grAlphaTestFunction(GR_CMP_GREATER);
    grAlphaTestReferenceValue(100);
    fill(4.0f, 50, 50, 50, 100);
    EXPECT_EQ(rgb(0, 0), 0u);
    EXPECT_EQ(device_->depthValue(0, 0), 0xFFFFu);
    fill(4.0f, 50, 50, 50, 101);
    EXPECT_EQ(rgb(0, 0), rgbOf(50, 50, 50));
    EXPECT_EQ(device_->depthValue(0, 0), encodeWDepth(4.0f));
}

TEST_F(PixelPipelineTest, CombineFunctionsAndFactorsFollowTheirTables) {
    open(2, 2);
    grConstantColorValue(0x40C08020); // a 64, r 192, g 128, b 32
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_ITERATED, FXFALSE);
    struct Case {
        GrCombineFunction_t function;
        GrCombineFactor_t factor;
        FxBool invert;
        uint32_t expected; // local = constant (192,128,32; alpha 64), other = vertex (100,50,250)
    };
    const Case cases[] = {
        {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ONE, FXFALSE, rgbOf(0, 0, 0)},
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, FXFALSE, rgbOf(192, 128, 32)},
        {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE, FXFALSE, rgbOf(64, 64, 64)},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA, FXFALSE,
         rgbOf(mul255(100, 64), mul255(50, 64), mul255(250, 64))},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE, FXFALSE,
         rgbOf(255, 178, 255)},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, FXFALSE,
         rgbOf(64, 64, 64)},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, GR_COMBINE_FACTOR_ONE, FXFALSE,
         rgbOf(0, 0, 218)},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, GR_COMBINE_FACTOR_LOCAL, FXFALSE,
         rgbOf(192 - mul255(92, 192), 128 - mul255(78, 128), 32 + mul255(218, 32))},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA,
         GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA, FXFALSE,
         rgbOf(0, 64 - mul255(78, 191), 64 + mul255(218, 191))},
        {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL, GR_COMBINE_FACTOR_OTHER_ALPHA, FXFALSE,
         rgbOf(192 - mul255(192, 77), 128 - mul255(128, 77), 32 - mul255(32, 77))},
        {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE, FXFALSE,
         rgbOf(0, 0, 32)},
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, FXTRUE, rgbOf(63, 127, 223)},
    };
    for (const Case& c : cases) {
        grColorCombine(c.function, c.factor, GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_ITERATED,
                       c.invert);
        rectangle(0, 0, 2, 2, vertex(0, 0, 100, 50, 250, 77));
        EXPECT_EQ(rgb(0, 0), c.expected) << c.function << " " << c.factor;
    }
}

TEST_F(PixelPipelineTest, DitherIsUnbiasedPerFourByFourCellAndOffMeansRounding) {
    // A flat colour between two 5-bit steps: with dither the cell mixes both steps in
    // the right proportion; without, every pixel rounds alike.
    for (GrDitherMode_t mode : {GR_DITHER_DISABLE, GR_DITHER_2x2, GR_DITHER_4x4}) {
        open(8, 8, AccelColorMode::Authentic16);
        gouraudState();
        grDitherMode(mode);
        const int32_t value = 100; // 100 * 31 / 255 = 12.16 steps of red
        rectangle(0, 0, 8, 8, vertex(0, 0, value, value, value));
        double sum = 0;
        int32_t distinct = 0;
        uint32_t first = rgb(0, 0);
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                const uint32_t p = rgb(x, y);
                sum += (p >> 16 & 0xFF) >> 3; // the 5-bit red
                distinct += p != first ? 1 : 0;
                ASSERT_EQ(p, rgb(x + 4, y + 4)); // the pattern repeats every 4 pixels
            }
        }
        const double mean = sum / 16;
        if (mode == GR_DITHER_DISABLE) {
            EXPECT_EQ(distinct, 0);
            EXPECT_EQ(first >> 19 & 31, 12u);
        } else {
            EXPECT_GT(distinct, 0);
            EXPECT_NEAR(mean, value * 31.0 / 255.0, mode == GR_DITHER_4x4 ? 1.0 / 16 : 1.0 / 4);
        }
        if (mode == GR_DITHER_2x2) {
            EXPECT_EQ(rgb(0, 0), rgb(2, 0));
            EXPECT_EQ(rgb(0, 0), rgb(0, 2));
        }
    }
}

TEST_F(PixelPipelineTest, ClearFillsColourAndDepthInsideTheClipWindowOnly) {
    for (GrOriginLocation_t origin : {GR_ORIGIN_UPPER_LEFT, GR_ORIGIN_LOWER_LEFT}) {
        open(6, 6);
        grSstOrigin(origin);
        grClipWindow(1, 0, 3, 2);
        grBufferClear(0x00FF8040, 0, 0x1111);
        for (int32_t row = 0; row < 6; ++row) {
            const int32_t y = origin == GR_ORIGIN_UPPER_LEFT ? row : 5 - row;
            for (int32_t x = 0; x < 6; ++x) {
                const bool inside = x >= 1 && x < 3 && y < 2;
                EXPECT_EQ(rgb(x, row), inside ? 0xFF8040u : 0u);
                EXPECT_EQ(device_->depthValue(x, row), inside ? 0x1111u : 0xFFFFu);
            }
        }
    }
    open(2, 1, AccelColorMode::Authentic16);
    grBufferClear(0x00FF8040, 0, 0);
    EXPECT_EQ(rgb(0, 0), rgb565ToArgb(31u << 11 | 32u << 5 | 8u) & 0xFFFFFF);
}
