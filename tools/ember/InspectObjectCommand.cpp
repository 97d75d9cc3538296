// ember inspect object FILE [--json]: an object file as the player loads it.
//
// Loads with SceneObject::loadObject into a fresh slot and scene texture table (on the
// inert accelerator device: textures are read, nothing is drawn) and prints the Mesh
// after mesh preparation: counts, surface names and every Surface field, points,
// polygons and the bounding box. JSON keys are the records' field names; floats are
// written so that they read back to the same single-precision value (NaN and infinity,
// which JSON cannot hold, as null). The loaders' trace lines go to standard error, so
// standard output holds only the report.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "ember/Commands.h"
#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace {

using nlohmann::json;

json floats(const float* values, int n) {
    json array = json::array();
    for (int i = 0; i < n; ++i) {
        array.push_back(static_cast<double>(values[i]));
    }
    return array;
}

json surfaceJson(const Surface& s) {
    return json{{"smoothing", s.smoothing},
                {"luminosity", s.luminosity},
                {"additive", s.additive},
                {"reflective", s.reflective},
                {"textureMapping", s.textureMapping},
                {"transparent", s.transparent},
                {"doubleSided", s.doubleSided},
                {"color", floats(s.color, 3)},
                {"colorTexture", s.colorTexture},
                {"reflectionTexture", s.reflectionTexture},
                {"textureAxis", s.textureAxis},
                {"textureWrapWidth", static_cast<double>(s.textureWrapWidth)},
                {"reflectivity", static_cast<double>(s.reflectivity)},
                {"textureWrapHeight", static_cast<double>(s.textureWrapHeight)},
                {"transparency", static_cast<double>(s.transparency)},
                {"textureSize", floats(s.textureSize, 3)},
                {"textureCenter", floats(s.textureCenter, 3)}};
}

json objectJson(const SceneObject& object, const TextureTable& textures) {
    const Mesh& mesh = object.mesh;
    json names = json::array();
    json surfaces = json::array();
    for (int32_t i = 0; i < mesh.surfaceCount; ++i) {
        names.push_back(mesh.surfaceNames[i]);
        surfaces.push_back(surfaceJson(mesh.surfaces[i]));
    }
    json points = json::array();
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        const MeshPoint& p = mesh.points[i];
        points.push_back(json{{"position", floats(p.position, 4)},
                              {"normal", floats(p.normal, 3)},
                              {"surface", p.surface},
                              {"luminosity", p.luminosity},
                              {"color", floats(p.color, 3)}});
    }
    json polygons = json::array();
    for (int32_t i = 0; i < mesh.polygonCount; ++i) {
        const MeshPolygon& polygon = mesh.polygons[i];
        json corners = json::array();
        for (const PolygonCorner& c : polygon.corners) {
            corners.push_back(json{{"pointIndex", c.pointIndex},
                                   {"u", static_cast<double>(c.u)},
                                   {"v", static_cast<double>(c.v)}});
        }
        polygons.push_back(json{{"corners", corners}, {"surface", polygon.surface}});
    }
    json box = json::array();
    for (const auto& corner : object.boundingBox) {
        box.push_back(floats(corner, 4));
    }
    json slots = json::array();
    for (int32_t i = 0; i < textures.count; ++i) {
        slots.push_back(json{{"path", textures.slots[i].path},
                             {"memoryRequired", textures.slots[i].memoryRequired}});
    }
    return json{{"mesh",
                 {{"pointCount", mesh.pointCount},
                  {"points", points},
                  {"polygonCount", mesh.polygonCount},
                  {"polygons", polygons},
                  {"surfaces", surfaces},
                  {"surfaceNames", names},
                  {"surfaceCount", mesh.surfaceCount},
                  {"anyReflective", mesh.anyReflective}}},
                {"boundingBox", box},
                {"textures", {{"count", textures.count}, {"slots", slots}}}};
}

// %.9g: enough digits for every float to read back exactly.
std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string numbers(const float* values, int n) {
    std::string text = "(";
    for (int i = 0; i < n; ++i) {
        text += (i > 0 ? ", " : "") + number(values[i]);
    }
    return text + ")";
}

void printText(const std::string& file, const SceneObject& object, const TextureTable& textures) {
    const Mesh& mesh = object.mesh;
    std::cout << "object " << file << "\n"
              << "pointCount " << mesh.pointCount << ", polygonCount " << mesh.polygonCount
              << ", surfaceCount " << mesh.surfaceCount << ", anyReflective " << mesh.anyReflective
              << "\n"
              << "boundingBox min " << numbers(object.boundingBox[6], 3) << " max "
              << numbers(object.boundingBox[0], 3) << "\n";
    for (int32_t i = 0; i < mesh.surfaceCount; ++i) {
        const Surface& s = mesh.surfaces[i];
        std::cout << "surface " << i << " \"" << mesh.surfaceNames[i] << "\"\n"
                  << "  smoothing " << s.smoothing << ", luminosity " << s.luminosity
                  << ", additive " << s.additive << ", reflective " << s.reflective
                  << ", transparent " << s.transparent << ", doubleSided " << s.doubleSided << "\n"
                  << "  color " << numbers(s.color, 3) << ", transparency "
                  << number(s.transparency) << ", reflectivity " << number(s.reflectivity) << "\n"
                  << "  textureMapping " << s.textureMapping << ", colorTexture " << s.colorTexture
                  << ", reflectionTexture " << s.reflectionTexture << ", textureAxis "
                  << static_cast<int>(s.textureAxis) << "\n"
                  << "  textureSize " << numbers(s.textureSize, 3) << ", textureCenter "
                  << numbers(s.textureCenter, 3) << ", textureWrapWidth "
                  << number(s.textureWrapWidth) << ", textureWrapHeight "
                  << number(s.textureWrapHeight) << "\n";
    }
    for (int32_t i = 0; i < textures.count; ++i) {
        std::cout << "texture " << i << " " << textures.slots[i].path
                  << (textures.slots[i].isLoaded() ? "" : " (not loaded)") << "\n";
    }
    std::cout << "points\n";
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        const MeshPoint& p = mesh.points[i];
        std::cout << "  " << i << " position " << numbers(p.position, 3) << " normal "
                  << numbers(p.normal, 3) << " surface " << p.surface << " luminosity "
                  << p.luminosity << " color " << numbers(p.color, 3) << "\n";
    }
    std::cout << "polygons\n";
    for (int32_t i = 0; i < mesh.polygonCount; ++i) {
        const MeshPolygon& polygon = mesh.polygons[i];
        std::cout << "  " << i << " surface " << polygon.surface;
        for (const PolygonCorner& c : polygon.corners) {
            std::cout << "  " << c.pointIndex << " uv (" << number(c.u) << ", " << number(c.v)
                      << ")";
        }
        std::cout << "\n";
    }
}

} // namespace

void addInspectObjectCommand(CLI::App& inspect) {
    struct Options {
        std::string file;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command =
        inspect.add_subcommand("object", "Load a LightWave object (.lwo) as the player does and "
                                         "print its mesh, surfaces and bounding box");
    command->add_option("FILE", options->file, "Object file (content path)")->required();
    command->add_flag("--json", options->json, "Print JSON with the records' field names");
    command->callback([options] {
        auto textures = std::make_unique<TextureTable>();
        auto object = std::make_unique<SceneObject>();
        if (object->loadObject(*textures, options->file.c_str()) == 0) {
            // A file that was found says why on standard error already.
            throw ToolError(lastRefusal()[0] != '\0' ? ""
                                                     : "cannot open object file " + options->file);
        }
        if (options->json) {
            std::cout << objectJson(*object, *textures).dump(2) << "\n";
        } else {
            printText(options->file, *object, *textures);
        }
    });
}
