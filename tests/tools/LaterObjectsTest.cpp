// ember with objects of later LightWave versions: a version-1 scene naming an LWO2
// object renders it with its UV-mapped picture, before and after ember convert.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "content/PngFile.h"
#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "support/EmberProgram.h"
#include "support/TestData.h"
#include "texture/TextureTable.h"

namespace {

constexpr char kScene[] = R"(LWSC
1

FirstFrame 0
LastFrame 10
FrameStep 1
FramesPerSecond 30

LoadObject objects\boxuv.lwo
ObjectMotion (unnamed)
 9
 1
 0 0 0 30 20 0 1 1 1
 0 0 0 0 0

AddLight Key
LightMotion (unnamed)
 9
 1
 0 0 0 30 30 0 1 1 1
 0 0 0 0 0
LightColor 255 255 255
LgtIntensity 1
LightType 0

AmbientColor 255 255 255
AmbIntensity 0.25

ShowCamera 1 2
CameraMotion (unnamed)
 9
 1
 0 0 -3 0 0 0 1 1 1
 0 0 0 0 0
ZoomFactor 2
)";

class LaterObjectsTest : public EmberProgramTest {
protected:
    void SetUp() override {
        EmberProgramTest::SetUp();
        writeFile("demo/scenes/outdoor.lws", kScene);
        writeFile("demo/objects/boxuv.lwo", testDataFile("lwo2/boxuv.lwo"));
        writeFile("demo/objects/BoxUV.PNG", testDataFile("lwo2/boxuv.png"));
    }
    // Pixels of the rendered frame brighter than 200 in every channel.
    int whitePixels(const std::string& demo = "demo") {
        EXPECT_EQ(run("render " + demo + " --scene 0 --frame 0 --color 32 --size 160x120 -o f.png"),
                  0)
            << err;
        RgbaImage frame;
        char message[256];
        EXPECT_EQ(readPngFile("f.png", frame, message, sizeof message), 1) << message;
        int white = 0;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const uint8_t* p = frame.at(x, y);
                white += p[0] > 200 && p[1] > 200 && p[2] > 200 ? 1 : 0;
            }
        }
        return white;
    }
};

} // namespace

TEST_F(LaterObjectsTest, VersionOneSceneDrawsAnLwo2ObjectWithItsPicture) {
    // The box's front shows its picture's white label and border; without the picture
    // it is its own grey, lit, nowhere that bright.
    EXPECT_GT(whitePixels(), 20);
    std::remove("demo/objects/BoxUV.PNG");
    EXPECT_EQ(whitePixels(), 0);
    EXPECT_NE(err.find("ember: warning: UNABLE TO FIND IMAGE boxuv.png"), std::string::npos) << err;
    EXPECT_FALSE(fileExists("demo/error.txt"));
}

TEST_F(LaterObjectsTest, ConvertedObjectsLoadInThePlayerWithTheirPictures) {
    const int white = whitePixels();
    writeFile("demo/textures/BoxUV.3df", "a texture of the demo's own");
    ASSERT_EQ(run("convert demo demo played"), 0) << err;
    EXPECT_EQ(readFile("played/textures/BoxUV.3df"), "a texture of the demo's own");
    EXPECT_TRUE(fileExists("played/textures/BoxUV-2.3df"));
    EXPECT_NEAR(whitePixels("played"), white, 2) << "white is 255/256 in an LWOB surface";

    EXPECT_EQ(run("convert object demo/objects/boxuv.lwo out/objects/box.lwo"), 1);
    EXPECT_FALSE(fileExists("out"));
    makeParents("out/objects/box.lwo");
    ASSERT_EQ(run("convert object demo/objects/boxuv.lwo out/objects/box.lwo"), 0) << err;
    EXPECT_EQ(out, "wrote texture out/textures/BoxUV.3df\nwrote out/objects/box.lwo: 12 triangles, "
                   "texture coordinates beside it\n");
    auto textures = std::make_unique<TextureTable>(); // the player's readers: LWOB triangles
    auto object = std::make_unique<SceneObject>();
    setLoaderTraceStream(nullptr);
    ASSERT_EQ(object->loadObject(*textures, "out/objects/box.lwo"), 1);
    usePlayerDiagnostics();
    EXPECT_EQ(object->mesh.polygonCount, 12);
    EXPECT_NE(object->mesh.surfaces[0].textureMapping, 0);
}
