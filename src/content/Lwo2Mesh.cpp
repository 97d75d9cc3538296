// Building the drawable mesh of an LWO2 model. Why it is built so:
//
// - Everything is linear in the number of corners (an object of a million polygons
//   loads in well under a second): polygons around each point come from one counting
//   sort (offsets per point), the smoothing of a corner looks only at its point's
//   polygons, and MeshPoints are shared through a short list per point.
// - Triangles are cut before any MeshPoint is made, so only points that some triangle
//   uses are created and the point array is allocated once at its exact size (a
//   MeshPoint is 132 bytes; sizing it by corners would need four times the memory).
// - The face normal follows the renderer's convention (the version-1 face normal
//   (p0 - p1) x (p2 - p1)): it points away from the viewer on a polygon seen from its
//   front. It is the negated Newell normal, which for a non-planar polygon is the
//   normal of its best plane rather than of its first three corners.
#include "content/Lwo2Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "content/ClipTexture.h"
#include "content/Lwo2Projection.h"
#include "content/Lwo2Surface.h"
#include "content/Triangulator.h"
#include "object/MeshPreparation.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

constexpr int32_t kMaxCorners = 1023; // a polygon's corner count is 10 bits

int32_t refuse(char* reason, size_t size, const char* text) {
    if (reason != nullptr && size > 0) {
        std::snprintf(reason, size, "%s", text);
    }
    return 0;
}

template <class T>
std::unique_ptr<T[]> allocate(size_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count > 0 ? count : 1]());
}

float fraction(float value) {
    return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; // NaN -> 0
}

// What the renderer draws for one surface; `texture` is the loaded colour map, if any.
Surface surfaceOf(const Lwo2SurfaceLook& look, const ClipTexture* texture) {
    Surface s;
    const bool luminous = look.luminosity >= 1.0f;
    s.luminosity = static_cast<int32_t>(fraction(look.luminosity) * 256.0f);
    const float diffuse = luminous ? 1.0f : (look.diffuse > 0.0f ? look.diffuse : 0.0f);
    for (int c = 0; c < 3; ++c) {
        s.color[c] = fraction((texture != nullptr ? 1.0f : look.color[c]) * diffuse);
    }
    s.transparency = fraction(look.transparency);
    s.transparent = s.transparency > 0.0f ? 1 : 0;
    s.additive = look.additiveTransparency >= 0.5f ? 1 : 0;
    s.doubleSided = look.sides == 3 ? 1 : 0;
    s.smoothing = look.smoothingAngle > 0.0f ? 4 : 0;
    if (texture != nullptr) {
        const Lwo2ImageMap& map = look.image;
        s.textureMapping = static_cast<int32_t>(map.projection) + 1;
        s.colorTexture = texture->index;
        s.textureAxis = static_cast<uint8_t>(map.axis + 1);
        s.textureWrapWidth = map.wrapCountWidth;
        s.textureWrapHeight = map.wrapCountHeight;
        for (int i = 0; i < 3; ++i) {
            s.textureSize[i] = map.size[i];
            s.textureCenter[i] = map.center[i];
        }
    }
    return s;
}

struct Vec {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Vec unit(double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0)) {
        return Vec{};
    }
    return Vec{static_cast<float>(x / length), static_cast<float>(y / length),
               static_cast<float>(z / length)};
}

// The renderer's unit face normal of a polygon: the negated Newell normal.
Vec faceNormalOf(const Lwo2Model& model, const Lwo2Polygon& polygon) {
    double nx = 0.0, ny = 0.0, nz = 0.0;
    const int32_t* corners = model.corners.get() + polygon.firstCorner;
    for (int32_t i = 0; i < polygon.cornerCount; ++i) {
        const float* a = model.points.get() + static_cast<size_t>(corners[i]) * 3;
        const float* b =
            model.points.get() + static_cast<size_t>(corners[(i + 1) % polygon.cornerCount]) * 3;
        nx += (static_cast<double>(a[1]) - b[1]) * (static_cast<double>(a[2]) + b[2]);
        ny += (static_cast<double>(a[2]) - b[2]) * (static_cast<double>(a[0]) + b[0]);
        nz += (static_cast<double>(a[0]) - b[0]) * (static_cast<double>(a[1]) + b[1]);
    }
    return unit(-nx, -ny, -nz);
}

struct Builder {
    const Lwo2Model& model;
    // Drawn polygons (indices into model.polygons) and their corners ("slots", numbered
    // polygon by polygon).
    std::vector<int32_t> drawn;
    std::vector<int32_t> firstSlot;        // per drawn polygon, and one past the last
    std::unique_ptr<int32_t[]> slotDrawn;  // slot -> drawn polygon
    std::vector<int32_t> surfaceOfDrawn;   // mesh surface per drawn polygon
    std::vector<Vec> faceNormals;          // per drawn polygon
    std::vector<float> smoothingCosine;    // per mesh surface; > 1: faceted
    std::unique_ptr<int32_t[]> pointFirst; // per point: first entry in pointSlots
    std::unique_ptr<int32_t[]> pointSlots; // slots grouped by point
    int32_t slotCount = 0;

    int32_t pointOfSlot(int32_t slot) const {
        const int32_t d = slotDrawn[slot];
        return model.corners[model.polygons[drawn[d]].firstCorner + slot - firstSlot[d]];
    }
};

// A TXUV map's values by point, with its per-polygon entries sorted for lookup. Only the
// maps that surfaces use are spread out, one at a time.
struct UvLookup {
    const Lwo2Model& model;
    const Lwo2UvMap* map = nullptr;
    std::string name;
    bool selected = false;
    std::unique_ptr<float[]> byPoint;   // u, v per point; 0, 0 when unmapped
    std::vector<Lwo2UvEntry> byPolygon; // sorted by polygon, then point

    explicit UvLookup(const Lwo2Model& m) : model(m) {}

    // False when memory runs out.
    bool select(const std::string& mapName) {
        if (selected && mapName == name) {
            return true;
        }
        selected = true;
        name = mapName;
        map = nullptr;
        for (const Lwo2UvMap& candidate : model.uvMaps) {
            if (candidate.name == mapName) {
                map = &candidate;
            }
        }
        if (map == nullptr && !model.uvMaps.empty()) {
            map = &model.uvMaps.front(); // a block naming no map, or one not in the file
        }
        byPoint = allocate<float>(static_cast<size_t>(model.pointCount) * 2);
        if (byPoint == nullptr) {
            return false;
        }
        byPolygon.clear();
        if (map != nullptr) {
            for (const Lwo2UvEntry& entry : map->perPoint) {
                byPoint[static_cast<size_t>(entry.point) * 2] = entry.u;
                byPoint[static_cast<size_t>(entry.point) * 2 + 1] = entry.v;
            }
            byPolygon = map->perPolygon;
            std::sort(byPolygon.begin(), byPolygon.end(),
                      [](const Lwo2UvEntry& a, const Lwo2UvEntry& b) {
                          return a.polygon != b.polygon ? a.polygon < b.polygon : a.point < b.point;
                      });
        }
        return true;
    }

    void find(int32_t point, int32_t polygon, float& u, float& v) const {
        u = byPoint[static_cast<size_t>(point) * 2];
        v = byPoint[static_cast<size_t>(point) * 2 + 1];
        Lwo2UvEntry key;
        key.point = point;
        key.polygon = polygon;
        const auto at = std::lower_bound(byPolygon.begin(), byPolygon.end(), key,
                                         [](const Lwo2UvEntry& a, const Lwo2UvEntry& b) {
                                             return a.polygon != b.polygon ? a.polygon < b.polygon
                                                                           : a.point < b.point;
                                         });
        if (at != byPolygon.end() && at->polygon == polygon && at->point == point) {
            u = at->u;
            v = at->v;
        }
    }
};

} // namespace

int32_t buildLwo2Mesh(const Lwo2Model& model, int32_t layer, TextureTable& textures,
                      const char* objectPath, SceneObject& object, char* reason,
                      size_t reasonSize) {
    object.mesh = Mesh{};
    Builder b{model, {}, {}, {}, {}, {}, {}, {}, {}, 0};

    // Drawn polygons and the surfaces they use, in TAGS order ("Default" last).
    const size_t tagCount = model.tags.size();
    std::vector<int32_t> surfaceOfTag(tagCount + 1, -1);
    for (int32_t i = 0; i < model.polygonCount; ++i) {
        const Lwo2Polygon& polygon = model.polygons[i];
        if (polygon.cornerCount < 3 || (layer >= 0 && polygon.layer != layer)) {
            continue;
        }
        if (polygon.surfaceTag >= static_cast<int32_t>(tagCount)) {
            return refuse(reason, reasonSize, "a polygon's surface names no tag of TAGS");
        }
        b.drawn.push_back(i);
        surfaceOfTag[polygon.surfaceTag >= 0 ? polygon.surfaceTag : tagCount] = 0;
    }
    int32_t surfaceCount = 0;
    for (int32_t& surface : surfaceOfTag) {
        surface = surface == 0 ? surfaceCount++ : -1;
    }
    Mesh& mesh = object.mesh;
    mesh.surfaceCount = surfaceCount;
    mesh.surfaces = allocate<Surface>(static_cast<size_t>(surfaceCount) + 1);
    mesh.surfaceNames.reset(new (std::nothrow) char[surfaceCount + 1][kSurfaceNameSize]());
    if (mesh.surfaces == nullptr || mesh.surfaceNames == nullptr) {
        object.mesh = Mesh{};
        return refuse(reason, reasonSize, "out of memory for the surfaces");
    }
    std::vector<ClipTexture> surfaceTextures(surfaceCount);
    std::vector<Lwo2SurfaceLook> looks(surfaceCount);
    for (size_t tag = 0; tag <= tagCount; ++tag) {
        const int32_t s = surfaceOfTag[tag];
        if (s < 0) {
            continue;
        }
        const std::string name = tag < tagCount ? model.tags[tag] : std::string("Default");
        std::snprintf(mesh.surfaceNames[s], kSurfaceNameSize, "%s", name.c_str());
        looks[s] = readLwo2Surface(model, name);
        ClipTexture& texture = surfaceTextures[s];
        const bool textured = looks[s].image.present &&
                              loadClipTexture(textures, model, looks[s], objectPath, texture) == 1;
        if (!textured) {
            texture.index = -1;
        }
        mesh.surfaces[s] = surfaceOf(looks[s], textured ? &texture : nullptr);
        const float angle = looks[s].smoothingAngle;
        b.smoothingCosine.push_back(angle > 0.0f ? std::cos(angle) : 2.0f);
    }

    // Slots, face normals, and the slots around each point (a counting sort).
    const size_t drawnCount = b.drawn.size();
    b.firstSlot.resize(drawnCount + 1);
    b.surfaceOfDrawn.resize(drawnCount);
    b.faceNormals.resize(drawnCount);
    for (size_t d = 0; d < drawnCount; ++d) {
        const Lwo2Polygon& polygon = model.polygons[b.drawn[d]];
        b.firstSlot[d] = b.slotCount;
        b.slotCount += polygon.cornerCount;
        b.surfaceOfDrawn[d] =
            surfaceOfTag[polygon.surfaceTag >= 0 ? polygon.surfaceTag
                                                 : static_cast<int32_t>(tagCount)];
        b.faceNormals[d] = faceNormalOf(model, polygon);
    }
    b.firstSlot[drawnCount] = b.slotCount;
    const size_t slots = static_cast<size_t>(b.slotCount);
    b.slotDrawn = allocate<int32_t>(slots);
    b.pointFirst = allocate<int32_t>(static_cast<size_t>(model.pointCount) + 1);
    b.pointSlots = allocate<int32_t>(slots);
    auto cornerU = allocate<float>(slots);
    auto cornerV = allocate<float>(slots);
    auto cornerNormals = allocate<Vec>(slots);
    auto slotPoint = allocate<int32_t>(slots); // the MeshPoint of a slot, -1 until used
    if (b.slotDrawn == nullptr || b.pointFirst == nullptr || b.pointSlots == nullptr ||
        cornerU == nullptr || cornerV == nullptr || cornerNormals == nullptr ||
        slotPoint == nullptr) {
        object.mesh = Mesh{};
        return refuse(reason, reasonSize, "out of memory for the object's corners");
    }
    for (size_t d = 0; d < drawnCount; ++d) {
        for (int32_t slot = b.firstSlot[d]; slot < b.firstSlot[d + 1]; ++slot) {
            b.slotDrawn[slot] = static_cast<int32_t>(d);
        }
    }
    for (int32_t slot = 0; slot < b.slotCount; ++slot) {
        ++b.pointFirst[b.pointOfSlot(slot) + 1];
    }
    for (int32_t p = 0; p < model.pointCount; ++p) {
        b.pointFirst[p + 1] += b.pointFirst[p];
    }
    {
        std::vector<int32_t> fill(b.pointFirst.get(), b.pointFirst.get() + model.pointCount);
        for (int32_t slot = 0; slot < b.slotCount; ++slot) {
            b.pointSlots[fill[b.pointOfSlot(slot)]++] = slot;
        }
    }

    // Corner normals: the mean of the normals of the same surface's polygons around the
    // point that lie within the smoothing angle of the corner's own polygon.
    for (int32_t slot = 0; slot < b.slotCount; ++slot) {
        const int32_t d = b.slotDrawn[slot];
        const Vec own = b.faceNormals[d];
        const int32_t surface = b.surfaceOfDrawn[d];
        const float limit = b.smoothingCosine[surface];
        Vec normal = own;
        if (limit <= 1.0f) {
            const int32_t point = b.pointOfSlot(slot);
            double x = 0.0, y = 0.0, z = 0.0;
            for (int32_t k = b.pointFirst[point]; k < b.pointFirst[point + 1]; ++k) {
                const int32_t other = b.slotDrawn[b.pointSlots[k]];
                const Vec n = b.faceNormals[other];
                if (b.surfaceOfDrawn[other] == surface &&
                    (other == d || own.x * n.x + own.y * n.y + own.z * n.z >= limit)) {
                    x += n.x;
                    y += n.y;
                    z += n.z;
                }
            }
            normal = unit(x, y, z);
        }
        if (normal.x == 0.0f && normal.y == 0.0f && normal.z == 0.0f) {
            normal = own.x == 0.0f && own.y == 0.0f && own.z == 0.0f ? Vec{0.0f, 0.0f, 1.0f} : own;
        }
        cornerNormals[slot] = normal;
    }

    // Texture coordinates in texels.
    float boxMin[3] = {0.0f, 0.0f, 0.0f}, boxMax[3] = {0.0f, 0.0f, 0.0f};
    for (int32_t slot = 0; slot < b.slotCount; ++slot) {
        const float* p = model.points.get() + static_cast<size_t>(b.pointOfSlot(slot)) * 3;
        for (int i = 0; i < 3; ++i) {
            boxMin[i] = slot == 0 || p[i] < boxMin[i] ? p[i] : boxMin[i];
            boxMax[i] = slot == 0 || p[i] > boxMax[i] ? p[i] : boxMax[i];
        }
    }
    for (int32_t s = 0; s < surfaceCount; ++s) {
        Lwo2ImageMap& map = looks[s].image;
        if (surfaceTextures[s].index >= 0 && map.projection == Lwo2Projection::Front) {
            map.projection = Lwo2Projection::Planar;
            map.axis = 2;
            for (int i = 0; i < 3; ++i) {
                map.center[i] = (boxMin[i] + boxMax[i]) * 0.5f;
                map.size[i] = boxMax[i] - boxMin[i];
            }
            std::memset(map.rotation, 0, sizeof map.rotation);
        }
    }
    UvLookup uvLookup(model);
    for (size_t d = 0; d < drawnCount; ++d) {
        const int32_t s = b.surfaceOfDrawn[d];
        const int32_t first = b.firstSlot[d];
        const Lwo2Polygon& polygon = model.polygons[b.drawn[d]];
        if (surfaceTextures[s].index < 0) {
            continue; // corners keep u = v = 0
        }
        const Lwo2ImageMap& map = looks[s].image;
        float* u = cornerU.get() + first;
        float* v = cornerV.get() + first;
        if (map.projection == Lwo2Projection::Uv) {
            if (!uvLookup.select(map.uvMap)) {
                object.mesh = Mesh{};
                return refuse(reason, reasonSize, "out of memory for a UV map");
            }
            for (int32_t k = 0; k < polygon.cornerCount; ++k) {
                uvLookup.find(model.corners[polygon.firstCorner + k], b.drawn[d], u[k], v[k]);
            }
        } else {
            const Vec n = b.faceNormals[d];
            const float normal[3] = {n.x, n.y, n.z};
            projectPolygon(map, model.points.get(), model.corners.get() + polygon.firstCorner,
                           polygon.cornerCount, normal, u, v);
        }
        for (int32_t k = 0; k < polygon.cornerCount; ++k) {
            u[k] = u[k] * surfaceTextures[s].uScale;
            v[k] = (1.0f - v[k]) * surfaceTextures[s].vScale;
        }
    }

    // Triangles, as corner slots.
    std::vector<int32_t> triangles;
    triangles.reserve(slots * 3);
    {
        Triangulator triangulator;
        Vector3 positions[kMaxCorners];
        int32_t cut[kMaxCorners][3];
        for (size_t d = 0; d < drawnCount; ++d) {
            const Lwo2Polygon& polygon = model.polygons[b.drawn[d]];
            for (int32_t k = 0; k < polygon.cornerCount; ++k) {
                const float* p = model.points.get() +
                                 static_cast<size_t>(model.corners[polygon.firstCorner + k]) * 3;
                positions[k] = Vector3{p[0], p[1], p[2]};
            }
            const int32_t n = triangulator.triangulate(positions, polygon.cornerCount, cut);
            if (n < 0) {
                object.mesh = Mesh{};
                return refuse(reason, reasonSize, "out of memory cutting polygons into triangles");
            }
            for (int32_t t = 0; t < n; ++t) {
                for (int c = 0; c < 3; ++c) {
                    triangles.push_back(b.firstSlot[d] + cut[t][c]);
                }
            }
        }
    }

    // MeshPoints: one per point, surface and normal that a triangle uses.
    auto known = allocate<int32_t>(static_cast<size_t>(model.pointCount)); // per point
    if (known == nullptr) {
        object.mesh = Mesh{};
        return refuse(reason, reasonSize, "out of memory for the object's points");
    }
    auto firstUser = allocate<int32_t>(slots); // per entry of pointSlots: a slot using it
    if (firstUser == nullptr) {
        object.mesh = Mesh{};
        return refuse(reason, reasonSize, "out of memory for the object's points");
    }
    int32_t pointCount = 0;
    for (int32_t slot = 0; slot < b.slotCount; ++slot) {
        slotPoint[slot] = -1;
    }
    for (const int32_t slot : triangles) {
        if (slotPoint[slot] >= 0) {
            continue;
        }
        const int32_t point = b.pointOfSlot(slot);
        const int32_t surface = b.surfaceOfDrawn[b.slotDrawn[slot]];
        const int32_t begin = b.pointFirst[point];
        int32_t found = -1;
        for (int32_t k = begin; k < begin + known[point] && found < 0; ++k) {
            const int32_t other = firstUser[k];
            if (b.surfaceOfDrawn[b.slotDrawn[other]] == surface &&
                std::memcmp(&cornerNormals[other], &cornerNormals[slot], sizeof(Vec)) == 0) {
                found = slotPoint[other];
            }
        }
        if (found < 0) {
            firstUser[begin + known[point]++] = slot;
            found = pointCount++;
        }
        slotPoint[slot] = found;
    }
    mesh.pointCount = pointCount;
    mesh.points = allocate<MeshPoint>(static_cast<size_t>(pointCount));
    mesh.polygonCount = static_cast<int32_t>(triangles.size() / 3);
    mesh.polygons = allocate<MeshPolygon>(triangles.size() / 3);
    if (mesh.points == nullptr || mesh.polygons == nullptr) {
        object.mesh = Mesh{};
        return refuse(reason, reasonSize, "out of memory for the object's points and triangles");
    }
    for (size_t t = 0; t < triangles.size() / 3; ++t) {
        MeshPolygon& triangle = mesh.polygons[t];
        for (int c = 0; c < 3; ++c) {
            const int32_t slot = triangles[t * 3 + c];
            const int32_t index = slotPoint[slot];
            const int32_t surface = b.surfaceOfDrawn[b.slotDrawn[slot]];
            triangle.corners[c].pointIndex = index;
            triangle.corners[c].u = cornerU[slot];
            triangle.corners[c].v = cornerV[slot];
            triangle.surface = surface;
            MeshPoint& out = mesh.points[index];
            const float* p = model.points.get() + static_cast<size_t>(b.pointOfSlot(slot)) * 3;
            out.position[0] = p[0];
            out.position[1] = p[1];
            out.position[2] = p[2];
            out.position[3] = 1.0f;
            out.normal[0] = cornerNormals[slot].x;
            out.normal[1] = cornerNormals[slot].y;
            out.normal[2] = cornerNormals[slot].z;
            out.surface = surface;
            out.luminosity = mesh.surfaces[surface].luminosity;
            std::memcpy(out.color, mesh.surfaces[surface].color, sizeof out.color);
        }
    }
    computeBoundingBox(mesh, object.boundingBox);
    return 1;
}
