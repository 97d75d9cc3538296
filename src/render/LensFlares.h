// Lens flares: the last drawing step of a frame.
//
// For each light with a lens flare, a square textured with the scene's flare image is
// added over the picture, centred on the light as the camera sees it. Its
// half-diagonal is the light's flareIntensity in camera-space units (so it shrinks
// with distance like any object), its colour the light's colour × 256, and it turns
// about its centre with the light's horizontal camera-space position. Flares are
// depth-tested but write no depth.
//
// Call after the lights' viewPosition has been set for the frame (transformToView)
// and after the fire emitters. Sets its render states once, selects the flare texture
// (also when no light has a flare), and ends with the depth mask on. A light draws no
// flare when it has none, when its flareIntensity is below 0.001 (or not a number), or
// when it lies at camera depth 1.0 or nearer (behind the camera included).
//
// zoomFactor: the usable zoom of the frame; screen size in pixels, origin lower left.
#pragma once

#include <cstdint>

struct SceneLight;
struct TextureTable;

void drawLensFlares(const SceneLight* lights, int32_t lightCount, int32_t flareTexture,
                    TextureTable& textures, float zoomFactor, float screenWidth,
                    float screenHeight);
