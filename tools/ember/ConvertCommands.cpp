// ember convert object IN OUT.lwo, ember convert demo SRC DST: real LightWave 5 content
// into files the player plays.
//
// convert object writes the all-triangle LWOB of ObjectConversion.h (and its .txc when
// the object has one); an LWO2 object becomes the LWOB, .txc and 3DF textures of
// LaterObjectConversion.h. convert demo copies the demo folder SRC whole (but the player's
// error.txt) into the new folder DST, then, for every object that a scene in scenes/ loads
// (LoadObject) and the player refuses, puts the converted object in its place (an LWO2
// object's textures go into textures/), and for every texture the demo asks for (surface
// images, fire sprites, flare.3df) that is missing as .3df but present as .png beside
// where it should be, converts the picture: ARGB4444 when it has
// transparent pixels, else RGB565, mip-mapped.
//
// Outputs are atomic: files are written under temporary names and renamed when
// complete (OutputFile.h), the demo is built in a temporary folder beside DST and
// renamed to DST at the end; on any failure nothing is left and nothing that existed is
// touched. DST must
// not exist.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "accel/ThreeDfFile.h"
#include "content/PngFile.h"
#include "content/TextureConverter.h"
#include "ember/Commands.h"
#include "ember/LaterObjectConversion.h"
#include "ember/ObjectConversion.h"
#include "ember/OutputFile.h"
#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

namespace fs = std::filesystem;

namespace {

// What the readers say while objects and pictures are tried is for the conversion to
// report, not the terminal (a refused object is why it gets converted).
struct QuietReaders {
    QuietReaders() { setTerminalQuiet(1); }
    ~QuietReaders() { setTerminalQuiet(0); }
};

// "1 polygon", "2 polygons".
std::string countOf(int32_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

// "12 polygons as 20 triangles" (only the triangles when the reader did not count
// polygons, as for LWO2 objects).
std::string shapeOf(const ConvertedObject& converted) {
    const std::string triangles = countOf(converted.triangles, "triangle");
    return converted.polygons > 0 ? countOf(converted.polygons, "polygon") + " as " + triangles
                                  : triangles;
}

void writeBytes(const OutputFile& file, const std::string& bytes) {
    std::ofstream out(file.temporaryPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw ToolError("cannot write " + file.path());
    }
}

void warnSkipped(const std::string& name, const ConvertedObject& converted) {
    if (converted.skippedPointsAndLines + converted.skippedWithoutArea > 0) {
        std::fprintf(stderr,
                     "ember: %s: skipped %d points and lines (polygons of one or two corners) "
                     "and %d polygons without area\n",
                     name.c_str(), converted.skippedPointsAndLines, converted.skippedWithoutArea);
    }
}

// Writes the converted object to the host path `out` (and its .txc beside it).
void writeConverted(const ConvertedObject& converted, const std::string& out) {
    const std::string txc = textureCoordinatePathOf(out);
    if (converted.textureCoordinates.empty() && !txc.empty() && fs::exists(txc)) {
        throw ToolError(txc + " lies beside the output and would give the converted object "
                              "texture coordinates it does not have; remove it or choose "
                              "another name");
    }
    if (!converted.textureCoordinates.empty() && txc.empty()) {
        throw ToolError(out + ": the object has texture coordinates, which need a .txc file "
                              "beside it; give the output name an extension (OUT.lwo)");
    }
    OutputFile object(out);
    writeBytes(object, converted.lwob);
    if (!converted.textureCoordinates.empty()) {
        OutputFile coordinates(txc);
        writeBytes(coordinates, converted.textureCoordinates);
        coordinates.commit();
    }
    object.commit();
}

bool sameIgnoringCase(const std::string& a, const std::string& b);

// Where `convert object` puts an LWO2 object's textures by default: the demo folder's
// textures/ when OUT lies in its objects/, else beside OUT.
fs::path defaultTextureFolder(const std::string& out) {
    const fs::path folder = fs::path(out).parent_path();
    if (!sameIgnoringCase(folder.filename().string(), "objects")) {
        return folder.empty() ? fs::path(".") : folder;
    }
    const fs::path demo = folder.parent_path();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(demo.empty() ? "." : demo, error)) {
        if (entry.is_directory() &&
            sameIgnoringCase(entry.path().filename().string(), "textures")) {
            return demo / entry.path().filename();
        }
    }
    return demo / "textures";
}

// The object at the content path `in`, converted; an LWO2 object's textures written
// into `textureFolder` (their names on standard output when `announce`).
ConvertedObject convertAnyObject(const std::string& in, const fs::path& textureFolder,
                                 bool announce) {
    if (!isLwo2Object(in)) {
        return convertObject(in);
    }
    std::vector<std::string> written;
    ConvertedObject converted = convertLwo2Object(in, textureFolder, written);
    for (size_t i = 0; announce && i < written.size(); ++i) {
        std::printf("wrote texture %s\n", written[i].c_str());
    }
    return converted;
}

void convertObjectCommand(const std::string& in, const std::string& out,
                          const std::string& textures) {
    const fs::path folder = fs::path(out).parent_path();
    std::error_code error;
    if (!folder.empty() && !fs::is_directory(folder, error)) {
        throw ToolError("no folder " + folder.string() + " to write " + out + " into");
    }
    QuietReaders quiet;
    const ConvertedObject converted = convertAnyObject(
        in, textures.empty() ? defaultTextureFolder(out) : fs::path(textures), true);
    writeConverted(converted, out);
    warnSkipped(out, converted);
    std::printf("wrote %s: %s%s\n", out.c_str(), shapeOf(converted).c_str(),
                converted.textureCoordinates.empty() ? "" : ", texture coordinates beside it");
}

// --- convert demo ---------------------------------------------------------------------

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// What the scenes of a demo name: objects (as written) and fire sprites.
struct SceneNames {
    std::vector<std::string> objects;
    std::vector<std::string> textures;
};

SceneNames namesInScenes() {
    SceneNames names;
    std::error_code error;
    for (const auto& dir : fs::directory_iterator(".", error)) {
        if (!dir.is_directory() || !sameIgnoringCase(dir.path().filename().string(), "scenes")) {
            continue;
        }
        for (const auto& entry : fs::directory_iterator(dir.path(), error)) {
            if (!sameIgnoringCase(entry.path().extension().string(), ".lws")) {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            std::string token;
            std::string previous;
            while (in >> token) {
                if (previous == "LoadObject") {
                    names.objects.push_back(token);
                } else if (previous == "FireTexture") {
                    names.textures.push_back(token);
                }
                previous = token;
            }
        }
    }
    return names;
}

// The content path under which the player finds an object, as the scene reader tries
// them; "" when neither exists.
std::string objectPathOf(const std::string& name) {
    char host[4096];
    for (const std::string& path : {name, "objects\\\\" + name}) {
        if (resolveContentPath(path.c_str(), host, sizeof host) == 1) {
            return path;
        }
    }
    return "";
}

std::string hostPathOf(const std::string& contentPath) {
    char host[4096];
    resolveContentPath(contentPath.c_str(), host, sizeof host);
    return host;
}

// Loads the object with the player's own reader (triangles only); its textures are
// requested from `textures`. 1 when the player takes it.
int32_t playerLoads(const std::string& path, TextureTable& textures) {
    ReaderExtensions& extensions = readerExtensions();
    const ReaderExtensions saved = extensions;
    extensions = ReaderExtensions{};
    auto object = std::make_unique<SceneObject>();
    const int32_t loaded = object->loadObject(textures, path.c_str());
    extensions = saved;
    return loaded;
}

bool hasTransparency(const RgbaImage& image) {
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            if (image.at(x, y)[3] != 255) {
                return true;
            }
        }
    }
    return false;
}

// A texture slot that did not load ("textures\Wood.3df"): made from textures\Wood.png
// when there is one. Returns true when converted.
bool convertPicture(const std::string& texturePath) {
    const std::string base = texturePath.substr(0, texturePath.size() - 4); // without .3df
    const std::string png = hostPathOf(base + ".png");
    if (png.empty() || !fs::is_regular_file(png)) {
        return false;
    }
    RgbaImage image;
    char message[256];
    if (!readPngFile(png.c_str(), image, message, sizeof message)) {
        throw ToolError(png + ": " + message);
    }
    TextureConversion conversion;
    conversion.format = hasTransparency(image) ? GR_TEXFMT_ARGB_4444 : GR_TEXFMT_RGB_565;
    conversion.mipMaps = true;
    ThreeDfTexture texture;
    if (!convertImageToThreeDf(image, conversion, texture, message, sizeof message)) {
        throw ToolError(png + ": " + message);
    }
    const std::string name = base.substr(base.find_last_of("\\/") + 1);
    const fs::path target = fs::path(png).parent_path() / (name + ".3df");
    OutputFile file(target.string());
    if (!write3dfFile(file.temporaryPath().c_str(), texture.info)) {
        throw ToolError("cannot write " + target.string());
    }
    file.commit();
    return true;
}

// The work inside the copy of the demo (the working directory); returns what it did.
std::string convertDemoHere() {
    QuietReaders quiet;
    const SceneNames names = namesInScenes();
    auto textures = std::make_unique<TextureTable>();
    std::set<std::string> done;
    int32_t objects = 0;
    int32_t pictures = 0;
    for (const std::string& name : names.objects) {
        const std::string path = objectPathOf(name);
        if (path.empty()) {
            std::fprintf(stderr, "ember: warning: a scene loads %s, which the demo lacks\n",
                         name.c_str());
            continue;
        }
        if (!done.insert(hostPathOf(path)).second || playerLoads(path, *textures) == 1) {
            continue;
        }
        ConvertedObject converted;
        try {
            converted = convertAnyObject(path, hostPathOf("textures"), false);
        } catch (const ToolError& e) {
            throw ToolError(std::string("cannot convert ") + path + ": " + e.what());
        }
        writeConverted(converted, hostPathOf(path));
        warnSkipped(path, converted);
        if (playerLoads(path, *textures) != 1) {
            throw ToolError(path +
                            ": the converted object does not load: " + displayText(lastRefusal()));
        }
        std::printf("converted %s: %s\n", displayText(path).c_str(), shapeOf(converted).c_str());
        ++objects;
    }
    textures->loadTexture("flare.3df");
    for (const std::string& name : names.textures) {
        textures->loadTexture(name.c_str());
    }
    for (int32_t i = 0; i < textures->count; ++i) {
        if (!textures->slots[i].isLoaded() && convertPicture(textures->slots[i].path)) {
            std::printf("converted %s from a PNG picture\n",
                        displayText(textures->slots[i].path).c_str());
            ++pictures;
        }
    }
    return countOf(objects, "object") + " and " + countOf(pictures, "picture") + " converted";
}

void convertDemoCommand(const std::string& source, const std::string& destination) {
    const fs::path from = fs::absolute(source);
    const fs::path to = fs::absolute(destination);
    std::error_code error;
    if (!fs::is_directory(from, error)) {
        throw ToolError(source + " is not a demo folder");
    }
    if (fs::exists(fs::symlink_status(to, error))) {
        throw ToolError(destination + " exists; the converted demo goes into a new folder");
    }
    const fs::path partial = to.string() + ".partial-" + std::to_string(getpid());
    const fs::path start = fs::current_path();
    try {
        fs::copy(from, partial, fs::copy_options::recursive);
        // The player's log of the source (what it refused there) is no log of the copy.
        fs::remove(partial / "error.txt");
        fs::current_path(partial);
        const std::string done = convertDemoHere();
        fs::current_path(start);
        fs::rename(partial, to);
        std::printf("wrote %s: %s\n", destination.c_str(), done.c_str());
    } catch (const std::exception& e) {
        fs::current_path(start, error);
        fs::remove_all(partial, error);
        throw ToolError(e.what());
    }
}

} // namespace

void addConvertCommands(CLI::App& app) {
    CLI::App* convert = app.add_subcommand(
        "convert", "Turn real LightWave content into the files the player plays");
    convert->require_subcommand(1);

    auto object = std::make_shared<std::array<std::string, 3>>();
    CLI::App* objectCommand = convert->add_subcommand(
        "object", "Write an LWOB object of polygons of any size, or an LWO2 object, as "
                  "triangles (and the .txc beside it when the object has texture coordinates; "
                  "an LWO2 object's pictures as 3DF textures)");
    objectCommand->add_option("IN", (*object)[0], "Object file (content path)")->required();
    objectCommand->add_option("OUT", (*object)[1], "Output .lwo file")->required();
    objectCommand->add_option("--textures", (*object)[2],
                              "Folder for an LWO2 object's textures (default: the textures "
                              "folder beside the objects folder OUT is in, else OUT's folder)");
    objectCommand->callback(
        [object] { convertObjectCommand((*object)[0], (*object)[1], (*object)[2]); });

    auto demo = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* demoCommand = convert->add_subcommand(
        "demo", "Copy a demo folder, converting every object its scenes load that the player "
                "refuses and every missing .3df texture present as .png");
    demoCommand->add_option("SRC", demo->first, "Demo folder")->required();
    demoCommand->add_option("DST", demo->second, "New folder for the converted demo")->required();
    demoCommand->callback([demo] { convertDemoCommand(demo->first, demo->second); });
}
