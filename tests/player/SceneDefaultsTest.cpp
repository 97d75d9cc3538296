#include <gtest/gtest.h>

#include <memory>

#include "player/Scene.h"

namespace {

void expectFreshMotion(const Motion& m) {
    EXPECT_EQ(m.positionIsConstant, 1);
    EXPECT_EQ(m.rotationIsConstant, 1);
    EXPECT_EQ(m.scaleIsConstant, 1);
    EXPECT_EQ(m.scale.x, 0.0f);
    EXPECT_EQ(m.scale.y, 0.0f);
    EXPECT_EQ(m.scale.z, 0.0f);
    EXPECT_EQ(m.position.x, 0.0f);
    EXPECT_EQ(m.keys, nullptr);
    EXPECT_EQ(m.keyCount, 0);
}

} // namespace

TEST(SceneDefaults, FreshSceneIsEmptyWithUntargetedCamera) {
    const auto scene = std::make_unique<Scene>();
    EXPECT_EQ(scene->objectCount, 0);
    EXPECT_EQ(scene->lightCount, 0);
    EXPECT_EQ(scene->fireCount, 0);
    EXPECT_EQ(scene->lastFrame, 0);
    EXPECT_EQ(scene->framesPerSecond, 0.0f);
    EXPECT_EQ(scene->camera.targetObject, -1);
    EXPECT_EQ(scene->camera.hasTargetObject, 0);
    EXPECT_EQ(scene->camera.ambientIsConstant, 1);
    EXPECT_EQ(scene->camera.zoomFactor, 0.0f);
    expectFreshMotion(scene->camera.motion);
    EXPECT_EQ(scene->textures.count, 0);
    EXPECT_EQ(scene->textures.nccToggle, 0);
    EXPECT_EQ(scene->textures.slots[199].isDownloaded, 0);
    EXPECT_EQ(scene->textures.slots[199].startAddress, 0u);
}

TEST(SceneDefaults, EverySlotTakesItsDefaults) {
    const auto scene = std::make_unique<Scene>();
    for (const SceneObject& object : scene->objects) {
        expectFreshMotion(object.motion);
        EXPECT_EQ(object.mesh.pointCount, 0);
        EXPECT_EQ(object.mesh.points, nullptr);
        EXPECT_EQ(object.hasMorph, 0);
        EXPECT_EQ(object.isMorphTarget, 0);
        EXPECT_EQ(object.dissolve, 0.0f);
    }
    for (const SceneLight& light : scene->lights) {
        expectFreshMotion(light.motion);
    }
    for (const FireEmitter& fire : scene->fires) {
        expectFreshMotion(fire.motion);
    }
}

TEST(SceneDefaults, FreshLightIsAFullIntensityDistantLightOfUnitRange) {
    const SceneLight light;
    EXPECT_EQ(light.range, 1.0f);
    EXPECT_EQ(light.rangeSquared, light.range * light.range);
    EXPECT_EQ(light.intensity, 1.0f);
    EXPECT_EQ(light.lightType, 0);
    EXPECT_EQ(light.lensFlare, 0);
    EXPECT_EQ(light.intensityIsConstant, 1);
    EXPECT_EQ(light.rangeIsConstant, 1);
    EXPECT_EQ(light.flareIsConstant, 1);
    EXPECT_EQ(light.flareIntensity, 0.0f);
}

TEST(SceneDefaults, FreshFireEmitterHasFortyWhiteParticles) {
    const FireEmitter fire;
    EXPECT_EQ(fire.particleCount, 40);
    EXPECT_EQ(fire.fadeTime, 20);
    EXPECT_EQ(fire.width, 1.0f);
    EXPECT_EQ(fire.height, 1.0f);
    EXPECT_EQ(fire.fireMode, 0);
    EXPECT_EQ(fire.particles, nullptr);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(fire.color[c], 255.0f);
        EXPECT_EQ(fire.colorFade[c], 1.0f);
    }
}
