// Composing and decomposing placements.
//
// Why it is written this way:
//   - The rotation is the player's own: R = Z(bank) · X(pitch) · Y(heading) with the
//     player's row layout (Y turns +z towards +x, X turns +y towards +z, Z turns +x
//     towards +y), so that a decomposed placement drawn by the player is the composed one.
//     Its rows are
//       ( cb·ch + sb·sp·sh,  sb·cp,  sb·sp·ch - cb·sh )
//       ( cb·sp·sh - sb·ch,  cb·cp,  sb·sh + cb·sp·ch )
//       ( cp·sh,             -sp,    cp·ch            )
//     hence pitch = asin(-R21), heading = atan2(R20, R22), bank = atan2(R01, R11).
//   - Every rotation has two angle triples, (h, p, b) and (h + pi, pi - p, b + pi), each
//     up to whole turns. Frame by frame the player interpolates the angles, so the triple
//     nearest the previous frame's is taken; otherwise an item turning past straight
//     up would spin about the other axes for one frame.
//   - Straight up or down (cos pitch = 0) heading and bank turn about the same axis: the
//     bank is kept from the previous frame and the heading carries the rest.
#include "content/ItemPlacement.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kTiny = 1.0e-12;

double length(const double (&v)[3]) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

double dot(const double (&a)[3], const double (&b)[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void cross(const double (&a)[3], const double (&b)[3], double (&out)[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// A unit vector at right angles to the unit vector `u`.
void anyPerpendicular(const double (&u)[3], double (&out)[3]) {
    const double axis[3] = {std::fabs(u[0]) < 0.9 ? 1.0 : 0.0, std::fabs(u[0]) < 0.9 ? 0.0 : 1.0,
                            0.0};
    cross(u, axis, out);
    const double n = length(out);
    for (double& c : out) {
        c /= n;
    }
}

struct Angles {
    double heading;
    double pitch;
    double bank;
};

double distance(const Angles& a, const ItemPose& p) {
    return std::fabs(a.heading - p.heading) + std::fabs(a.pitch - p.pitch) +
           std::fabs(a.bank - p.bank);
}

Angles nearest(Angles a, const ItemPose& previous) {
    a.heading = nearestTurn(a.heading, previous.heading);
    a.pitch = nearestTurn(a.pitch, previous.pitch);
    a.bank = nearestTurn(a.bank, previous.bank);
    return a;
}

} // namespace

double nearestTurn(double angle, double reference) {
    if (!std::isfinite(angle) || !std::isfinite(reference)) {
        return angle;
    }
    return angle - kTwoPi * std::round((angle - reference) / kTwoPi);
}

Affine placementMatrix(const ItemPose& p) {
    const double ch = std::cos(p.heading);
    const double sh = std::sin(p.heading);
    const double cp = std::cos(p.pitch);
    const double sp = std::sin(p.pitch);
    const double cb = std::cos(p.bank);
    const double sb = std::sin(p.bank);
    const double rotation[3][3] = {
        {cb * ch + sb * sp * sh, sb * cp, sb * sp * ch - cb * sh},
        {cb * sp * sh - sb * ch, cb * cp, sb * sh + cb * sp * ch},
        {cp * sh, -sp, cp * ch},
    };
    Affine a;
    for (int32_t r = 0; r < 3; ++r) {
        for (int32_t c = 0; c < 3; ++c) {
            a.m[r][c] = p.scale[r] * rotation[r][c];
        }
        a.m[3][r] = p.position[r];
    }
    return a;
}

Affine translation(double x, double y, double z) {
    Affine a;
    a.m[3][0] = x;
    a.m[3][1] = y;
    a.m[3][2] = z;
    return a;
}

Affine multiply(const Affine& first, const Affine& second) {
    Affine out;
    for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 3; ++c) {
            double sum = r == 3 ? second.m[3][c] : 0.0;
            for (int32_t k = 0; k < 3; ++k) {
                sum += first.m[r][k] * second.m[k][c];
            }
            out.m[r][c] = sum;
        }
    }
    return out;
}

ItemPose decompose(const Affine& matrix, const ItemPose* previous) {
    ItemPose p;
    double rows[3][3];
    for (int32_t r = 0; r < 3; ++r) {
        for (int32_t c = 0; c < 3; ++c) {
            rows[r][c] = matrix.m[r][c];
        }
        p.position[r] = matrix.m[3][r];
        p.scale[r] = length(rows[r]);
    }

    // The nearest rotation: x axis as it is, y made perpendicular to it, z their cross
    // product (a mirrored z becomes a negative z scale).
    double u0[3] = {1.0, 0.0, 0.0};
    if (p.scale[0] > kTiny) {
        for (int32_t c = 0; c < 3; ++c) {
            u0[c] = rows[0][c] / p.scale[0];
        }
    }
    double u1[3];
    const double along = dot(rows[1], u0);
    for (int32_t c = 0; c < 3; ++c) {
        u1[c] = rows[1][c] - along * u0[c];
    }
    const double n1 = length(u1);
    if (n1 > kTiny) {
        for (double& c : u1) {
            c /= n1;
        }
    } else {
        anyPerpendicular(u0, u1);
    }
    double u2[3];
    cross(u0, u1, u2);
    if (dot(rows[2], u2) < 0.0) {
        p.scale[2] = -p.scale[2];
    }

    const double sinPitch = std::clamp(-u2[1], -1.0, 1.0);
    Angles a{0.0, std::asin(sinPitch), 0.0};
    if (std::sqrt(u2[0] * u2[0] + u2[2] * u2[2]) > 1.0e-9) {
        a.heading = std::atan2(u2[0], u2[2]);
        a.bank = std::atan2(u0[1], u1[1]);
    } else {
        a.bank = previous != nullptr ? previous->bank : 0.0;
        const double turn = std::atan2(-u0[2], u0[0]); // h - b looking up, h + b down
        a.heading = sinPitch > 0.0 ? turn + a.bank : turn - a.bank;
    }
    if (previous != nullptr) {
        const Angles first = nearest(a, *previous);
        const Angles second =
            nearest(Angles{a.heading + kPi, kPi - a.pitch, a.bank + kPi}, *previous);
        a = distance(second, *previous) < distance(first, *previous) ? second : first;
    }
    p.heading = a.heading;
    p.pitch = a.pitch;
    p.bank = a.bank;
    return p;
}

bool aimAngles(const double (&from)[3], const double (&to)[3], double& heading, double& pitch) {
    const double dx = to[0] - from[0];
    const double dy = to[1] - from[1];
    const double dz = to[2] - from[2];
    const double across = std::sqrt(dx * dx + dz * dz);
    if (across == 0.0 && dy == 0.0) {
        return false;
    }
    if (across > 0.0) {
        heading = std::atan2(dx, dz);
    }
    pitch = std::atan2(-dy, across);
    return true;
}
