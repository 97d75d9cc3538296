// FuzzContent: small, valid content for the fuzz drivers and their seed corpora.
//
// The scene and frame drivers fuzz a scene file while the objects and textures it may
// name stay fixed and valid; writeSceneContent() puts them into the working directory:
//
//   objects/cube.lwo      a unit cube of six surfaces: planar, cylindrical and spherical
//                         colour textures, a bump texture, transparency, reflection with
//                         an image, additive, double-sided, luminous
//   objects/tri.lwo       one triangle of one plain surface
//   objects/wave0.lwo     a strip of 8 points and 6 triangles; wave1 and wave2 are the
//   objects/wave1.lwo     same strip bent two other ways (same point count and order),
//   objects/wave2.lwo     so that any chain of them morphs
//   objects/tri.txc       texture coordinates for tri.lwo (the .txc beside it)
//   textures/wood.3df     rgb565 8x8 with mip-maps
//   textures/sky.3df      yiq 16x8 with mip-maps (NCC table)
//   textures/glass.3df    ap88 4x4 (palette, alpha)
//   textures/flare.3df    i8 16x16, the lens flare every scene loads
//   textures/fire.3df     argb4444 8x8, for "FireTexture fire"
//
// The object driver also finds the textures. Scenes for seeds are built here too, so
// that the seed corpus and the tests name the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "accel/Accelerator.h"

// A 3DF texture of a patterned image (with a decodable NCC table or palette where the
// format has one) at a host path, creating its directory; false when it cannot be
// written.
bool writePatternedTexture(const char* path, GrTextureFormat_t format, GrLOD_t large, GrLOD_t small,
                           GrAspectRatio_t aspect);

std::string cubeObject();
std::string triangleObject();
std::string waveObject(int32_t shape); // 0, 1 or 2
// Texture coordinates for `triangles` triangles (six little-endian floats each).
std::string textureCoordinates(int32_t triangles);

// Writes the objects and textures above. 1 when all were written.
int32_t writeSceneContent();

// Complete scenes over that content, each exercising a group of keywords.
std::vector<std::string> exampleScenes();
// Scene files of versions 2 to 5 over that content: every key shape and behaviour,
// parents, pivots, targets, envelopes, plug-in and unknown blocks.
std::vector<std::string> exampleLaterScenes();
