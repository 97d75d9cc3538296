// Texture coordinates: the object's own coordinate file, or planar and cylindrical
// projection from the surfaces.
//
// The arithmetic is exactly the player's, constants included: the cylinder angle uses
// 3.1415926359 and half of it (not pi), and the turn fraction multiplies by the double
// -0.15915494398807073 before rounding to single precision. A point on the -z side of
// a Y-axis cylinder therefore maps to u = 127.99999, not 128; content was tuned to that.
//
// The seam: a triangle whose corners straddle the angle's wrap point would span the
// image backwards. Its small u values are moved up by one wrap, in a fixed pairwise
// order (u2/u1, u0/u1, u0/u2), which leaves a triangle that spans more than half the
// cylinder with one corner moved twice; that is how the content looks and stays so.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "math/Matrix4.h"
#include "object/MeshPreparation.h"
#include "object/ObjectLoadFailure.h"
#include "platform/HostPath.h"

namespace {

constexpr int64_t kTriangleBytes = 24; // six floats
constexpr int32_t kTrianglesPerBlock = 1024;

// a / b, or 0 when b is zero: the coordinate of the projection centre.
float ratio(float a, float b) {
    return b == 0.0f ? 0.0f : a / b;
}

float littleEndianFloat(const uint8_t* bytes) {
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                          static_cast<uint32_t>(bytes[2]) << 16 |
                          static_cast<uint32_t>(bytes[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void planarCorner(const Surface& surface, const float* p, PolygonCorner& corner) {
    const float* c = surface.textureCenter;
    const float* s = surface.textureSize;
    float a;
    float b;
    if (surface.textureAxis == 1) {
        a = ratio(p[2] - c[2], s[2]);
        b = ratio(p[1] - c[1], s[1]);
    } else if (surface.textureAxis == 2) {
        a = ratio(p[0] - c[0], s[0]);
        b = ratio(p[2] - c[2], s[2]);
    } else {
        a = ratio(p[0] - c[0], s[0]);
        b = ratio(p[1] - c[1], s[1]);
    }
    corner.u = (a + 0.5f) * 256.0f;
    corner.v = (0.5f - b) * 256.0f;
}

// u before the seam correction and v, both as fractions of the image.
void cylindricalCorner(const Surface& surface, const float* p, float& u, float& v) {
    const float* c = surface.textureCenter;
    const float* s = surface.textureSize;
    float x1;
    float x2;
    float h;
    float size;
    if (surface.textureAxis == 1) {
        x1 = p[2] - c[2];
        x2 = -(p[1] - c[1]);
        h = p[0] - c[0];
        size = s[0];
    } else if (surface.textureAxis == 2) {
        x1 = -(p[0] - c[0]);
        x2 = p[2] - c[2];
        h = p[1] - c[1];
        size = s[1];
    } else {
        x1 = -(p[0] - c[0]);
        x2 = -(p[1] - c[1]);
        h = p[2] - c[2];
        size = s[2];
    }
    const float theta = cylinderAngle(x1, x2);
    u = static_cast<float>(static_cast<double>(theta) * -0.15915494398807073 + 1.0);
    const float w = surface.textureWrapWidth;
    if (w != 1.0f) {
        u = u * w;
    }
    v = 0.5f - ratio(h, size);
}

void cylindricalTriangle(const Surface& surface, const Mesh& mesh, MeshPolygon& polygon) {
    float u[3];
    float v[3];
    for (int k = 0; k < 3; ++k) {
        cylindricalCorner(surface, mesh.points[polygon.corners[k].pointIndex].position, u[k], v[k]);
    }
    const float w = surface.textureWrapWidth;
    const float half = w * 0.5f;
    if (std::fabs(u[2] - u[1]) > half) {
        if (u[1] <= u[2]) {
            u[1] += w;
        } else {
            u[2] += w;
        }
    }
    if (std::fabs(u[0] - u[1]) > half) {
        if (u[1] <= u[0]) {
            u[1] += w;
        } else {
            u[0] += w;
        }
    }
    if (std::fabs(u[0] - u[2]) > half) {
        if (u[2] <= u[0]) {
            u[2] += w;
        } else {
            u[0] += w;
        }
    }
    for (int k = 0; k < 3; ++k) {
        polygon.corners[k].u = u[k] * 256.0f;
        polygon.corners[k].v = v[k] * 256.0f;
    }
}

} // namespace

int32_t textureCoordinateFileName(const char* objectFileName, char* path, size_t size) {
    const char* dot = nullptr;
    for (const char* p = objectFileName; *p != '\0'; ++p) {
        if (*p == '.') {
            dot = p;
        } else if (*p == '\\' || *p == '/') {
            dot = nullptr; // a '.' of a directory is no extension
        }
    }
    if (dot == nullptr) {
        return 0;
    }
    const size_t stem = static_cast<size_t>(dot - objectFileName) + 1; // with the '.'
    const size_t extension = std::strlen(dot + 1);
    const size_t rest = extension > 3 ? extension - 3 : 0; // kept behind "txc"
    if (stem + 3 + rest + 1 > size) {
        return 0;
    }
    std::memcpy(path, objectFileName, stem);
    std::memcpy(path + stem, "txc", 3);
    std::memcpy(path + stem + 3, dot + 1 + (extension - rest), rest + 1);
    return 1;
}

int32_t applyTextureCoordinateFile(Mesh& mesh, const char* objectFileName) {
    char path[4096];
    if (textureCoordinateFileName(objectFileName, path, sizeof path) == 0) {
        return 0;
    }
    FILE* file = openContentFile(path);
    if (file == nullptr) {
        return 0;
    }
    // A file shorter than the triangles need (most often one left from before the object
    // gained triangles) gives the triangles it covers; the others keep u = v = 0.
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        size = std::ftell(file);
    }
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        reportUnusableObject(objectFileName, "the texture coordinate file %s cannot be read", path);
        return -1;
    }
    const int64_t covered = static_cast<int64_t>(size) / kTriangleBytes;
    const int32_t triangles =
        covered < mesh.polygonCount ? static_cast<int32_t>(covered) : mesh.polygonCount;
    uint8_t block[kTrianglesPerBlock * kTriangleBytes];
    for (int32_t first = 0; first < triangles; first += kTrianglesPerBlock) {
        const int32_t n = std::min(kTrianglesPerBlock, triangles - first);
        if (std::fread(block, kTriangleBytes, static_cast<size_t>(n), file) !=
            static_cast<size_t>(n)) {
            std::fclose(file);
            reportUnusableObject(objectFileName, "the texture coordinate file %s cannot be read",
                                 path);
            return -1;
        }
        for (int32_t t = 0; t < n; ++t) {
            MeshPolygon& polygon = mesh.polygons[first + t];
            const uint8_t* values = block + t * kTriangleBytes;
            for (int k = 0; k < 3; ++k) {
                polygon.corners[k].u = littleEndianFloat(values + 8 * k);
                polygon.corners[k].v = littleEndianFloat(values + 8 * k + 4);
            }
        }
    }
    std::fclose(file);
    return 1;
}

float cylinderAngle(float x1, float x2) {
    if (x1 == 0.0f && x2 == 0.0f) {
        return 0.0f;
    }
    if (x2 == 0.0f) {
        return static_cast<float>(x1 > 0.0f ? -kQuarterTurn : kQuarterTurn);
    }
    const double t = std::atan(static_cast<double>(x1 / x2));
    if (x2 > 0.0f) {
        return static_cast<float>(-t);
    }
    return static_cast<float>(kHalfTurn - t);
}

void generateTextureCoordinates(Mesh& mesh) {
    for (int32_t i = 0; i < mesh.polygonCount; ++i) {
        MeshPolygon& polygon = mesh.polygons[i];
        const Surface& surface = mesh.surfaces[polygon.surface];
        if (surface.textureMapping == 1) {
            for (PolygonCorner& corner : polygon.corners) {
                planarCorner(surface, mesh.points[corner.pointIndex].position, corner);
            }
        } else if (surface.textureMapping == 2) {
            cylindricalTriangle(surface, mesh, polygon);
        }
    }
}
