// Render states and vertex values of the two object passes, read from the trace of one
// front-facing triangle drawn through the whole object step. Camera space:
//   P0 (0, 0, 2) -> screen (320, 240)   P1 (0, 0.75, 2) -> (320, 360)
//   P2 (1, 0, 2) -> (480, 240)           depth 2: ooz 32767.5, oow 0.5
// surface colour (1, 0.5, 0.25) under full white ambient light, corners (u, v) (0, 0),
// (0, 256), (256, 0), normals (0.5, -0.25, 0.75). The colour texture sits at texture
// address 0, the reflection image at 8.
#include <gtest/gtest.h>

#include "render/PipelineFixtures.h"
#include "support/TraceCapture.h"

namespace {

using Lines = std::vector<std::string>;

// "grColorCombine(GR_COMBINE_FUNCTION_<f>, GR_COMBINE_FACTOR_<k>, ..._<l>, ..._<o>, FXFALSE)"
std::string combine(const char* unit, const char* f, const char* k, const char* l, const char* o) {
    return std::string(unit) + "(GR_COMBINE_FUNCTION_" + f + ", GR_COMBINE_FACTOR_" + k +
           ", GR_COMBINE_LOCAL_" + l + ", GR_COMBINE_OTHER_" + o + ", FXFALSE)";
}
std::string blend(const char* s, const char* d) {
    return std::string("grAlphaBlendFunction(GR_BLEND_") + s + ", GR_BLEND_" + d +
           ", GR_BLEND_ONE, GR_BLEND_ZERO)";
}
const Lines kOpaque = {combine("grColorCombine", "LOCAL", "ZERO", "ITERATED", "CONSTANT"),
                       combine("grAlphaCombine", "ZERO", "ZERO", "ITERATED", "CONSTANT"),
                       blend("ONE", "ZERO")};
const std::string kConstantAlpha =
    combine("grAlphaCombine", "SCALE_OTHER", "ONE", "CONSTANT", "CONSTANT");
const std::string kBlend = blend("ONE_MINUS_SRC_ALPHA", "SRC_ALPHA");
const std::string kPassTexel = "grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, "
                               "GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL, "
                               "GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE)";
const Lines kTextured = {
    combine("grColorCombine", "SCALE_OTHER", "LOCAL", "ITERATED", "TEXTURE"),
    "grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE)",
    "grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR)", kPassTexel,
    "grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP)"};
const std::string kBetweenPasses = "grDepthBufferFunction(GR_CMP_LEQUAL)";
const std::string kClipWindow = "grClipWindow(0, 0, 640, 480)";

// The triangle with alpha a, (s, t) at every corner (or the corner map when s < 0) and
// its colour × `shade`.
std::string triangle(float a, float s = -1, float t = 0, float shade = 1) {
    auto corner = [&](float x, float y, float cs, float ct) {
        return VertexValues{x, y,        2,    255 * shade,    127.5f * shade, 63.75f * shade,
                            a, 32767.5f, 0.5f, s < 0 ? cs : s, s < 0 ? ct : t};
    };
    return triangleText("grDrawTriangle", corner(320, 240, 0, 0), corner(320, 360, 0, 128),
                        corner(480, 240, 128, 0));
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ObjectPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        buildObject(object, {{0, 0, 2}, {0, 0.75f, 2}, {1, 0, 2}}, {{0, 1, 2}});
        surface().colorTexture = addTestTexture(textures, 0xF800);
        surface().reflectionTexture = addTestTexture(textures, 0x001F);
    }
    Surface& surface() { return object.mesh.surfaces[0]; }
    void makeReflective(float reflectivity) {
        surface().reflective = 1;
        surface().reflectivity = reflectivity;
        object.mesh.anyReflective = 1;
    }
    Lines draw() {
        trace.clear();
        renderSceneObject(object, standardView(), nullptr, 0, fullAmbientCamera(), textures);
        return trace.lines();
    }
    // `count` lines of the last trace from the first `first` on.
    Lines from(const std::string& first, size_t count) const {
        const Lines all = trace.lines();
        auto at = std::find(all.begin(), all.end(), first);
        return {at, at + std::min<size_t>(count, all.end() - at)};
    }
    std::string source(size_t i) const { return trace.calls("grTexSource").at(i).substr(0, 24); }

    TraceCapture trace;
    TextureTable textures;
    SceneObject object;
};

} // namespace

TEST_F(ObjectPassTest, OpaqueSurfaceDrawsItsLitColourAndWritesDepth) {
    EXPECT_EQ(draw(),
              (Lines{"grDepthMask(FXTRUE)", "grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER)",
                     "grDepthBufferFunction(GR_CMP_LESS)", kClipWindow,
                     "grSstOrigin(GR_ORIGIN_LOWER_LEFT)"} +
               kOpaque + Lines{"grDepthMask(FXTRUE)", triangle(0), kBetweenPasses, kClipWindow}));
}

TEST_F(ObjectPassTest, TransparencyAndDissolveSetTheAlphaAndAdditiveSurfacesNoDepthWrites) {
    surface().transparent = 1;
    surface().transparency = 0.25f; // a = 63.75
    draw();
    EXPECT_EQ(from(kConstantAlpha, 6),
              (Lines{kConstantAlpha, "grConstantColorValue(0x3f000000)", kPassTexel, kBlend,
                     "grDepthMask(FXTRUE)", triangle(63.75f)}));
    object.hasDissolve = 1;
    object.dissolve = 1.0f; // (255 - 63.75) × 1 + 63.75: invisible, still drawn
    draw();
    EXPECT_EQ(trace.calls("grConstantColorValue")[0], "grConstantColorValue(0xff000000)");
    surface().transparent = 0;
    object.dissolve = 0.5f; // 255 × 0.5
    draw();
    EXPECT_EQ(trace.calls("grConstantColorValue")[0], "grConstantColorValue(0x7f000000)");

    surface().additive = 0x200; // opaque even with a dissolve, lit at half strength
    draw();
    EXPECT_EQ(from(kOpaque[0], 6), (kOpaque + Lines{blend("ONE", "ONE"), "grDepthMask(FXFALSE)",
                                                    triangle(0, -1, 0, 0.5f)}));
}

TEST_F(ObjectPassTest, ColourTextureIsMappedByTheCornerCoordinates) {
    surface().textureMapping = 1;
    draw();
    EXPECT_EQ(source(0), "grTexSource(GR_TMU0, 0, ");
    EXPECT_EQ(from(kTextured[0], 7), (kTextured + Lines{"grDepthMask(FXTRUE)", triangle(0)}));
}

TEST_F(ObjectPassTest, ReflectionReplacesOrOverlaysTheSurfaceByTheNinetyFivePercentRule) {
    makeReflective(0.953125f); // REFL 244 / 256: replaces the untextured surface
    draw();
    EXPECT_EQ(source(0), "grTexSource(GR_TMU0, 8, ");
    // u, v = 128 n + 128 = (192, 96), stored in the corners; times oow.
    EXPECT_EQ(trace.calls("grDrawTriangle"), Lines{triangle(0, 96, 48)}) << "no second pass";
    EXPECT_EQ(object.mesh.polygons[0].corners[1].u, 192.0f);

    makeReflective(0.94921875f); // REFL 243 / 256: drawn plainly, then overlaid
    draw();
    EXPECT_EQ(trace.calls("grTexSource").size(), 1u) << "untextured in the main pass";
    // a = 255 - 255 × 0.94921875; s, t = 256 n × oow.
    EXPECT_EQ(from(kBetweenPasses, 12),
              (Lines{kBetweenPasses, kConstantAlpha, "grConstantColorValue(0x0c000000)", kBlend,
                     trace.calls("grTexSource")[0]} +
               kTextured + Lines{triangle(12.94921875f, 64, -32), kClipWindow}));

    surface().textureMapping = 1; // with a colour texture: overlaid even above 0.95
    makeReflective(0.953125f);
    draw();
    EXPECT_EQ(source(0) + source(1), "grTexSource(GR_TMU0, 0, grTexSource(GR_TMU0, 8, ");
    EXPECT_EQ(trace.calls("grConstantColorValue")[0], "grConstantColorValue(0x0b000000)");
}

TEST(SurfaceChange, FirstDrawnTriangleOfEachObjectAndPassAndEachChangeSetsTheState) {
    TraceCapture trace;
    TextureTable textures;
    SceneObject object; // surfaces 0, 0, 1, 0; surface 0 reflective (two passes)
    buildObject(object, {{0, 0, 2}, {0, 0.75f, 2}, {1, 0, 2}},
                {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 1}, {0, 1, 2, 0}}, 2);
    object.mesh.surfaces[0].reflective = 1;
    object.mesh.surfaces[0].reflectivity = 0.5f;
    object.mesh.anyReflective = 1;
    for (size_t drawn = 1; drawn <= 2; ++drawn) {
        renderSceneObject(object, standardView(), nullptr, 0, fullAmbientCamera(), textures);
        EXPECT_EQ(trace.calls("grAlphaBlendFunction").size(), drawn * (3 + 1));
        EXPECT_EQ(trace.calls("grDrawTriangle").size(), drawn * (4 + 3));
    }
}
