// Lens flares read from the accelerator trace: 640 × 480, zoom 1.
//
// A light straight ahead at camera depth 10 with flare radius 2: w = 0.1, the start
// angle is the single-precision half turn, so the corners lie left, below, right and
// above the light at 2 × 0.1 × 320 = 64 pixels (the last one's x truncated just below
// 320 because the cosine of the rounded angle is not exactly 0).
#include <gtest/gtest.h>

#include <cmath>

#include "player/SceneLight.h"
#include "render/LensFlares.h"
#include "render/PipelineFixtures.h"
#include "support/TraceCapture.h"

namespace {

const std::vector<std::string> kFlareStates = {
    "grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE)",
    "grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR)",
    "grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, "
    "GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE)",
    "grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP)",
    "grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, "
    "GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE)",
    "grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT, "
    "GR_COMBINE_OTHER_CONSTANT, FXFALSE)",
    "grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO)",
    "grDepthMask(FXFALSE)",
    "grAlphaTestReferenceValue(1)",
    "grSstOrigin(GR_ORIGIN_LOWER_LEFT)",
    "grCullMode(GR_CULL_DISABLE)",
};

class LensFlareTest : public ::testing::Test {
protected:
    void SetUp() override {
        flareTexture = addTestTexture(textures, 0xFFFF);
        textures.selectTexture(flareTexture); // resident at address 0
        trace.clear();
    }
    SceneLight& addLight(float x, float y, float z, float radius) {
        SceneLight& light = lights[lightCount++];
        light.lensFlare = 1;
        light.flareIntensity = radius;
        light.motion.viewPosition = Vector3{x, y, z};
        light.color[0] = 1.0f, light.color[1] = 0.5f, light.color[2] = 0.25f;
        return light;
    }
    size_t flaresDrawn() {
        trace.clear();
        drawLensFlares(lights, lightCount, flareTexture, textures, 1.0f, 640.0f, 480.0f);
        return trace.calls("guDrawTriangleWithClip").size() / 2;
    }

    TraceCapture trace;
    TextureTable textures;
    int32_t flareTexture = 0;
    SceneLight lights[4];
    int32_t lightCount = 0;
};

} // namespace

TEST_F(LensFlareTest, StatesAndTextureAreSetEvenWithoutLightsAndDepthWritesEndOn) {
    drawLensFlares(lights, 0, flareTexture, textures, 1.0f, 640.0f, 480.0f);
    std::vector<std::string> lines = trace.lines();
    ASSERT_EQ(lines.size(), kFlareStates.size() + 2);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + kFlareStates.size()),
              kFlareStates);
    EXPECT_EQ(lines[kFlareStates.size()].rfind("grTexSource(GR_TMU0, 0, ", 0), 0u);
    EXPECT_EQ(lines.back(), "grDepthMask(FXTRUE)");
}

TEST_F(LensFlareTest, SquareStandsOnACornerAroundALightStraightAhead) {
    addLight(0.0f, 0.0f, 10.0f, 2.0f);
    drawLensFlares(lights, lightCount, flareTexture, textures, 1.0f, 640.0f, 480.0f);
    // Colour × 256 (not 255), alpha 255, ooz 65535 × 0.1, s and t 0 or 256 × 0.1.
    const VertexValues left{256, 240, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 0, 0};
    const VertexValues below{320, 176, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 0, 25.6f};
    const VertexValues right{384, 240, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 25.6f, 25.6f};
    const VertexValues above{319.9375f, 304, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 25.6f, 0};
    EXPECT_EQ(
        trace.calls("guDrawTriangleWithClip"),
        (std::vector<std::string>{triangleText("guDrawTriangleWithClip", left, below, right),
                                  triangleText("guDrawTriangleWithClip", left, right, above)}));
}

TEST_F(LensFlareTest, SquareTurnsWithTheLightsHorizontalPosition) {
    // X = 0.5 turns the start angle by an eighth: the square's sides are level.
    SceneLight& light = addLight(0.5f, 1.0f, 4.0f, 1.0f);
    light.color[1] = light.color[2] = 1.0f;
    drawLensFlares(lights, lightCount, flareTexture, textures, 1.0f, 640.0f, 480.0f);
    const VertexValues v0{303.375f, 263.375f, 4, 256, 256, 256, 255, 16383.75f, 0.25f, 0, 0};
    const VertexValues v1{416.5625f, 263.375f, 4, 256, 256, 256, 255, 16383.75f, 0.25f, 0, 64};
    const VertexValues v2{416.5625f, 376.5625f, 4, 256, 256, 256, 255, 16383.75f, 0.25f, 64, 64};
    const VertexValues v3{303.375f, 376.5625f, 4, 256, 256, 256, 255, 16383.75f, 0.25f, 64, 0};
    EXPECT_EQ(trace.calls("guDrawTriangleWithClip"),
              (std::vector<std::string>{triangleText("guDrawTriangleWithClip", v0, v1, v2),
                                        triangleText("guDrawTriangleWithClip", v0, v2, v3)}));
}

TEST_F(LensFlareTest, TooSmallTooNearOrDisabledFlaresAreSkipped) {
    SceneLight& light = addLight(0.0f, 0.0f, 10.0f, 0.001f);
    EXPECT_EQ(flaresDrawn(), 1u) << "exactly 0.001 is drawn";
    light.flareIntensity = 0.00099999f;
    EXPECT_EQ(flaresDrawn(), 0u);
    light.flareIntensity = -1.0f;
    EXPECT_EQ(flaresDrawn(), 0u);
    light.flareIntensity = NAN;
    EXPECT_EQ(flaresDrawn(), 0u);

    light.flareIntensity = 1.0f;
    light.motion.viewPosition.z = 1.0f;
    EXPECT_EQ(flaresDrawn(), 0u) << "depth 1.0 is too near";
    light.motion.viewPosition.z = std::nextafter(1.0f, 2.0f);
    EXPECT_EQ(flaresDrawn(), 1u);
    light.motion.viewPosition.z = -10.0f;
    EXPECT_EQ(flaresDrawn(), 0u) << "behind the camera";

    light.motion.viewPosition.z = 10.0f;
    light.lensFlare = 0;
    EXPECT_EQ(flaresDrawn(), 0u);
}

TEST_F(LensFlareTest, EveryQualifyingLightGetsItsFlareInSlotOrder) {
    addLight(0.0f, 0.0f, 10.0f, 2.0f);
    addLight(0.0f, 0.0f, 0.5f, 2.0f);
    addLight(0.5f, 1.0f, 4.0f, 1.0f);
    EXPECT_EQ(flaresDrawn(), 2u);
    EXPECT_NE(trace.calls("guDrawTriangleWithClip")[2].find("z=4 "), std::string::npos);
}
