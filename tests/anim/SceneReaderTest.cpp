#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "accel/TraceDevice.h"
#include "anim/SceneReader.h"
#include "fx/RandomGenerator.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/Scene.h"
#include "render/CameraView.h"
#include "support/ScratchDirectory.h"
#include "support/ThreeDfBuilder.h"
#include "writers/LwobWriter.h"

namespace {

constexpr const char* kScenePath = "scenes\\test.lws";
constexpr const char* kEarlierLog = "an earlier line\n";

// A one-key motion block placing its owner at (x, y, z).
std::string placedAt(const std::string& x, const std::string& y, const std::string& z) {
    return " (unnamed)\n 9\n 1\n " + x + " " + y + " " + z + " 0 0 0 1 1 1\n 0 0 0.0 0.0 0.0\n";
}

// An envelope block of one channel going from `from` at frame 0 to `to` at frame 10.
std::string envelope(const std::string& from, const std::string& to) {
    return " (envelope)\n 1\n 2\n " + from + "\n 0 0 0.0 0.0 0.0\n " + to + "\n 10 1 0.0 0.0 0.0\n";
}

class SceneReaderTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        setAcceleratorDevice(&trace_);
        resetRandomGenerator();
        writeFile("error.txt", kEarlierLog);
    }
    void TearDown() override {
        setAcceleratorDevice(nullptr);
        resetRandomGenerator();
        ScratchDirectoryTest::TearDown();
    }

    // Writes `text` as the scene file and loads it into a fresh scene.
    int32_t load(const std::string& text) {
        writeFile("scenes/test.lws", text);
        scene_ = std::make_unique<Scene>();
        return scene_->load(kScenePath);
    }
    int32_t loadBody(const std::string& body) { return load("LWSC\n1\n\n" + body); }
    std::string log() const { return readTextFile("error.txt"); }
    // The line a failed load left: the only content of error.txt.
    static std::string line(const std::string& text) { return text + "\n"; }

    // Writes a one-surface object of `triangles` triangles (3 points each) whose points are
    // offset by `offset` along x.
    static void writeObject(const std::string& path, int triangles = 1, float offset = 0.0f) {
        std::vector<std::array<float, 3>> points;
        std::vector<std::array<uint16_t, 4>> polygons;
        for (int t = 0; t < triangles; ++t) {
            const float z = static_cast<float>(t);
            points.push_back({offset, 0.0f, z});
            points.push_back({offset + 1.0f, 0.0f, z});
            points.push_back({offset, 1.0f, z});
            const auto first = static_cast<uint16_t>(3 * t);
            polygons.push_back(
                {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2), 1});
        }
        LwobWriter lwob;
        lwob.points(points).surfaceNames({"Skin"}).triangles(polygons).surface("Skin",
                                                                               LwobSurface());
        makeParents(path);
        ASSERT_TRUE(lwob.write(path));
    }

    // objects/quad.lwo: one four-cornered polygon, which the object reader refuses.
    static void writeQuad() {
        writeFile("objects/quad.lwo", LwobWriter()
                                          .points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}})
                                          .polygons({{{0, 1, 2, 3}, 1}})
                                          .surfaceNames({"Default"})
                                          .bytes());
    }

    TraceDevice trace_;
    std::unique_ptr<Scene> scene_;
};

} // namespace

TEST_F(SceneReaderTest, OnlyLightWaveSceneFilesAreRead) {
    EXPECT_EQ(load("PK\x03\x04 binary stuff"), 0);
    EXPECT_EQ(log(), line("not a Lightwave scene file (first chars: PK\x03\x04 , should be LWSC)"));
    EXPECT_STREQ(lastSceneLoadMessage(),
                 "not a Lightwave scene file (first chars: PK\x03\x04 , should be LWSC)");
    EXPECT_EQ(load("lwsc 3"), 0);

    scene_ = std::make_unique<Scene>();
    EXPECT_EQ(scene_->load("scenes\\missing.lws"), 0);
    EXPECT_EQ(log(), line("unable to open scene: scenes\\missing.lws"));
}

TEST_F(SceneReaderTest, TheVersionDecidesWhoReadsTheFile) {
    const std::string in = " in scene: scenes\\test.lws";
    const struct {
        const char* text;
        std::string logged;
    } refused[] = {
        {"LWSC\n3\nLoadObjectLayer 1 cube.lwo\n",
         "scene file of version 3: this player reads version 1 (ember convert scene turns "
         "versions 2 to 5 into it)" +
             in},
        {"LWSC\n6\n", "scene file of version 6: this player reads version 1" + in},
        {"LWSC\nFirstFrame 1\n", "no version number after LWSC" + in},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(load(c.text), 0) << c.text;
        EXPECT_EQ(log(), line(c.logged));
    }

    // With the extension a later version goes to it; version 1 never does.
    static int32_t seenVersion = 0;
    readerExtensions().readLaterScene = [](Scene& scene, const char*, int32_t version) {
        seenVersion = version;
        scene.lastFrame = 77;
        return int32_t{1};
    };
    EXPECT_EQ(load("LWSC\n4\n"), 1);
    EXPECT_EQ(seenVersion, 4);
    EXPECT_EQ(scene_->lastFrame, 77);
    EXPECT_EQ(load("LWSC\n1\nLastFrame 5\n"), 1);
    EXPECT_EQ(scene_->lastFrame, 5);
    EXPECT_EQ(load("LWSC\n9\n"), 0);
    EXPECT_EQ(log(), line("scene file of version 9: versions 1 to 5 are read" + in));
    readerExtensions().readLaterScene = nullptr;
}

TEST_F(SceneReaderTest, AFileOfUnknownWordsLoadsEmptyWithTheFlareTexture) {
    makeParents("textures/x");
    ASSERT_TRUE(ThreeDfBuilder::square(GR_TEXFMT_RGB_565, 8, 8).write("textures/flare.3df"));
    EXPECT_EQ(load("LWSC 1 Something 12 Other 4.5 ( ) \n"), 1);
    EXPECT_EQ(scene_->objectCount + scene_->lightCount + scene_->fireCount, 0);
    EXPECT_EQ(scene_->textures.count, 1);
    EXPECT_EQ(scene_->flareTexture, 0);
    EXPECT_STREQ(scene_->textures.slots[0].path, "textures\\flare.3df");
    EXPECT_TRUE(scene_->textures.slots[0].isLoaded());
    EXPECT_EQ(log(), kEarlierLog); // a good load writes nothing
    EXPECT_STREQ(lastSceneLoadMessage(), "");
    // Without the file the index is still given, and the texture loader logs it.
    EXPECT_EQ(remove("textures/flare.3df"), 0);
    EXPECT_EQ(load("LWSC 1"), 1);
    EXPECT_EQ(scene_->flareTexture, 0);
    EXPECT_EQ(log(), std::string(kEarlierLog) + "UNABLE TO OPEN TEXTURE textures\\flare.3df\n");
}

TEST_F(SceneReaderTest, ValuesThatDoNotScanStayAndAreReadAsWords) {
    EXPECT_EQ(loadBody("FirstFrame 1\nLastFrame abc FrameStep 2 FramesPerSecond 25.0\n"
                       "LastFrame 90x FramesPerSecond\nFirstFrame -7"),
              1);
    EXPECT_EQ(scene_->firstFrame, -7);
    EXPECT_EQ(scene_->lastFrame, 90); // "x" is then skipped as a word
    EXPECT_EQ(scene_->frameStep, 2);
    EXPECT_EQ(scene_->framesPerSecond, 25.0f);
}

TEST_F(SceneReaderTest, LightKeywordsOutsideALightEndTheLoadWithoutAMessage) {
    for (const char* keyword : {"LightColor 1 2 3", "LensFlare 1", "FlareIntensity 1",
                                "LightType 1", "LightRange 4", "LgtIntensity 0.5"}) {
        EXPECT_EQ(loadBody(keyword), 0) << keyword;
        EXPECT_EQ(loadBody(std::string("AddLight 1\nShowCamera\n") + keyword), 0) << keyword;
        EXPECT_EQ(log(), kEarlierLog);
        EXPECT_STREQ(lastSceneLoadMessage(), "");
    }
    EXPECT_EQ(loadBody("AddLight 1 ShowCamera AddNullObject n LightColor 1 1 1"), 0);
}

TEST_F(SceneReaderTest, LightsTakeTheirValues) {
    EXPECT_EQ(loadBody("AddLight\nLightName Sun\nLightColor 255 255 255\nLgtIntensity 0.75\n"
                       "LightType 1\nLightType 3\nLensFlare 1\nFlareIntensity 2.5\n"
                       "LightRange 4\nLightMotion" +
                       placedAt("1", "2", "3") + "AddLight 2\nLightRange" + envelope("2", "6") +
                       "LgtIntensity" + envelope("0", "1") + "FlareIntensity" + envelope("1", "3")),
              1);
    ASSERT_EQ(scene_->lightCount, 2);
    const SceneLight& sun = scene_->lights[0];
    EXPECT_FLOAT_EQ(sun.color[0], 1.0f);
    EXPECT_EQ(sun.intensity, 0.75f);
    EXPECT_EQ(sun.lightType, 1); // 3 left it as it was
    EXPECT_EQ(sun.lensFlare, 1);
    EXPECT_EQ(sun.flareIntensity, 2.5f);
    EXPECT_EQ(sun.range, 4.0f);
    EXPECT_EQ(sun.rangeSquared, 16.0f);
    EXPECT_EQ(sun.motion.position.y, 2.0f);
    EXPECT_EQ(sun.motion.scale.x, 1.0f);

    const SceneLight& lamp = scene_->lights[1];
    EXPECT_EQ(lamp.rangeIsConstant, 0);
    EXPECT_EQ(lamp.intensityIsConstant, 0);
    EXPECT_EQ(lamp.flareIsConstant, 0);
    ASSERT_EQ(lamp.rangeEnvelope.keyCount, 2);
    EXPECT_EQ(lamp.rangeEnvelope.keys[1].values[0], 6.0);
    EXPECT_EQ(lamp.range, 1.0f); // enveloped values keep their defaults until animated
    EXPECT_EQ(lamp.rangeSquared, 1.0f);
}

TEST_F(SceneReaderTest, CameraAndAmbientValues) {
    EXPECT_EQ(loadBody("AmbientColor 256 256 128\nAmbIntensity" + envelope("0", "1") +
                       "ShowCamera 1 0\nZoomFactor 2.5\nTargetObject 2\nCameraMotion" +
                       placedAt("0", "5", "-10")),
              1);
    const SceneCamera& camera = scene_->camera;
    EXPECT_EQ(camera.ambientColor[0], 1.0f);
    EXPECT_EQ(camera.ambientColor[2], 0.5f);
    EXPECT_EQ(camera.ambientIsConstant, 0);
    EXPECT_EQ(camera.ambientEnvelope.keyCount, 2);
    EXPECT_EQ(camera.zoomFactor, 2.5f);
    EXPECT_EQ(camera.hasTargetObject, 1);
    EXPECT_EQ(camera.targetObject, 1);
    EXPECT_EQ(camera.motion.position.z, -10.0f);

    EXPECT_EQ(loadBody("AmbIntensity 0.25\nTargetObject 2\nCameraMotion" + placedAt("1", "1", "1")),
              1);
    EXPECT_EQ(scene_->camera.ambientIsConstant, 1);
    EXPECT_EQ(scene_->camera.ambientIntensity, 0.25f);
    EXPECT_EQ(scene_->camera.hasTargetObject, 0); // only in the camera section
    EXPECT_EQ(scene_->camera.motion.position.x, 0.0f);
}

TEST_F(SceneReaderTest, AZoomGivenAsAnEnvelopeOrNotAtAllUsesTheDefault) {
    EXPECT_EQ(loadBody("ShowCamera\nZoomFactor" + envelope("1", "2") + "FirstFrame 4"), 1);
    EXPECT_EQ(scene_->camera.zoomFactor, kDefaultZoomFactor);
    EXPECT_EQ(scene_->firstFrame, 4);
    EXPECT_EQ(loadBody("ZoomFactor 0"), 1);
    EXPECT_EQ(scene_->camera.zoomFactor, kDefaultZoomFactor);
}

TEST_F(SceneReaderTest, NamesReadIntoTheWordBufferAreComparedWithTheLaterKeywords) {
    // "AddLight" reads the next word into the word buffer: here a later keyword of the
    // table, which then runs in the same pass.
    EXPECT_EQ(loadBody("AddLight LightMotion" + placedAt("1", "2", "3")), 1);
    EXPECT_EQ(scene_->lights[0].motion.position.x, 1.0f);
    // "AddNullObject ShowCamera" enters the camera section in the same pass.
    EXPECT_EQ(loadBody("AddNullObject ShowCamera TargetObject 4"), 1);
    EXPECT_EQ(scene_->camera.targetObject, 3);
    // Keywords earlier in the table are not compared again: "FirstFrame" is a skipped
    // name and its number a skipped word.
    EXPECT_EQ(loadBody("AddNullObject FirstFrame 5"), 1);
    EXPECT_EQ(scene_->firstFrame, 0);
    // "FireTexture" loads the texture named FireMotion, then reads the fire's motion.
    EXPECT_EQ(loadBody("AddFire 4 1 1\nFireTexture FireMotion" + placedAt("7", "0", "0")), 1);
    EXPECT_EQ(scene_->fires[0].motion.position.x, 7.0f);
    EXPECT_STREQ(scene_->textures.slots[scene_->fires[0].texture].path, "textures\\FireMotion.3df");
    // A light's name that is a light keyword: its values follow.
    EXPECT_EQ(loadBody("AddLight LightColor 255 0 0"), 1);
    EXPECT_FLOAT_EQ(scene_->lights[0].color[0], 1.0f);
}

TEST_F(SceneReaderTest, MotionsOutsideTheirSectionAreSkippedWordByWord) {
    EXPECT_EQ(loadBody("AddLight 1\nAddNullObject Null\nLightMotion" + placedAt("1", "2", "3") +
                       "ShowCamera\nFireMotion" + placedAt("1", "1", "1") + "LastFrame 30"),
              1);
    EXPECT_EQ(scene_->lights[0].motion.position.x, 0.0f);
    EXPECT_EQ(scene_->lights[0].motion.scale.x, 0.0f);
    EXPECT_EQ(scene_->lastFrame, 30);
    // A motion of eight channels leaves the camera alone; its numbers are skipped.
    EXPECT_EQ(loadBody("ShowCamera\nCameraMotion (unnamed)\n 8\n 1\n 1 2 3 4 5 6 7 8\n"
                       " 0 0 0 0 0\nLastFrame 12"),
              1);
    EXPECT_EQ(scene_->camera.motion.position.x, 0.0f);
    EXPECT_EQ(scene_->lastFrame, 12);
}

TEST_F(SceneReaderTest, FiresAreConfiguredAndSeededAtTheirFirstFramePosition) {
    EXPECT_EQ(loadBody("AddFire 30 2.5 4\nFireMode 1\nFireStartFrame 10\nFireEndFrame 200.5\n"
                       "FireFadeTime 15\nFireColor 255 128 0\nFireColFade 1 0.5 0\n"
                       "FireTexture flame.iff\nFireMotion (unnamed) 9 2\n"
                       " 4 0 0 0 0 0 1 1 1\n 0 0 0 0 0\n 8 0 0 0 0 0 1 1 1\n 10 1 0 0 0\n"
                       "AddFire 5 1 1\nFireParts 6\nFireWidth 3\nFireHeight 7\n"),
              1);
    ASSERT_EQ(scene_->fireCount, 2);
    const FireEmitter& fire = scene_->fires[0];
    EXPECT_EQ(fire.particleCount, 30);
    EXPECT_EQ(fire.width, 2.5f);
    EXPECT_EQ(fire.height, 4.0f);
    EXPECT_EQ(fire.fireMode, 1);
    EXPECT_EQ(fire.startFrame, 10.0f);
    EXPECT_EQ(fire.endFrame, 200.5f);
    EXPECT_EQ(fire.fadeTime, 15);
    EXPECT_EQ(fire.color[1], 128.0f);
    EXPECT_EQ(fire.colorFade[1], 0.5f);
    EXPECT_STREQ(scene_->textures.slots[fire.texture].path, "textures\\flame.3df");
    EXPECT_EQ(fire.motion.keyCount, 2);
    // Seeded after the motion was evaluated at frame 0, from the generator's first draw.
    EXPECT_EQ(fire.motion.position.x, 4.0f);
    ASSERT_NE(fire.particles, nullptr);
    EXPECT_EQ(fire.particles[0].life, static_cast<float>(41 * 15) * (1.0f / 32767.0f) + 15.0f);
    EXPECT_EQ(fire.particles[0].position[0], 4.0f + fire.particles[0].offset[0]);
    EXPECT_EQ(fire.particles[29].life, 0.0f); // the core

    const FireEmitter& second = scene_->fires[1];
    EXPECT_EQ(second.particleCount, 6);
    EXPECT_EQ(second.width, 3.0f);
    EXPECT_EQ(second.height, 7.0f);
    ASSERT_NE(second.particles, nullptr);
    EXPECT_EQ(second.particles[5].life, 0.0f);
    // "AddFire" as the file's last words still adds one fire.
    EXPECT_EQ(loadBody("AddFire 5 1.0 2.0"), 1);
    EXPECT_EQ(scene_->fireCount, 1);
}

TEST_F(SceneReaderTest, KeywordsWithoutTheirSlotAreIgnored) {
    EXPECT_EQ(loadBody("FireParts 9 FireTexture flame.iff FireColor 1 2 3 FireMotion" +
                       placedAt("1", "1", "1") + "ObjDissolve 0.5 Metamorph" + envelope("0", "1") +
                       "MorphTarget 2 MTSEMorphing 1 LastFrame 8"),
              1);
    EXPECT_EQ(scene_->fireCount, 0);
    EXPECT_EQ(scene_->objectCount, 0);
    EXPECT_EQ(scene_->textures.count, 1); // the flare only
    EXPECT_EQ(scene_->lastFrame, 8);
    for (const FireEmitter& fire : scene_->fires) {
        EXPECT_EQ(fire.particleCount, 40);
    }
    for (const SceneObject& object : scene_->objects) {
        EXPECT_EQ(object.hasMorph + object.hasDissolve, 0);
    }
}

TEST_F(SceneReaderTest, SlotLimitsAreEnforced) {
    writeObject("objects/a.lwo");
    struct Slot {
        const char* add;
        int32_t limit;
        const char* what;
    };
    for (const Slot& slot :
         {Slot{"AddLight 1\n", 10, "lights"}, Slot{"AddFire 2 1 1\n", 10, "fires"},
          Slot{"LoadObject a.lwo\n", 60, "objects"}}) {
        std::string body;
        for (int i = 0; i < slot.limit; ++i) {
            body += slot.add;
        }
        EXPECT_EQ(loadBody(body), 1) << slot.what;
        EXPECT_EQ(scene_->lightCount + scene_->fireCount + scene_->objectCount, slot.limit);
        EXPECT_EQ(loadBody(body + slot.add), 0);
        EXPECT_EQ(log(), line(std::string("too many ") + slot.what + " (" +
                              std::to_string(slot.limit) + " at most) in scene: scenes\\test.lws"));
    }
}

TEST_F(SceneReaderTest, MalformedBlocksFailWithALine) {
    struct Case {
        std::string body;
        std::string message;
    };
    const Case cases[] = {
        {"AmbIntensity (envelope) 10 1 1 2 3 4 5 6 7 8 9 10 0 0 0 0 0",
         "envelope with 10 channels (1 to 9 allowed)"},
        {"AddFire 3 1 1 FireParts -2", "fire 1 with -2 particles (0 or more allowed)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(loadBody(c.body), 0) << c.message;
        EXPECT_EQ(log(), line(c.message + " in scene: scenes\\test.lws"));
    }
}

TEST_F(SceneReaderTest, ObjectsAreLoadedUnderTheirNameOrFromTheObjectsDirectory) {
    writeObject("objects/cube.lwo");
    writeObject("Props/Lamp.lwo", 2);
    EXPECT_EQ(loadBody("LoadObject cube.lwo\nObjectMotion" + placedAt("1", "2", "3") +
                       "LoadObject props\\lamp.lwo\nLoadObject objects\\cube.lwo\n"),
              1);
    ASSERT_EQ(scene_->objectCount, 3);
    EXPECT_EQ(scene_->objects[0].mesh.polygonCount, 1); // by the second path
    EXPECT_EQ(scene_->objects[0].motion.position.z, 3.0f);
    EXPECT_EQ(scene_->objects[1].mesh.polygonCount, 2); // by its own name, any case
    EXPECT_EQ(scene_->objects[2].mesh.polygonCount, 1);
    EXPECT_EQ(log(), std::string(kEarlierLog) + "UNABLE TO OPEN TEXTURE textures\\flare.3df\n");

    EXPECT_EQ(loadBody("LoadObject cube.lwo\nLoadObject nothing.lwo\nLastFrame 9"), 0);
    EXPECT_EQ(scene_->objectCount, 2);
    EXPECT_EQ(log(), line("failed opening object: objects\\\\nothing.lwo to, giving up"));
    EXPECT_EQ(scene_->lastFrame, 0);
}

// Why a file was refused goes to standard error; error.txt holds the player's own line
// only, and nothing at all when the second name loads.
TEST_F(SceneReaderTest, RefusedObjectsSayWhyOutsideTheErrorLog) {
    writeQuad();
    clearLastRefusal();
    EXPECT_EQ(loadBody("LoadObject quad.lwo\n"), 0);
    EXPECT_EQ(log(), line("failed opening object: objects\\\\quad.lwo to, giving up"));
    EXPECT_EQ(std::string(lastRefusal()),
              "unusable object file objects\\\\quad.lwo: polygon 1 has 4 corners; the player "
              "draws triangles only (convert the demo: ember convert demo SRC DST)");

    writeFile("error.txt", kEarlierLog);
    writeFile("quad.lwo", readFile("objects/quad.lwo"));
    writeObject("objects/quad.lwo");
    clearLastRefusal();
    EXPECT_EQ(loadBody("LoadObject quad.lwo\n"), 1); // from the second name
    EXPECT_EQ(std::string(lastRefusal()).rfind("unusable object file quad.lwo: ", 0), 0u);
    EXPECT_EQ(log(), std::string(kEarlierLog) + "UNABLE TO OPEN TEXTURE textures\\flare.3df\n");
    EXPECT_STREQ(scene_->objects[0].fileName.get(), "quad.lwo");
    EXPECT_EQ(scene_->objects[0].foundInObjectDirectory, 1);
}

TEST_F(SceneReaderTest, NullObjectsTakeNoSlotAndObjectKeywordsGoToTheLastObject) {
    writeObject("objects/a.lwo");
    writeObject("objects/b.lwo");
    EXPECT_EQ(loadBody("LoadObject a.lwo\nAddNullObject Pivot\nObjectMotion" +
                       placedAt("5", "5", "5") + "ObjDissolve" + envelope("0", "1") +
                       "Metamorph 0.5\nMorphTarget 2\nMTSEMorphing 1\n"
                       "AddNullObject Other\nLoadObject b.lwo\nObjDissolve 0.25\n"
                       "ShowCamera\nTargetObject 2\n"),
              1);
    ASSERT_EQ(scene_->objectCount, 2);
    const SceneObject& a = scene_->objects[0];
    EXPECT_EQ(a.motion.position.x, 0.0f); // the null object's motion was skipped
    EXPECT_EQ(a.hasDissolve, 1);
    EXPECT_EQ(a.dissolveIsConstant, 0);
    EXPECT_EQ(a.dissolveEnvelope.keyCount, 2);
    EXPECT_EQ(a.hasMorph, 1);
    EXPECT_EQ(a.morphIsConstant, 1);
    EXPECT_EQ(a.morphAmount, 0.5f);
    EXPECT_EQ(a.morphTarget, 1); // b, the second "LoadObject"
    EXPECT_EQ(a.morphMode, 1);
    EXPECT_EQ(a.morphChainLength, 2);
    const SceneObject& b = scene_->objects[1];
    EXPECT_EQ(b.isMorphTarget, 1);
    EXPECT_EQ(b.mesh.pointCount, 0); // its shape now lives in a
    EXPECT_EQ(b.dissolveIsConstant, 1);
    EXPECT_EQ(b.dissolve, 0.25f);
    EXPECT_EQ(scene_->camera.targetObject, 1);
}

TEST_F(SceneReaderTest, AnObjectNamedLikeAKeywordRunsThatKeyword) {
    writeObject("LightColor");
    EXPECT_EQ(loadBody("LoadObject LightColor 255 255 255"), 0); // a light keyword, no light
    EXPECT_EQ(log(), kEarlierLog);
    writeObject("ObjectMotion");
    EXPECT_EQ(loadBody("LoadObject ObjectMotion" + placedAt("4", "0", "0")), 1);
    EXPECT_EQ(scene_->objects[0].motion.position.x, 4.0f);
}

TEST_F(SceneReaderTest, MotionKeysAreKeptOnlyForGroupsThatChange) {
    const auto motion = [](const std::string& second) {
        return "ShowCamera CameraMotion x 9 2\n 1 2 3 10 20 30 1 1 1\n 0 0 0 0 0\n " + second +
               "\n 30 0 0.5 0 0\n";
    };
    EXPECT_EQ(loadBody(motion("1 2 3 10 20 30 1 1 1")), 1);
    const Motion& m = scene_->camera.motion;
    EXPECT_EQ(m.positionIsConstant + m.rotationIsConstant + m.scaleIsConstant, 3);
    EXPECT_EQ(m.keys, nullptr);
    EXPECT_EQ(m.position.z, 3.0f);
    EXPECT_EQ(m.heading, 10.0f);
    EXPECT_EQ(m.bank, 30.0f);
    EXPECT_EQ(m.scale.y, 1.0f);
    const char* changed[] = {"1 2 9 10 20 30 1 1 1", "1 2 3 10 20 31 1 1 1",
                             "1 2 3 10 20 30 1 1 2"};
    for (int group = 0; group < 3; ++group) {
        EXPECT_EQ(loadBody(motion(changed[group])), 1);
        const Motion& g = scene_->camera.motion;
        EXPECT_EQ(g.positionIsConstant, group == 0 ? 0 : 1) << group;
        EXPECT_EQ(g.rotationIsConstant, group == 1 ? 0 : 1) << group;
        EXPECT_EQ(g.scaleIsConstant, group == 2 ? 0 : 1) << group;
        ASSERT_EQ(g.keyCount, 2);
        EXPECT_EQ(g.keys[1].frame, 30);
        EXPECT_EQ(g.keys[1].tension, 0.5);
        EXPECT_EQ(g.position.x, 0.0f); // set by the first update, not by the reader
    }
}

TEST_F(SceneReaderTest, EnvelopesKeepEachChannel) {
    EXPECT_EQ(loadBody("AmbIntensity (envelope) 2 2 0.5 7 0 0 0 0 0 1.5 8 20 1 0 0 0"), 1);
    const Envelope& e = scene_->camera.ambientEnvelope;
    ASSERT_EQ(e.keyCount, 2);
    EXPECT_EQ(e.keys[1].values[0], 1.5);
    EXPECT_EQ(e.keys[1].values[1], 8.0);
    EXPECT_EQ(e.keys[1].frame, 20);
    EXPECT_EQ(e.keys[1].linear, 1);
}
