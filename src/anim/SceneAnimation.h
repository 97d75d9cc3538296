// The per-frame update of a whole scene, without drawing: every animated value brought
// to the frame, then the camera's view and frustums, then the lights in camera space.
//
// The frame renderer calls animateScene() first thing in each frame and draws from the
// values it leaves; tools and tests call it to see a scene at a frame. Order:
//   1. ambient intensity (when enveloped);
//   2. each light: Motion::update, SceneLight::updateEnvelopes;
//   3. each fire emitter: Motion::update (its particles move when they are drawn);
//   4. each object that is not a morph target: Motion::update,
//      SceneObject::updateEnvelopes, and SceneObject::applyMorph when it morphs;
//   5. the camera: Motion::update;
//   6. the view rotation: aimed at the target object's position when the camera has
//      one, else from the camera's pitch, heading and bank;
//   7. the camera position and the world- and camera-space frustum planes;
//   8. each light: SceneLight::transformToView.
// `frame` counts frames from the scene's start (fractional); the evaluations take it
// widened to double.
//
// What it does not do: build object matrices, cull, light, project or draw anything,
// or move fire particles.
//
// A camera target outside the 60 object slots (a "TargetObject" of 0, or beyond 60)
// cannot be aimed at; such a camera uses its own rotation. Targets within the slots but
// past objectCount aim at that empty slot's position, the origin.
#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"
#include "render/FrustumPlanes.h"

struct Scene;

struct SceneView {
    Matrix4 viewRotation;       // world directions -> camera space; translation row 0 0 0 1
    Vector3 cameraPosition;     // world space
    FrustumPlanes worldPlanes;  // for whole-object culling
    FrustumPlanes cameraPlanes; // for per-point clip codes and clipping
    float zoomFactor = 0.0f;    // the zoom in use: the camera's, or the default for none
};

void animateScene(Scene& scene, float frame, SceneView& view);
