#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "support/EmberProgram.h"
#include "support/TestData.h"

namespace {

using Json = nlohmann::ordered_json;

using InspectSceneTest = EmberProgramTest;

const char* const kScene = "LWSC\n1\n\nLastFrame 60\nFramesPerSecond 30\n"
                           "AddLight\nLightName Sun\nLightMotion (unnamed)\n 9\n 2\n"
                           " 0 5 0 0 45 0 1 1 1\n 0 0 0.0 0.0 0.0\n"
                           " 10 5 0 90 45 0 1 1 1\n 60 1 0.0 0.0 0.0\n"
                           "LightColor 255 240 200\nLgtIntensity 0.8\n"
                           "ShowCamera\nZoomFactor 2.5\nAddFire 5 1 2\n";

} // namespace

TEST_F(InspectSceneTest, PrintsTheSceneRecordAsJson) {
    writeFile("content/scenes/a.lws", kScene);
    ASSERT_EQ(run("inspect scene content/scenes/a.lws --json"), 0) << err;
    const Json scene = Json::parse(out);
    std::string keys;
    for (auto it = scene.begin(); it != scene.end(); ++it) {
        keys += it.key() + " ";
    }
    EXPECT_EQ(keys, "objectCount lightCount firstFrame lastFrame frameStep framesPerSecond "
                    "flareTexture fireCount objects fires camera lights textures ");
    EXPECT_EQ(scene["lightCount"], 1);
    EXPECT_EQ(scene["lastFrame"], 60);
    // Floats read back to the very same float.
    EXPECT_EQ(scene["lights"][0]["color"][1].get<float>(), 240.0f * 0.003921569f);
    EXPECT_EQ(scene["lights"][0]["motion"]["keyCount"], 2);
    EXPECT_EQ(scene["camera"]["zoomFactor"].get<float>(), 2.5f);
    EXPECT_EQ(scene["fires"][0]["particleCount"], 5);
    EXPECT_EQ(scene["fires"][0]["particles"][0]["life"].get<float>(),
              static_cast<float>(41 * 20) * (1.0f / 32767.0f) + 20.0f);
    // The scene's paths are relative to the directory above its "scenes" directory.
    EXPECT_EQ(scene["textures"]["slots"][0]["path"], "textures\\flare.3df");
    EXPECT_EQ(listDirectory("content"), std::vector<std::string>{"scenes"}) << "nothing written";
    EXPECT_EQ(err, "ember: warning: UNABLE TO OPEN TEXTURE textures\\flare.3df\n");
}

TEST_F(InspectSceneTest, AFrameAnimatesTheSceneFirst) {
    writeFile("scenes/a.lws", kScene);
    ASSERT_EQ(run("inspect scene scenes/a.lws --json --frame 5"), 0) << err;
    const Json scene = Json::parse(out);
    EXPECT_EQ(scene["lights"][0]["motion"]["heading"].get<float>(), 7.5f);
    EXPECT_EQ(scene["lights"][0]["motion"]["pitch"].get<float>(), 45.0f);
    EXPECT_EQ(scene["view"]["frame"].get<float>(), 5.0f);
    EXPECT_EQ(scene["view"]["zoomFactor"].get<float>(), 2.5f);
    EXPECT_EQ(scene["view"]["cameraPlanes"]["count"], 5);
    // Started as the player starts it: the flare texture slot has its address.
    EXPECT_EQ(scene["textures"]["slots"][0]["startAddress"], 0);
    EXPECT_EQ(scene["textures"]["memoryNext"], 0); // no flare file: nothing downloaded
}

TEST_F(InspectSceneTest, AFailedLoadPrintsItsLineAndFails) {
    writeFile("scenes/bad.lws", "XLWS 3");
    EXPECT_EQ(run("inspect scene scenes/bad.lws"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "ember: not a Lightwave scene file (first chars: XLWS , should be LWSC)\n");
    writeFile("scenes/light.lws", "LWSC 1 LightColor 1 1 1");
    EXPECT_EQ(run("inspect scene scenes/light.lws"), 1);
    EXPECT_NE(err.find("a light keyword outside a light"), std::string::npos);
    EXPECT_EQ(run("inspect scene scenes/missing.lws"), 1);
}

namespace {

// A scene as LightWave 5 writes it (format version 1), with keywords the player does not
// know among those it does, naming a real object of quads.
const char* const kLightWave5Scene = R"(LWSC
1

FirstFrame 1
LastFrame 60
LoadObject Objects\sphere.lwo
ShowObject 6 7
ObjectMotion (unnamed)
  9
  1
  2.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.500000 0.500000 0.500000
  0 0 0.000000 0.000000 0.000000
EndBehavior 1
ShadowOptions 7
ShowCamera 1 2
ZoomFactor 3.200000
RenderMode 2
)";

} // namespace

TEST_F(InspectSceneTest, ReadsALightWave5SceneWithARealObjectOfQuads) {
    writeFile("demo/objects/sphere.lwo", realLwobFile("sphere_with_mat_gloss_10pc.lwo"));
    writeFile("demo/scenes/real.lws", kLightWave5Scene);
    ASSERT_EQ(run("inspect scene demo/scenes/real.lws --json --frame 30"), 0) << err;
    const Json scene = Json::parse(out);
    EXPECT_EQ(scene["objectCount"], 1);
    EXPECT_EQ(scene["firstFrame"], 1);
    const Json& sphere = scene["objects"][0];
    EXPECT_EQ(sphere["mesh"]["polygonCount"], 48 + 240 * 2);
    // Its file as named and as found, and its placement in the world: half size, moved 2
    // along x (rows of an object-to-world matrix, row vectors).
    EXPECT_EQ(sphere["file"]["named"], "Objects\\sphere.lwo");
    EXPECT_EQ(sphere["file"]["found"], root_ + "/demo/objects/sphere.lwo");
    EXPECT_EQ(sphere["transform"],
              Json::parse("[0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 0.5, 0, 2, 0, 0, 1]"));
    EXPECT_EQ(scene["camera"]["zoomFactor"].get<float>(), 3.2f);
}
