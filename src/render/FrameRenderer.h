// The frame renderer: Scene::renderFrame (declared on the Scene record) and its drawing
// half, drawAnimatedScene.
//
// One frame, in this order:
//   1-8  animateScene (anim/SceneAnimation.h): ambient light, lights, fire emitters,
//        objects with their envelopes and morphs, camera, view rotation, both frusta,
//        lights carried into camera space;
//   9    every object slot in slot order: placed, culled against the world-space
//        frustum, carried into camera space, back faces found, lit, clip-coded,
//        projected and drawn (render/ObjectRendering.h); morph targets and objects
//        dissolved to exactly 255.0 are skipped;
//   10   every fire emitter, updated to the frame and drawn (FireEmitter::updateAndDraw);
//   11   the lens flares (render/LensFlares.h).
// Objects are not sorted by depth: they are drawn in slot order, then the fires, then
// the flares. renderCounters (render/RenderCounters.h) describes the last frame.
//
// The screen size comes from demoSettings; the zoom is the view's usable zoom (a
// missing or zero "ZoomFactor" draws with the default lens rather than dividing by it).
// After a frame the depth mask is on, the origin lower left, culling off and the flare
// texture current.
#pragma once

struct Scene;
struct SceneView;

// Steps 9 to 11 for a scene already brought to `frame` by animateScene.
void drawAnimatedScene(Scene& scene, const SceneView& view, float frame);
