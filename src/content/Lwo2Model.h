// Lwo2Model: an LWO2 object file as parsed, before it becomes a Mesh.
//
// readLwo2Model() walks the FORM's chunks once and keeps what the player can draw:
// layers, points, polygons with their surface tags, TXUV maps, image clips and the
// surface chunks (kept as byte spans of the file, read by Lwo2Surface.h). Indices in the
// file are relative to the current layer's latest PNTS or POLS; here they are global:
// `corners` hold indices into `points`, UV entries hold point and polygon indices into
// the arrays below.
//
// Kept but not drawn: polygons of one or two corners (points and lines). Read past:
// curves, metaballs, bones (their POLS chunks and the PTAG/VMAD entries that refer to
// them), every VMAP type but TXUV, envelopes, and every chunk the reader does not know.
//
// Refused (0, with the reason in `reason`): not a FORM LWO2; a chunk the reader needs
// that runs past the end of the file; a polygon, PTAG or VMAP/VMAD entry that runs past
// its chunk or names a point or polygon that its layer does not have; polygons before
// any points; more than kMaxLwo2Points points, kMaxLwo2Polygons polygons or
// kMaxLwo2Corners corners; memory running out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr int32_t kMaxLwo2Points = 1 << 24;
inline constexpr int32_t kMaxLwo2Polygons = 1 << 24;
inline constexpr int32_t kMaxLwo2Corners = 1 << 26;

struct Lwo2Layer {
    int32_t number = 0; // as in LAYR; 0 for data before any LAYR
    int32_t flags = 0;  // bit 0: hidden in the modeller
    float pivot[3] = {};
    int32_t parent = -1; // LAYR number of the parent, -1 for none
    std::string name;
};

enum class Lwo2PolygonKind : uint8_t { Face, Patch };

struct Lwo2Polygon {
    int32_t firstCorner = 0; // into Lwo2Model::corners
    int32_t cornerCount = 0;
    int32_t layer = 0;       // index into Lwo2Model::layers
    int32_t surfaceTag = -1; // index into Lwo2Model::tags, -1 when no PTAG SURF names one
    Lwo2PolygonKind kind = Lwo2PolygonKind::Face;
};

// One TXUV value: for a point (VMAP: polygon -1) or for a point of one polygon (VMAD).
struct Lwo2UvEntry {
    int32_t point = 0;
    int32_t polygon = -1;
    float u = 0.0f;
    float v = 0.0f;
};

struct Lwo2UvMap {
    std::string name;
    std::vector<Lwo2UvEntry> perPoint;   // VMAP
    std::vector<Lwo2UvEntry> perPolygon; // VMAD, overrides perPoint for its polygon
};

struct Lwo2Clip {
    uint32_t index = 0;
    std::string path;       // neutral form ("dir/file", "device:dir/file"); empty: none
    int64_t reference = -1; // XREF: the clip whose image this one shows
};

// A SURF chunk: its name, the surface it inherits from, and its sub-chunks' bytes.
struct Lwo2SurfaceChunk {
    std::string name;
    std::string source;
    const uint8_t* bytes = nullptr; // into the file's bytes
    size_t size = 0;
};

struct Lwo2Model {
    std::vector<Lwo2Layer> layers;
    int32_t pointCount = 0;
    std::unique_ptr<float[]> points; // x, y, z per point, object space
    int32_t polygonCount = 0;
    std::unique_ptr<Lwo2Polygon[]> polygons;
    int32_t cornerCount = 0;
    std::unique_ptr<int32_t[]> corners; // point index per corner
    std::vector<std::string> tags;
    std::vector<Lwo2UvMap> uvMaps;
    std::vector<Lwo2Clip> clips;
    std::vector<Lwo2SurfaceChunk> surfaces;
};

// True when the bytes start with FORM ... LWO2.
bool isLwo2File(const uint8_t* bytes, size_t size);

// Parses the file's bytes (which must outlive the model: surfaces point into them).
// 1 parsed; 0 refused with one line in `reason`.
int32_t readLwo2Model(const uint8_t* bytes, size_t size, Lwo2Model& model, char* reason,
                      size_t reasonSize);
