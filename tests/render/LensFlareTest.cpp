// Lens flares read from the trace: 640 × 480, zoom 1, light colour (1, 0.5, 0.25).
#include <gtest/gtest.h>

#include <cmath>

#include "player/SceneLight.h"
#include "render/LensFlares.h"
#include "render/PipelineFixtures.h"
#include "support/TraceCapture.h"

namespace {

class LensFlareTest : public ::testing::Test {
protected:
    SceneLight& addLight(float x, float y, float z, float radius) {
        SceneLight& light = lights[lightCount++];
        light.lensFlare = 1;
        light.flareIntensity = radius;
        light.motion.viewPosition = Vector3{x, y, z};
        light.color[0] = 1.0f, light.color[1] = 0.5f, light.color[2] = 0.25f;
        return light;
    }
    std::vector<std::string> flares() {
        trace.clear();
        drawLensFlares(lights, lightCount, flareTexture, textures, 1.0f, 640.0f, 480.0f);
        return trace.calls("guDrawTriangleWithClip");
    }

    TextureTable textures;
    int32_t flareTexture = addTestTexture(textures, 0xFFFF);
    TraceCapture trace;
    SceneLight lights[2];
    int32_t lightCount = 0;
};

} // namespace

TEST_F(LensFlareTest, SquareOnACircleOfTheFlareRadiusAroundTheLight) {
    // Straight ahead at depth 10, radius 2: w = 0.1, the start angle is the half turn,
    // so the corners lie left, below, right and above at 2 × 0.1 × 320 = 64 pixels (the
    // last x truncated just below 320: the cosine of the rounded angle is not 0).
    // Colour × 256, alpha 255, ooz 65535 × 0.1, s and t 0 or 256 × 0.1.
    addLight(0.0f, 0.0f, 10.0f, 2.0f);
    const VertexValues left{256, 240, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 0, 0};
    const VertexValues below{320, 176, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 0, 25.6f};
    const VertexValues right{384, 240, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 25.6f, 25.6f};
    const VertexValues above{319.9375f, 304, 10, 256, 128, 64, 255, 6553.5f, 0.1f, 25.6f, 0};
    EXPECT_EQ(flares(), (std::vector<std::string>{
                            triangleText("guDrawTriangleWithClip", left, below, right),
                            triangleText("guDrawTriangleWithClip", left, right, above)}));
}

TEST_F(LensFlareTest, TooSmallTooNearOrDisabledFlaresAreSkippedStatesStillSet) {
    SceneLight& light = addLight(0.0f, 0.0f, 10.0f, 0.001f);
    EXPECT_EQ(flares().size(), 2u) << "exactly 0.001 is drawn";
    for (float tooSmall : {0.00099999f, -1.0f, NAN}) {
        light.flareIntensity = tooSmall;
        EXPECT_TRUE(flares().empty()) << tooSmall;
    }
    light.flareIntensity = 1.0f;
    for (float depth : {1.0f, -10.0f}) {
        light.motion.viewPosition.z = depth;
        EXPECT_TRUE(flares().empty()) << depth;
    }
    light.motion.viewPosition.z = std::nextafter(1.0f, 2.0f);
    EXPECT_EQ(flares().size(), 2u);
    light.lensFlare = 0;
    EXPECT_TRUE(flares().empty());

    const std::vector<std::string> lines = trace.lines(); // no flare: states and texture
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE)");
    EXPECT_EQ(lines[6], "grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, "
                        "GR_BLEND_ZERO)");
    EXPECT_EQ(lines[7], "grDepthMask(FXFALSE)");
    EXPECT_EQ(lines[11].rfind("grTexSource(GR_TMU0, 0, ", 0), 0u);
    EXPECT_EQ(lines[12], "grDepthMask(FXTRUE)");
}
