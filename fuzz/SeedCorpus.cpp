// fuzz_seeds: writes the seed corpus of every fuzz target.
//
//   fuzz_seeds OUT [LWOB_DIR [DEMO_DIR]]
//
// OUT/lwo2 receives the real LWO2 objects of LWOB_DIR's siblings lwo2/ and polygons/;
// OUT/picture small pictures of every kind and IFF variant.
//
// OUT/object, OUT/scene, OUT/frame, OUT/3df and OUT/png receive small valid inputs that
// reach every part of their reader: the content of FuzzContent.h, one 3DF file per
// format and shape, PNG files of every colour type. LWOB_DIR (tests/data/lwob) adds the
// real LightWave objects, as they are and converted to triangles (the player reads
// triangles only; the fuzz target's second mode reads them as they are). DEMO_DIR (a generated demo
// folder) adds the demo's objects with their texture coordinate files, its textures, and its five
// scenes with every object replaced by one of the fuzz content (objects\wave0.lwo: the workspace
// holds no demo objects, and one object of one point count keeps morph chains valid).
#include <png.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzContent.h"
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "ember/ObjectConversion.h"
#include "platform/Diagnostics.h"
#include "writers/LwobWriter.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace fs = std::filesystem;

namespace {

bool put(const fs::path& path, const std::string& bytes) {
    return writeWorkspaceFile(path.c_str(), bytes) == 1;
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Polygons for the triangulating reader: a concave star, a bow-tie, a 64-corner circle with
// a repeated corner, a point, a line, and a quad with a detail triangle (surface -1, one
// detail polygon behind it).
std::string polygonObject() {
    std::vector<std::array<float, 3>> points = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 0}};
    std::vector<uint16_t> star;
    std::vector<uint16_t> circle;
    for (int i = 0; i < 10; ++i) {
        const float radius = i % 2 == 0 ? 1.0f : 0.4f;
        const float angle = static_cast<float>(i) * 0.6283185f;
        star.push_back(static_cast<uint16_t>(points.size()));
        points.push_back({radius * std::cos(angle), radius * std::sin(angle), 1});
    }
    for (int i = 0; i < 64; ++i) {
        const float angle = static_cast<float>(i) * 0.0981748f;
        circle.push_back(static_cast<uint16_t>(points.size()));
        points.push_back({std::cos(angle), std::sin(angle), 2});
    }
    circle.insert(circle.begin() + 10, circle[9]);
    std::string polygons;
    for (const std::vector<uint16_t>& polygon :
         {star, {0, 3, 1, 2}, circle, {5}, {6, 7}, {0, 1, 3, 2}, {0, 1, 3}}) {
        polygons += lwob::u16(static_cast<uint16_t>(polygon.size()));
        for (uint16_t point : polygon) {
            polygons += lwob::u16(point);
        }
        const bool detailed = polygon.size() == 4 && polygon[1] == 1;
        polygons += detailed ? lwob::u16(0xFFFF) + lwob::u16(1) : lwob::u16(polygon.size() % 2 + 1);
    }
    LwobWriter lwob;
    lwob.points(points)
        .surfaceNames({"Even", "Odd"})
        .chunk("POLS", polygons)
        .surface("Even", LwobSurface().color(200, 100, 0))
        .surface("Odd", LwobSurface()
                            .texture("CTEX", "Cylindrical Image Map")
                            .textureImage("wood")
                            .textureFlags(2)
                            .textureSize(2, 2, 2));
    return lwob.bytes();
}

bool objectSeeds(const fs::path& dir, const char* lwobDir) {
    const std::string marker = kTextureCoordinateMarker;
    bool ok = put(dir / "cube.lwo", cubeObject()) && put(dir / "tri.lwo", triangleObject()) &&
              put(dir / "polygons.lwo", polygonObject()) && put(dir / "wave.lwo", waveObject(1)) &&
              put(dir / "cube-with-txc", cubeObject() + marker + textureCoordinates(12)) &&
              put(dir / "tri-with-txc", triangleObject() + marker + textureCoordinates(1));
    if (lwobDir != nullptr) {
        for (const auto& entry : fs::directory_iterator(lwobDir)) {
            if (entry.path().extension() != ".lwo") {
                continue;
            }
            const std::string bytes = fileBytes(entry.path());
            const std::string name = entry.path().stem().string();
            ok = ok && put(dir / (name + ".lwo"), bytes) &&
                 put(dir / (name + "-triangles.lwo"), convertObject(entry.path()).lwob);
        }
    }
    return ok;
}

// The files of `dir` with `extension`, in name order, of at most `maxBytes`.
std::vector<fs::path> filesOf(const fs::path& dir, const char* extension, uintmax_t maxBytes) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
        if (entry.path().extension() == extension && entry.file_size(error) <= maxBytes) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// `scene` with the name after every "LoadObject" replaced by `object`.
std::string withObject(const std::string& scene, const std::string& object) {
    const std::string keyword = "LoadObject";
    std::string out;
    size_t at = 0;
    for (size_t hit; (hit = scene.find(keyword, at)) != std::string::npos;) {
        size_t name = hit + keyword.size();
        while (name < scene.size() && (scene[name] == ' ' || scene[name] == '\t')) {
            ++name;
        }
        size_t end = name;
        while (end < scene.size() && !std::isspace(static_cast<unsigned char>(scene[end]))) {
            ++end;
        }
        out += scene.substr(at, name - at) + object;
        at = end;
    }
    return out + scene.substr(at);
}

bool demoSeeds(const fs::path& out, const fs::path& demo) {
    bool ok = true;
    const std::string marker = kTextureCoordinateMarker;
    for (const fs::path& object : filesOf(demo / "objects", ".lwo", 32768)) {
        fs::path coordinates = object;
        coordinates.replace_extension(".txc");
        std::string bytes = fileBytes(object);
        if (fs::exists(coordinates)) {
            bytes += marker + fileBytes(coordinates);
        }
        ok = ok && put(out / "object" / ("demo-" + object.filename().string()), bytes);
    }
    for (const fs::path& texture : filesOf(demo / "textures", ".3df", 16384)) {
        ok = ok && put(out / "3df" / ("demo-" + texture.filename().string()), fileBytes(texture));
    }
    for (const fs::path& scene : filesOf(demo / "scenes", ".lws", 1 << 20)) {
        const std::string text = withObject(fileBytes(scene), "objects\\wave0.lwo");
        const std::string name = "demo-" + scene.filename().string();
        ok = ok && put(out / "scene" / name, text) && put(out / "frame" / name, text);
    }
    return ok;
}

bool sceneSeeds(const fs::path& dir) {
    const std::vector<std::string> scenes = exampleScenes();
    bool ok = true;
    for (size_t i = 0; i < scenes.size(); ++i) {
        ok = ok && put(dir / ("scene" + std::to_string(i) + ".lws"), scenes[i]);
    }
    return ok;
}

bool laterSceneSeeds(const fs::path& dir) {
    const std::vector<std::string> scenes = exampleLaterScenes();
    bool ok = true;
    for (size_t i = 0; i < scenes.size(); ++i) {
        ok = ok && put(dir / ("later" + std::to_string(i) + ".lws"), scenes[i]);
    }
    return ok;
}

bool threeDfSeeds(const fs::path& dir) {
    struct Shape {
        const char* name;
        GrLOD_t large;
        GrLOD_t small;
        GrAspectRatio_t aspect;
    };
    const Shape shapes[] = {{"8x8-mips", GR_LOD_8, GR_LOD_1, GR_ASPECT_1x1},
                            {"16x2", GR_LOD_16, GR_LOD_16, GR_ASPECT_8x1},
                            {"2x8-mips", GR_LOD_8, GR_LOD_1, GR_ASPECT_1x4}};
    bool ok = true;
    for (size_t f = 0; f < std::size(kThreeDfFormats); ++f) {
        // Every format in the first shape; the other shapes in a few formats.
        for (size_t s = 0; s < 3; ++s) {
            if (s > 0 && f % 4 != 0) {
                continue;
            }
            const fs::path path = dir / (std::string(threeDfFormatName(kThreeDfFormats[f])) + "-" +
                                         shapes[s].name + ".3df");
            ok = ok && writePatternedTexture(path.c_str(), kThreeDfFormats[f], shapes[s].large,
                                             shapes[s].small, shapes[s].aspect);
        }
    }
    return ok;
}

// A PNG file of `format` (libpng's simplified formats) with a patterned image.
bool pngSeed(const fs::path& path, uint32_t format, int32_t width, int32_t height) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = format;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint8_t>((i * 29 + i / 7) & 0xFF);
    }
    std::vector<uint8_t> colormap;
    if ((format & PNG_FORMAT_FLAG_COLORMAP) != 0) {
        png.colormap_entries = 16;
        colormap.resize(PNG_IMAGE_COLORMAP_SIZE(png));
        for (size_t i = 0; i < colormap.size(); ++i) {
            colormap[i] = static_cast<uint8_t>(i * 17);
        }
        for (uint8_t& index : pixels) {
            index &= 15;
        }
    }
    return png_image_write_to_file(&png, path.c_str(), 0, pixels.data(), 0,
                                   colormap.empty() ? nullptr : colormap.data()) != 0;
}

bool pngSeeds(const fs::path& dir) {
    return pngSeed(dir / "rgba-8x8.png", PNG_FORMAT_RGBA, 8, 8) &&
           pngSeed(dir / "rgb-13x5.png", PNG_FORMAT_RGB, 13, 5) &&
           pngSeed(dir / "grey-3x17.png", PNG_FORMAT_GRAY, 3, 17) &&
           pngSeed(dir / "grey-alpha-4x4.png", PNG_FORMAT_GA, 4, 4) &&
           pngSeed(dir / "linear-rgba-6x6.png", PNG_FORMAT_LINEAR_RGB_ALPHA, 6, 6) &&
           pngSeed(dir / "palette-9x9.png", PNG_FORMAT_RGB_COLORMAP, 9, 9) &&
           pngSeed(dir / "palette-alpha-5x2.png", PNG_FORMAT_RGBA_COLORMAP, 5, 2);
}

bool lwo2Seeds(const fs::path& dir, const char* lwobDir) {
    bool ok = true;
    if (lwobDir == nullptr) {
        return ok;
    }
    for (const char* sibling : {"lwo2", "polygons"}) {
        for (const fs::path& file : filesOf(fs::path(lwobDir) / ".." / sibling, ".lwo", 32768)) {
            ok = ok && put(dir / file.filename(), fileBytes(file));
        }
    }
    return ok;
}

// An IFF picture: FORM `type` with a BMHD of the given shape, optional CMAP and CAMG,
// and `body`.
std::string iffPicture(const char* type, int width, int height, int planes, int masking,
                       int compression, const std::string& cmap, int64_t camg,
                       const std::string& body) {
    auto u2 = [](int v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v)}; };
    auto u4 = [&](uint32_t v) {
        return u2(static_cast<int>(v >> 16)) + u2(static_cast<int>(v & 0xFFFF));
    };
    auto chunk = [&](const char* id, const std::string& data) {
        return std::string(id, 4) + u4(static_cast<uint32_t>(data.size())) + data +
               (data.size() % 2 != 0 ? std::string(1, '\0') : std::string());
    };
    const std::string bmhd = u2(width) + u2(height) + u4(0) + static_cast<char>(planes) +
                             static_cast<char>(masking) + static_cast<char>(compression) +
                             std::string(1, '\0') + u2(0) + "\x01\x01" + u2(width) + u2(height);
    std::string chunks = chunk("BMHD", bmhd);
    if (!cmap.empty()) {
        chunks += chunk("CMAP", cmap);
    }
    if (camg >= 0) {
        chunks += chunk("CAMG", u4(static_cast<uint32_t>(camg)));
    }
    chunks += chunk("BODY", body);
    return "FORM" + u4(static_cast<uint32_t>(chunks.size() + 4)) + type + chunks;
}

void appendTo(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
}

bool pictureSeeds(const fs::path& dir) {
    std::string palette;
    for (int i = 0; i < 64 * 3; ++i) {
        palette += static_cast<char>(i * 37);
    }
    // 16 x 4 pixels: rows of 2 bytes per plane; ByteRun1 as literal runs of one row.
    auto planar = [](int planes, int extra, bool compressed) {
        std::string body;
        for (int y = 0; y < 4; ++y) {
            std::string row;
            for (int p = 0; p < planes + extra; ++p) {
                row += static_cast<char>(0x5A ^ (p * 17 + y));
                row += static_cast<char>(0xC3 + p + y);
            }
            body += compressed ? static_cast<char>(row.size() - 1) + row : row;
        }
        return body;
    };
    std::string rgb(8 * 6 * 3, '\0');
    for (size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<char>(i * 5);
    }
    std::string jpeg, bmp, tga;
    stbi_write_jpg_to_func(appendTo, &jpeg, 8, 6, 3, rgb.data(), 80);
    stbi_write_bmp_to_func(appendTo, &bmp, 8, 6, 3, rgb.data());
    stbi_write_tga_to_func(appendTo, &tga, 8, 6, 3, rgb.data());
    return put(dir / "ilbm-4-planes.iff",
               iffPicture("ILBM", 16, 4, 4, 0, 0, palette.substr(0, 48), 0, planar(4, 0, false))) &&
           put(dir / "ilbm-byterun1-mask.iff",
               iffPicture("ILBM", 16, 4, 3, 1, 1, palette.substr(0, 24), -1, planar(3, 1, true))) &&
           put(dir / "ilbm-ehb.iff", iffPicture("ILBM", 16, 4, 6, 2, 0, palette.substr(0, 96), 0x80,
                                                planar(6, 0, false))) &&
           put(dir / "ilbm-ham6.iff", iffPicture("ILBM", 16, 4, 6, 0, 1, palette.substr(0, 48),
                                                 0x800, planar(6, 0, true))) &&
           put(dir / "ilbm-ham8.iff",
               iffPicture("ILBM", 16, 4, 8, 0, 0, palette, 0x800, planar(8, 0, false))) &&
           put(dir / "ilbm-deep24.iff",
               iffPicture("ILBM", 16, 4, 24, 0, 1, "", -1, planar(24, 0, true))) &&
           put(dir / "ilbm-deep32.iff",
               iffPicture("ILBM", 16, 4, 32, 0, 0, "", -1, planar(32, 0, false))) &&
           put(dir / "pbm.iff", iffPicture("PBM ", 3, 2, 8, 0, 0, palette, -1,
                                           "\x01\x02\x03\x00\x04\x05\x06\x00")) &&
           put(dir / "rgb8.iff",
               iffPicture(
                   "RGB8", 3, 3, 25, 0, 4, "", -1,
                   std::string("\x0a\x14\x1e\x02\x28\x32\x3c\x80\x00\x00\x06\x46\x50\x5a\x01",
                               15))) &&
           put(dir / "rgbn.iff", iffPicture("RGBN", 2, 2, 13, 0, 4, "", -1, "\xf0\x03\x12\x39")) &&
           put(dir / "picture.jpg", jpeg) && put(dir / "picture.bmp", bmp) &&
           put(dir / "picture.tga", tga);
}

} // namespace

int main(int argc, char** argv) {
    setLoaderTraceStream(nullptr); // the objects converted for seeds trace their surfaces
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUT [LWOB_DIR [DEMO_DIR]]\n");
        return 2;
    }
    const fs::path out = argv[1];
    for (const char* target :
         {"object", "scene", "frame", "3df", "png", "lwo2", "picture", "later"}) {
        fs::create_directories(out / target);
    }
    const bool ok =
        objectSeeds(out / "object", argc > 2 ? argv[2] : nullptr) && sceneSeeds(out / "scene") &&
        sceneSeeds(out / "frame") && threeDfSeeds(out / "3df") && pngSeeds(out / "png") &&
        lwo2Seeds(out / "lwo2", argc > 2 ? argv[2] : nullptr) && pictureSeeds(out / "picture") &&
        laterSceneSeeds(out / "later") && (argc < 4 || demoSeeds(out, argv[3]));
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
