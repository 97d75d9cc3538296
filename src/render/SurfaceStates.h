// Render states per surface for the two object passes of SceneObject::drawPolygons.
//
// Call order: drawPolygons calls setMainPassSurfaceState when the main pass reaches a
// polygon whose surface differs from the previous drawn polygon's, and
// setReflectionPassSurfaceState likewise in the reflection pass; each sets the complete
// combine, blend, depth-mask and texture state that surface needs. Nothing is restored.
//
// Alpha values here are transparencies 0..255 (255 fully transparent): the blends
// weight the new pixel by 1 - a/255 and the frame buffer by a/255.
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"

struct Surface;
struct TextureTable;

struct MainPassSurface {
    float alpha = 0.0f;            // vertex alpha of this surface's triangles (0 when opaque)
    int32_t reflectionMapping = 0; // 1: the reflection image replaces the surface, mapped
                                   //    by the camera-space normal (u, v = 128 n + 128)
};

// The main pass: opaque or blended by transparency and dissolve, the colour texture or
// (reflectivity 0.95 or more, no colour texture) the reflection image, additive
// surfaces without depth writes.
MainPassSurface setMainPassSurfaceState(const Surface& surface, int32_t hasDissolve, float dissolve,
                                        TextureTable& textures);

// Whether the reflection pass draws this surface: reflective, and either textured or
// less than 0.95 reflective (otherwise the main pass already showed the reflection).
bool drawsReflectionPass(const Surface& surface);

// The reflection pass: the reflection image over the surface at the weight
// `reflectivity`. Returns the vertex alpha, 255 - 255 × reflectivity.
float setReflectionPassSurfaceState(const Surface& surface, TextureTable& textures);

// grConstantColorValue argument with the transparency a in the top byte and colour 0:
// a truncated to an integer; values outside 0..255 (or not a number) are held to that
// range rather than wrapped into another byte.
GrColor_t alphaInTopByte(float alpha);
