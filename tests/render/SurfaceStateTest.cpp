// The render states and vertex values of the two object passes, read from the
// accelerator trace of one front-facing triangle drawn through the whole object step.
//
// The triangle (camera space, camera at the origin, zoom 1, 640 × 480):
//   P0 (0, 0, 2) -> screen (320, 240)   P1 (0, 0.75, 2) -> (320, 360)
//   P2 (1, 0, 2) -> (480, 240)           depth 2: ooz 32767.5, oow 0.5
// lit by a full white ambient light, so each corner shows its surface colour × 255.
#include <gtest/gtest.h>

#include "render/ObjectRendering.h"
#include "render/PipelineFixtures.h"
#include "support/TraceCapture.h"

namespace {

const std::string kOpaqueCombine = "grColorCombine(GR_COMBINE_FUNCTION_LOCAL, "
                                   "GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED, "
                                   "GR_COMBINE_OTHER_CONSTANT, FXFALSE)";
const std::string kOpaqueAlpha = "grAlphaCombine(GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ZERO, "
                                 "GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE)";
const std::string kOpaqueBlend =
    "grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO)";
const std::string kBlendedCombine =
    "grColorCombine(GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL, "
    "GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_ITERATED, "
    "GR_COMBINE_OTHER_CONSTANT, FXFALSE)";
const std::string kConstantAlpha = "grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, "
                                   "GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT, "
                                   "GR_COMBINE_OTHER_CONSTANT, FXFALSE)";
const std::string kPassTexel = "grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, "
                               "GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL, "
                               "GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE)";
const std::string kTransparentBlend = "grAlphaBlendFunction(GR_BLEND_ONE_MINUS_SRC_ALPHA, "
                                      "GR_BLEND_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO)";
const std::string kAdditiveBlend =
    "grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO)";
const std::string kTexturedCombine = "grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, "
                                     "GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED, "
                                     "GR_COMBINE_OTHER_TEXTURE, FXFALSE)";
const std::string kMipMap = "grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE)";
const std::string kFilter =
    "grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR)";
const std::string kWrap = "grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP)";
const std::string kDepthOn = "grDepthMask(FXTRUE)";
const std::string kDepthOff = "grDepthMask(FXFALSE)";
const std::string kPassStart[] = {
    "grDepthMask(FXTRUE)", "grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER)",
    "grDepthBufferFunction(GR_CMP_LESS)", "grClipWindow(0, 0, 640, 480)",
    "grSstOrigin(GR_ORIGIN_LOWER_LEFT)"};
const std::string kBetweenPasses = "grDepthBufferFunction(GR_CMP_LEQUAL)";
const std::string kClipWindow = "grClipWindow(0, 0, 640, 480)";

// Colour (1, 0.5, 0.25) lit by full ambient light.
VertexValues corner(float x, float y, float a, float sow, float tow) {
    return {x, y, 2.0f, 255.0f, 127.5f, 63.75f, a, 32767.5f, 0.5f, sow, tow};
}

bool startsWith(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

// The colour texture lives at texture address 0, the reflection image at 8.
const std::string kColorSource = "grTexSource(GR_TMU0, 0, ";
const std::string kReflectionSource = "grTexSource(GR_TMU0, 8, ";

class ObjectPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestPoint p0{0, 0, 2}, p1{0, 0.75f, 2}, p2{1, 0, 2};
        for (TestPoint* p : {&p0, &p1, &p2}) {
            p->color[0] = 1.0f, p->color[1] = 0.5f, p->color[2] = 0.25f;
            p->normal[0] = 0.5f, p->normal[1] = -0.25f, p->normal[2] = 0.75f;
        }
        TestTriangle t{0, 1, 2};
        t.u[2] = 256.0f; // (0, 0), (0, 256), (256, 0)
        t.v[1] = 256.0f;
        buildObject(object, {p0, p1, p2}, {t});
        colorTexture = addTestTexture(textures, 0xF800);
        reflectionTexture = addTestTexture(textures, 0x001F);
        textures.selectTexture(colorTexture); // resident from here on: selecting is a source
        textures.selectTexture(reflectionTexture);
    }
    Surface& surface() { return object.mesh.surfaces[0]; }
    void makeReflective(float reflectivity) {
        surface().reflective = 1;
        surface().reflectivity = reflectivity;
        surface().reflectionTexture = reflectionTexture;
        object.mesh.anyReflective = 1;
    }
    void addColorTexture() {
        surface().textureMapping = 1;
        surface().colorTexture = colorTexture;
    }
    // Draws the object and returns the trace.
    std::vector<std::string> draw() {
        trace.clear();
        renderSceneObject(object, view, nullptr, 0, camera, textures);
        return trace.lines();
    }
    // The first line index of `text` at or after `from`, or -1.
    static int find(const std::vector<std::string>& lines, const std::string& text,
                    size_t from = 0) {
        for (size_t i = from; i < lines.size(); ++i) {
            if (lines[i] == text) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    TraceCapture trace;
    RenderView view = standardView();
    SceneCamera camera = fullAmbientCamera();
    TextureTable textures;
    SceneObject object;
    int32_t colorTexture = 0;
    int32_t reflectionTexture = 0;
};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const std::vector<std::string> kStart(std::begin(kPassStart), std::end(kPassStart));

} // namespace

TEST_F(ObjectPassTest, OpaqueSurfaceDrawsItsLitColourAndWritesDepth) {
    const std::string triangle =
        triangleText("grDrawTriangle", corner(320, 240, 0, 0, 0), corner(320, 360, 0, 0, 128),
                     corner(480, 240, 0, 128, 0));
    EXPECT_EQ(draw(), concat({kStart,
                              {kOpaqueCombine, kOpaqueAlpha, kOpaqueBlend, kDepthOn, triangle,
                               kBetweenPasses, kClipWindow}}));
}

TEST_F(ObjectPassTest, TransparencyBecomesTheConstantAlphaTruncated) {
    surface().transparent = 1;
    surface().transparency = 0.25f; // 63.75
    const std::string triangle =
        triangleText("grDrawTriangle", corner(320, 240, 63.75f, 0, 0),
                     corner(320, 360, 63.75f, 0, 128), corner(480, 240, 63.75f, 128, 0));
    EXPECT_EQ(draw(), concat({kStart,
                              {kBlendedCombine, kConstantAlpha, "grConstantColorValue(0x3f000000)",
                               kPassTexel, kTransparentBlend, kDepthOn, triangle, kBetweenPasses,
                               kClipWindow}}));
}

TEST_F(ObjectPassTest, DissolveBlendsTowardsFullTransparency) {
    surface().transparent = 1;
    surface().transparency = 0.25f;
    object.hasDissolve = 1;
    object.dissolve = 1.0f; // (255 - 63.75) × 1 + 63.75
    std::vector<std::string> lines = draw();
    EXPECT_NE(find(lines, "grConstantColorValue(0xff000000)"), -1);
    EXPECT_EQ(trace.calls("grDrawTriangle").size(), 1u) << "still drawn, fully transparent";

    surface().transparent = 0;
    object.dissolve = 0.5f; // (255 - 0) × 0.5
    lines = draw();
    EXPECT_NE(find(lines, kBlendedCombine), -1);
    EXPECT_NE(find(lines, "grConstantColorValue(0x7f000000)"), -1);

    object.dissolve = 255.0f; // the one value that hides the object
    EXPECT_TRUE(draw().empty());
}

TEST_F(ObjectPassTest, AdditiveSurfaceAddsWithoutWritingDepth) {
    surface().additive = 0x200;
    object.hasDissolve = 1; // a dissolve does not make an additive surface blended
    object.dissolve = 0.5f;
    const std::vector<std::string> lines = draw();
    const int combine = find(lines, kOpaqueCombine);
    ASSERT_NE(combine, -1);
    EXPECT_EQ(lines[combine + 1], kOpaqueAlpha);
    EXPECT_EQ(lines[combine + 2], kOpaqueBlend);
    EXPECT_EQ(lines[combine + 3], kAdditiveBlend);
    EXPECT_EQ(lines[combine + 4], kDepthOff);
    EXPECT_EQ(lines[combine + 5].rfind("grDrawTriangle(", 0), 0u);
}

TEST_F(ObjectPassTest, ColourTextureIsSelectedAndMappedByTheCornerCoordinates) {
    addColorTexture();
    const std::string triangle =
        triangleText("grDrawTriangle", corner(320, 240, 0, 0, 0), corner(320, 360, 0, 0, 128),
                     corner(480, 240, 0, 128, 0));
    const std::vector<std::string> lines = draw();
    const int blend = find(lines, kOpaqueBlend);
    ASSERT_NE(blend, -1);
    EXPECT_TRUE(startsWith(lines[blend + 1], kColorSource)) << lines[blend + 1];
    const std::vector<std::string> rest(lines.begin() + blend + 2, lines.end());
    EXPECT_EQ(rest, (std::vector<std::string>{kTexturedCombine, kMipMap, kFilter, kPassTexel, kWrap,
                                              kDepthOn, triangle, kBetweenPasses, kClipWindow}));
}

TEST_F(ObjectPassTest, HighlyReflectiveUntexturedSurfaceShowsOnlyTheReflectionImage) {
    makeReflective(0.953125f); // REFL 244 / 256: 0.95 or more
    // Main pass: u, v = 128 n + 128 = (192, 96) at every corner, times oow 0.5.
    const std::string triangle =
        triangleText("grDrawTriangle", corner(320, 240, 0, 96, 48), corner(320, 360, 0, 96, 48),
                     corner(480, 240, 0, 96, 48));
    const std::vector<std::string> lines = draw();
    const int blend = find(lines, kOpaqueBlend);
    ASSERT_NE(blend, -1);
    EXPECT_TRUE(startsWith(lines[blend + 1], kReflectionSource)) << lines[blend + 1];
    EXPECT_EQ(lines[blend + 2], kTexturedCombine);
    EXPECT_EQ(trace.calls("grDrawTriangle"), std::vector<std::string>{triangle})
        << "the reflection pass leaves it alone";
    EXPECT_EQ(object.mesh.polygons[0].corners[1].u, 192.0f) << "the mapping is stored";
}

TEST_F(ObjectPassTest, LessReflectiveSurfaceIsOverlaidInTheReflectionPass) {
    makeReflective(0.94921875f); // REFL 243 / 256: below 0.95
    // Reflection pass: a = 255 - 255 × 0.94921875 = 12.94921875; s, t = 256 n × oow.
    const float a = 12.94921875f;
    const std::string overlay =
        triangleText("grDrawTriangle", corner(320, 240, a, 64, -32), corner(320, 360, a, 64, -32),
                     corner(480, 240, a, 64, -32));
    const std::vector<std::string> lines = draw();
    const int between = find(lines, kBetweenPasses);
    ASSERT_NE(between, -1);
    const std::vector<std::string> pass1(lines.begin(), lines.begin() + between);
    EXPECT_EQ(find(pass1, kTexturedCombine), -1) << "drawn untextured in the main pass";
    const std::vector<std::string> pass2(lines.begin() + between + 1, lines.end());
    ASSERT_EQ(pass2.size(), 11u);
    EXPECT_EQ(pass2[0], kConstantAlpha);
    EXPECT_EQ(pass2[1], "grConstantColorValue(0x0c000000)");
    EXPECT_EQ(pass2[2], kTransparentBlend);
    EXPECT_TRUE(startsWith(pass2[3], kReflectionSource)) << pass2[3];
    EXPECT_EQ((std::vector<std::string>(pass2.begin() + 4, pass2.end())),
              (std::vector<std::string>{kTexturedCombine, kMipMap, kFilter, kPassTexel, kWrap,
                                        overlay, kClipWindow}));
}

TEST_F(ObjectPassTest, TexturedReflectiveSurfaceIsAlwaysOverlaid) {
    addColorTexture();
    makeReflective(0.953125f); // a = 255 - 243.046875 = 11.953125
    const std::vector<std::string> lines = draw();
    const std::vector<std::string> sources = trace.calls("grTexSource");
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_TRUE(startsWith(sources[0], kColorSource)) << "the colour texture in the main pass";
    EXPECT_TRUE(startsWith(sources[1], kReflectionSource)) << "the reflection image over it";
    EXPECT_NE(find(lines, "grConstantColorValue(0x0b000000)", find(lines, kBetweenPasses)), -1);
    EXPECT_EQ(trace.calls("grDrawTriangle").size(), 2u);
}

TEST_F(ObjectPassTest, FirstDrawnPolygonOfEachObjectAndPassSetsItsState) {
    makeReflective(0.5f);
    draw();
    EXPECT_EQ(trace.calls("grAlphaBlendFunction").size(), 2u) << "main pass and reflection pass";
    draw();
    EXPECT_EQ(trace.calls("grAlphaBlendFunction").size(), 2u) << "again for the next object";
}

TEST(SurfaceChangeTest, StateIsSetOnlyWhenTheSurfaceChangesBetweenDrawnTriangles) {
    TraceCapture trace;
    const RenderView view = standardView();
    SceneObject object;
    // Four copies of one front-facing triangle on surfaces 0, 0, 1, 0; surface 1 blended.
    buildObject(object, {{0, 0, 2}, {0, 0.75f, 2}, {1, 0, 2}},
                {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 1}, {0, 1, 2, 0}}, 2);
    object.mesh.surfaces[1].transparent = 1;
    TextureTable textures;
    renderSceneObject(object, view, nullptr, 0, fullAmbientCamera(), textures);
    EXPECT_EQ(trace.calls("grColorCombine").size(), 3u);
    EXPECT_EQ(trace.calls("grConstantColorValue").size(), 1u);
    EXPECT_EQ(trace.calls("grDrawTriangle").size(), 4u);
}
