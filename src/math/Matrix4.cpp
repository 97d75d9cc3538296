#include "math/Matrix4.h"

#include <cmath>

#include "object/Mesh.h"

namespace {

// Sine and cosine of an angle in degrees, converted with the content's constant.
void sineCosine(float degrees, float& sine, float& cosine) {
    const float radians = degrees * kDegreesToRadians;
    sine = static_cast<float>(std::sin(static_cast<double>(radians)));
    cosine = static_cast<float>(std::cos(static_cast<double>(radians)));
}

Matrix4 rotationFactor(int axis, float degrees) {
    float s = 0.0f;
    float c = 0.0f;
    sineCosine(degrees, s, c);
    Matrix4 f;
    f.identity();
    switch (axis) {
    case 0: // x: +y turns towards +z
        f.m[5] = c, f.m[6] = s, f.m[9] = -s, f.m[10] = c;
        break;
    case 1: // y: +z turns towards +x
        f.m[0] = c, f.m[2] = -s, f.m[8] = s, f.m[10] = c;
        break;
    default: // z: +x turns towards +y
        f.m[0] = c, f.m[1] = s, f.m[4] = -s, f.m[5] = c;
        break;
    }
    return f;
}

} // namespace

void crossProduct(const Vector3& a, const Vector3& b, Vector3& result) {
    const Vector3 r{a.z * b.y - a.y * b.z, a.x * b.z - a.z * b.x, a.y * b.x - a.x * b.y};
    result = r;
}

void Matrix4::identity() {
    for (int i = 0; i < 16; ++i) {
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    }
}

void Matrix4::scale(float x, float y, float z) {
    Matrix4 f;
    f.identity();
    f.m[0] = x;
    f.m[5] = y;
    f.m[10] = z;
    multiply(f);
}

void Matrix4::rotateX(float degrees) {
    multiply(rotationFactor(0, degrees));
}
void Matrix4::rotateY(float degrees) {
    multiply(rotationFactor(1, degrees));
}
void Matrix4::rotateZ(float degrees) {
    multiply(rotationFactor(2, degrees));
}

void Matrix4::translate(float x, float y, float z) {
    Matrix4 f;
    f.identity();
    f.m[12] = x;
    f.m[13] = y;
    f.m[14] = z;
    multiply(f);
}

void Matrix4::multiply(const Matrix4& other) {
    const float* b = other.m;
    Matrix4 product;
    for (int r = 0; r < 4; ++r) {
        const float* a = m + 4 * r;
        for (int c = 0; c < 4; ++c) {
            product.m[4 * r + c] =
                a[0] * b[c] + a[1] * b[4 + c] + a[2] * b[8 + c] + a[3] * b[12 + c];
        }
    }
    *this = product;
}

void Matrix4::copyTo(Matrix4& destination) const {
    destination = *this;
}

void Matrix4::transformPoints(MeshPoint* points, int32_t count) const {
    for (int32_t i = 0; i < count; ++i) {
        const float* p = points[i].position;
        float* out = points[i].viewPosition;
        for (int c = 0; c < 4; ++c) {
            out[c] = p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + p[3] * m[12 + c];
        }
    }
}

void Matrix4::transformNormals(MeshPoint* points, int32_t count) const {
    for (int32_t i = 0; i < count; ++i) {
        const float* n = points[i].normal;
        float* out = points[i].viewNormal;
        for (int c = 0; c < 3; ++c) {
            out[c] = n[0] * m[c] + n[1] * m[4 + c] + n[2] * m[8 + c];
        }
    }
}

void Matrix4::transformVectors(const float (*source)[4], float (*destination)[4],
                               int32_t count) const {
    for (int32_t i = 0; i < count; ++i) {
        const float* v = source[i];
        for (int c = 0; c < 4; ++c) {
            destination[i][c] = v[0] * m[c] + v[1] * m[4 + c] + v[2] * m[8 + c] + v[3] * m[12 + c];
        }
    }
}
