// ember trace and ember render on the LightWave 5 test scene of tests/data/render (a
// floor, a box, a sphere, a sun, a lamp with a lens flare and a fire; see its
// make_scene.py), run as a user runs them, on a copy in a scratch directory.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "accel/PngFile.h"
#include "support/ScratchDirectory.h"

namespace {

class RenderCommandsTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        const char* data = std::getenv("EMBER_TESTDATA");
        ASSERT_NE(data, nullptr) << "run through ctest, which sets EMBER_TESTDATA";
        const std::string copy = "cp -r '" + std::string(data) + "/render' demo";
        ASSERT_EQ(std::system(copy.c_str()), 0);
    }
    // Runs ember; standard output in `out`, standard error in `err`.
    static int run(const std::string& arguments, std::string& out, std::string& err) {
        const std::string command = std::string(EMBER_PROGRAM) + " " + arguments + " 2>err.txt";
        FILE* pipe = popen(command.c_str(), "r");
        out.clear();
        char buffer[4096];
        for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
            out.append(buffer, n);
        }
        const int status = pipe != nullptr ? pclose(pipe) : -1;
        err = readFile("err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static size_t count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    }
    // RGB of one pixel of a PNG (row 0 at the top).
    static std::string pixel(const RgbaImage& image, int32_t x, int32_t y) {
        const uint8_t* p = image.at(x, y);
        return std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]);
    }
};

} // namespace

TEST_F(RenderCommandsTest, TracePrintsOneFramesCallsAndNothingElse) {
    std::string out, err;
    ASSERT_EQ(run("trace demo --scene 0 --frame 12", out, err), 0) << err;
    // The floor's object pass opens the frame; three objects, one fire, one flare.
    EXPECT_EQ(out.rfind("grDepthMask(FXTRUE)\ngrDepthBufferMode(GR_DEPTHBUFFER_WBUFFER)\n", 0), 0u);
    EXPECT_EQ(count(out, "grDepthBufferFunction(GR_CMP_LESS)"), 3u);
    EXPECT_EQ(count(out, "grCullMode(GR_CULL_DISABLE)"), 1u);
    // The lamp's flare: its colour 255 190 120 × (1/255) × 256, two triangles, last.
    EXPECT_EQ(count(out, "r=256 g=190.745102 b=120.470596 a=255"), 6u);
    EXPECT_EQ(out.substr(out.size() - 20), "grDepthMask(FXTRUE)\n");
    EXPECT_EQ(out.find("SURF"), std::string::npos) << "loader traces stay off the trace";

    std::string again;
    ASSERT_EQ(run("trace demo --scene 0 --frame 12", again, err), 0);
    EXPECT_EQ(again, out) << "the same frame traces the same";
    ASSERT_EQ(run("trace demo --scene 0 --frame 12 --fps 60", again, err), 0);
    EXPECT_NE(again, out) << "fire particles depend on the frames played before";
}

TEST_F(RenderCommandsTest, RenderDrawsTheSceneWhereTheCameraLooks) {
    std::string out, err;
    ASSERT_EQ(
        run("render demo --scene 0 --frame 0 --color 32 --size 320x240 --stats -o f.png", out, err),
        0)
        << err;
    EXPECT_NE(out.find("objects drawn 3, culled 0, hidden 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("flares drawn 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("pixels written "), std::string::npos) << out;

    RgbaImage image;
    char message[256];
    ASSERT_EQ(readPngFile("f.png", image, message, sizeof(message)), 1) << message;
    ASSERT_EQ(image.width, 320);
    ASSERT_EQ(image.height, 240);
    EXPECT_EQ(pixel(image, 300, 10), "0 0 0") << "sky above the horizon";
    const uint8_t* floor = image.at(160, 225); // grey floor, lit: R and G alike
    EXPECT_GT(floor[0], 60);
    EXPECT_LT(std::abs(floor[0] - floor[1]), 12);
    const uint8_t* box = image.at(140, 120); // the box's orange side, facing the camera
    EXPECT_GT(box[0], box[2] + 80) << pixel(image, 140, 120);
    const uint8_t* top = image.at(160, 88); // its blue top
    EXPECT_GT(top[2], top[0] + 80) << pixel(image, 160, 88);
    const uint8_t* sphere = image.at(240, 115); // the pink sphere on the right
    EXPECT_GT(sphere[0], sphere[1] + 40) << pixel(image, 240, 115);
}

TEST_F(RenderCommandsTest, UnusableRequestsEndWithOneLine) {
    std::string out, err;
    EXPECT_EQ(run("trace demo --scene 5 --frame 0", out, err), 1);
    EXPECT_EQ(err, "ember: scene index 5 is not 0 to 4\n");
    EXPECT_EQ(run("render demo --scene 0 --frame 0 --color 24 -o f.png", out, err), 1);
    EXPECT_EQ(err, "ember: --color 24: give 16 or 32\n");
    EXPECT_EQ(run("render demo --scene 1 --frame 0 -o f.png", out, err), 1);
    EXPECT_EQ(err, "ember: Error Loading scene scenes\\temple.lws: "
                   "unable to open scene: scenes\\temple.lws\n");
    EXPECT_EQ(run("trace nowhere --scene 0 --frame 0", out, err), 1);
    EXPECT_EQ(err.rfind("ember: cannot work in nowhere: ", 0), 0u) << err;
}
