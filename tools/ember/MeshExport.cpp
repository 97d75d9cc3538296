#include "ember/MeshExport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <vector>

#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "ember/Commands.h"
#include "ember/OutputFile.h"
#include "object/Mesh.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

namespace fs = std::filesystem;

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

bool isNccFormat(GrTextureFormat_t format) {
    return format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422;
}

bool isPaletteFormat(GrTextureFormat_t format) {
    return format == GR_TEXFMT_P_8 || format == GR_TEXFMT_AP_88;
}

// Writes a texture of the table as a 3DF file.
void writeTexture(const TextureSlot& slot, const fs::path& path) {
    Gu3dfInfo record;
    record.header.small_lod = slot.info.smallLod;
    record.header.large_lod = slot.info.largeLod;
    record.header.aspect_ratio = slot.info.aspectRatio;
    record.header.format = slot.info.format;
    int32_t width = 0;
    int32_t height = 0;
    levelDimensions(slot.info.largeLod, slot.info.aspectRatio, width, height);
    record.header.width = static_cast<FxU32>(width);
    record.header.height = static_cast<FxU32>(height);
    if (isNccFormat(slot.info.format)) {
        record.table.nccTable = slot.nccTable;
    } else if (isPaletteFormat(slot.info.format)) {
        record.table.palette = slot.palette;
    }
    record.data = slot.hostImage.get();
    record.mem_required = textureTexelBytes(slot.info);
    OutputFile file(path.string());
    if (!write3dfFile(file.temporaryPath().c_str(), record)) {
        throw ToolError("cannot write " + path.string());
    }
    file.commit();
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
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

void exportTextures(const Mesh& mesh, const TextureTable& table, const fs::path& folder,
                    std::set<std::string>& taken, std::string* textureNames) {
    for (int32_t s = 0; s < mesh.surfaceCount; ++s) {
        const Surface& surface = mesh.surfaces[s];
        for (const int32_t index : {surface.textureMapping != 0 ? surface.colorTexture : -1,
                                    surface.reflective != 0 ? surface.reflectionTexture : -1}) {
            if (index < 0 || index >= table.count || !table.slots[index].isLoaded() ||
                !textureNames[index].empty()) {
                continue;
            }
            textureNames[index] =
                uniqueName(plainName(fileStem(table.slots[index].path), "texture"), taken);
            writeTexture(table.slots[index], folder / (textureNames[index] + ".3df"));
        }
    }
}

std::set<std::string> namesInFolder(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.insert(lowerCase(entry.path().stem().string()));
    }
    return names;
}

std::string meshDifference(const Mesh& a, const Mesh& b) {
    if (a.pointCount != b.pointCount || a.polygonCount != b.polygonCount ||
        a.surfaceCount != b.surfaceCount) {
        return "points, triangles or surfaces";
    }
    for (int32_t i = 0; i < a.pointCount; ++i) {
        for (int32_t c = 0; c < 3; ++c) {
            if (a.points[i].position[c] != b.points[i].position[c]) {
                return "point " + std::to_string(i);
            }
        }
    }
    for (int32_t t = 0; t < a.polygonCount; ++t) {
        for (int32_t c = 0; c < 3; ++c) {
            const PolygonCorner& p = a.polygons[t].corners[c];
            const PolygonCorner& q = b.polygons[t].corners[c];
            if (p.pointIndex != q.pointIndex || p.u != q.u || p.v != q.v) {
                return "triangle " + std::to_string(t);
            }
        }
    }
    for (int32_t s = 0; s < a.surfaceCount; ++s) {
        const Surface& p = a.surfaces[s];
        const Surface& q = b.surfaces[s];
        for (int32_t c = 0; c < 3; ++c) {
            if (std::fabs(p.color[c] - q.color[c]) > 1.0f / 255.0f) { // bytes of 1/256
                return "the colour of surface " + std::to_string(s);
            }
        }
        if ((p.textureMapping != 0) != (q.textureMapping != 0) || p.additive != q.additive ||
            p.doubleSided != q.doubleSided || p.luminosity != q.luminosity) {
            return "surface " + std::to_string(s);
        }
    }
    return "";
}

std::string plainName(const std::string& text, const char* fallback) {
    std::string name;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        name += std::isalnum(u) != 0 || c == '-' || c == '_' ? c : '_';
    }
    return name.empty() ? fallback : name;
}

void writeFileBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw ToolError("cannot write " + path.string());
    }
}

std::string fileStem(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return base.substr(0, base.find('.'));
}

std::string uniqueName(const std::string& base, std::set<std::string>& taken) {
    std::string name = base;
    for (int32_t n = 2; taken.count(lowerCase(name)) != 0; ++n) {
        name = base + "-" + std::to_string(n);
    }
    taken.insert(lowerCase(name));
    return name;
}
