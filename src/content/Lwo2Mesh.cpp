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

template <class T>
std::unique_ptr<T[]> allocate(size_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count > 0 ? count : 1]());
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

// The steps of one build, each on the results of the ones before; each returns false
// with `failure` set when memory runs out (or a polygon names no tag).
class MeshBuilder {
public:
    MeshBuilder(const Lwo2Model& model, int32_t layerNumber)
        : model_(model), layerNumber_(layerNumber) {}

    const char* failure = nullptr;

    bool chooseSurfaces(TextureTable& textures, const char* objectPath, Mesh& mesh);
    bool linkCorners();
    void smoothNormals();
    bool mapTextures();
    bool cutTriangles();
    bool makePoints(Mesh& mesh);

private:
    bool fail(const char* why) {
        failure = why;
        return false;
    }
    int32_t pointOfSlot(int32_t slot) const {
        const int32_t d = slotDrawn_[slot];
        return model_.corners[model_.polygons[drawn_[d]].firstCorner + slot - firstSlot_[d]];
    }
    const float* position(int32_t point) const {
        return model_.points.get() + static_cast<size_t>(point) * 3;
    }

    const Lwo2Model& model_;
    const int32_t layerNumber_; // LAYR number of the layer drawn, -1 for all
    // Drawn polygons (indices into model.polygons); their corners are "slots", numbered
    // polygon by polygon.
    std::vector<int32_t> drawn_;
    std::vector<int32_t> surfaceOfDrawn_; // mesh surface per drawn polygon
    std::vector<Vec> faceNormals_;        // per drawn polygon
    std::vector<int32_t> firstSlot_;      // per drawn polygon, and one past the last
    int32_t slotCount_ = 0;
    // Per mesh surface.
    std::vector<Lwo2SurfaceLook> looks_;
    std::vector<ClipTexture> textures_;  // index -1: untextured
    std::vector<float> smoothingCosine_; // > 1: faceted
    // Per slot.
    std::unique_ptr<int32_t[]> slotDrawn_;
    std::unique_ptr<Vec[]> cornerNormals_;
    std::unique_ptr<float[]> cornerU_; // texels
    std::unique_ptr<float[]> cornerV_;
    std::unique_ptr<int32_t[]> slotPoint_; // the MeshPoint, -1 until a triangle uses it
    // The slots around each point: pointSlots_[pointFirst_[p] .. pointFirst_[p + 1]).
    std::unique_ptr<int32_t[]> pointFirst_;
    std::unique_ptr<int32_t[]> pointSlots_;
    std::vector<int32_t> triangles_; // three slots each
};

// Drawn polygons and the surfaces they use, in TAGS order ("Default", for polygons
// without a tag, last), with their looks and pictures.
bool MeshBuilder::chooseSurfaces(TextureTable& textures, const char* objectPath, Mesh& mesh) {
    const int32_t tagCount = static_cast<int32_t>(model_.tags.size());
    std::vector<int32_t> surfaceOfTag(static_cast<size_t>(tagCount) + 1, -1);
    for (int32_t i = 0; i < model_.polygonCount; ++i) {
        const Lwo2Polygon& polygon = model_.polygons[i];
        if (polygon.cornerCount < 3 ||
            (layerNumber_ >= 0 && model_.layers[polygon.layer].number != layerNumber_)) {
            continue;
        }
        if (polygon.surfaceTag >= tagCount) {
            return fail("a polygon's surface names no tag of TAGS");
        }
        drawn_.push_back(i);
        surfaceOfTag[polygon.surfaceTag >= 0 ? polygon.surfaceTag : tagCount] = 0;
    }
    int32_t surfaceCount = 0;
    for (int32_t& surface : surfaceOfTag) {
        surface = surface == 0 ? surfaceCount++ : -1;
    }
    for (const int32_t i : drawn_) {
        const int32_t tag = model_.polygons[i].surfaceTag;
        surfaceOfDrawn_.push_back(surfaceOfTag[tag >= 0 ? tag : tagCount]);
    }

    mesh.surfaceCount = surfaceCount;
    mesh.surfaces = allocate<Surface>(static_cast<size_t>(surfaceCount) + 1);
    mesh.surfaceNames.reset(new (std::nothrow) char[surfaceCount + 1][kSurfaceNameSize]());
    if (mesh.surfaces == nullptr || mesh.surfaceNames == nullptr) {
        return fail("out of memory for the surfaces");
    }
    looks_.resize(static_cast<size_t>(surfaceCount));
    textures_.resize(static_cast<size_t>(surfaceCount));
    smoothingCosine_.resize(static_cast<size_t>(surfaceCount));
    for (int32_t tag = 0; tag <= tagCount; ++tag) {
        const int32_t s = surfaceOfTag[tag];
        if (s < 0) {
            continue;
        }
        const std::string name = tag < tagCount ? model_.tags[tag] : std::string("Default");
        std::snprintf(mesh.surfaceNames[s], kSurfaceNameSize, "%s", name.c_str());
        looks_[s] = readLwo2Surface(model_, name);
        ClipTexture& texture = textures_[s];
        const bool textured =
            looks_[s].image.present &&
            loadClipTexture(textures, model_, looks_[s], objectPath, texture) == 1;
        texture.index = textured ? texture.index : -1;
        mesh.surfaces[s] = surfaceRecordOf(looks_[s], texture.index);
        const float angle = looks_[s].smoothingAngle;
        smoothingCosine_[s] = angle > 0.0f ? std::cos(angle) : 2.0f;
    }
    return true;
}

// Slots, face normals, and the slots around each point (a counting sort).
bool MeshBuilder::linkCorners() {
    const size_t drawnCount = drawn_.size();
    firstSlot_.resize(drawnCount + 1);
    faceNormals_.resize(drawnCount);
    for (size_t d = 0; d < drawnCount; ++d) {
        const Lwo2Polygon& polygon = model_.polygons[drawn_[d]];
        firstSlot_[d] = slotCount_;
        slotCount_ += polygon.cornerCount;
        faceNormals_[d] = faceNormalOf(model_, polygon);
    }
    firstSlot_[drawnCount] = slotCount_;
    const size_t slots = static_cast<size_t>(slotCount_);
    slotDrawn_ = allocate<int32_t>(slots);
    cornerNormals_ = allocate<Vec>(slots);
    cornerU_ = allocate<float>(slots);
    cornerV_ = allocate<float>(slots);
    slotPoint_ = allocate<int32_t>(slots);
    pointFirst_ = allocate<int32_t>(static_cast<size_t>(model_.pointCount) + 1);
    pointSlots_ = allocate<int32_t>(slots);
    if (slotDrawn_ == nullptr || cornerNormals_ == nullptr || cornerU_ == nullptr ||
        cornerV_ == nullptr || slotPoint_ == nullptr || pointFirst_ == nullptr ||
        pointSlots_ == nullptr) {
        return fail("out of memory for the object's corners");
    }
    for (size_t d = 0; d < drawnCount; ++d) {
        for (int32_t slot = firstSlot_[d]; slot < firstSlot_[d + 1]; ++slot) {
            slotDrawn_[slot] = static_cast<int32_t>(d);
        }
    }
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        ++pointFirst_[pointOfSlot(slot) + 1];
    }
    for (int32_t p = 0; p < model_.pointCount; ++p) {
        pointFirst_[p + 1] += pointFirst_[p];
    }
    std::vector<int32_t> fill(pointFirst_.get(), pointFirst_.get() + model_.pointCount);
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        pointSlots_[fill[static_cast<size_t>(pointOfSlot(slot))]++] = slot;
    }
    return true;
}

// Corner normals: the mean of the normals of the same surface's polygons around the
// point that lie within the smoothing angle of the corner's own polygon.
void MeshBuilder::smoothNormals() {
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        const int32_t d = slotDrawn_[slot];
        const Vec own = faceNormals_[d];
        const int32_t surface = surfaceOfDrawn_[d];
        const float limit = smoothingCosine_[surface];
        Vec normal = own;
        if (limit <= 1.0f) {
            const int32_t point = pointOfSlot(slot);
            double x = 0.0, y = 0.0, z = 0.0;
            for (int32_t k = pointFirst_[point]; k < pointFirst_[point + 1]; ++k) {
                const int32_t other = slotDrawn_[pointSlots_[k]];
                const Vec n = faceNormals_[other];
                if (surfaceOfDrawn_[other] == surface &&
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
        cornerNormals_[slot] = normal;
    }
}

// Texture coordinates of textured surfaces' corners, in texels; others keep 0, 0.
bool MeshBuilder::mapTextures() {
    float boxMin[3] = {}, boxMax[3] = {};
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        const float* p = position(pointOfSlot(slot));
        for (int i = 0; i < 3; ++i) {
            boxMin[i] = slot == 0 || p[i] < boxMin[i] ? p[i] : boxMin[i];
            boxMax[i] = slot == 0 || p[i] > boxMax[i] ? p[i] : boxMax[i];
        }
    }
    for (Lwo2SurfaceLook& look : looks_) {
        Lwo2ImageMap& map = look.image;
        if (map.projection == Lwo2Projection::Front) {
            map.projection = Lwo2Projection::Planar;
            map.axis = 2;
            for (int i = 0; i < 3; ++i) {
                map.center[i] = (boxMin[i] + boxMax[i]) * 0.5f;
                map.size[i] = boxMax[i] - boxMin[i];
            }
            std::memset(map.rotation, 0, sizeof map.rotation);
        }
    }
    UvLookup uvLookup(model_);
    for (size_t d = 0; d < drawn_.size(); ++d) {
        const int32_t s = surfaceOfDrawn_[d];
        if (textures_[s].index < 0) {
            continue;
        }
        const Lwo2Polygon& polygon = model_.polygons[drawn_[d]];
        const int32_t* corners = model_.corners.get() + polygon.firstCorner;
        const Lwo2ImageMap& map = looks_[s].image;
        float* u = cornerU_.get() + firstSlot_[d];
        float* v = cornerV_.get() + firstSlot_[d];
        if (map.projection == Lwo2Projection::Uv) {
            if (!uvLookup.select(map.uvMap)) {
                return fail("out of memory for a UV map");
            }
            for (int32_t k = 0; k < polygon.cornerCount; ++k) {
                uvLookup.find(corners[k], drawn_[d], u[k], v[k]);
            }
        } else {
            const float normal[3] = {faceNormals_[d].x, faceNormals_[d].y, faceNormals_[d].z};
            projectPolygon(map, model_.points.get(), corners, polygon.cornerCount, normal, u, v);
        }
        for (int32_t k = 0; k < polygon.cornerCount; ++k) {
            u[k] = u[k] * textures_[s].uScale;
            v[k] = (1.0f - v[k]) * textures_[s].vScale;
        }
    }
    return true;
}

// Triangles, as corner slots, polygon by polygon.
bool MeshBuilder::cutTriangles() {
    triangles_.reserve(static_cast<size_t>(slotCount_) * 3);
    Triangulator triangulator;
    Vector3 positions[kMaxCorners];
    int32_t cut[kMaxCorners][3];
    for (size_t d = 0; d < drawn_.size(); ++d) {
        const Lwo2Polygon& polygon = model_.polygons[drawn_[d]];
        for (int32_t k = 0; k < polygon.cornerCount; ++k) {
            const float* p = position(model_.corners[polygon.firstCorner + k]);
            positions[k] = Vector3{p[0], p[1], p[2]};
        }
        const int32_t n = triangulator.triangulate(positions, polygon.cornerCount, cut);
        if (n < 0) {
            return fail("out of memory cutting polygons into triangles");
        }
        for (int32_t t = 0; t < n; ++t) {
            for (int c = 0; c < 3; ++c) {
                triangles_.push_back(firstSlot_[d] + cut[t][c]);
            }
        }
    }
    return true;
}

// MeshPoints, one per point, surface and normal that a triangle uses, and the
// triangles themselves.
bool MeshBuilder::makePoints(Mesh& mesh) {
    // Per point, the slots that made its MeshPoints so far: at most one per slot around
    // it, so they fit in that point's stretch of pointSlots_'s numbering.
    auto made = allocate<int32_t>(static_cast<size_t>(model_.pointCount));
    auto makers = allocate<int32_t>(static_cast<size_t>(slotCount_));
    if (made == nullptr || makers == nullptr) {
        return fail("out of memory for the object's points");
    }
    int32_t pointCount = 0;
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        slotPoint_[slot] = -1;
    }
    for (const int32_t slot : triangles_) {
        if (slotPoint_[slot] >= 0) {
            continue;
        }
        const int32_t point = pointOfSlot(slot);
        const int32_t surface = surfaceOfDrawn_[slotDrawn_[slot]];
        const int32_t begin = pointFirst_[point];
        for (int32_t k = begin; k < begin + made[point] && slotPoint_[slot] < 0; ++k) {
            const int32_t other = makers[k];
            if (surfaceOfDrawn_[slotDrawn_[other]] == surface &&
                std::memcmp(&cornerNormals_[other], &cornerNormals_[slot], sizeof(Vec)) == 0) {
                slotPoint_[slot] = slotPoint_[other];
            }
        }
        if (slotPoint_[slot] < 0) {
            makers[begin + made[point]++] = slot;
            slotPoint_[slot] = pointCount++;
        }
    }
    const size_t triangleCount = triangles_.size() / 3;
    mesh.pointCount = pointCount;
    mesh.points = allocate<MeshPoint>(static_cast<size_t>(pointCount));
    mesh.polygonCount = static_cast<int32_t>(triangleCount);
    mesh.polygons = allocate<MeshPolygon>(triangleCount);
    if (mesh.points == nullptr || mesh.polygons == nullptr) {
        return fail("out of memory for the object's points and triangles");
    }
    for (size_t t = 0; t < triangleCount; ++t) {
        MeshPolygon& triangle = mesh.polygons[t];
        for (int c = 0; c < 3; ++c) {
            const int32_t slot = triangles_[t * 3 + c];
            const int32_t surface = surfaceOfDrawn_[slotDrawn_[slot]];
            PolygonCorner& corner = triangle.corners[c];
            corner.pointIndex = slotPoint_[slot];
            corner.u = cornerU_[slot];
            corner.v = cornerV_[slot];
            triangle.surface = surface;
            MeshPoint& out = mesh.points[corner.pointIndex];
            std::memcpy(out.position, position(pointOfSlot(slot)), 3 * sizeof(float));
            out.position[3] = 1.0f;
            out.normal[0] = cornerNormals_[slot].x;
            out.normal[1] = cornerNormals_[slot].y;
            out.normal[2] = cornerNormals_[slot].z;
            out.surface = surface;
            out.luminosity = mesh.surfaces[surface].luminosity;
            std::memcpy(out.color, mesh.surfaces[surface].color, sizeof out.color);
        }
    }
    return true;
}

} // namespace

int32_t buildLwo2Mesh(const Lwo2Model& model, int32_t layerNumber, TextureTable& textures,
                      const char* objectPath, SceneObject& object, char* reason,
                      size_t reasonSize) {
    object.mesh = Mesh{};
    MeshBuilder builder(model, layerNumber);
    bool built = builder.chooseSurfaces(textures, objectPath, object.mesh) && builder.linkCorners();
    if (built) {
        builder.smoothNormals();
        built = builder.mapTextures() && builder.cutTriangles() && builder.makePoints(object.mesh);
    }
    if (!built) {
        object.mesh = Mesh{};
        if (reason != nullptr && reasonSize > 0) {
            std::snprintf(reason, reasonSize, "%s", builder.failure);
        }
        return 0;
    }
    computeBoundingBox(object.mesh, object.boundingBox);
    return 1;
}
