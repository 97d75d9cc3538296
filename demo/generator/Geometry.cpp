#include "Geometry.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

constexpr float kDegrees = 0.017453292f;
constexpr float kTwoPi = 6.2831853f;

} // namespace

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float length(Vec3 a) {
    return std::sqrt(dot(a, a));
}

Vec3 normalized(Vec3 a) {
    const float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}

Vec3 lerp(Vec3 a, Vec3 b, float t) {
    return a + (b - a) * t;
}

// The player's object rotation: bank about z, then pitch about x, then heading about y,
// with row vectors (rotateZ turns +x towards +y, rotateX +y towards +z, rotateY +z
// towards +x).
Vec3 Placement::apply(Vec3 p) const {
    Vec3 v{p.x * scale.x, p.y * scale.y, p.z * scale.z};
    const float cb = std::cos(bank * kDegrees), sb = std::sin(bank * kDegrees);
    v = {v.x * cb - v.y * sb, v.x * sb + v.y * cb, v.z};
    const float cp = std::cos(pitch * kDegrees), sp = std::sin(pitch * kDegrees);
    v = {v.x, v.y * cp - v.z * sp, v.y * sp + v.z * cp};
    const float ch = std::cos(heading * kDegrees), sh = std::sin(heading * kDegrees);
    v = {v.x * ch + v.z * sh, v.y, -v.x * sh + v.z * ch};
    return v + position;
}

Placement Placement::turned(float h, float p, float b) const {
    Placement copy = *this;
    copy.heading = h;
    copy.pitch = p;
    copy.bank = b;
    return copy;
}

Placement Placement::scaled(float sx, float sy, float sz) const {
    Placement copy = *this;
    copy.scale = {sx, sy, sz};
    return copy;
}

uint16_t MeshBuilder::surface(const std::string& name, const LwobSurface& description) {
    surfaces_.emplace_back(name, description);
    return static_cast<uint16_t>(surfaces_.size());
}

uint16_t MeshBuilder::point(Vec3 p) {
    if (points_.size() >= 65535) {
        throw std::runtime_error("object has more than 65535 points");
    }
    points_.push_back(p);
    return static_cast<uint16_t>(points_.size() - 1);
}

uint16_t MeshBuilder::points(const std::vector<Vec3>& positions, const Placement& placement) {
    const auto first = static_cast<uint16_t>(points_.size());
    for (const Vec3& p : positions) {
        point(placement.apply(p));
    }
    return first;
}

void MeshBuilder::triangle(uint16_t a, uint16_t b, uint16_t c, uint16_t surface) {
    triangles_.push_back({a, b, c, surface});
}

void MeshBuilder::quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t surface) {
    triangle(a, b, c, surface);
    triangle(a, c, d, surface);
}

void MeshBuilder::box(Vec3 low, Vec3 high, uint16_t surface, const Placement& placement,
                      bool inward) {
    // Corners: bit 0 x, bit 1 y, bit 2 z (0 low, 1 high).
    std::vector<Vec3> corners;
    for (int i = 0; i < 8; ++i) {
        corners.push_back(
            {(i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z});
    }
    // Each face listed so that (b - a) x (c - a) points out of the box.
    static const int kFaces[6][4] = {
        {0, 2, 3, 1}, // -z
        {4, 5, 7, 6}, // +z
        {0, 1, 5, 4}, // -y
        {2, 6, 7, 3}, // +y
        {0, 4, 6, 2}, // -x
        {1, 3, 7, 5}, // +x
    };
    for (const auto& f : kFaces) {
        // Separate points per face keep the box's edges hard: the player smooths every
        // shared point.
        const uint16_t first =
            points({corners[f[0]], corners[f[1]], corners[f[2]], corners[f[3]]}, placement);
        if (inward) {
            quad(first, first + 3, first + 2, first + 1, surface);
        } else {
            quad(first, first + 1, first + 2, first + 3, surface);
        }
    }
}

void MeshBuilder::lathe(const std::vector<ProfilePoint>& profile, int segments, uint16_t surface,
                        const Placement& placement, bool capBottom, bool capTop, bool inward) {
    const auto emit = [&](uint16_t a, uint16_t b, uint16_t c) {
        if (inward) {
            triangle(a, c, b, surface);
        } else {
            triangle(a, b, c, surface);
        }
    };
    // Rings of points; a ring of radius 0 is a single pole.
    std::vector<uint16_t> ringStart;
    std::vector<bool> pole;
    for (const ProfilePoint& p : profile) {
        if (p.radius <= 0.0f) {
            ringStart.push_back(point(placement.apply({0.0f, p.y, 0.0f})));
            pole.push_back(true);
            continue;
        }
        ringStart.push_back(static_cast<uint16_t>(points_.size()));
        pole.push_back(false);
        for (int j = 0; j < segments; ++j) {
            const float a = kTwoPi * static_cast<float>(j) / static_cast<float>(segments);
            point(placement.apply({p.radius * std::cos(a), p.y, p.radius * std::sin(a)}));
        }
    }
    const auto at = [&](size_t ring, int j) {
        return pole[ring] ? ringStart[ring]
                          : static_cast<uint16_t>(ringStart[ring] + (j % segments));
    };
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        for (int j = 0; j < segments; ++j) {
            // Going up the profile and round by increasing angle gives an outward face.
            const uint16_t b0 = at(i, j), b1 = at(i, j + 1);
            const uint16_t t0 = at(i + 1, j), t1 = at(i + 1, j + 1);
            // Next to a pole one of the two triangles collapses and is left out.
            if (!pole[i + 1]) {
                emit(b0, t0, t1);
            }
            if (!pole[i]) {
                emit(b0, t1, b1);
            }
        }
    }
    if (capBottom && !pole.front()) {
        const uint16_t centre = point(placement.apply({0.0f, profile.front().y, 0.0f}));
        for (int j = 0; j < segments; ++j) {
            emit(centre, at(0, j), at(0, j + 1));
        }
    }
    if (capTop && !pole.back()) {
        const size_t last = profile.size() - 1;
        const uint16_t centre = point(placement.apply({0.0f, profile.back().y, 0.0f}));
        for (int j = 0; j < segments; ++j) {
            emit(centre, at(last, j + 1), at(last, j));
        }
    }
}

void MeshBuilder::cylinder(float radius, float height, int segments, uint16_t surface,
                           const Placement& placement, bool caps) {
    lathe({{radius, 0.0f}, {radius, height}}, segments, surface, placement, caps, caps);
}

void MeshBuilder::sphere(float radius, int rings, int segments, uint16_t surface,
                         const Placement& placement, bool inward) {
    std::vector<ProfilePoint> profile;
    for (int i = 0; i <= rings; ++i) {
        const float a = 3.14159265f * (static_cast<float>(i) / static_cast<float>(rings) - 0.5f);
        const float r = (i == 0 || i == rings) ? 0.0f : radius * std::cos(a);
        profile.push_back({r, radius * std::sin(a)});
    }
    lathe(profile, segments, surface, placement, false, false, inward);
}

void MeshBuilder::torus(float major, float minor, int segments, int sides, uint16_t surface,
                        const Placement& placement) {
    const auto first = static_cast<uint16_t>(points_.size());
    for (int i = 0; i < segments; ++i) {
        const float a = kTwoPi * static_cast<float>(i) / static_cast<float>(segments);
        for (int j = 0; j < sides; ++j) {
            const float b = kTwoPi * static_cast<float>(j) / static_cast<float>(sides);
            const float r = major + minor * std::cos(b);
            point(placement.apply({r * std::cos(a), minor * std::sin(b), r * std::sin(a)}));
        }
    }
    const auto at = [&](int i, int j) {
        return static_cast<uint16_t>(first + (i % segments) * sides + (j % sides));
    };
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            quad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j), surface);
        }
    }
}

void MeshBuilder::heightField(float sizeX, float sizeZ, int cellsX, int cellsZ,
                              const std::function<float(float, float)>& height, uint16_t surface,
                              const Placement& placement) {
    const auto first = static_cast<uint16_t>(points_.size());
    for (int k = 0; k <= cellsZ; ++k) {
        for (int i = 0; i <= cellsX; ++i) {
            const float x = sizeX * (static_cast<float>(i) / static_cast<float>(cellsX) - 0.5f);
            const float z = sizeZ * (static_cast<float>(k) / static_cast<float>(cellsZ) - 0.5f);
            point(placement.apply({x, height(x, z), z}));
        }
    }
    const auto at = [&](int i, int k) {
        return static_cast<uint16_t>(first + k * (cellsX + 1) + i);
    };
    for (int k = 0; k < cellsZ; ++k) {
        for (int i = 0; i < cellsX; ++i) {
            // Alternate the diagonal so that the tessellation shows no grain.
            if ((i + k) % 2 == 0) {
                quad(at(i, k), at(i, k + 1), at(i + 1, k + 1), at(i + 1, k), surface);
            } else {
                quad(at(i + 1, k), at(i, k), at(i, k + 1), at(i + 1, k + 1), surface);
            }
        }
    }
}

void MeshBuilder::panel(float width, float height, uint16_t surface, const Placement& placement) {
    const float w = width * 0.5f, h = height * 0.5f;
    const uint16_t first =
        points({{-w, -h, 0.0f}, {-w, h, 0.0f}, {w, h, 0.0f}, {w, -h, 0.0f}}, placement);
    quad(first, first + 1, first + 2, first + 3, surface);
}

void MeshBuilder::setCornerUv(int32_t triangle, int32_t corner, float u, float v) {
    if (cornerUv_.size() < triangles_.size()) {
        cornerUv_.resize(triangles_.size(), {0, 0, 0, 0, 0, 0});
    }
    cornerUv_.at(static_cast<size_t>(triangle))[static_cast<size_t>(corner * 2)] = u;
    cornerUv_.at(static_cast<size_t>(triangle))[static_cast<size_t>(corner * 2 + 1)] = v;
}

bool MeshBuilder::write(const std::string& hostPath) const {
    if (points_.size() > 65535) {
        return false;
    }
    std::vector<std::array<float, 3>> pts;
    pts.reserve(points_.size());
    for (const Vec3& p : points_) {
        pts.push_back({p.x, p.y, p.z});
    }
    std::vector<std::string> names;
    for (const auto& s : surfaces_) {
        names.push_back(s.first);
    }
    LwobWriter lwob;
    lwob.points(pts).surfaceNames(names).triangles(triangles_);
    for (const auto& s : surfaces_) {
        lwob.surface(s.first, s.second);
    }
    if (!lwob.write(hostPath)) {
        return false;
    }
    if (cornerUv_.empty()) {
        return true;
    }
    // Texture-coordinate file: beside the object, its extension replaced by "txc"; six
    // little-endian floats per triangle.
    const std::string txcPath = hostPath.substr(0, hostPath.rfind('.') + 1) + "txc";
    std::ofstream out(txcPath, std::ios::binary);
    for (size_t t = 0; t < triangles_.size(); ++t) {
        const std::array<float, 6> uv =
            t < cornerUv_.size() ? cornerUv_[t] : std::array<float, 6>{};
        for (float f : uv) {
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            for (int b = 0; b < 4; ++b) {
                out.put(static_cast<char>((bits >> (8 * b)) & 0xFF));
            }
        }
    }
    return static_cast<bool>(out);
}
