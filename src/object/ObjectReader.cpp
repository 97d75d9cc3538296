#include "object/ObjectReader.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "object/ObjectLoadFailure.h"
#include "object/SurfaceReader.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"

namespace {

constexpr int64_t kPointBytes = 12;   // x, y, z
constexpr int64_t kPolygonBytes = 10; // count, three indices, surface

// Finds `tag` and reads its length; reports and returns -1 when the chunk is missing or
// its length is negative or the whole records of `recordBytes` it announces reach past
// the end of the file (the bytes of a last partial record are never read).
int32_t openChunk(ObjectFile& file, const char* tag, int64_t recordBytes, int32_t& length) {
    if (findTag(file, tag) == 0) {
        reportUnusableObject(file.name, "no %.4s chunk", tag);
        return -1;
    }
    const int64_t offset = file.position - 4;
    uint32_t raw = 0;
    const int32_t complete = readChunkLength(file, raw);
    length = static_cast<int32_t>(raw);
    if (complete == 0) {
        reportUnusableObject(file.name,
                             "the %.4s tag at byte %lld is cut off by the end of the file", tag,
                             static_cast<long long>(offset));
        return -1;
    }
    const int64_t used = length < 0 ? 0 : length / recordBytes * recordBytes;
    if (length < 0 || used > remainingBytes(file)) {
        reportUnusableObject(file.name,
                             "the %.4s chunk at byte %lld has length %u, which runs past the "
                             "end of the file (%lld bytes)",
                             tag, static_cast<long long>(offset), raw,
                             static_cast<long long>(file.size));
        return -1;
    }
    return 0;
}

// One SRFS name at offset `at` of the chunk's `length` data bytes: up to and including
// its terminator, then a pad byte when that length is odd. The chunk may end anywhere,
// also inside a name, which still counts as one. Copies the first kMaxSurfaceNameLength
// bytes into `slot` (zero-filled) unless it is nullptr. Returns the offset behind it.
int64_t readSurfaceName(const uint8_t* bytes, int64_t length, int64_t at, char* slot) {
    int64_t nameBytes = 0;
    int32_t kept = 0;
    uint8_t c = 1;
    while (c != 0 && at < length) {
        c = bytes[at++];
        ++nameBytes;
        if (c != 0 && slot != nullptr && kept < kMaxSurfaceNameLength) {
            slot[kept++] = static_cast<char>(c);
        }
    }
    if (c == 0 && nameBytes % 2 == 1 && at < length) {
        ++at;
    }
    return at;
}

[[noreturn]] void outOfMemory(const ObjectFile& file) {
    traceLoader("Out of memory error\n");
    reportUnusableObject(file.name, "out of memory reading the surface names");
    std::exit(EXIT_FAILURE);
}

} // namespace

int64_t surfaceNameCount(ObjectFile& file) {
    const int64_t position = file.position;
    const int32_t atEnd = file.atEnd;
    int64_t count = -1;
    uint32_t length = 0;
    if (findTag(file, "SRFS") == 1 && readChunkLength(file, length) == 1 &&
        static_cast<int32_t>(length) >= 0 && length <= remainingBytes(file)) {
        const uint8_t* bytes = file.bytes.get() + file.position;
        count = 0;
        for (int64_t at = 0; at < length; ++count) {
            at = readSurfaceName(bytes, length, at, nullptr);
        }
    }
    file.position = position;
    file.atEnd = atEnd;
    return count;
}

int32_t readPointsChunk(Mesh& mesh, ObjectFile& file) {
    int32_t length = 0;
    if (openChunk(file, "PNTS", kPointBytes, length) != 0) {
        return -1;
    }
    const int32_t count = static_cast<int32_t>(length / kPointBytes);
    mesh.points.reset(new (std::nothrow) MeshPoint[static_cast<size_t>(count) + 2]);
    if (mesh.points == nullptr) {
        reportUnusableObject(file.name, "out of memory for %d points", count);
        return -1;
    }
    mesh.pointCount = count;
    for (int32_t i = 0; i < count; ++i) {
        float* position = mesh.points[i].position;
        position[0] = readBigEndianFloat(file);
        position[1] = readBigEndianFloat(file);
        position[2] = readBigEndianFloat(file);
        position[3] = 1.0f;
    }
    return 0;
}

int32_t readPolygonsChunk(Mesh& mesh, ObjectFile& file) {
    int32_t length = 0;
    if (openChunk(file, "POLS", kPolygonBytes, length) != 0) {
        return -1;
    }
    if (readerExtensions().triangulatePolygons != nullptr) {
        return readAnyPolygons(mesh, file, length, readerExtensions().triangulatePolygons);
    }
    const int32_t count = static_cast<int32_t>(length / kPolygonBytes);
    mesh.polygons.reset(new (std::nothrow) MeshPolygon[static_cast<size_t>(count) + 2]);
    if (mesh.polygons == nullptr) {
        reportUnusableObject(file.name, "out of memory for %d polygons", count);
        return -1;
    }
    for (int32_t i = 0; i < count; ++i) {
        MeshPolygon& polygon = mesh.polygons[i];
        const uint16_t corners = readBigEndianU16(file);
        if (corners != 3) {
            reportUnusableObject(file.name,
                                 "polygon %d has %u corners; the player draws triangles only "
                                 "(convert the demo: ember convert demo SRC DST)",
                                 i + 1, static_cast<unsigned>(corners));
            return -1;
        }
        for (PolygonCorner& corner : polygon.corners) {
            const uint16_t point = readBigEndianU16(file);
            if (point >= mesh.pointCount) {
                reportUnusableObject(file.name, "polygon %d uses point %u; PNTS holds %d points",
                                     i + 1, static_cast<unsigned>(point), mesh.pointCount);
                return -1;
            }
            corner.pointIndex = point;
        }
        polygon.surface = static_cast<int32_t>(readBigEndianU16(file)) - 1;
    }
    mesh.polygonCount = count;
    return 0;
}

int32_t readSurfaceChunks(Mesh& mesh, TextureTable& textures, ObjectFile& file) {
    int32_t length = 0;
    if (openChunk(file, "SRFS", 1, length) != 0) {
        return -1;
    }
    const uint8_t* bytes = file.bytes.get() + file.position;

    int64_t count = 0;
    for (int64_t at = 0; at < length && count <= kMaxSurfaceCount; ++count) {
        at = readSurfaceName(bytes, length, at, nullptr);
    }
    if (count > kMaxSurfaceCount) {
        reportUnusableObject(file.name, "SRFS names %lld surfaces; at most %d can be used",
                             static_cast<long long>(count), kMaxSurfaceCount);
        return -1;
    }
    const int32_t surfaceCount = static_cast<int32_t>(count);

    // Every polygon must name one of them before any surface loads an image.
    for (int32_t i = 0; i < mesh.polygonCount; ++i) {
        const int32_t surface = mesh.polygons[i].surface;
        if (surface < 0 || surface >= surfaceCount) {
            reportUnusableObject(file.name,
                                 "polygon %d uses surface %d; SRFS names %d surfaces "
                                 "(numbered from 1)",
                                 i + 1, surface + 1, surfaceCount);
            return -1;
        }
    }

    mesh.surfaceNames.reset(
        new (std::nothrow) char[static_cast<size_t>(surfaceCount) + 1][kSurfaceNameSize]());
    mesh.surfaces.reset(new (std::nothrow) Surface[static_cast<size_t>(surfaceCount) + 1]);
    std::unique_ptr<int32_t[]> order(new (std::nothrow)
                                         int32_t[static_cast<size_t>(surfaceCount) + 1]);
    if (mesh.surfaceNames == nullptr || mesh.surfaces == nullptr || order == nullptr) {
        outOfMemory(file);
    }
    mesh.surfaceCount = surfaceCount;
    int64_t at = 0;
    for (int32_t i = 0; i < surfaceCount; ++i) {
        at = readSurfaceName(bytes, length, at, mesh.surfaceNames[i]);
    }
    sortSurfaceNames(mesh.surfaceNames.get(), surfaceCount, order.get());
    const SurfaceNameTable names{mesh.surfaceNames.get(), surfaceCount, order.get()};

    file.position = 0;
    while (findNextTag(file, "SURF") == 1) {
        readSurfaceChunk(file, mesh.surfaces.get(), names, textures);
    }
    return 0;
}
