#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/ScratchDirectory.h"

namespace {

using Json = nlohmann::ordered_json;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class InspectSceneTest : public ScratchDirectoryTest {
protected:
    static ToolRun run(const std::string& arguments) {
        ToolRun result;
        const std::string command =
            std::string(EMBER_PROGRAM) + " inspect scene " + arguments + " 2>stderr.txt";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return result;
        }
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
            result.out.append(buffer, n);
        }
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = readFile("stderr.txt");
        return result;
    }
};

const char* const kScene = "LWSC\n3\n\nLastFrame 60\nFramesPerSecond 30\n"
                           "AddLight\nLightName Sun\nLightMotion (unnamed)\n 9\n 2\n"
                           " 0 5 0 0 45 0 1 1 1\n 0 0 0.0 0.0 0.0\n"
                           " 10 5 0 90 45 0 1 1 1\n 60 1 0.0 0.0 0.0\n"
                           "LightColor 255 240 200\nLgtIntensity 0.8\n"
                           "ShowCamera\nZoomFactor 2.5\nAddFire 5 1 2\n";

} // namespace

TEST_F(InspectSceneTest, PrintsTheSceneRecordAsJson) {
    writeFile("content/scenes/a.lws", kScene);
    const ToolRun r = run("content/scenes/a.lws --json");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json scene = Json::parse(r.out);
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
    EXPECT_TRUE(fileExists("content/error.txt"));
}

TEST_F(InspectSceneTest, AFrameAnimatesTheSceneFirst) {
    writeFile("scenes/a.lws", kScene);
    const ToolRun r = run("scenes/a.lws --json --frame 5");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json scene = Json::parse(r.out);
    EXPECT_EQ(scene["lights"][0]["motion"]["heading"].get<float>(), 7.5f);
    EXPECT_EQ(scene["lights"][0]["motion"]["pitch"].get<float>(), 45.0f);
    EXPECT_EQ(scene["view"]["frame"].get<float>(), 5.0f);
    EXPECT_EQ(scene["view"]["zoomFactor"].get<float>(), 2.5f);
    EXPECT_EQ(scene["view"]["cameraPlanes"]["count"], 5);
    // Started as the player starts it: the flare texture slot has its address.
    EXPECT_EQ(scene["textures"]["slots"][0]["startAddress"], 0);
    EXPECT_EQ(scene["textures"]["memoryNext"], 0); // no flare file: nothing downloaded
}

TEST_F(InspectSceneTest, TextOutputNamesEveryField) {
    writeFile("scenes/a.lws", kScene);
    const ToolRun r = run("scenes/a.lws --frame 0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nlightCount: 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("      position: [0.0, 5.0, 0.0]\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    rangeSquared: 1.0\n"), std::string::npos);
}

TEST_F(InspectSceneTest, AFailedLoadPrintsItsLineAndFails) {
    writeFile("scenes/bad.lws", "XLWS 3");
    ToolRun r = run("scenes/bad.lws");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ember: not a Lightwave scene file (first chars: XLWS , should be LWSC)\n");
    writeFile("scenes/light.lws", "LWSC 3 LightColor 1 1 1");
    r = run("scenes/light.lws");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("a light keyword outside a light"), std::string::npos);
    r = run("scenes/missing.lws");
    EXPECT_EQ(r.status, 1);
}
