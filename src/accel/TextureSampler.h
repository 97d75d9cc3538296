// Texture sampling: from perspective-divided texture coordinates to one filtered texel.
//
// Spaces. s and t are texels of a 256-texel texture: the long side of every texture
// spans 0..256, the short side 256 * short / long. On level `lod` (long side 256 >> lod)
// the texel coordinate is u = s * 2^-lod, on both axes. Coordinates are taken to 8
// fractional bits, U = floor(u * 256), in wrapping int32 arithmetic; wrap then masks the
// texel index and clamp limits it, so any coordinate value (NaN, huge) lands on a texel.
//
// Point sampling takes texel floor(u). Bilinear takes the 2x2 texels around u - 0.5 and
// weights them by the 8-bit fraction f: per channel lerp(a, b, f) =
// (a * (256 - f) + b * f + 128) >> 8, first along s (both rows), then along t.
//
// Level of detail (per pixel). With w = 1 / oow, the screen-space derivatives of s are
// ds/dx = w * (dsow/dx - s * doow/dx), likewise t and y; the footprint is
// rho^2 = max(|d(s,t)/dx|^2, |d(s,t)/dy|^2) in texels of the 256-texel space, and the
// nearest level is round(log2 rho) = floor((floor(log2 rho^2) + 1) / 2), taken from the
// float's exponent and clamped to the texture's levels. (For a texture whose largest
// level is 256 >> L this is L + the log2 footprint in texels of that largest level.) The
// pixel is magnified when rho is below one texel of the largest level; that picks the
// magnification filter, else the minification filter.
#pragma once

#include <cstdint>

#include "accel/PixelMath.h"
#include "accel/TextureCache.h"

// 2^(8 - lod): u * 256 = s * kLodCoordinateScale[lod].
inline constexpr float kLodCoordinateScale[9] = {256.0f, 128.0f, 64.0f, 32.0f, 16.0f,
                                                 8.0f,   4.0f,   2.0f,  1.0f};

// Per-channel lerp of two 0xAARRGGBB texels by f / 256 (0 <= f <= 255).
inline uint32_t lerpTexel(uint32_t a, uint32_t b, uint32_t f) {
    const uint32_t g = 256 - f;
    const uint32_t rb = ((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f + 0x00800080u) >> 8;
    const uint32_t ag = ((a >> 8 & 0x00FF00FFu) * g + (b >> 8 & 0x00FF00FFu) * f + 0x00800080u);
    return (rb & 0x00FF00FFu) | (ag & 0xFF00FF00u);
}

// The two texel indices along one axis for an integer texel position i (i and i + 1),
// wrapped or clamped to 0..size-1.
inline void texelPair(int32_t i, int32_t size, bool clamp, int32_t& i0, int32_t& i1) {
    if (!clamp) {
        i0 = i & (size - 1);
        i1 = (i0 + 1) & (size - 1);
        return;
    }
    i0 = i < 0 ? 0 : (i > size - 1 ? size - 1 : i);
    i1 = i < -1 ? 0 : (i >= size - 1 ? size - 1 : i + 1);
}

inline int32_t texelIndex(int32_t i, int32_t size, bool clamp) {
    if (!clamp) {
        return i & (size - 1);
    }
    return i < 0 ? 0 : (i > size - 1 ? size - 1 : i);
}

// U or V: the coordinate on level `lod` in 1/256 texels; bilinear centres on texels.
inline int32_t texelCoordinate(float st, GrLOD_t lod, bool bilinear) {
    const uint32_t u = static_cast<uint32_t>(floorToInt(st * kLodCoordinateScale[lod]));
    return static_cast<int32_t>(bilinear ? u - 128u : u);
}

inline uint32_t samplePoint(const DecodedLevel& level, int32_t u, int32_t v, bool clampS,
                            bool clampT) {
    const int32_t x = texelIndex(u >> 8, level.width, clampS);
    const int32_t y = texelIndex(v >> 8, level.height, clampT);
    return level.texels[y * level.stride + x];
}

inline uint32_t sampleBilinear(const DecodedLevel& level, int32_t u, int32_t v, bool clampS,
                               bool clampT) {
    int32_t x0, x1, y0, y1;
    texelPair(u >> 8, level.width, clampS, x0, x1);
    texelPair(v >> 8, level.height, clampT, y0, y1);
    const uint32_t* row0 = level.texels + y0 * level.stride;
    const uint32_t* row1 = level.texels + y1 * level.stride;
    const uint32_t fu = static_cast<uint32_t>(u) & 255;
    const uint32_t fv = static_cast<uint32_t>(v) & 255;
    return lerpTexel(lerpTexel(row0[x0], row0[x1], fu), lerpTexel(row1[x0], row1[x1], fu), fv);
}

// floor(log2 rho^2) of the footprint at one pixel (see the banner).
inline int32_t footprintExponent(float w, float s, float t, float dsowdx, float dtowdx,
                                 float doowdx, float dsowdy, float dtowdy, float doowdy) {
    const float dsdx = w * (dsowdx - s * doowdx);
    const float dtdx = w * (dtowdx - t * doowdx);
    const float dsdy = w * (dsowdy - s * doowdy);
    const float dtdy = w * (dtowdy - t * doowdy);
    const float x = dsdx * dsdx + dtdx * dtdx;
    const float y = dsdy * dsdy + dtdy * dtdy;
    return floorLog2(x > y ? x : y);
}

inline GrLOD_t nearestLod(int32_t exponent, GrLOD_t largeLod, GrLOD_t smallLod) {
    const int32_t k = (exponent + 1) >> 1; // arithmetic shift: floor for negatives
    return k < largeLod ? largeLod : (k > smallLod ? smallLod : k);
}

inline bool isMagnified(int32_t exponent, GrLOD_t largeLod) {
    return exponent < 2 * largeLod;
}
