// Per-frame counters of the renderer: what was drawn and what was skipped.
//
// One process-wide record, renderCounters, kept here like the other process-wide state
// of the system: Scene::renderFrame sets it to zero at the start of every frame and the
// pipeline steps add to it, so after a frame it describes that frame. Plain integer
// increments, cheap enough to stay on in the player. Pixels written are counted by the
// accelerator device, not here.
#pragma once

#include <cstdint>

struct RenderCounters {
    int32_t objectsDrawn = 0;      // reached drawPolygons
    int32_t objectsCulled = 0;     // every box corner outside one world-space plane
    int32_t objectsHidden = 0;     // morph targets and objects dissolved to exactly 255.0
    int32_t trianglesDrawn = 0;    // grDrawTriangle calls of the object passes (fans included)
    int32_t trianglesClipped = 0;  // object triangles that went through the clipper
    int32_t trianglesRejected = 0; // visible triangles wholly outside one camera-space plane
    int32_t backFaces = 0;         // triangles turned away from the camera
    int32_t flaresDrawn = 0;
    int32_t fireSpritesDrawn = 0;
    int32_t fireSpritesOverBudget = 0; // left out: their emitter had covered its screens

    void reset() { *this = RenderCounters{}; }
};

extern RenderCounters renderCounters;
