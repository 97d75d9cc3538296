// ember inspect object FILE [--json] [--full]: an object file as the player loads it.
//
// Loads with SceneObject::loadObject into a fresh slot and scene texture table (on the
// inert accelerator device: textures are read, nothing is drawn) and prints the Mesh
// after mesh preparation. By default a summary: counts, what became of the file's
// polygons (by corner count, triangles made, points, lines and polygons without area
// skipped), surface names and every Surface field, the bounding box and the textures. With --full
// also every point and polygon, written as they are formatted (a million triangles are never held
// as a tree), so the output of a large object costs little more memory than the object itself.
//
// The summary is one tree (objectSummary) printed as JSON or as "name: value" lines;
// a field added there appears in both. Schema: docs/inspect.md.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "ember/Commands.h"
#include "ember/InspectOutput.h"
#include "platform/HostPath.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

InspectJson surfaceJson(const Surface& s) {
    return InspectJson{{"smoothing", s.smoothing},
                       {"luminosity", s.luminosity},
                       {"additive", s.additive},
                       {"reflective", s.reflective},
                       {"textureMapping", s.textureMapping},
                       {"transparent", s.transparent},
                       {"doubleSided", s.doubleSided},
                       {"color", jsonNumbers(s.color, 3)},
                       {"colorTexture", s.colorTexture},
                       {"reflectionTexture", s.reflectionTexture},
                       {"textureAxis", s.textureAxis},
                       {"textureWrapWidth", jsonNumber(s.textureWrapWidth)},
                       {"reflectivity", jsonNumber(s.reflectivity)},
                       {"textureWrapHeight", jsonNumber(s.textureWrapHeight)},
                       {"transparency", jsonNumber(s.transparency)},
                       {"textureSize", jsonNumbers(s.textureSize, 3)},
                       {"textureCenter", jsonNumbers(s.textureCenter, 3)}};
}

// What the reader made of the file's polygons (the census of a triangulating read).
InspectJson censusJson(const Mesh& mesh) {
    const PolygonCensus& census = mesh.census;
    InspectJson byCorners = InspectJson::object();
    for (int32_t k = 0; k <= census.largest && census.byCorners != nullptr; ++k) {
        if (census.byCorners[k] > 0) {
            byCorners[std::to_string(k)] = census.byCorners[k];
        }
    }
    return InspectJson{{"polygonsByCorners", byCorners},
                       {"trianglesMade", mesh.polygonCount},
                       {"detailPolygons", census.detailPolygons},
                       {"skippedPointsAndLines", census.pointsAndLines},
                       {"skippedWithoutArea", census.degenerate}};
}

// Everything but the points and polygons, in the order it is printed: "file", then
// "mesh" (whose arrays --full appends), "polygonCensus", "boundingBox", "textures".
InspectJson objectSummary(const std::string& file, const SceneObject& object,
                          const TextureTable& textures) {
    const Mesh& mesh = object.mesh;
    InspectJson names = InspectJson::array();
    InspectJson surfaces = InspectJson::array();
    for (int32_t i = 0; i < mesh.surfaceCount; ++i) {
        names.push_back(mesh.surfaceNames[i]);
        surfaces.push_back(surfaceJson(mesh.surfaces[i]));
    }
    InspectJson box = InspectJson::array();
    for (const auto& corner : object.boundingBox) {
        box.push_back(jsonNumbers(corner, 4));
    }
    InspectJson slots = InspectJson::array();
    for (int32_t i = 0; i < textures.count; ++i) {
        const TextureSlot& slot = textures.slots[i];
        slots.push_back(InspectJson{{"path", slot.path},
                                    {"memoryRequired", slot.memoryRequired},
                                    {"isLoaded", slot.isLoaded() ? 1 : 0}});
    }
    char found[4096];
    resolveContentPath(file.c_str(), found, sizeof found);
    return InspectJson{{"file", InspectJson{{"named", file}, {"found", found}}},
                       {"mesh",
                        {{"pointCount", mesh.pointCount},
                         {"polygonCount", mesh.polygonCount},
                         {"surfaceCount", mesh.surfaceCount},
                         {"anyReflective", mesh.anyReflective},
                         {"surfaceNames", names},
                         {"surfaces", surfaces}}},
                       {"polygonCensus", censusJson(mesh)},
                       {"boundingBox", box},
                       {"textures", {{"count", textures.count}, {"slots", slots}}}};
}

void appendNumbers(std::string& out, const float* values, int32_t count, bool json) {
    out += json ? "[" : "(";
    for (int32_t i = 0; i < count; ++i) {
        out += i > 0 ? ", " : "";
        appendNumber(out, values[i], json);
    }
    out += json ? "]" : ")";
}

void appendPoint(std::string& out, const MeshPoint& p, bool json) {
    out += json ? "{\"position\": " : " position ";
    appendNumbers(out, p.position, 4, json);
    out += json ? ", \"normal\": " : " normal ";
    appendNumbers(out, p.normal, 3, json);
    out += json ? ", \"surface\": " : " surface ";
    appendNumber(out, p.surface);
    out += json ? ", \"luminosity\": " : " luminosity ";
    appendNumber(out, p.luminosity);
    out += json ? ", \"color\": " : " color ";
    appendNumbers(out, p.color, 3, json);
    out += json ? "}" : "";
}

void appendPolygon(std::string& out, const MeshPolygon& polygon, bool json) {
    out += json ? "{\"corners\": [" : " surface ";
    if (!json) {
        appendNumber(out, polygon.surface);
    }
    for (int32_t k = 0; k < 3; ++k) {
        const PolygonCorner& c = polygon.corners[k];
        out += json ? (k > 0 ? ", {\"pointIndex\": " : "{\"pointIndex\": ") : "  ";
        appendNumber(out, c.pointIndex);
        out += json ? ", \"u\": " : " uv (";
        appendNumber(out, c.u, json);
        out += json ? ", \"v\": " : ", ";
        appendNumber(out, c.v, json);
        out += json ? "}" : ")";
    }
    if (json) {
        out += "], \"surface\": ";
        appendNumber(out, polygon.surface);
        out += "}";
    }
}

// One array of the mesh, one element to a line: `"name": [...]` in JSON (after the
// fields before it), "name:" and indexed lines in text.
template <typename Element, typename Append>
void streamArray(StreamBuffer& buffer, const char* name, const Element* elements, int32_t count,
                 bool json, Append append) {
    std::string& out = buffer.text();
    out += json ? std::string(",\n    \"") + name + "\": [" : std::string(name) + ":";
    for (int32_t i = 0; i < count; ++i) {
        out += json ? (i > 0 ? ",\n      " : "\n      ") : "\n  ";
        if (!json) {
            appendNumber(out, i);
        }
        append(out, elements[i], json);
        buffer.flushIfFull();
    }
    out += json ? (count > 0 ? "\n    ]" : "]") : "\n";
}

// The points and polygons.
void streamMeshArrays(StreamBuffer& buffer, const Mesh& mesh, bool json) {
    streamArray(buffer, "points", mesh.points.get(), mesh.pointCount, json, appendPoint);
    streamArray(buffer, "polygons", mesh.polygons.get(), mesh.polygonCount, json, appendPolygon);
}

void printObject(const InspectJson& summary, const Mesh& mesh, bool json, bool full) {
    StreamBuffer buffer(stdout);
    std::string& out = buffer.text();
    if (!json) {
        appendTreeText(summary, "", out);
        if (full) {
            streamMeshArrays(buffer, mesh, false);
        }
        buffer.finish();
        return;
    }
    out += "{";
    const char* separator = "\n  ";
    for (auto it = summary.begin(); it != summary.end(); ++it) {
        out += separator;
        separator = ",\n  ";
        out += InspectJson(it.key()).dump() + ": ";
        if (it.key() != "mesh" || !full) {
            out += jsonTextAtDepth(it.value(), 1);
            continue;
        }
        // The mesh's own fields, then its arrays, before its closing brace.
        const std::string meshText = jsonTextAtDepth(it.value(), 1);
        out.append(meshText, 0, meshText.rfind('\n'));
        streamMeshArrays(buffer, mesh, true);
        out += "\n  }";
    }
    out += "\n}\n";
    buffer.finish();
}

} // namespace

void addInspectObjectCommand(CLI::App& inspect) {
    struct Options {
        std::string file;
        bool json = false;
        bool full = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command =
        inspect.add_subcommand("object", "Load a LightWave object (.lwo) as the player does and "
                                         "print its mesh, surfaces and bounding box");
    command->add_option("FILE", options->file, "Object file (content path)")->required();
    command->add_flag("--json", options->json, "Print JSON with the records' field names");
    command->add_flag("--full", options->full, "Also print every point and polygon");
    command->callback([options] {
        auto textures = std::make_unique<TextureTable>();
        auto object = std::make_unique<SceneObject>();
        clearLastRefusal();
        if (object->loadObject(*textures, options->file.c_str()) == 0) {
            // A file that was found says why on standard error already.
            throw ToolError(lastRefusal()[0] != '\0' ? ""
                                                     : "cannot open object file " + options->file);
        }
        printObject(objectSummary(options->file, *object, *textures), object->mesh, options->json,
                    options->full);
    });
}
