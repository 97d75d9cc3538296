#include "content/Lwo2Projection.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// The point in texture space: relative to the centre, rotation undone.
void textureSpace(const Lwo2ImageMap& map, const float* p, double q[3]) {
    for (int i = 0; i < 3; ++i) {
        q[i] = static_cast<double>(p[i]) - map.center[i];
    }
    const double heading = map.rotation[0], pitch = map.rotation[1], bank = map.rotation[2];
    if (heading == 0.0 && pitch == 0.0 && bank == 0.0) {
        return;
    }
    double c = std::cos(-bank), s = std::sin(-bank);
    double x = q[0] * c - q[1] * s, y = q[0] * s + q[1] * c;
    q[0] = x;
    q[1] = y;
    c = std::cos(-pitch);
    s = std::sin(-pitch);
    y = q[1] * c - q[2] * s;
    double z = q[1] * s + q[2] * c;
    q[1] = y;
    q[2] = z;
    c = std::cos(-heading);
    s = std::sin(-heading);
    x = q[0] * c + q[2] * s;
    z = -q[0] * s + q[2] * c;
    q[0] = x;
    q[2] = z;
}

double divided(double value, float size) {
    return size != 0.0f ? value / size : 0.0;
}

void planar(const Lwo2ImageMap& map, int32_t axis, const double q[3], double& u, double& v) {
    if (axis == 0) {
        u = divided(q[2], map.size[2]) + 0.5;
        v = divided(q[1], map.size[1]) + 0.5;
    } else if (axis == 1) {
        u = divided(q[0], map.size[0]) + 0.5;
        v = divided(q[2], map.size[2]) + 0.5;
    } else {
        u = divided(q[0], map.size[0]) + 0.5;
        v = divided(q[1], map.size[1]) + 0.5;
    }
}

// Longitude in [0, 1), height along the axis and the distance from it.
void aroundAxis(int32_t axis, const double q[3], double& longitude, double& height,
                double& radius) {
    double a, b; // atan2(a, b)
    if (axis == 0) {
        a = -q[1];
        b = -q[2];
        height = q[0];
    } else if (axis == 1) {
        a = q[2];
        b = q[0];
        height = q[1];
    } else {
        a = -q[1];
        b = q[0];
        height = q[2];
    }
    radius = std::sqrt(a * a + b * b);
    longitude = 0.5 + std::atan2(a, b) / kTwoPi;
    longitude -= std::floor(longitude);
    if (!(longitude >= 0.0 && longitude < 1.0)) {
        longitude = 0.0; // NaN coordinates, or rounding up to 1
    }
}

} // namespace

void projectPolygon(const Lwo2ImageMap& map, const float* points, const int32_t* cornerPoints,
                    int32_t cornerCount, const float normal[3], float* u, float* v) {
    Lwo2Projection projection = map.projection;
    int32_t axis = map.axis;
    if (projection == Lwo2Projection::Cubic) {
        const float ax = std::fabs(normal[0]), ay = std::fabs(normal[1]), az = std::fabs(normal[2]);
        axis = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
        projection = Lwo2Projection::Planar;
    }
    const bool wraps =
        projection == Lwo2Projection::Cylindrical || projection == Lwo2Projection::Spherical;
    if (!wraps) {
        for (int32_t i = 0; i < cornerCount; ++i) {
            double q[3], cu = 0.0, cv = 0.0;
            textureSpace(map, points + static_cast<size_t>(cornerPoints[i]) * 3, q);
            planar(map, axis, q, cu, cv);
            u[i] = static_cast<float>(cu);
            v[i] = static_cast<float>(cv);
        }
        return;
    }
    // Longitudes in [0, 1); corners on the axis (poles) have none and are given the mean
    // of the others once those have been brought to one side of the seam.
    double low = 1.0, high = 0.0;
    int32_t poles = 0;
    for (int32_t i = 0; i < cornerCount; ++i) {
        double q[3], longitude = 0.0, height = 0.0, radius = 0.0;
        textureSpace(map, points + static_cast<size_t>(cornerPoints[i]) * 3, q);
        aroundAxis(axis, q, longitude, height, radius);
        const bool pole = radius <= 1e-5 * std::fabs(height);
        poles += pole ? 1 : 0;
        if (!pole) {
            low = longitude < low ? longitude : low;
            high = longitude > high ? longitude : high;
        }
        u[i] = pole ? -1.0f : static_cast<float>(longitude);
        v[i] = static_cast<float>(projection == Lwo2Projection::Cylindrical
                                      ? divided(height, map.size[axis]) + 0.5
                                      : (0.5 + std::atan2(height, radius) / kPi) *
                                            map.wrapCountHeight);
    }
    const bool acrossSeam = high - low > 0.5;
    double sum = 0.0;
    for (int32_t i = 0; i < cornerCount; ++i) {
        if (u[i] >= 0.0f) {
            u[i] += acrossSeam && u[i] < 0.5f ? 1.0f : 0.0f;
            sum += u[i];
        }
    }
    const int32_t others = cornerCount - poles;
    const float pole = others > 0 ? static_cast<float>(sum / others) : 0.5f;
    for (int32_t i = 0; i < cornerCount; ++i) {
        u[i] = (u[i] < 0.0f ? pole : u[i]) * map.wrapCountWidth;
    }
}
