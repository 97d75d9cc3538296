#include <gtest/gtest.h>

#include "player/SceneCamera.h"
#include "player/SceneLight.h"
#include "player/SceneObject.h"
#include "render/PipelineFixtures.h"

namespace {

// One needed point at camera-space (0, 0, z) with normal (0, 0, nz) and colour B.
struct LitPoint {
    SceneObject object;
    SceneCamera camera;
    SceneLight lights[3];
    int32_t lightCount = 0;

    explicit LitPoint(float r = 1.0f, float g = 1.0f, float b = 1.0f, float z = 5.0f,
                      float nz = 1.0f) {
        TestPoint p{0.0f, 0.0f, z};
        p.color[0] = r, p.color[1] = g, p.color[2] = b;
        buildObject(object, {p, {1.0f, 0.0f, z}, {0.0f, 1.0f, z}}, {{0, 1, 2}});
        MeshPoint& m = point();
        m.viewPosition[2] = z;
        m.viewNormal[2] = nz;
        m.isNeeded = 1;
    }
    MeshPoint& point() { return object.mesh.points[0]; }
    Surface& surface() { return object.mesh.surfaces[0]; }
    SceneLight& addLight(int32_t type) {
        SceneLight& light = lights[lightCount++];
        light.lightType = type;
        light.color[0] = light.color[1] = light.color[2] = 1.0f;
        return light;
    }
    // litColor after lighting, 0..255.
    std::vector<float> lit() {
        object.lightPoints(lights, lightCount, camera);
        return {point().litColor[0], point().litColor[1], point().litColor[2]};
    }
};

using Colour = std::vector<float>;

} // namespace

TEST(PointLighting, AmbientLightScalesTheSurfaceColourByColourAndIntensity) {
    LitPoint p(1.0f, 0.5f, 0.25f);
    p.camera.ambientColor[0] = 0.5f, p.camera.ambientColor[1] = 1.0f;
    p.camera.ambientColor[2] = 1.0f;
    p.camera.ambientIntensity = 0.5f;
    EXPECT_EQ(p.lit(), (Colour{63.75f, 63.75f, 31.875f}));

    p.camera.ambientIntensity = 0.0f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
}

TEST(PointLighting, DistantLightShinesAlongItsAxisOntoNormalsFacingTheSameWay) {
    LitPoint p;
    SceneLight& sun = p.addLight(0);
    sun.color[1] = 0.5f, sun.color[2] = 0.0f;
    sun.intensity = 0.5f;
    sun.viewDirection[2] = 1.0f;
    EXPECT_EQ(p.lit(), (Colour{127.5f, 63.75f, 0.0f}));

    sun.viewDirection[2] = -1.0f; // towards the normal: no negative light
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
}

TEST(PointLighting, PointLightFadesLinearlyToZeroAtItsRange) {
    LitPoint p(1.0f, 0.5f, 1.0f, 5.0f);
    SceneLight& lamp = p.addLight(1);
    lamp.range = 10.0f;
    lamp.rangeSquared = 100.0f;
    EXPECT_EQ(p.lit(), (Colour{127.5f, 63.75f, 127.5f})) << "half way: half the light";

    p.point().viewPosition[2] = 10.0f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f})) << "at the range: nothing";

    lamp.range = -1.0f; // unlimited reach, no fall-off
    p.point().viewPosition[2] = 100.0f;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 255.0f}));

    lamp.range = 0.0f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
}

TEST(PointLighting, PointLightOnThePointItselfAddsNothingInsteadOfNaN) {
    LitPoint p;
    p.camera.ambientColor[0] = p.camera.ambientColor[1] = p.camera.ambientColor[2] = 1.0f;
    p.camera.ambientIntensity = 0.25f;
    SceneLight& lamp = p.addLight(1);
    lamp.motion.viewPosition = Vector3{0.0f, 0.0f, 5.0f};
    lamp.range = 10.0f;
    lamp.rangeSquared = 100.0f;
    EXPECT_EQ(p.lit(), (Colour{63.75f, 63.75f, 63.75f}));

    lamp.range = -1.0f;
    EXPECT_EQ(p.lit(), (Colour{63.75f, 63.75f, 63.75f}));
}

TEST(PointLighting, LightIsClampedToTheSurfaceColourNotToWhite) {
    LitPoint p(0.5f, 0.25f, 0.5f);
    p.camera.ambientColor[0] = p.camera.ambientColor[1] = p.camera.ambientColor[2] = 1.0f;
    p.camera.ambientIntensity = 1.0f;
    p.addLight(0).viewDirection[2] = 1.0f;
    EXPECT_EQ(p.lit(), (Colour{127.5f, 63.75f, 127.5f}));
}

TEST(PointLighting, SpotLightsGiveNoLight) {
    LitPoint p;
    SceneLight& spot = p.addLight(2);
    spot.viewDirection[2] = 1.0f;
    spot.range = -1.0f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
}

TEST(PointLighting, LuminousPointsShowTheirFullColourAndOthersIgnoreLuminosity) {
    LitPoint p(1.0f, 0.5f, 0.25f);
    p.point().luminosity = 255;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 63.75f}));
    p.surface().additive = 0x200;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 63.75f})) << "also on an additive surface";

    p.surface().additive = 0;
    p.point().luminosity = 254;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
}

TEST(PointLighting, AdditiveSurfacesIgnoreLightsAndGlowWithTheCubeOfTheNormalZ) {
    LitPoint p(1.0f, 0.5f, 1.0f, 5.0f, 0.5f);
    p.surface().additive = 0x200;
    p.addLight(0).viewDirection[2] = -1.0f;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 255.0f})) << "without smoothing: full colour";

    p.surface().smoothing = 4;
    EXPECT_EQ(p.lit(), (Colour{31.875f, 15.9375f, 31.875f})) << "0.5 cubed";

    p.object.hasDissolve = 1;
    p.object.dissolve = 0.5f;
    EXPECT_EQ(p.lit(), (Colour{15.9375f, 7.96875f, 15.9375f})) << "half dissolved: half";

    p.object.hasDissolve = 0;
    p.point().viewNormal[2] = -0.5f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f})) << "facing away, single-sided";
    p.surface().doubleSided = 0x100;
    EXPECT_EQ(p.lit(), (Colour{31.875f, 15.9375f, 31.875f})) << "facing away, double-sided";
}

TEST(PointLighting, PointsNotNeededKeepTheirColour) {
    LitPoint p;
    p.camera = fullAmbientCamera();
    p.point().isNeeded = 0;
    p.point().litColor[0] = 7.0f;
    EXPECT_EQ(p.lit(), (Colour{7.0f, 0.0f, 0.0f}));
}
