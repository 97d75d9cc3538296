#include "anim/SceneAnimation.h"

#include "anim/Envelope.h"
#include "player/Scene.h"
#include "render/CameraView.h"

namespace {

// A slot count as far as the slot array reaches.
int32_t usedSlots(int32_t count, int32_t capacity) {
    return count < 0 ? 0 : (count > capacity ? capacity : count);
}

} // namespace

void animateScene(Scene& scene, float frame, SceneView& view) {
    const double time = frame;
    SceneCamera& camera = scene.camera;
    view.zoomFactor = usableZoomFactor(camera.zoomFactor);

    if (camera.ambientIsConstant == 0) {
        double value = 0.0;
        evaluateEnvelope(camera.ambientEnvelope, time, 1, &value);
        camera.ambientIntensity = static_cast<float>(value);
    }
    const int32_t lightCount = usedSlots(scene.lightCount, kSceneLightCapacity);
    for (int32_t i = 0; i < lightCount; ++i) {
        scene.lights[i].motion.update(time);
        scene.lights[i].updateEnvelopes(time);
    }
    const int32_t fireCount = usedSlots(scene.fireCount, kSceneFireCapacity);
    for (int32_t i = 0; i < fireCount; ++i) {
        scene.fires[i].motion.update(time);
    }
    const int32_t objectCount = usedSlots(scene.objectCount, kSceneObjectCapacity);
    for (int32_t i = 0; i < objectCount; ++i) {
        SceneObject& object = scene.objects[i];
        if (object.isMorphTarget != 0) {
            continue; // targets keep what the reader left in them
        }
        object.motion.update(time);
        object.updateEnvelopes(time);
        if (object.hasMorph == 1) {
            object.applyMorph();
        }
    }
    camera.motion.update(time);

    const Motion& eye = camera.motion;
    const int32_t target = camera.targetObject;
    if (camera.hasTargetObject != 0 && target >= 0 && target < kSceneObjectCapacity) {
        makeLookAtView(view.viewRotation, eye.position, scene.objects[target].motion.position,
                       Vector3{0.0f, 1.0f, 0.0f});
    } else {
        makeViewFromAngles(view.viewRotation, eye.pitch, eye.heading, eye.bank);
    }
    view.cameraPosition = eye.position;
    view.worldPlanes.build(view.viewRotation, camera, view.cameraPosition, 1);
    view.cameraPlanes.build(view.viewRotation, camera, view.cameraPosition, 0);

    for (int32_t i = 0; i < lightCount; ++i) {
        scene.lights[i].transformToView(view.viewRotation, view.cameraPosition);
    }
}
