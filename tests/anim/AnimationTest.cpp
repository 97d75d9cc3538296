#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "anim/SceneAnimation.h"
#include "player/Scene.h"
#include "render/CameraView.h"

namespace {

// A two-key envelope from `from` at frame 0 to `to` at frame `last`, straight.
void setLinearEnvelope(Envelope& envelope, double from, double to, int32_t last) {
    envelope.keys = std::make_unique<MotionKey[]>(2);
    envelope.keyCount = 2;
    envelope.keys[0].values[0] = from;
    envelope.keys[1].values[0] = to;
    envelope.keys[1].frame = last;
    envelope.keys[1].linear = 1;
}

// A two-key motion moving along x from 0 to `distance` over `last` frames, with every
// other channel constant at `rest` (rotation) and 1 (scale).
void setMovingMotion(Motion& motion, float distance, int32_t last, float rest = 0.0f) {
    motion.keys = std::make_unique<MotionKey[]>(2);
    motion.keyCount = 2;
    for (int k = 0; k < 2; ++k) {
        MotionKey& key = motion.keys[k];
        key.values[0] = k == 0 ? 0.0 : distance;
        key.values[3] = key.values[4] = key.values[5] = rest;
        key.values[6] = key.values[7] = key.values[8] = 1.0;
        key.frame = k * last;
        key.linear = 1;
    }
    motion.positionIsConstant = 0;
}

} // namespace

TEST(MotionUpdate, OnlyMovingMotionsAreEvaluatedAndRewriteAllNineFields) {
    Motion m;
    m.position = Vector3{1.0f, 2.0f, 3.0f};
    m.heading = 45.0f;
    m.update(10.0); // constant: left as read
    EXPECT_EQ(m.position.x, 1.0f);
    EXPECT_EQ(m.heading, 45.0f);
    setMovingMotion(m, 10.0f, 20, 30.0f);
    m.update(5.0);
    EXPECT_EQ(m.position.x, 2.5f);
    EXPECT_EQ(m.heading, 30.0f);
    EXPECT_EQ(m.bank, 30.0f);
    EXPECT_EQ(m.scale.y, 1.0f);
}

TEST(LightAnimation, EnvelopesAreEvaluatedOnlyWhereTheyAreNotConstant) {
    SceneLight light;
    light.range = 3.0f;
    light.rangeSquared = 9.0f;
    light.intensity = 0.5f;
    light.flareIntensity = 0.25f;
    setLinearEnvelope(light.intensityEnvelope, 0.0, 1.0, 10); // present but constant
    light.updateEnvelopes(5.0);
    EXPECT_EQ(light.range, 3.0f);
    EXPECT_EQ(light.rangeSquared, 9.0f);
    EXPECT_EQ(light.intensity, 0.5f);

    setLinearEnvelope(light.rangeEnvelope, 0.0, 8.0, 10);
    light.rangeIsConstant = 0;
    light.intensityIsConstant = 0;
    setLinearEnvelope(light.flareEnvelope, 2.0, 2.0, 10);
    light.flareIsConstant = 0;
    light.updateEnvelopes(5.0);
    EXPECT_EQ(light.range, 4.0f);
    EXPECT_EQ(light.rangeSquared, 16.0f);
    EXPECT_EQ(light.intensity, 0.5f);
    EXPECT_EQ(light.flareIntensity, 2.0f);
}

TEST(LightAnimation, LightsAreCarriedIntoCameraSpace) {
    Matrix4 identity;
    identity.identity();
    SceneLight distant;
    distant.motion.position = Vector3{0.0f, 0.0f, 10.0f};
    distant.transformToView(identity, Vector3{0.0f, 0.0f, 4.0f});
    EXPECT_EQ(distant.motion.viewPosition.z, 6.0f);
    EXPECT_EQ(std::vector<float>(distant.viewDirection, distant.viewDirection + 4),
              (std::vector<float>{0, 0, 1, 1}));

    distant.motion.pitch = 90.0f;
    distant.transformToView(identity, Vector3{});
    EXPECT_NEAR(distant.viewDirection[0], 0.0f, 1e-6f);
    EXPECT_NEAR(distant.viewDirection[1], -1.0f, 1e-6f);
    EXPECT_NEAR(distant.viewDirection[2], 0.0f, 1e-5f);
    EXPECT_EQ(distant.viewDirection[3], 1.0f);

    // A camera headed 90 degrees looks along world +x: a light there lies ahead.
    Matrix4 view;
    makeViewFromAngles(view, 0.0f, 90.0f, 0.0f);
    SceneLight point;
    point.lightType = 1;
    point.viewDirection[0] = 7.0f;
    point.motion.position = Vector3{2.0f, 0.0f, 0.0f};
    point.transformToView(view, Vector3{});
    EXPECT_NEAR(point.motion.viewPosition.z, 2.0f, 1e-5f);
    EXPECT_EQ(point.viewDirection[0], 7.0f); // only distant lights get a direction
}

TEST(ObjectAnimation, MorphAndDissolveFollowTheirEnvelopesOnlyWhenSet) {
    SceneObject object;
    setLinearEnvelope(object.morphEnvelope, 0.0, 2.0, 10);
    setLinearEnvelope(object.dissolveEnvelope, 0.0, 1.0, 10);
    object.updateEnvelopes(5.0); // neither "Metamorph" nor "ObjDissolve" was given
    EXPECT_EQ(object.morphAmount, 0.0f);
    EXPECT_EQ(object.dissolve, 0.0f);
    object.hasMorph = 1;
    object.hasDissolve = 1;
    object.updateEnvelopes(5.0);
    EXPECT_EQ(object.morphAmount, 1.0f);
    EXPECT_EQ(object.dissolve, 0.5f);
    object.morphIsConstant = 1;
    object.dissolveIsConstant = 1;
    object.updateEnvelopes(10.0);
    EXPECT_EQ(object.morphAmount, 1.0f);
    EXPECT_EQ(object.dissolve, 0.5f);
}

class AnimateSceneTest : public ::testing::Test {
protected:
    std::unique_ptr<Scene> scene_ = std::make_unique<Scene>();
    SceneView view_;
};

TEST_F(AnimateSceneTest, EveryAnimatedValueReachesTheFrame) {
    Scene& s = *scene_;
    s.camera.ambientIsConstant = 0;
    setLinearEnvelope(s.camera.ambientEnvelope, 0.0, 1.0, 10);
    s.lightCount = 1;
    setMovingMotion(s.lights[0].motion, 10.0f, 10);
    s.fireCount = 1;
    setMovingMotion(s.fires[0].motion, 20.0f, 10);
    s.objectCount = 2;
    setMovingMotion(s.objects[0].motion, 30.0f, 10);
    setMovingMotion(s.objects[1].motion, 40.0f, 10);
    s.objects[1].isMorphTarget = 1; // never evaluated
    setMovingMotion(s.camera.motion, -10.0f, 10);

    animateScene(s, 5.0f, view_);
    EXPECT_EQ(s.camera.ambientIntensity, 0.5f);
    EXPECT_EQ(s.lights[0].motion.position.x, 5.0f);
    EXPECT_EQ(s.fires[0].motion.position.x, 10.0f);
    EXPECT_EQ(s.objects[0].motion.position.x, 15.0f);
    EXPECT_EQ(s.objects[1].motion.position.x, 0.0f);
    EXPECT_EQ(s.objects[1].motion.scale.x, 0.0f);
    EXPECT_EQ(view_.cameraPosition.x, -5.0f);
    // The light is placed relative to this frame's camera.
    EXPECT_EQ(s.lights[0].motion.viewPosition.x, 10.0f);
    EXPECT_EQ(view_.worldPlanes.count, 5);
    EXPECT_EQ(view_.cameraPlanes.count, 5);
}

TEST_F(AnimateSceneTest, ATargetedCameraAimsAtTheTargetsPositionOfThisFrame) {
    Scene& s = *scene_;
    s.objectCount = 1;
    setMovingMotion(s.objects[0].motion, 10.0f, 10);
    s.objects[0].motion.position = Vector3{-100.0f, 0.0f, 0.0f}; // last frame's place
    s.camera.motion.position = Vector3{5.0f, 0.0f, -5.0f};
    s.camera.hasTargetObject = 1;
    s.camera.targetObject = 0;
    animateScene(s, 5.0f, view_);
    // The target (5, 0, 0) lies straight ahead, 5 units along camera +z.
    const float* m = view_.viewRotation.m;
    const float d[3] = {0.0f, 0.0f, 5.0f}; // target - camera
    EXPECT_NEAR(d[0] * m[0] + d[1] * m[4] + d[2] * m[8], 0.0f, 1e-6f);
    EXPECT_NEAR(d[0] * m[1] + d[1] * m[5] + d[2] * m[9], 0.0f, 1e-6f);
    EXPECT_NEAR(d[0] * m[2] + d[1] * m[6] + d[2] * m[10], 5.0f, 1e-6f);
}

TEST_F(AnimateSceneTest, TargetsOutsideTheSlotsFallBackToTheCamerasRotation) {
    Scene& s = *scene_;
    s.camera.motion.heading = 90.0f;
    Matrix4 expected;
    makeViewFromAngles(expected, 0.0f, 90.0f, 0.0f);
    for (const int32_t target : {-1, 60, 1000000}) {
        s.camera.hasTargetObject = 1;
        s.camera.targetObject = target;
        animateScene(s, 0.0f, view_);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(view_.viewRotation.m[i], expected.m[i]) << target;
        }
    }
}
