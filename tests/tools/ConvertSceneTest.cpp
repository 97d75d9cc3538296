// ember convert scene: a later scene becomes a LightWave 5 demo folder that the player
// draws as the scene itself is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "content/PngFile.h"
#include "support/EmberProgram.h"

namespace {

namespace fs = std::filesystem;

const std::string kLater = EMBER_LATER_TESTDATA;

// A version-3 scene of the UV-mapped box, turning, beside its picture.
const char* const kBoxScene = "LWSC\n3\n\nFirstFrame 0\nLastFrame 30\nFramesPerSecond 30\n"
                              "LoadObjectLayer 1 boxuv.lwo\nObjectMotion\nNumChannels 9\n"
                              "Channel 3\n{ Envelope\n  2\n  Key 0 0 0 0 0 0 0 0 0\n"
                              "  Key 1.5 1 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n"
                              "Channel 4\n{ Envelope\n  1\n  Key 0.4 0 0 0 0 0 0 0 0\n"
                              "  Behaviors 1 1\n}\n"
                              "AmbientColor 1 1 1\nAmbientIntensity 0.5\n"
                              "AddCamera\nCameraMotion\nNumChannels 6\nChannel 2\n{ Envelope\n"
                              "  1\n  Key -4 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";

class ConvertSceneTest : public EmberProgramTest {
protected:
    // The largest difference of any colour channel between the two renders of a frame.
    int largestDifference(const std::string& a, const std::string& b, int frame) {
        RgbaImage images[2];
        for (int i = 0; i < 2; ++i) {
            const std::string png = "f" + std::to_string(i) + ".png";
            EXPECT_EQ(run("render " + (i == 0 ? a : b) + " --frame " + std::to_string(frame) +
                          " --size 320x240 --color 32 -o " + png),
                      0)
                << err;
            char message[256];
            EXPECT_EQ(readPngFile(png.c_str(), images[i], message, sizeof(message)), 1) << message;
        }
        int largest = 0;
        for (size_t k = 0; k < static_cast<size_t>(320 * 240 * 4); ++k) {
            largest = std::max(largest, std::abs(images[0].pixels[k] - images[1].pixels[k]));
        }
        return largest;
    }
};

} // namespace

TEST_F(ConvertSceneTest, TheDemoFolderPlaysAsTheSceneDoes) {
    ASSERT_EQ(run("convert scene '" + kLater + "/scenes/move_x.lws' demo"), 0) << err;
    EXPECT_EQ(out, "move_x.lws: 1 objects, 1 lights, frames 0 to 60\n");
    for (const char* file : {"scenes/outdoor.lws", "scenes/temple.lws", "scenes/theend.lws",
                             "objects/simple_cube-layer1.lwo", "objects/simple_cube-layer1.txc",
                             "textures/flare.3df"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::path("demo") / file)) << file;
    }
    const std::string scene = readFile("demo/scenes/outdoor.lws");
    // The scene's own keys at frames 0, 20 and 40, the last value held to frame 60.
    EXPECT_NE(scene.find("ObjectMotion (unnamed)\n  9\n  4\n"), std::string::npos) << scene;
    EXPECT_NE(scene.find("\n  60 1 0 0 0\n"), std::string::npos) << scene;
    EXPECT_EQ(readFile("demo/scenes/office.lws"),
              "LWSC\n1\n\nFirstFrame 0\nLastFrame -1\nFramesPerSecond 30\n");
    for (int frame : {0, 13, 20, 47}) {
        EXPECT_EQ(largestDifference("demo --scene 0", "'" + kLater + "/scenes/move_x.lws'", frame),
                  0)
            << frame;
    }
}

TEST_F(ConvertSceneTest, PicturesTravelAsTextures) {
    writeFile("in/box.lws", kBoxScene);
    ASSERT_EQ(
        std::system(("cp '" + kLater + "/objects/boxuv.lwo' '" + kLater + "/objects/boxuv.png' in/")
                        .c_str()),
        0);
    ASSERT_EQ(run("convert scene in/box.lws out"), 0) << err;
    EXPECT_TRUE(fs::is_regular_file("out/textures/picture_boxuv.3df")) << "the picture as 3DF";
    // Colours held as bytes of 1/256 are the only difference the LightWave 5 files make.
    EXPECT_LE(largestDifference("in/box.lws", "out --scene 0", 25), 1);
}

TEST_F(ConvertSceneTest, RefusalsLeaveNothingBehind) {
    writeFile("old/scenes/a.lws", "LWSC\n1\n\nLastFrame 5\n");
    writeFile("taken/keep.txt", "mine");
    writeFile("broken.lws", "LWSC\n3\n\nLoadObjectLayer 1 missing.lwo\n");
    const struct {
        std::string arguments;
        std::string error;
    } cases[] = {
        {"'" + kLater + "/scenes/move_x.lws' taken",
         "ember: taken exists already: name a new folder\n"},
        {"old/scenes/a.lws new", "ember: old/scenes/a.lws is a version-1 scene, which the player "
                                 "plays as it is (ember convert demo converts a folder's "
                                 "objects)\n"},
        {"broken.lws new",
         "ember: failed opening object: missing.lwo (not found as written, beside the scene or "
         "under objects\\) in scene: broken.lws\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run("convert scene " + c.arguments), 1);
        EXPECT_EQ(err.substr(err.find("ember:")), c.error);
    }
    EXPECT_EQ(readFile("taken/keep.txt"), "mine");
    for (const auto& entry : fs::directory_iterator(".")) {
        EXPECT_EQ(entry.path().filename().string().find("partial"), std::string::npos)
            << entry.path();
    }
    EXPECT_FALSE(fs::exists("new"));
}
