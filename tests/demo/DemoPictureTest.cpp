// The bundled demo as pictures: frames early, in the middle and late in every scene,
// drawn by `ember render` in the authentic 16-bit look, must show something — no black
// or flat frames (a camera looking away, a scene without light, a texture gone missing
// would all show up here).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "content/PngFile.h"
#include "support/EmberProgram.h"

namespace {

struct PictureStats {
    double meanLuma = 0.0;    // 0..255
    double brightShare = 0.0; // pixels with luma above 48
    double spread = 0.0;      // standard deviation of luma
};

PictureStats statsOf(const RgbaImage& image) {
    PictureStats s;
    double sum = 0.0, squares = 0.0;
    int bright = 0;
    const int count = image.width * image.height;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            const double luma = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
            sum += luma;
            squares += luma * luma;
            bright += luma > 48.0 ? 1 : 0;
        }
    }
    s.meanLuma = sum / count;
    s.brightShare = static_cast<double>(bright) / count;
    s.spread = std::sqrt(std::max(0.0, squares / count - s.meanLuma * s.meanLuma));
    return s;
}

using DemoPictures = EmberProgramTest;

TEST_F(DemoPictures, EveryPartOfEverySceneShowsSomething) {
    const char* const names[5] = {"outdoor", "temple", "future", "office", "theend"};
    for (int scene = 0; scene < 5; ++scene) {
        const std::string text =
            readFile(std::string(EMBER_DEMO_DIR) + "/scenes/" + names[scene] + ".lws");
        const size_t at = text.find("\nLastFrame ");
        ASSERT_NE(at, std::string::npos);
        const int lastFrame = std::atoi(text.c_str() + at + 11);
        for (int share : {10, 50, 90}) {
            const int frame = lastFrame * share / 100;
            ASSERT_EQ(run(std::string("render ") + EMBER_DEMO_DIR + " --scene " +
                          std::to_string(scene) + " --frame " + std::to_string(frame) +
                          " --size 160x120 -o frame.png"),
                      0)
                << err;
            RgbaImage image;
            char message[256] = {};
            ASSERT_EQ(readPngFile("frame.png", image, message, sizeof message), 1) << message;
            const PictureStats s = statsOf(image);
            const std::string where =
                "scene " + std::to_string(scene) + " frame " + std::to_string(frame);
            EXPECT_GT(s.meanLuma, 10.0) << where << ": too dark";
            EXPECT_GT(s.brightShare, 0.02) << where << ": nothing lit";
            EXPECT_GT(s.spread, 6.0) << where << ": a flat picture";
        }
    }
}

} // namespace
