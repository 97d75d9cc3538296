// A small demo folder for tests of the whole player: five scenes of a turning,
// lit cube (a LightWave object of 12 triangles), the lens-flare texture, and optionally
// a disc image of two audio tracks (a tone each, BINARY sectors).
//
// writeTestDemo(dir, lastFrame, withDisc) creates dir/scenes, dir/objects, dir/textures
// and dir/cdrom. Every scene runs from frame 0 to `lastFrame` at 30 frames per second.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "accel/ThreeDfFile.h"
#include "content/PngFile.h"
#include "support/ThreeDfBuilder.h"
#include "writers/LwobWriter.h"

namespace test_demo {

// The same cube as a modeller saves it: six quads.
inline std::string quadCubeObject() {
    const std::vector<std::array<float, 3>> corners = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1},
                                                       {-1, 1, -1},  {-1, -1, 1}, {1, -1, 1},
                                                       {1, 1, 1},    {-1, 1, 1}};
    LwobWriter lwob;
    lwob.points(corners)
        .surfaceNames({"Cube"})
        .polygons({{{0, 3, 2, 1}, 1},
                   {{4, 5, 6, 7}, 1},
                   {{0, 1, 5, 4}, 1},
                   {{3, 7, 6, 2}, 1},
                   {{0, 4, 7, 3}, 1},
                   {{1, 2, 6, 5}, 1}})
        .surface("Cube", LwobSurface().color(208, 120, 48).flags(4));
    return lwob.bytes();
}

// A cube of side 2 centred on the origin, one smooth surface "Cube".
inline std::string cubeObject() {
    const std::vector<std::array<float, 3>> corners = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1},
                                                       {-1, 1, -1},  {-1, -1, 1}, {1, -1, 1},
                                                       {1, 1, 1},    {-1, 1, 1}};
    const std::vector<std::array<uint16_t, 4>> faces = {
        {0, 2, 1, 1}, {0, 3, 2, 1}, {4, 5, 6, 1}, {4, 6, 7, 1}, {0, 1, 5, 1}, {0, 5, 4, 1},
        {3, 6, 2, 1}, {3, 7, 6, 1}, {0, 4, 7, 1}, {0, 7, 3, 1}, {1, 2, 6, 1}, {1, 6, 5, 1}};
    LwobWriter lwob;
    lwob.points(corners).surfaceNames({"Cube"}).triangles(faces).surface(
        "Cube", LwobSurface().color(208, 120, 48).flags(4));
    return lwob.bytes();
}

inline std::string sceneFile(int32_t lastFrame, int32_t index) {
    const int32_t spin = 90 + 45 * index;
    std::string s = "LWSC\n1\n\nFirstFrame 0\nLastFrame " + std::to_string(lastFrame) +
                    "\nFrameStep 1\nFramesPerSecond 30\n\n";
    s += "LoadObject objects\\cube.lwo\nObjectMotion (unnamed)\n 9\n 2\n"
         " 0 0 0 0 0 0 1 1 1\n 0 0 0.0 0.0 0.0\n"
         " 0 0 0 " +
         std::to_string(spin) + " 30 0 1 1 1\n " + std::to_string(lastFrame) +
         " 0 0.0 0.0 0.0\nEndBehavior 1\n\n";
    s += "AmbientColor 255 255 255\nAmbIntensity 0.25\n\n";
    s += "AddLight\nLightName Light\nLightMotion (unnamed)\n 9\n 1\n 0 0 0 30 30 0 1 1 1\n"
         " 0 0 0.0 0.0 0.0\nLightColor 255 240 220\nLgtIntensity 1.0\nLightType 0\n\n";
    s += "ShowCamera 1 2\nCameraMotion (unnamed)\n 9\n 1\n 0 0 -12 0 0 0 1 1 1\n"
         " 0 0 0.0 0.0 0.0\nZoomFactor 3.2\n";
    return s;
}

// `seconds` seconds of a sine tone at `hertz`, as raw CD sectors (little-endian stereo).
inline std::string toneSectors(int32_t seconds, double hertz) {
    std::string bytes;
    const int32_t frames = seconds * 75 * 588;
    bytes.reserve(static_cast<size_t>(frames) * 4);
    for (int32_t i = 0; i < frames; ++i) {
        const auto v =
            static_cast<int16_t>(8000.0 * std::sin(6.283185307179586 * hertz * i / 44100.0));
        const auto u = static_cast<uint16_t>(v);
        for (int c = 0; c < 2; ++c) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
    }
    return bytes;
}

inline bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// Real content: the cube of quads, and the flare as a PNG picture (for ember convert demo).
inline bool writeTestDemo(const std::string& dir, int32_t lastFrame, bool withDisc,
                          bool realContent = false) {
    for (const char* sub : {"", "/scenes", "/objects", "/textures", "/cdrom"}) {
        std::error_code error;
        std::filesystem::create_directories(dir + sub, error);
    }
    const char* scenes[] = {"outdoor", "temple", "future", "office", "theend"};
    bool ok = writeBytes(dir + "/objects/cube.lwo", realContent ? quadCubeObject() : cubeObject());
    for (int32_t i = 0; i < 5; ++i) {
        ok = ok && writeBytes(dir + "/scenes/" + scenes[i] + ".lws", sceneFile(lastFrame, i));
    }
    if (realContent) {
        RgbaImage flare;
        flare.allocate(32, 32);
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 32; ++x) {
                const int32_t d = std::abs(x - 16) + std::abs(y - 16);
                uint8_t* p = flare.at(x, y);
                p[0] = p[1] = p[2] = static_cast<uint8_t>(d < 16 ? 255 - d * 15 : 0);
                p[3] = 255;
            }
        }
        char message[256];
        ok = ok && writePngFile((dir + "/textures/flare.png").c_str(), flare, message,
                                sizeof message) != 0;
    } else {
        ok = ok &&
             ThreeDfBuilder::square(GR_TEXFMT_RGB_565, 32, 32).write(dir + "/textures/flare.3df");
    }
    if (withDisc) {
        ok = ok &&
             writeBytes(dir + "/cdrom/demo.bin", toneSectors(2, 440.0) + toneSectors(2, 660.0));
        ok = ok && writeBytes(dir + "/cdrom/demo.cue",
                              "FILE \"demo.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                              "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n");
    }
    return ok;
}

} // namespace test_demo
