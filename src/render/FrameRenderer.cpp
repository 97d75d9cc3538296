#include "render/FrameRenderer.h"

#include "anim/SceneAnimation.h"
#include "app/ProcessState.h"
#include "player/Scene.h"
#include "render/LensFlares.h"
#include "render/ObjectRendering.h"
#include "render/RenderCounters.h"

namespace {

// A slot count as far as the slot array reaches.
int32_t usedSlots(int32_t count, int32_t capacity) {
    return count < 0 ? 0 : (count > capacity ? capacity : count);
}

} // namespace

void drawAnimatedScene(Scene& scene, const SceneView& view, float frame) {
    RenderView objectView;
    objectView.scene = view;
    objectView.screenWidth = static_cast<float>(demoSettings.screenWidth);
    objectView.screenHeight = static_cast<float>(demoSettings.screenHeight);

    const int32_t lightCount = usedSlots(scene.lightCount, kSceneLightCapacity);
    const int32_t objectCount = usedSlots(scene.objectCount, kSceneObjectCapacity);
    for (int32_t i = 0; i < objectCount; ++i) {
        renderSceneObject(scene.objects[i], objectView, scene.lights, lightCount, scene.camera,
                          scene.textures);
    }
    const int32_t fireCount = usedSlots(scene.fireCount, kSceneFireCapacity);
    for (int32_t i = 0; i < fireCount; ++i) {
        FireEmitter& fire = scene.fires[i];
        fire.updateAndDraw(view.viewRotation, scene.camera, scene.textures, frame);
        renderCounters.fireSpritesDrawn += fire.spritesDrawn;
        renderCounters.fireSpritesOverBudget += fire.spritesOverBudget;
    }
    drawLensFlares(scene.lights, lightCount, scene.flareTexture, scene.textures, view.zoomFactor,
                   objectView.screenWidth, objectView.screenHeight);
}

void Scene::renderFrame(float frame) {
    renderCounters.reset();
    SceneView view;
    animateScene(*this, frame, view);
    drawAnimatedScene(*this, view, frame);
}
