#include "ember/ObjectConversion.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "content/Triangulator.h"
#include "ember/Commands.h"
#include "object/MeshPreparation.h"
#include "object/ObjectFile.h"
#include "object/ObjectReader.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

namespace {

// Points, triangles and surfaces as a reader makes them, without mesh preparation.
struct ReadObject {
    Mesh mesh;
    std::unique_ptr<TextureTable> textures = std::make_unique<TextureTable>();
};

// The object reader's chunks with the triangulator on (or off); throws the reason of a
// refusal. The reader's trace lines go where the caller has sent them.
void readChunks(ObjectFile& file, ReadObject& object, bool triangulating) {
    ReaderExtensions& extensions = readerExtensions();
    const auto saved = extensions.triangulatePolygons;
    extensions.triangulatePolygons = triangulating ? &triangulatePolygon : nullptr;
    clearLastRefusal();
    const bool read = readPointsChunk(object.mesh, file) == 0 &&
                      readPolygonsChunk(object.mesh, file) == 0 &&
                      readSurfaceChunks(object.mesh, *object.textures, file) == 0;
    extensions.triangulatePolygons = saved;
    if (!read) {
        throw ToolError(displayText(lastRefusal()));
    }
}

// Each occurrence of `tag` as the reader scans for it: the chunk's length and as many of
// its data bytes as the file holds (the length field then says that many).
void copyChunks(ObjectFile& file, const char* tag, bool all, LwobWriter& out) {
    file.position = 0;
    while (findNextTag(file, tag) == 1) {
        uint32_t raw = 0;
        readChunkLength(file, raw);
        const int64_t length = static_cast<int32_t>(raw) < 0 ? 0 : raw;
        const int64_t kept = std::min(length, remainingBytes(file));
        std::string data(reinterpret_cast<const char*>(file.bytes.get() + file.position),
                         static_cast<size_t>(kept));
        file.position += kept;
        if (kept % 2 == 1) {
            data.push_back('\0'); // the pad byte of a chunk of odd length
        }
        out.chunkWithLength(tag, static_cast<uint32_t>(kept), data);
        if (!all) {
            return;
        }
    }
}

std::string littleEndian(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const char bytes[4] = {static_cast<char>(bits), static_cast<char>(bits >> 8),
                           static_cast<char>(bits >> 16), static_cast<char>(bits >> 24)};
    return std::string(bytes, 4);
}

bool sameSurfaces(const Mesh& a, const Mesh& b) {
    if (a.surfaceCount != b.surfaceCount) {
        return false;
    }
    for (int32_t i = 0; i < a.surfaceCount; ++i) {
        const Surface& s = a.surfaces[i];
        const Surface& t = b.surfaces[i];
        // Field by field: the record has padding after textureAxis.
        const bool same =
            s.smoothing == t.smoothing && s.luminosity == t.luminosity &&
            s.additive == t.additive && s.reflective == t.reflective &&
            s.textureMapping == t.textureMapping && s.transparent == t.transparent &&
            s.doubleSided == t.doubleSided && std::memcmp(s.color, t.color, sizeof s.color) == 0 &&
            s.colorTexture == t.colorTexture && s.reflectionTexture == t.reflectionTexture &&
            s.textureAxis == t.textureAxis &&
            std::memcmp(&s.textureWrapWidth, &t.textureWrapWidth, 4 * sizeof(float)) == 0 &&
            std::memcmp(s.textureSize, t.textureSize, sizeof s.textureSize) == 0 &&
            std::memcmp(s.textureCenter, t.textureCenter, sizeof s.textureCenter) == 0;
        if (!same || std::strcmp(a.surfaceNames[i], b.surfaceNames[i]) != 0) {
            return false;
        }
    }
    return true;
}

bool sameTriangles(const Mesh& a, const Mesh& b) {
    if (a.pointCount != b.pointCount || a.polygonCount != b.polygonCount ||
        std::memcmp(a.points.get(), b.points.get(),
                    sizeof(MeshPoint) * static_cast<size_t>(a.pointCount)) != 0) {
        return false;
    }
    for (int32_t t = 0; t < a.polygonCount; ++t) {
        const MeshPolygon& p = a.polygons[t];
        const MeshPolygon& q = b.polygons[t];
        if (p.surface != q.surface) {
            return false;
        }
        for (int k = 0; k < 3; ++k) {
            if (p.corners[k].pointIndex != q.corners[k].pointIndex) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

std::string textureCoordinatePathOf(const std::string& objectPath) {
    std::vector<char> path(objectPath.size() + 8);
    if (textureCoordinateFileName(objectPath.c_str(), path.data(), path.size()) == 0) {
        return "";
    }
    return path.data();
}

ConvertedObject convertObject(const std::string& contentPath) {
    ObjectFile file;
    clearLastRefusal();
    if (readObjectFile(file, contentPath.c_str()) == 0) {
        const std::string reason = displayText(lastRefusal());
        throw ToolError(reason.empty() ? "cannot open object file " + contentPath : reason);
    }
    if (file.size >= 12 && std::memcmp(file.bytes.get(), "FORM", 4) == 0 &&
        std::memcmp(file.bytes.get() + 8, "LWOB", 4) != 0) {
        throw ToolError(contentPath + " is a " +
                        std::string(reinterpret_cast<const char*>(file.bytes.get() + 8), 4) +
                        " object, not an LWOB; only LWOB objects are converted");
    }
    ReadObject object;
    readChunks(file, object, true);
    Mesh& mesh = object.mesh;

    ConvertedObject converted;
    const int32_t coordinates = applyTextureCoordinateFile(mesh, contentPath.c_str());
    if (coordinates < 0) {
        throw ToolError(displayText(lastRefusal()));
    }
    for (int32_t t = 0; coordinates == 1 && t < mesh.polygonCount; ++t) {
        for (const PolygonCorner& corner : mesh.polygons[t].corners) {
            converted.textureCoordinates += littleEndian(corner.u) + littleEndian(corner.v);
        }
    }

    std::vector<std::array<float, 3>> points;
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        const float* p = mesh.points[i].position;
        points.push_back({p[0], p[1], p[2]});
    }
    std::vector<std::array<uint16_t, 4>> triangles;
    for (int32_t t = 0; t < mesh.polygonCount; ++t) {
        const MeshPolygon& p = mesh.polygons[t];
        triangles.push_back({static_cast<uint16_t>(p.corners[0].pointIndex),
                             static_cast<uint16_t>(p.corners[1].pointIndex),
                             static_cast<uint16_t>(p.corners[2].pointIndex),
                             static_cast<uint16_t>(p.surface + 1)});
    }
    LwobWriter out;
    out.points(points).triangles(triangles);
    copyChunks(file, "SRFS", false, out);
    copyChunks(file, "SURF", true, out);
    converted.lwob = out.bytes();

    // Read back as the player reads it.
    ObjectFile written;
    written.name = contentPath.c_str();
    written.size = static_cast<int64_t>(converted.lwob.size());
    written.bytes.reset(new uint8_t[converted.lwob.size()]);
    std::memcpy(written.bytes.get(), converted.lwob.data(), converted.lwob.size());
    ReadObject check;
    try {
        readChunks(written, check, false);
    } catch (const ToolError& e) {
        throw ToolError(contentPath + ": the converted object does not read back: " + e.what());
    }
    if (!sameTriangles(mesh, check.mesh) || !sameSurfaces(mesh, check.mesh)) {
        throw ToolError(contentPath + ": the converted object does not read back the same (its "
                                      "data holds the bytes of a chunk tag)");
    }

    const PolygonCensus& census = mesh.census;
    for (int32_t k = 0; k <= census.largest; ++k) {
        converted.polygons += census.byCorners[k];
    }
    converted.triangles = mesh.polygonCount;
    converted.skippedPointsAndLines = census.pointsAndLines;
    converted.skippedWithoutArea = census.degenerate;
    return converted;
}
