// One object's share of a frame: placement, whole-object culling, transform to camera
// space, back faces, lighting, clip codes, projection and drawing.
//
// Scene::renderFrame calls renderSceneObject for every object slot in slot order once
// the scene has been animated to the frame and the view is set up. Morph targets and
// objects dissolved to exactly 255.0 are skipped here (they are not drawn and their
// matrices are left alone); an object whose box lies outside the world-space frustum is
// left with its object-to-world transform and last frame's per-point values.
//
// Spaces: object space (mesh), world space (motion position), camera space (view).
// Screen size in pixels; the projection produces unit coordinates that drawPolygons
// scales by it.
#pragma once

#include <cstdint>

#include "anim/SceneAnimation.h"

struct SceneCamera;
struct SceneLight;
struct SceneObject;
struct TextureTable;

// What every object of a frame is drawn with: the frame's view (rotation, camera
// position, both frusta, usable zoom) and the screen size.
struct RenderView {
    SceneView scene;
    float screenWidth = 0.0f; // pixels
    float screenHeight = 0.0f;
};

void renderSceneObject(SceneObject& object, const RenderView& view, const SceneLight* lights,
                       int32_t lightCount, const SceneCamera& camera, TextureTable& textures);

// The first step of renderSceneObject alone: transform = the object's own placement
// (scale, then bank, pitch and heading, then its position: object -> world space) and
// normalTransform = its rotations, from its motion's current values.
void placeObjectInWorld(SceneObject& object);
