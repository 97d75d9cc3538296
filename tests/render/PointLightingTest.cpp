// Per-point lighting of one needed point at camera-space (0, 0, 5) with normal
// (0, 0, 1) and surface colour B = (1, 0.5, 0.25); results are litColor, 0..255.
#include <gtest/gtest.h>

#include "player/SceneLight.h"
#include "render/PipelineFixtures.h"

namespace {

using Colour = std::vector<float>;

struct LitPoint {
    SceneObject object;
    SceneCamera camera; // no ambient light
    SceneLight lights[2];
    int32_t lightCount = 0;

    LitPoint() {
        buildObject(object, {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}}, {{0, 1, 2}});
        MeshPoint& p = point();
        p.viewNormal[0] = p.viewNormal[1] = 0.0f;
        p.viewNormal[2] = 1.0f;
        p.isNeeded = 1;
    }
    MeshPoint& point() { return object.mesh.points[0]; }
    SceneLight& addLight(int32_t type, float range = 1.0f) {
        SceneLight& light = lights[lightCount++];
        light.lightType = type;
        light.color[0] = light.color[1] = light.color[2] = 1.0f;
        light.range = range;
        light.rangeSquared = range * range;
        return light;
    }
    Colour lit() {
        object.lightPoints(lights, lightCount, camera);
        return {point().litColor[0], point().litColor[1], point().litColor[2]};
    }
};

} // namespace

TEST(PointLighting, AmbientAndDistantLightsAddUpToTheSurfaceColourAtMost) {
    LitPoint p;
    p.camera.ambientColor[0] = 0.5f, p.camera.ambientColor[1] = p.camera.ambientColor[2] = 1.0f;
    p.camera.ambientIntensity = 0.5f;
    EXPECT_EQ(p.lit(), (Colour{63.75f, 63.75f, 31.875f})) << "ambient: colour × intensity × B";

    SceneLight& sun = p.addLight(0);
    sun.intensity = 0.25f;
    sun.viewDirection[2] = 1.0f; // travelling along the normal
    EXPECT_EQ(p.lit(), (Colour{127.5f, 95.625f, 47.8125f})) << "plus B × L × 0.25 × 1";
    sun.intensity = 4.0f;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 63.75f})) << "clamped to B, not to white";
    sun.viewDirection[2] = -1.0f;
    EXPECT_EQ(p.lit(), (Colour{63.75f, 63.75f, 31.875f})) << "against the normal: nothing";
    p.addLight(2).viewDirection[2] = 1.0f;
    EXPECT_EQ(p.lit(), (Colour{63.75f, 63.75f, 31.875f})) << "spot lights give no light";
}

TEST(PointLighting, PointLightFadesToZeroAtItsRangeAndAddsNothingAtItsOwnPlace) {
    LitPoint p;
    SceneLight& lamp = p.addLight(1, 10.0f); // at the origin, 5 units from the point
    EXPECT_EQ(p.lit(), (Colour{127.5f, 63.75f, 31.875f})) << "half way: half the light";
    p.point().viewPosition[2] = 10.0f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f})) << "at the range: nothing";
    lamp.range = -1.0f; // unlimited reach, no fall-off
    p.point().viewPosition[2] = 100.0f;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 63.75f}));

    lamp.motion.viewPosition.z = 100.0f; // on the point: no direction, no NaN
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
    lamp.range = 10.0f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f}));
}

TEST(PointLighting, LuminousAndAdditivePointsIgnoreTheLights) {
    LitPoint p;
    Surface& surface = p.object.mesh.surfaces[0];
    p.point().luminosity = 255;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 63.75f}));
    p.point().luminosity = 254; // below 255 luminosity does nothing
    surface.additive = 0x200;
    EXPECT_EQ(p.lit(), (Colour{255.0f, 127.5f, 63.75f}));

    surface.smoothing = 4; // × the normal's z cubed: 0.5³
    p.point().viewNormal[2] = 0.5f;
    p.object.hasDissolve = 1;
    p.object.dissolve = 0.5f; // and × (1 - dissolve)
    EXPECT_EQ(p.lit(), (Colour{15.9375f, 7.96875f, 3.984375f}));
    p.point().viewNormal[2] = -0.5f;
    EXPECT_EQ(p.lit(), (Colour{0.0f, 0.0f, 0.0f})) << "facing away, single-sided";
    surface.doubleSided = 0x100;
    EXPECT_EQ(p.lit(), (Colour{15.9375f, 7.96875f, 3.984375f})) << "facing away, double-sided";

    p.point().isNeeded = 0;
    p.point().litColor[0] = 7.0f;
    EXPECT_EQ(p.lit()[0], 7.0f) << "points not needed keep their colour";
}
