// ember trace and ember render on a copy of the LightWave 5 test scene of
// tests/data/render (floor, box, sphere, sun, lamp with a lens flare, fire; see its
// make_scene.py), run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "content/PngFile.h"
#include "support/EmberProgram.h"
#include "support/TestData.h"

namespace {

class RenderCommandsTest : public EmberProgramTest {
protected:
    void SetUp() override {
        EmberProgramTest::SetUp();
        ASSERT_EQ(std::system(("cp -r '" + testDataPath("render") + "' demo").c_str()), 0);
    }
    size_t count(const std::string& what) const {
        size_t n = 0;
        for (size_t at = out.find(what); at != std::string::npos; at = out.find(what, at + 1)) {
            ++n;
        }
        return n;
    }
};

} // namespace

TEST_F(RenderCommandsTest, TracePrintsTheCallsOfOneFrameAndNothingElse) {
    ASSERT_EQ(run("trace demo --scene 0 --frame 12"), 0) << err;
    EXPECT_EQ(out.rfind("grDepthMask(FXTRUE)\ngrDepthBufferMode(GR_DEPTHBUFFER_WBUFFER)\n", 0), 0u);
    EXPECT_EQ(count("grDepthBufferFunction(GR_CMP_LESS)"), 3u) << "three objects";
    // The lamp's flare last: colour 255 190 120 × (1/255) × 256, two triangles.
    EXPECT_EQ(count("r=256 g=190.745102 b=120.470596 a=255"), 6u);
    EXPECT_EQ(out.substr(out.size() - 20), "grDepthMask(FXTRUE)\n");
    EXPECT_EQ(out.find("SURF"), std::string::npos) << "the loaders' trace lines go elsewhere";
    const std::string first = out;
    ASSERT_EQ(run("trace demo --scene 0 --frame 12"), 0);
    EXPECT_EQ(out, first);
    ASSERT_EQ(run("trace demo --scene 0 --frame 12 --fps 60"), 0);
    EXPECT_NE(out, first) << "the fire depends on the frames played before";
}

TEST_F(RenderCommandsTest, FiresAreSeededAfterTheScenesBeforeUnlessAlone) {
    ASSERT_EQ(std::system("cp demo/scenes/outdoor.lws demo/scenes/temple.lws"), 0);
    ASSERT_EQ(run("trace demo --scene 0 --frame 12"), 0) << err;
    const std::string first = out;
    ASSERT_EQ(run("trace demo --scene 1 --frame 12 --alone"), 0) << err;
    EXPECT_EQ(out, first) << "alone, the copy is seeded as the first scene read";
    ASSERT_EQ(run("trace demo --scene 1 --frame 12"), 0) << err;
    EXPECT_NE(out, first) << "its fire draws on after the first scene's";
    const size_t fire = first.find("guDrawTriangleWithClip");
    ASSERT_NE(fire, std::string::npos);
    EXPECT_EQ(out.substr(0, fire), first.substr(0, fire)) << "the objects are the same";
}

TEST_F(RenderCommandsTest, RenderDrawsTheSceneWhereTheCameraLooks) {
    ASSERT_EQ(run("render demo --scene 0 --frame 0 --color 32 --size 320x240 --stats -o f.png"), 0)
        << err;
    EXPECT_EQ(out.rfind("objects drawn 3, culled 0, hidden 0\n", 0), 0u) << out;
    EXPECT_NE(out.find("\nflares drawn 1\npixels written "), std::string::npos) << out;
    RgbaImage image;
    char message[256];
    ASSERT_EQ(readPngFile("f.png", image, message, sizeof(message)), 1) << message;
    ASSERT_EQ(image.width * 1000 + image.height, 320240);
    const uint8_t* sky = image.at(300, 10);
    EXPECT_EQ(sky[0] + sky[1] + sky[2], 0);
    const uint8_t* floor = image.at(160, 225); // lit grey
    EXPECT_GT(floor[0], 60);
    EXPECT_LT(std::abs(floor[0] - floor[1]), 12);
    const uint8_t* box = image.at(140, 120); // its orange side faces the camera
    EXPECT_GT(box[0], box[2] + 80);
    const uint8_t* top = image.at(160, 88); // its blue top
    EXPECT_GT(top[2], top[0] + 80);
    const uint8_t* sphere = image.at(240, 115); // pink, on the right
    EXPECT_GT(sphere[0], sphere[1] + 40);
}

TEST_F(RenderCommandsTest, UnusableRequestsEndWithOneLineAndNoFile) {
    const std::pair<const char*, const char*> requests[] = {
        {"render demo --scene 1 --frame 0 -o f.png",
         "ember: Error Loading scene scenes\\temple.lws: unable to open scene: "
         "scenes\\temple.lws\n"},
        {"render demo --alone -o f.png --frame 0",
         "ember: --alone goes with --scene and --frame/--frames\n"},
        {"render demo --scene 0 --frame 99999 -o f.png",
         "ember: frame 99999 is past the end of scenes\\outdoor.lws, whose frames run from 0 to "
         "60\n"},
        {"render demo --scene 0 --frames 60:61 -o frames/",
         "ember: frames 60:61 go past the end of scenes\\outdoor.lws, whose frames run from 0 "
         "to 60\n"},
        {"trace demo --scene 0 --frame 60.5",
         "ember: frame 60.5 is past the end of "
         "scenes\\outdoor.lws, whose frames run from 0 to 60\n"},
    };
    for (const auto& [arguments, message] : requests) {
        EXPECT_EQ(run(arguments), 1) << arguments;
        EXPECT_EQ(err, message);
        EXPECT_EQ(listDirectory("."), std::vector<std::string>{"demo"}) << arguments;
    }
}

// The loaders' trace lines only when asked, on standard error; a missing texture is a
// warning there; nothing is written into the demo folder.
TEST_F(RenderCommandsTest, QuietUnlessAskedAndNothingWrittenIntoTheDemo) {
    ASSERT_EQ(std::remove("demo/textures/fire.3df"), 0);
    const std::vector<std::string> before = listDirectory("demo");
    ASSERT_EQ(run("render demo --scene 0 --frame 0 --size 8x6 -o f.png"), 0) << err;
    EXPECT_EQ(err, "ember: warning: UNABLE TO OPEN TEXTURE textures\\fire.3df\n");
    ASSERT_EQ(run("render demo --scene 0 --frame 0 --size 8x6 -o f.png --trace-loaders"), 0);
    EXPECT_EQ(err.rfind("SURF\n", 0), 0u) << err;
    EXPECT_NE(err.find("ember: warning: UNABLE TO OPEN TEXTURE textures\\fire.3df\n"),
              std::string::npos);
    EXPECT_EQ(out, "");
    EXPECT_EQ(listDirectory("demo"), before);
}

TEST_F(RenderCommandsTest, NumberedFramesCarryTheSceneFrameNumbers) {
    ASSERT_EQ(run("render demo --scene 0 --frames 2:3 --size 8x6 -o frames/"), 0) << err;
    EXPECT_EQ(listDirectory("frames"),
              (std::vector<std::string>{"frame000002.png", "frame000003.png"}));
}

// A file size limit of 512 bytes stands in for a full disk: each write fails part way,
// leaves no file behind and the file it was to replace as it was.
TEST_F(RenderCommandsTest, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    std::vector<std::string> outputs = {"f.png", "f.y4m"};
    if (std::system("command -v ffmpeg >/dev/null") == 0) {
        outputs.push_back("f.mp4");
    }
    for (const std::string& output : outputs) {
        writeFile(output, "old");
        const std::string frames = output == "f.png" ? "--frame 0" : "--frames 0:1";
        EXPECT_EQ(
            run("render demo --scene 0 " + frames + " --size 64x48 -o " + output, "ulimit -f 1; "),
            1)
            << output;
        EXPECT_NE(err.find("ember: "), std::string::npos) << err;
        EXPECT_EQ(readFile(output), "old") << output;
        EXPECT_EQ(listDirectory("."), (std::vector<std::string>{"demo", output})) << output;
        std::remove(output.c_str());
    }
}

// Too little memory for the drawing surface (one thread: which would leave the virtual
// clock standing, no swap ever coming) or for the frames (two threads: the frames that
// are converted as they are drawn come first): a clear failure, nothing left behind.
TEST_F(RenderCommandsTest, TooLittleMemoryFailsWithALineAndLeavesNothingBehind) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer reserves more address space than the limit allows";
#endif
    ASSERT_EQ(std::system("cd demo/scenes && for s in temple future office theend; do "
                          "cp outdoor.lws $s.lws; done"),
              0);
    for (const char* threads : {"1", "2"}) {
        writeFile("big.y4m", "old");
        EXPECT_EQ(run("render demo --frames 0:0 --size 8192x8192 -o big.y4m",
                      std::string("ulimit -v 250000; EMBER_RASTER_THREADS=") + threads + " "),
                  1)
            << threads;
        EXPECT_NE(err.find("not enough memory"), std::string::npos) << err;
        EXPECT_TRUE(readFile("big.y4m") == "old"); // (a frame of 8192x8192 is not printed)
        EXPECT_EQ(listDirectory("."), (std::vector<std::string>{"big.y4m", "demo"})) << threads;
    }
}

// A link stays a link (the file it leads to is replaced); a device is written in place,
// never replaced by a file.
TEST_F(RenderCommandsTest, LinksAndDevicesStayWhatTheyAre) {
    namespace fs = std::filesystem;
    writeFile("real.png", "old");
    fs::create_symlink("real.png", "link.png");
    ASSERT_EQ(run("render demo --scene 0 --frame 0 --size 8x6 -o link.png"), 0) << err;
    EXPECT_TRUE(fs::is_symlink("link.png"));
    EXPECT_NE(readFile("real.png"), "old");
    fs::create_symlink("/dev/null", "null.y4m");
    ASSERT_EQ(run("render demo --scene 0 --frames 0:1 --size 8x6 -o null.y4m"), 0) << err;
    EXPECT_TRUE(fs::is_symlink("null.y4m"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(listDirectory("."),
              (std::vector<std::string>{"demo", "link.png", "null.y4m", "real.png"}));
}
