// FireEmitter: a particle fire declared in a scene file ("AddFire" and the Fire*
// keywords). Mode 0 rises from the emitter; mode 1 falls and slides outwards on the
// ground plane y = 0. Frames are scene frames; colours 0..255.
//
// Call order: the scene reader evaluates the emitter's motion at frame 0 and calls
// initParticles(); each frame the renderer updates the motion and then calls
// updateAndDraw() after all objects are drawn.
#pragma once

#include <cstdint>
#include <memory>

#include "anim/Motion.h"
#include "fx/FireParticle.h"

struct Matrix4;
struct SceneCamera;
struct TextureTable;

struct FireEmitter {
    Motion motion;                             // "FireMotion": the emitter's world position
    int32_t fireMode = 0;                      // 0 rising flames, 1 falling particles
    float width = 1.0f;                        // spawn spread and start size
    float height = 1.0f;                       // distance a particle travels in one life
    float lastUpdateFrame = 0.0f;              // frame of the previous update
    float startFrame = 0.0f;                   // particles are drawn only at frames after it
    float endFrame = 0.0f;                     // from this frame on, expiring particles die
    float baseDirection[3] = {};               // (0, 1, 0) in mode 0, (0, -1, 0) in mode 1
    std::unique_ptr<FireParticle[]> particles; // particleCount of them
    int32_t particleCount = 40;
    int32_t texture = 0;   // index in the scene's TextureTable
    int32_t fadeTime = 20; // shortest life, frames
    float color[3] = {255.0f, 255.0f, 255.0f};
    float colorFade[3] = {1.0f, 1.0f, 1.0f}; // 1 fades a channel to 0.1 over a life, 0 keeps it

    void initParticles();
    void updateAndDraw(const Matrix4& viewRotation, const SceneCamera& camera,
                       TextureTable& textures, float frame);
};
