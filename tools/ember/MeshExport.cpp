#include "ember/MeshExport.h"

#include <array>
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "ember/Commands.h"
#include "object/Mesh.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

namespace {

constexpr int32_t kMaxLwobPoints = 65536;

uint16_t fraction256(float value) {
    const double scaled = std::round(static_cast<double>(value) * 256.0);
    return static_cast<uint16_t>(scaled < 0.0 ? 0.0 : scaled > 65535.0 ? 65535.0 : scaled);
}

uint8_t colorByte(float value) {
    const double scaled = std::round(static_cast<double>(value) * 256.0);
    return static_cast<uint8_t>(scaled < 0.0 ? 0.0 : scaled > 255.0 ? 255.0 : scaled);
}

void appendLittleEndian(std::string& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(bits >> (8 * i) & 0xFF));
    }
}

// Surface names as SRFS lists them: each distinct (the player fills one record per name).
std::vector<std::string> distinctNames(const Mesh& mesh) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (int32_t s = 0; s < mesh.surfaceCount; ++s) {
        std::string base = mesh.surfaceNames != nullptr ? mesh.surfaceNames[s] : "";
        if (base.empty()) {
            base = "Surface";
        }
        std::string name = base;
        for (int32_t n = 2; taken.count(name) != 0; ++n) {
            name = base + " " + std::to_string(n);
        }
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

LwobSurface surfaceChunk(const Surface& s, const std::string* textureNames, int32_t textureCount) {
    LwobSurface out;
    out.color(colorByte(s.color[0]), colorByte(s.color[1]), colorByte(s.color[2]));
    uint16_t flags = static_cast<uint16_t>(s.smoothing != 0 ? 4 : 0);
    flags |= s.doubleSided != 0 ? 0x100 : 0;
    flags |= s.additive != 0 ? 0x200 : 0;
    out.flags(flags);
    out.luminosity(static_cast<uint16_t>(s.luminosity < 0        ? 0
                                         : s.luminosity > 0xFFFF ? 0xFFFF
                                                                 : s.luminosity));
    if (s.transparent != 0) {
        out.transparency(fraction256(s.transparency));
    }
    const auto named = [&](int32_t index) {
        return index >= 0 && index < textureCount && !textureNames[index].empty();
    };
    if (s.reflective != 0) {
        out.reflection(fraction256(s.reflectivity));
        if (named(s.reflectionTexture)) {
            out.reflectionImage(textureNames[s.reflectionTexture]);
        }
    }
    if (s.textureMapping != 0 && named(s.colorTexture)) {
        out.texture("CTEX", "Planar Image Map").textureImage(textureNames[s.colorTexture]);
    }
    return out;
}

} // namespace

ExportedMesh exportMesh(const Mesh& mesh, const std::string* textureNames) {
    if (mesh.pointCount > kMaxLwobPoints) {
        throw ToolError("an object of " + std::to_string(mesh.pointCount) +
                        " points: an LWOB object holds at most 65536");
    }
    std::vector<std::array<float, 3>> points;
    points.reserve(static_cast<size_t>(mesh.pointCount));
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        const float* p = mesh.points[i].position;
        points.push_back({p[0], p[1], p[2]});
    }
    ExportedMesh out;
    std::vector<std::array<uint16_t, 4>> triangles;
    triangles.reserve(static_cast<size_t>(mesh.polygonCount));
    for (int32_t t = 0; t < mesh.polygonCount; ++t) {
        const MeshPolygon& polygon = mesh.polygons[t];
        std::array<uint16_t, 4> triangle{};
        for (int32_t c = 0; c < 3; ++c) {
            triangle[c] = static_cast<uint16_t>(polygon.corners[c].pointIndex);
            appendLittleEndian(out.textureCoordinates, polygon.corners[c].u);
            appendLittleEndian(out.textureCoordinates, polygon.corners[c].v);
        }
        triangle[3] = static_cast<uint16_t>(polygon.surface + 1);
        triangles.push_back(triangle);
    }
    const std::vector<std::string> names = distinctNames(mesh);
    LwobWriter lwob;
    lwob.points(points).surfaceNames(names).triangles(triangles);
    for (int32_t s = 0; s < mesh.surfaceCount; ++s) {
        lwob.surface(names[static_cast<size_t>(s)],
                     surfaceChunk(mesh.surfaces[s], textureNames, kTextureSlotCount));
    }
    out.lwob = lwob.bytes();
    return out;
}
