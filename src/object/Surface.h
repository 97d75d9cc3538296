// Surface: one material of an object, read from the object file's SURF chunks.
//
// One record per SRFS name, zero-filled when the mesh is read; a SURF chunk with that
// name fills it. Colours are fractions of 256 (a byte of 255 gives 255/256); the
// 16-bit transparency and reflectivity values are likewise divided by 256.
#pragma once

#include <cstdint>

struct Surface {
    int32_t smoothing = 0;      // FLAG & 4: 4 when the smoothing bit is set (kept unshifted)
    int32_t luminosity = 0;     // FLAG & 1, or the LUMI value (256 = 100 %), whichever came last
    int32_t additive = 0;       // FLAG bit 0x200
    int32_t reflective = 0;     // 1 once a REFL sub-chunk was read
    int32_t textureMapping = 0; // 0 none, 1 planar, 2 cylindrical, 3 spherical
    int32_t transparent = 0;    // 1 once a TRAN sub-chunk was read
    int32_t doubleSided = 0;    // FLAG bit 0x100
    float color[3] = {};        // r, g, b; byte × 1/256
    int32_t colorTexture = 0;   // index in the scene's TextureTable
    int32_t reflectionTexture = 0;
    uint8_t textureAxis = 0;        // projection axis: 1 X, 2 Y, 3 Z
    float textureWrapWidth = 0.0f;  // times the image wraps around a cylinder
    float reflectivity = 0.0f;      // 0 .. about 1
    float textureWrapHeight = 0.0f; // shown in the trace only
    float transparency = 0.0f;      // 0 .. about 1
    float textureSize[3] = {};      // projection size along x, y, z (object units)
    float textureCenter[3] = {};    // projection centre (object units)
};
