// Matrix4: the 4x4 single-precision matrix every placement and camera step is built from.
//
// Conventions
//   - Row vectors multiplied on the left: p' = p × M. Element (r, c) is m[4r + c]; the
//     translation lives in the last row (m[12], m[13], m[14]) and m[15] is the
//     homogeneous 1.
//   - Every elementary operation post-multiplies: it replaces m by m × F. A sequence of
//     calls therefore applies to a row vector in the order the calls were made:
//         m.identity(); m.scale(s); m.rotateZ(bank); m.rotateX(pitch);
//         m.rotateY(heading); m.translate(p);   // scale, bank, pitch, heading, move
//   - Angles are degrees, converted with the truncated constant kDegreesToRadians
//     (0.01745328, slightly below pi/180). Content was authored against that constant,
//     so a 90-degree rotation leaves a cosine of about 1.2e-6 rather than 0.
//   - rotateX turns +y towards +z, rotateY turns +z towards +x, rotateZ turns +x
//     towards +y.
//
// Every result is stored in single precision. The operations build their factor in
// local storage and then combine it, so the target may also be an operand.
#pragma once

#include <cstdint>

#include "math/Vector3.h"

struct MeshPoint;

inline constexpr float kDegreesToRadians = 0.01745328f;
// A quarter and a half turn in radians, to the ten decimals the player's angles were
// computed with (a few units off in the last place: pictures depend on them).
inline constexpr double kQuarterTurn = 1.57079631795;
inline constexpr double kHalfTurn = 3.1415926359;

struct Matrix4 {
    float m[16] = {};

    void identity();
    void scale(float x, float y, float z);
    void rotateX(float degrees);
    void rotateY(float degrees);
    void rotateZ(float degrees);
    void translate(float x, float y, float z);
    void multiply(const Matrix4& other); // m = m × other
    void copyTo(Matrix4& destination) const;

    // viewPosition = position × m, all four components, for points[0 .. count).
    void transformPoints(MeshPoint* points, int32_t count) const;
    // viewNormal = normal × (upper-left 3×3 of m): no translation, no normalising.
    void transformNormals(MeshPoint* points, int32_t count) const;
    // destination[i] = source[i] × m, four components. The arrays must not overlap.
    void transformVectors(const float (*source)[4], float (*destination)[4], int32_t count) const;
};
