#include "render/CameraView.h"

#include <cmath>

#include "object/Mesh.h"

namespace {

constexpr float kSmallestDepth = 0.0001f;
constexpr float kSmallestLength = 1e-7f;

float length(const Vector3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vector3 divided(const Vector3& v, float d) {
    return Vector3{v.x / d, v.y / d, v.z / d};
}

float usableDepth(float z) {
    return (z == 0.0f || std::isnan(z)) ? kSmallestDepth : z;
}

} // namespace

float usableZoomFactor(float zoomFactor) {
    return (zoomFactor != 0.0f && std::isfinite(zoomFactor)) ? zoomFactor : kDefaultZoomFactor;
}

void makeViewFromAngles(Matrix4& destination, float pitch, float heading, float bank) {
    Matrix4 view;
    view.identity();
    view.rotateY(-heading);
    view.rotateX(-pitch);
    view.rotateZ(-bank);
    view.copyTo(destination);
}

void makeLookAtView(Matrix4& destination, const Vector3& eye, const Vector3& target,
                    const Vector3& up) {
    Vector3 f{target.x - eye.x, target.y - eye.y, target.z - eye.z};
    float l = length(f);
    if (l == 0.0f) {
        l = kSmallestLength; // target at the eye: f stays 0, and so does the whole view
    }
    f = divided(f, l);

    Vector3 r;
    crossProduct(f, up, r); // up × f
    float m = length(r);
    if (m == 0.0f) {
        crossProduct(f, Vector3{0.0f, 0.0f, 1.0f}, r); // straight along up: +z × f
        m = length(r);
        if (m == 0.0f) {
            m = kSmallestLength;
        }
    }
    r = divided(r, m);

    Vector3 u;
    crossProduct(r, f, u); // f × r, not normalised again

    Matrix4& d = destination;
    d.m[0] = r.x, d.m[4] = r.y, d.m[8] = r.z;
    d.m[1] = u.x, d.m[5] = u.y, d.m[9] = u.z;
    d.m[2] = f.x, d.m[6] = f.y, d.m[10] = f.z;
    d.m[3] = d.m[7] = d.m[11] = d.m[12] = d.m[13] = d.m[14] = 0.0f;
    d.m[15] = 1.0f;
}

void projectPoints(MeshPoint* points, int32_t count, int32_t /*width*/, int32_t /*height*/,
                   float zoom) {
    for (int32_t i = 0; i < count; ++i) {
        MeshPoint& p = points[i];
        if (p.isNeeded == 0 || p.outsideBits != 0) {
            continue;
        }
        const float x = p.viewPosition[0];
        const float y = p.viewPosition[1];
        const float z = p.viewPosition[2];
        const float depth = usableDepth(z);
        const float inverse = 1.0f / depth;
        p.projected[0] = (x * inverse * zoom + 1.0f) * 0.5f;
        p.projected[1] = (inverse * y * zoom * kScreenAspect + 1.0f) * 0.5f;
        p.projected[2] = z;
        p.projected[3] = depth;
    }
}

void projectCorners(const float (*source)[4], float (*destination)[4], int32_t count,
                    int32_t /*width*/, int32_t /*height*/, float zoom) {
    for (int32_t i = 0; i < count; ++i) {
        const float x = source[i][0];
        const float y = source[i][1];
        const float z = source[i][2];
        const float w = usableDepth(z);
        destination[i][0] = (x / w * zoom + 1.0f) * 0.5f;
        destination[i][1] = (y / w * zoom * kScreenAspect + 1.0f) * 0.5f;
        destination[i][2] = z / w;
        destination[i][3] = w;
    }
}
