// Malformed scene files, beside valid objects and textures (fuzz/FuzzContent.h): each
// with what the reader does with it. Every case also goes through the scene and frame
// fuzz drivers, which check what a loaded scene promises, animate it at several frames
// and draw two of them on a small software device.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FuzzContent.h"
#include "HostileTestSupport.h"
#include "fx/RandomGenerator.h"
#include "player/Scene.h"

namespace {

constexpr char kHeader[] = "LWSC\n3\n\n";
constexpr char kIn[] = " in scene: scenes\\hostile.lws";

using SceneCheck = std::function<void(const Scene&)>;

struct Case {
    const char* name;
    std::string text;   // the whole scene file
    int32_t loads;      // Scene::load's result
    std::string logged; // the start of error.txt; "" when nothing may be written
    SceneCheck check = nullptr;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::string body(const std::string& text) {
    return kHeader + text;
}

// The line a load refused with `reason` leaves.
std::string refused(const std::string& reason) {
    return reason + kIn + "\n";
}

// A motion block with `keys` keys at the given frames, moving along x.
std::string motion(const std::vector<int>& frames) {
    std::string text = " (unnamed)\n 9\n " + std::to_string(frames.size()) + "\n";
    for (size_t k = 0; k < frames.size(); ++k) {
        text += " " + std::to_string(k) + " 0 0 0 0 0 1 1 1\n " + std::to_string(frames[k]) +
                " 0 0 0 0\n";
    }
    return text;
}

std::string manyTextures(int count) {
    std::string text = "AddFire 1 1 1\n";
    for (int i = 0; i < count; ++i) {
        text += "FireTexture t" + std::to_string(i) + "\n";
    }
    return text;
}

std::vector<Case> cases() {
    const std::string tenThousand(10000, 'w');
    return {
        {"EmptyFile", "", 0, "not a Lightwave scene file (first chars:  , should be LWSC)\n"},
        {"BinaryFile", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 0,
         "not a Lightwave scene file (first chars: \x89PNG , should be LWSC)\n"},
        {"FirstWordOfTenThousandCharacters", tenThousand, 0,
         "not a Lightwave scene file (first chars: " + std::string(1023, 'w') +
             " , should be LWSC)\n"},
        {"WordOfTenThousandCharacters", body("LastFrame 5\n" + tenThousand), 0,
         refused("word of 1024 or more characters")},
        {"ObjectNameOfTenThousandCharacters", body("LoadObject " + tenThousand), 0,
         refused("word of 1024 or more characters")},
        {"NumberOfTenThousandDigits", body("FramesPerSecond " + std::string(10000, '9')), 0,
         refused("number of 1024 or more characters")},
        {"NonNumbersWhereNumbersBelong",
         body("LastFrame many\nFramesPerSecond fast\nZoomFactor wide\nAddLight L\n"
              "LightColor red green blue\nLightType spot\nAddFire x y z\nFireColor - . e\n"),
         1, "",
         [](const Scene& s) {
             EXPECT_EQ(s.lastFrame, 0);
             EXPECT_EQ(s.camera.zoomFactor, 3.2f);
             EXPECT_EQ(s.lightCount, 1);
             EXPECT_EQ(s.fireCount, 1);
             EXPECT_EQ(s.fires[0].particleCount, 40);
         }},
        {"NulAndControlBytesInWords", body(std::string("\0\0\x01\x7F LastFrame\0junk 7\n", 22)), 1,
         "", [](const Scene& s) { EXPECT_EQ(s.lastFrame, 7); }},
        {"MotionWithZeroKeys",
         body("LoadObject objects\\tri.lwo\nObjectMotion (unnamed) 9 0 4 5 6\n"), 1, "",
         [](const Scene& s) {
             EXPECT_EQ(s.objects[0].motion.keyCount, 0);
             EXPECT_EQ(s.objects[0].motion.positionIsConstant, 1);
             EXPECT_EQ(s.objects[0].motion.position.x, 0.0f);
         }},
        {"MotionWithNegativeKeys", body("ShowCamera\nCameraMotion (unnamed) 9 -7 1 2 3\n"), 1, "",
         [](const Scene& s) { EXPECT_EQ(s.camera.motion.keyCount, 0); }},
        {"EnvelopeWithZeroKeys", body("AmbIntensity 0.5 AmbIntensity (envelope) 1 0\n"), 1, "",
         [](const Scene& s) {
             EXPECT_EQ(s.camera.ambientIsConstant, 1);
             EXPECT_EQ(s.camera.ambientIntensity, 0.5f);
         }},
        {"EnvelopeWithZeroChannels", body("AmbIntensity (envelope) 0 2 1 0 0 0 0 0\n"), 0,
         refused("envelope with 0 channels (1 to 9 allowed)")},
        {"KeyCountOfTheInt32Limit", body("ShowCamera\nCameraMotion x 9 2147483647 1 2 3\n"), 0,
         refused("motion with more keys (2147483647) than the file holds")},
        {"KeyCountBeyondTheInt32Limit",
         body("AmbIntensity (envelope) 1 99999999999999999999 1 2 3\n"), 0,
         refused("envelope with more keys (2147483647) than the file holds")},
        {"KeysAllOnOneFrame", body("ShowCamera\nCameraMotion" + motion({0, 0, 0})), 1, "",
         [](const Scene& s) { EXPECT_EQ(s.camera.motion.keyCount, 3); }},
        {"TrackEndingBeforeFrameZero",
         body("AddLight L\nLightMotion" + motion({-10, -5}) + "LightRange" +
              " (envelope) 1 2 1 -3 0 0 0 0 2 -1 1 0 0 0\n"),
         1, "", [](const Scene& s) { EXPECT_EQ(s.lights[0].motion.keyCount, 2); }},
        {"MorphChainLoopingBehindItsHead",
         body("LoadObject objects\\wave0.lwo\nMetamorph 0.5\nMorphTarget 2\n"
              "LoadObject objects\\wave1.lwo\nMetamorph 0\nMorphTarget 2\n"),
         0, refused("morph chain of object 1 loops")},
        {"MetamorphWithoutMorphTargetOnTheFirstObject",
         body("LoadObject objects\\wave0.lwo\nMetamorph 1\n"), 1, "",
         [](const Scene& s) { EXPECT_EQ(s.objects[0].isMorphTarget, 1); }},
        {"MorphTargetZero", body("LoadObject objects\\wave0.lwo\nMetamorph 1\nMorphTarget 0\n"), 0,
         refused("morph target 0 of object 1 is not an object of the scene")},
        {"MorphTargetPastTheObjects",
         body("LoadObject objects\\wave0.lwo\nMetamorph 1\nMorphTarget 2147483647\n"), 0,
         refused("morph target 2147483647 of object 1 is not an object of the scene")},
        {"MorphTargetWithFewerPoints",
         body("LoadObject objects\\wave0.lwo\nMetamorph 1\nMorphTarget 2\n"
              "LoadObject objects\\tri.lwo\n"),
         0, refused("morph target object 2 has fewer points (3) than object 1 (14)")},
        {"MorphKeywordsBeforeAnyObject", body("Metamorph 1\nMorphTarget 5\nMTSEMorphing 1\n"), 1,
         "", [](const Scene& s) { EXPECT_EQ(s.objects[0].hasMorph, 0); }},
        {"CameraTargetsOutsideTheObjects",
         body("LoadObject objects\\tri.lwo\nShowCamera\nTargetObject 0\nTargetObject -5\n"
              "TargetObject 2147483647\n"),
         1, "", [](const Scene& s) { EXPECT_EQ(s.camera.targetObject, 2147483646); }},
        {"ObjectThatIsADirectory", body("LoadObject objects\n"), 0,
         "failed opening object: objects\\\\objects to, giving up\n"},
        {"ObjectThatIsTheSceneFile", body("LoadObject scenes\\hostile.lws\n"), 0,
         "failed opening object: objects\\\\scenes\\hostile.lws to, giving up\n"},
        {"ObjectThatIsATexture", body("LoadObject textures\\wood.3df\n"), 0,
         "failed opening object: objects\\\\textures\\wood.3df to, giving up\n"},
        {"TextureNameTooLongForItsSlot",
         body("AddFire 1 1 1\nFireTexture " + std::string(1000, 't') + "\n"), 1,
         "TEXTURE PATH TOO LONG textures\\ttt",
         [](const Scene& s) { EXPECT_EQ(s.fires[0].texture, -1); }},
        {"TwoHundredAndOneTextures", body(manyTextures(201)), 1,
         "UNABLE TO OPEN TEXTURE textures\\t0.3df\n",
         [](const Scene& s) {
             EXPECT_EQ(s.textures.count, 200);
             EXPECT_EQ(s.fires[0].texture, -1);
             EXPECT_EQ(s.flareTexture, -1);
         }},
        {"FireOfTwoThousandParticles", body("AddFire 2000 1 1\n"), 1, "",
         [](const Scene& s) { EXPECT_EQ(s.fires[0].particlesKept, 2000); }},
        {"FireOfMoreParticlesThanAreKept", body("AddFire 2147483647 1 1\nFireMode 1\n"), 1, "",
         [](const Scene& s) {
             EXPECT_EQ(s.fires[0].particleCount, 2147483647);
             EXPECT_EQ(s.fires[0].particlesKept, 65536);
         }},
        // Found by fuzzing: 65536 screen-filling particles froze the frame until drawing was
        // bounded by screen area; ten such fires are drawn within it.
        {"TenFiresOfScreenFillingParticles", body([] {
             std::string fires;
             for (int i = 0; i < 10; ++i) {
                 fires += "AddFire 65536 80 1.5\nFireFadeTime 20\nFireColor 255 200 50\n"
                          "FireTexture fire\nFireMotion (unnamed) 9 1 0 0 1.5 0 0 0 1 1 1\n";
             }
             return fires;
         }()),
         1, ""},
        {"PlacementsAndLightsAtTheFloatLimits",
         body("LoadObject objects\\cube.lwo\nObjectMotion (unnamed) 9 1 3.4e38 -3.4e38 1e38 "
              "1e30 -1e30 7e29 1e38 0 -1e38\nObjDissolve 1e38\n"
              "LoadObject objects\\wave0.lwo\nMetamorph 1e38\nMorphTarget 3\n"
              "LoadObject objects\\wave1.lwo\n"
              "AddLight\nLightMotion (unnamed) 9 1 1e-45 0 -3.4e38 0 0 0 1 1 1\n"
              "LightColor 1e38 -1e38 0\nLightType 2\nLightRange 1e-45\nLgtIntensity 1e38\n"
              "LensFlare 1\nFlareIntensity 1e38\n"
              "AddLight\nLightType 1\nLightRange -5\nLensFlare 1\nFlareIntensity -1e38\n"
              "AddFire 50 1e38 -1e38\nFireColor 1e38 0 -1e38\nFireFadeTime -2147483648\n"
              "FireStartFrame -1e38\nFireEndFrame 1e38\nFireTexture fire\n"
              "AmbientColor 1e38 1e38 1e38\nAmbIntensity -1e38\n"
              "ShowCamera\nCameraMotion (unnamed) 9 1 0 0 0 1e38 -1e38 1e38 0 0 0\n"
              "ZoomFactor 1e38\n"),
         1, ""},
        {"CameraInsideAnObjectAtTheNearestZoom",
         body("LoadObject objects\\cube.lwo\nAddLight\nLightType 1\nLensFlare 1\n"
              "ShowCamera\nTargetObject 1\nZoomFactor 1e-45\n"),
         1, ""},
        {"FramesAndRatesAtTheirLimits",
         body("LastFrame -2147483648\nFirstFrame 99999999999\nFramesPerSecond -1e39\n"
              "ZoomFactor 1e-45\n"),
         1, "",
         [](const Scene& s) {
             EXPECT_EQ(s.lastFrame, INT32_MIN);
             EXPECT_EQ(s.firstFrame, INT32_MAX);
             EXPECT_EQ(s.framesPerSecond, -3.40282347e38f);
         }},
    };
}

class HostileSceneTest : public HostileTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        HostileTest::SetUp();
        prepareFrameInput();
        prepareSceneInput();
        resetRandomGenerator();
    }
};

TEST_P(HostileSceneTest, LoadsOrFailsAsExpected) {
    const Case& c = GetParam();
    writeFile("scenes/hostile.lws", c.text);
    auto scene = std::make_unique<Scene>();
    EXPECT_EQ(scene->load("scenes\\hostile.lws"), c.loads);
    const std::string log = errorLog();
    if (c.logged.empty()) {
        EXPECT_EQ(log, "");
    } else {
        EXPECT_EQ(log.substr(0, c.logged.size()), c.logged);
    }
    if (c.loads == 1 && c.check != nullptr) {
        c.check(*scene);
    }
    EXPECT_EQ(brokenPromise(runSceneInput, c.text), "");
    EXPECT_EQ(brokenPromise(runFrameInput, c.text), "");
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileSceneTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

class HostileSceneSweep : public HostileTest {};

// The sweep below and the fuzzers start from these: they must load, every texture and
// object found.
TEST_F(HostileSceneSweep, TheExampleScenesLoadWithoutALine) {
    prepareSceneInput();
    for (const std::string& text : exampleScenes()) {
        writeFile("scenes/example.lws", text);
        auto scene = std::make_unique<Scene>();
        EXPECT_EQ(scene->load("scenes\\example.lws"), 1) << text;
        EXPECT_EQ(errorLog(), "") << text;
    }
}

// Every prefix of the example scenes with objects, morph chains and fires, and words
// replaced by numbers at their limits, signs and keywords: each loads with its promises
// kept (and animates), or fails.
TEST_F(HostileSceneSweep, EveryTruncationAndCorruptionOfSceneWithObjectsLoadsOrFails) {
    prepareSceneInput();
    for (const std::string& scene : exampleScenes()) {
        for (size_t length = 0; length < scene.size(); length += 3) {
            ASSERT_EQ(brokenPromise(runSceneInput, scene.substr(0, length)), "") << length;
        }
        for (size_t at = 0; at < scene.size(); at += 7) {
            for (const char* word : {" 0 ", " -1 ", " 2147483647 ", " -1e39 ", " MorphTarget ",
                                     " (envelope) ", " LoadObject "}) {
                std::string text = scene;
                text.replace(at, 1, word);
                ASSERT_EQ(brokenPromise(runSceneInput, text), "") << at << word;
            }
        }
    }
}

} // namespace
