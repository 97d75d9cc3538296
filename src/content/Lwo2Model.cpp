// LWO2 parsing. Why it is built so:
//
// - Two passes over the top-level chunks: the first adds up the points, polygons and
//   corner words that PNTS and POLS chunks can hold, so the big arrays are allocated once
//   (and a refusal, not an abort, answers a file too large for memory); the second reads.
// - Indices in POLS, PTAG, VMAP and VMAD count from the current layer's latest PNTS or
//   POLS. The reader keeps where those began and checks every index against that chunk
//   alone, so no file can make a polygon reach into another layer's points.
// - POLS chunks of kinds that are not drawn (CURV, MBAL, BONE, unknown) are still
//   "the latest POLS": the PTAG and VMAD chunks that follow them refer to their polygons
//   and are passed over, not misapplied to the FACE chunk before.
#include "content/Lwo2Model.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "content/IffReader.h"

namespace {

int32_t refuse(char* reason, size_t size, const char* format, const char* detail = "") {
    if (reason != nullptr && size > 0) {
        std::snprintf(reason, size, format, detail);
    }
    return 0;
}

struct LayerState {
    int32_t layer = -1;      // index into model.layers, -1 before any data
    int32_t pointStart = -1; // global index of the latest PNTS's first point, -1: none
    int32_t pointCount = 0;
    int32_t polygonStart = 0; // global index of the latest drawn POLS's first polygon
    int32_t polygonCount = 0;
    bool polygonsDrawn = false; // the latest POLS is FACE, PTCH or SUBD
};

struct Parser {
    Lwo2Model& model;
    char* reason;
    size_t reasonSize;
    LayerState state;
    int32_t polygonCapacity = 0;
    int32_t cornerCapacity = 0;

    int32_t fail(const char* format, const char* detail = "") {
        return refuse(reason, reasonSize, format, detail);
    }

    int32_t currentLayer() {
        if (state.layer < 0) {
            model.layers.emplace_back(); // data before any LAYR: layer 0
            state.layer = 0;
        }
        return state.layer;
    }

    int32_t readLayer(IffReader in) {
        Lwo2Layer layer;
        layer.number = in.u2();
        layer.flags = in.u2();
        for (float& p : layer.pivot) {
            p = in.f4();
        }
        layer.name = in.text();
        if (in.remaining() >= 2) {
            layer.parent = in.i2();
            layer.parent = layer.parent < 0 ? -1 : layer.parent;
        }
        model.layers.push_back(layer);
        state = LayerState{};
        state.layer = static_cast<int32_t>(model.layers.size()) - 1;
        return 1;
    }

    int32_t readPoints(IffReader in) {
        currentLayer();
        const int32_t count = static_cast<int32_t>(in.size / 12);
        state.pointStart = model.pointCount;
        state.pointCount = count;
        float* out = model.points.get() + static_cast<size_t>(model.pointCount) * 3;
        for (int32_t i = 0; i < count * 3; ++i) {
            out[i] = in.f4();
        }
        model.pointCount += count;
        return 1;
    }

    // A point index of the current layer's latest PNTS; -1 when out of range.
    int32_t pointOf(uint32_t index) const {
        return state.pointStart >= 0 && index < static_cast<uint32_t>(state.pointCount)
                   ? state.pointStart + static_cast<int32_t>(index)
                   : -1;
    }
    int32_t polygonOf(uint32_t index) const {
        return index < static_cast<uint32_t>(state.polygonCount)
                   ? state.polygonStart + static_cast<int32_t>(index)
                   : -1;
    }

    int32_t readPolygons(IffReader in) {
        const int32_t layer = currentLayer();
        char type[5];
        in.id4(type);
        const bool face = std::memcmp(type, "FACE", 4) == 0;
        const bool patch = std::memcmp(type, "PTCH", 4) == 0 || std::memcmp(type, "SUBD", 4) == 0;
        state.polygonStart = model.polygonCount;
        state.polygonCount = 0;
        state.polygonsDrawn = face || patch;
        if (!state.polygonsDrawn) {
            return 1;
        }
        while (!in.atEnd()) {
            const int32_t count = in.u2() & 0x03FF;
            if (model.polygonCount >= polygonCapacity ||
                model.cornerCount + count > cornerCapacity) {
                return fail("a polygon runs past the end of its POLS chunk");
            }
            Lwo2Polygon& polygon = model.polygons[model.polygonCount];
            polygon.firstCorner = model.cornerCount;
            polygon.cornerCount = count;
            polygon.layer = layer;
            polygon.kind = face ? Lwo2PolygonKind::Face : Lwo2PolygonKind::Patch;
            for (int32_t i = 0; i < count; ++i) {
                const uint32_t index = in.vx();
                const int32_t point = pointOf(index);
                if (in.overrun) {
                    return fail("a polygon runs past the end of its POLS chunk");
                }
                if (point < 0) {
                    return state.pointStart < 0 ? fail("polygons before any points")
                                                : fail("a polygon names a point its layer does "
                                                       "not have");
                }
                model.corners[model.cornerCount++] = point;
            }
            ++model.polygonCount;
            ++state.polygonCount;
        }
        return 1;
    }

    int32_t readPolygonTags(IffReader in) {
        char type[5];
        in.id4(type);
        if (std::memcmp(type, "SURF", 4) != 0 || !state.polygonsDrawn) {
            return 1;
        }
        while (!in.atEnd()) {
            const uint32_t index = in.vx();
            const uint16_t tag = in.u2();
            if (in.overrun) {
                return fail("a PTAG entry runs past the end of its chunk");
            }
            const int32_t polygon = polygonOf(index);
            if (polygon < 0) {
                return fail("a PTAG entry names a polygon its layer does not have");
            }
            model.polygons[polygon].surfaceTag = tag;
        }
        return 1;
    }

    Lwo2UvMap& uvMap(const std::string& name) {
        for (Lwo2UvMap& map : model.uvMaps) {
            if (map.name == name) {
                return map;
            }
        }
        model.uvMaps.emplace_back();
        model.uvMaps.back().name = name;
        return model.uvMaps.back();
    }

    int32_t readVertexMap(IffReader in, bool perPolygon) {
        char type[5];
        in.id4(type);
        const int32_t dimension = in.u2();
        const std::string name = in.text();
        if (std::memcmp(type, "TXUV", 4) != 0 || dimension < 2 ||
            (perPolygon && !state.polygonsDrawn)) {
            return 1;
        }
        std::vector<Lwo2UvEntry>& entries =
            perPolygon ? uvMap(name).perPolygon : uvMap(name).perPoint;
        while (!in.atEnd()) {
            Lwo2UvEntry entry;
            const uint32_t point = in.vx();
            const uint32_t polygon = perPolygon ? in.vx() : 0;
            entry.u = in.f4();
            entry.v = in.f4();
            in.skip(static_cast<size_t>(dimension - 2) * 4);
            if (in.overrun) {
                return fail("a vertex map entry runs past the end of its chunk");
            }
            entry.point = pointOf(point);
            entry.polygon = perPolygon ? polygonOf(polygon) : -1;
            if (entry.point < 0 || (perPolygon && entry.polygon < 0)) {
                return fail("a vertex map names a point or polygon its layer does not have");
            }
            entries.push_back(entry);
        }
        return 1;
    }

    void readTags(IffReader in) {
        while (!in.atEnd()) {
            model.tags.push_back(in.text());
        }
    }

    void readClip(IffReader in) {
        Lwo2Clip clip;
        clip.index = in.u4();
        IffChunk sub;
        while (in.subChunk(sub)) {
            IffReader data(sub);
            if (sub.is("STIL") || sub.is("STCC")) {
                if (sub.is("STCC")) {
                    data.skip(4); // colour cycle range
                }
                clip.path = data.text();
            } else if (sub.is("ISEQ")) {
                // The first frame of the sequence stands for the whole.
                const int32_t digits = data.u1();
                data.skip(1); // flags
                const int32_t offset = data.i2();
                data.skip(2); // reserved
                const int32_t start = data.i2();
                data.skip(2); // end
                const std::string prefix = data.text();
                const std::string suffix = data.text();
                char number[32];
                std::snprintf(number, sizeof number, "%0*d", digits < 16 ? digits : 16,
                              start + offset);
                clip.path = prefix + number + suffix;
            } else if (sub.is("XREF")) {
                clip.reference = data.u4();
            }
        }
        model.clips.push_back(clip);
    }

    void readSurface(IffReader in) {
        Lwo2SurfaceChunk surface;
        surface.name = in.text();
        surface.source = in.text();
        surface.bytes = in.bytes + in.position;
        surface.size = in.remaining();
        model.surfaces.push_back(surface);
    }
};

// The points, polygons and corners that the PNTS and drawn POLS chunks hold (counted
// as far as each POLS chunk goes; the second pass refuses what runs past it).
void countCapacity(IffReader form, int64_t& points, int64_t& polygons, int64_t& corners) {
    points = polygons = corners = 0;
    IffChunk chunk;
    while (form.chunk(chunk)) {
        if (chunk.is("PNTS")) {
            points += static_cast<int64_t>(chunk.size / 12);
        } else if (chunk.is("POLS")) {
            IffReader in(chunk);
            char type[5];
            in.id4(type);
            if (std::memcmp(type, "FACE", 4) != 0 && std::memcmp(type, "PTCH", 4) != 0 &&
                std::memcmp(type, "SUBD", 4) != 0) {
                continue;
            }
            while (!in.atEnd()) {
                const int32_t count = in.u2() & 0x03FF;
                for (int32_t i = 0; i < count && !in.atEnd(); ++i) {
                    in.vx();
                }
                ++polygons;
                corners += count;
            }
        }
    }
}

bool isNeeded(const IffChunk& chunk) {
    static const char* const kNeeded[] = {"LAYR", "PNTS", "POLS", "PTAG", "VMAP",
                                          "VMAD", "TAGS", "CLIP", "SURF"};
    for (const char* tag : kNeeded) {
        if (chunk.is(tag)) {
            return true;
        }
    }
    return false;
}

template <class T>
std::unique_ptr<T[]> allocate(int64_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<size_t>(count > 0 ? count : 1)]);
}

} // namespace

bool isLwo2File(const uint8_t* bytes, size_t size) {
    return size >= 12 && std::memcmp(bytes, "FORM", 4) == 0 &&
           std::memcmp(bytes + 8, "LWO2", 4) == 0;
}

int32_t readLwo2Model(const uint8_t* bytes, size_t size, Lwo2Model& model, char* reason,
                      size_t reasonSize) {
    model = Lwo2Model{};
    if (!isLwo2File(bytes, size)) {
        return refuse(reason, reasonSize, "not an LWO2 object (no FORM LWO2 header)");
    }
    IffReader file(bytes, size);
    file.skip(4);
    const uint32_t formLength = file.u4();
    file.skip(4);
    // A FORM length beyond the file is taken as the file's end: chunks tell the rest.
    const size_t formRest = formLength >= 4 ? formLength - 4 : 0;
    const IffReader form(bytes + 12, formRest < file.remaining() ? formRest : file.remaining());

    int64_t points = 0, polygons = 0, corners = 0;
    countCapacity(form, points, polygons, corners);
    if (points > kMaxLwo2Points || polygons > kMaxLwo2Polygons || corners > kMaxLwo2Corners) {
        return refuse(reason, reasonSize, "more points or polygons than an object may have");
    }
    model.points = allocate<float>(points * 3);
    model.polygons = allocate<Lwo2Polygon>(polygons);
    model.corners = allocate<int32_t>(corners);
    if (model.points == nullptr || model.polygons == nullptr || model.corners == nullptr) {
        return refuse(reason, reasonSize, "out of memory for the object's points and polygons");
    }

    Parser parser{model,
                  reason,
                  reasonSize,
                  {},
                  static_cast<int32_t>(polygons),
                  static_cast<int32_t>(corners)};
    IffReader walk = form;
    IffChunk chunk;
    while (walk.chunk(chunk)) {
        if (!isNeeded(chunk)) {
            continue;
        }
        if (chunk.clamped) {
            return refuse(reason, reasonSize, "its %s chunk runs past the end of the file",
                          chunk.id);
        }
        const IffReader data(chunk);
        int32_t ok = 1;
        if (chunk.is("LAYR")) {
            ok = parser.readLayer(data);
        } else if (chunk.is("PNTS")) {
            ok = parser.readPoints(data);
        } else if (chunk.is("POLS")) {
            ok = parser.readPolygons(data);
        } else if (chunk.is("PTAG")) {
            ok = parser.readPolygonTags(data);
        } else if (chunk.is("VMAP") || chunk.is("VMAD")) {
            ok = parser.readVertexMap(data, chunk.is("VMAD"));
        } else if (chunk.is("TAGS")) {
            parser.readTags(data);
        } else if (chunk.is("CLIP")) {
            parser.readClip(data);
        } else {
            parser.readSurface(data);
        }
        if (ok == 0) {
            return 0;
        }
    }
    parser.currentLayer(); // a file without layers or data still has its layer 0
    return 1;
}
