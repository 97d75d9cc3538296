// The bundled demo as an end-to-end test bed: the generated folder (build/<preset>/demo)
// is loaded with the system's own readers, exactly as the player loads it, and every
// feature the system offers must be exercised by some scene.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "accel/ThreeDfFile.h"
#include "player/Scene.h"

namespace {

const char* const kSceneFiles[5] = {"scenes\\outdoor.lws", "scenes\\temple.lws",
                                    "scenes\\future.lws", "scenes\\office.lws",
                                    "scenes\\theend.lws"};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The five scenes, loaded once for all tests in a scratch directory that sees the demo's
// folders (so error.txt, if anything writes it, lands there and not in the demo).
class DemoCoverage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/ember-demo-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        for (const char* sub : {"scenes", "objects", "textures", "cdrom"}) {
            const std::string target = std::string(EMBER_DEMO_DIR) + "/" + sub;
            ASSERT_TRUE(exists(target)) << target << " is missing: build the demo_folder target";
            ASSERT_EQ(symlink(target.c_str(), (scratch_ + "/" + sub).c_str()), 0);
        }
        ASSERT_EQ(chdir(scratch_.c_str()), 0);
        for (int i = 0; i < 5; ++i) {
            scenes_[i] = std::make_unique<Scene>();
            loaded_[i] = scenes_[i]->load(kSceneFiles[i]);
            std::string path = kSceneFiles[i];
            sceneTexts_ += readText(path.replace(path.find('\\'), 1, "/"));
        }
        errorLog_ = readText("error.txt");
    }
    static void TearDownTestSuite() {
        ASSERT_EQ(chdir(previous_), 0);
        std::system(("rm -rf '" + scratch_ + "'").c_str());
        for (auto& s : scenes_) {
            s.reset();
        }
    }

    // Every object slot that is drawn (morph targets give their geometry to their head).
    template <typename F>
    static void forEachDrawnObject(F f) {
        for (int i = 0; i < 5; ++i) {
            for (int o = 0; o < scenes_[i]->objectCount; ++o) {
                if (scenes_[i]->objects[o].isMorphTarget == 0) {
                    f(i, scenes_[i]->objects[o]);
                }
            }
        }
    }
    template <typename F>
    static void forEachSurface(F f) {
        forEachDrawnObject([&](int scene, const SceneObject& o) {
            for (int s = 0; s < o.mesh.surfaceCount; ++s) {
                f(scene, o, o.mesh.surfaces[s]);
            }
        });
    }

    static std::string scratch_;
    static char previous_[4096];
    static std::unique_ptr<Scene> scenes_[5];
    static int32_t loaded_[5];
    static std::string errorLog_;
    static std::string sceneTexts_; // the five scene files, one after the other
};

std::string DemoCoverage::scratch_;
char DemoCoverage::previous_[4096];
std::unique_ptr<Scene> DemoCoverage::scenes_[5];
int32_t DemoCoverage::loaded_[5];
std::string DemoCoverage::errorLog_;
std::string DemoCoverage::sceneTexts_;

TEST_F(DemoCoverage, EverySceneLoadsWithoutALineInTheErrorLog) {
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(loaded_[i], 1) << kSceneFiles[i];
    }
    EXPECT_EQ(errorLog_, "");
}

TEST_F(DemoCoverage, EveryKeywordOfTheSceneReaderIsWritten) {
    for (const char* keyword :
         {"FirstFrame",     "LastFrame",    "FrameStep",      "FramesPerSecond", "LoadObject",
          "ObjectMotion",   "ObjDissolve",  "AddNullObject",  "AddLight",        "LightMotion",
          "LightColor",     "LensFlare",    "FlareIntensity", "LightType",       "LightRange",
          "LgtIntensity",   "ShowCamera",   "ZoomFactor",     "AmbIntensity",    "AmbientColor",
          "TargetObject",   "CameraMotion", "Metamorph",      "MorphTarget",     "MTSEMorphing",
          "AddFire",        "FireMode",     "FireParts",      "FireWidth",       "FireHeight",
          "FireStartFrame", "FireEndFrame", "FireFadeTime",   "FireColor",       "FireColFade",
          "FireTexture",    "FireMotion"}) {
        EXPECT_NE(sceneTexts_.find(std::string("\n") + keyword + " "), std::string::npos)
            << keyword;
    }
}

TEST_F(DemoCoverage, TheDemoPlaysBetweenOneAndOneAndAHalfMinutes) {
    double seconds = 0.0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_GT(scenes_[i]->framesPerSecond, 0.0f);
        EXPECT_GE(scenes_[i]->lastFrame, 150) << kSceneFiles[i] << " is too short to show";
        seconds += (scenes_[i]->lastFrame + 1) / scenes_[i]->framesPerSecond;
    }
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 90.0);
}

// A key track of two or more keys runs again from its start past its last key: every
// such track must reach the scene's end, or the animation would jump back mid-scene.
TEST_F(DemoCoverage, NoKeyTrackEndsBeforeItsScene) {
    for (int i = 0; i < 5; ++i) {
        const Scene& s = *scenes_[i];
        const auto check = [&](const MotionKey* keys, int32_t count, const std::string& what) {
            if (keys != nullptr && count > 1) {
                EXPECT_GE(keys[count - 1].frame, s.lastFrame) << kSceneFiles[i] << " " << what;
            }
        };
        for (int o = 0; o < s.objectCount; ++o) {
            if (s.objects[o].isMorphTarget == 0) {
                check(s.objects[o].motion.keys.get(), s.objects[o].motion.keyCount,
                      "object " + std::to_string(o + 1));
                check(s.objects[o].dissolveEnvelope.keys.get(),
                      s.objects[o].dissolveEnvelope.keyCount, "dissolve");
                check(s.objects[o].morphEnvelope.keys.get(), s.objects[o].morphEnvelope.keyCount,
                      "morph");
            }
        }
        for (int l = 0; l < s.lightCount; ++l) {
            check(s.lights[l].motion.keys.get(), s.lights[l].motion.keyCount, "light motion");
        }
        check(s.camera.motion.keys.get(), s.camera.motion.keyCount, "camera");
        check(s.camera.ambientEnvelope.keys.get(), s.camera.ambientEnvelope.keyCount, "ambient");
    }
}

// A texture-coordinate file lies beside an object of a scene, and loading that object
// takes its corners' coordinates from it.
TEST_F(DemoCoverage, ATextureCoordinateFileGivesItsObjectsCoordinates) {
    std::vector<std::string> txcFiles;
    DIR* dir = opendir("objects");
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".txc") {
            txcFiles.push_back(name.substr(0, name.size() - 4));
        }
    }
    closedir(dir);
    ASSERT_FALSE(txcFiles.empty());
    for (const std::string& base : txcFiles) {
        EXPECT_NE(sceneTexts_.find("LoadObject objects\\" + base + ".lwo"), std::string::npos)
            << base << ".lwo is in no scene";

        auto table = std::make_unique<TextureTable>();
        auto object = std::make_unique<SceneObject>();
        ASSERT_EQ(object->loadObject(*table, ("objects\\" + base + ".lwo").c_str()), 1);
        const std::string uv = readText("objects/" + base + ".txc");
        ASSERT_EQ(uv.size(), static_cast<size_t>(object->mesh.polygonCount) * 24) << base;
        for (int32_t p = 0; p < object->mesh.polygonCount; ++p) {
            for (int c = 0; c < 3; ++c) {
                float u = 0.0f, v = 0.0f;
                std::memcpy(&u, uv.data() + p * 24 + c * 8, 4);
                std::memcpy(&v, uv.data() + p * 24 + c * 8 + 4, 4);
                EXPECT_EQ(object->mesh.polygons[p].corners[c].u, u);
                EXPECT_EQ(object->mesh.polygons[p].corners[c].v, v);
            }
        }
    }
}

TEST_F(DemoCoverage, EveryTextureFormatLoadsAndScenesMixFormats) {
    std::set<GrTextureFormat_t> formats;
    int mixedScenes = 0;
    for (int i = 0; i < 5; ++i) {
        const TextureTable& t = scenes_[i]->textures;
        std::set<GrTextureFormat_t> own;
        for (int k = 0; k < t.count; ++k) {
            EXPECT_TRUE(t.slots[k].isLoaded()) << t.slots[k].path;
            formats.insert(t.slots[k].info.format);
            own.insert(t.slots[k].info.format);
        }
        EXPECT_TRUE(t.slots[scenes_[i]->flareTexture].isLoaded());
        mixedScenes += own.size() > 1 ? 1 : 0;
    }
    EXPECT_GE(mixedScenes, 1);
    // Every format the 3DF reader knows, and so every family: 16-bit colour, alpha, NCC,
    // palette.
    for (GrTextureFormat_t f : kThreeDfFormats) {
        EXPECT_EQ(formats.count(f), 1u) << "format " << f;
    }
}

// Every feature the player offers is shown by some scene: each is noted by name where it
// is found, and the names noted are compared with the whole list.
TEST_F(DemoCoverage, EveryFeatureIsUsedBySomeScene) {
    std::set<std::string> seen;
    const auto note = [&](bool present, const std::string& feature) {
        if (present) {
            seen.insert(feature);
        }
    };
    for (int i = 0; i < 5; ++i) {
        const Scene& s = *scenes_[i];
        for (int k = 0; k < s.camera.motion.keyCount; ++k) {
            const MotionKey& key = s.camera.motion.keys[k];
            note(key.tension != 0.0, "camera key tension");
            note(key.continuity != 0.0, "camera key continuity");
            note(key.bias != 0.0, "camera key bias");
        }
        note(s.camera.ambientIsConstant == 0, "ambient envelope");
        for (int l = 0; l < s.lightCount; ++l) {
            const SceneLight& light = s.lights[l];
            note(true, "light type " + std::to_string(light.lightType));
            note(light.rangeIsConstant == 0, "range envelope");
            note(light.intensityIsConstant == 0, "intensity envelope");
            note(light.lensFlare != 0 && light.flareIsConstant == 0, "flare envelope");
            note(light.lensFlare != 0 && light.lightType != 0, "flare of a point or spot");
        }
        const SceneCamera& c = s.camera;
        if (c.hasTargetObject != 0) {
            ASSERT_GE(c.targetObject, 0);
            ASSERT_LT(c.targetObject, s.objectCount);
            const SceneObject& target = s.objects[c.targetObject];
            EXPECT_EQ(target.isMorphTarget, 0);
            note(target.motion.positionIsConstant == 0, "camera following a moving target");
        }
        for (int f = 0; f < s.fireCount; ++f) {
            const FireEmitter& fire = s.fires[f];
            EXPECT_TRUE(s.textures.slots[fire.texture].isLoaded());
            note(fire.startFrame > 0.0f && fire.endFrame < static_cast<float>(s.lastFrame),
                 "fire of mode " + std::to_string(fire.fireMode) + " within its scene");
        }
    }
    forEachDrawnObject([&](int, const SceneObject& o) {
        if (o.hasMorph != 0) {
            EXPECT_EQ(o.morphIsConstant, 0) << "a morph that never moves";
            note(true, "morph of " + std::to_string(o.morphChainLength) + " members, " +
                           (o.morphMode != 0 ? "straight" : "cubic"));
        }
        note(o.hasDissolve != 0 && o.dissolveIsConstant == 1 && o.dissolve > 0.0f &&
                 o.dissolve < 1.0f,
             "constant dissolve");
        note(o.hasDissolve != 0 && o.dissolveIsConstant == 0, "dissolve envelope");
    });
    forEachSurface([&](int scene, const SceneObject&, const Surface& s) {
        const TextureTable& textures = scenes_[scene]->textures;
        if (s.textureMapping == 1 || s.textureMapping == 2) {
            EXPECT_TRUE(textures.slots[s.colorTexture].isLoaded());
            note(true, std::string(s.textureMapping == 1 ? "planar" : "cylindrical") +
                           " map on axis " + std::to_string(s.textureAxis));
        }
        note(s.luminosity >= 255, "luminous surface");
        note(s.doubleSided != 0, "double-sided surface");
        note(s.smoothing != 0, "smooth surface");
        note(s.transparent != 0 && s.transparency > 0.0f, "transparent surface");
        note(s.additive != 0, "additive surface");
        note(s.additive != 0 && s.smoothing != 0, "additive smooth surface");
        if (s.reflective != 0) {
            EXPECT_TRUE(textures.slots[s.reflectionTexture].isLoaded());
            note(s.reflectivity >= 0.95f && s.textureMapping == 0, "reflection in place");
            note(s.textureMapping != 0 || s.reflectivity < 0.95f, "reflection overlaid");
        }
    });
    std::set<std::string> expected;
    std::istringstream names(
        "camera key tension,camera key continuity,camera key bias,ambient envelope,"
        "light type 0,light type 1,light type 2,range envelope,intensity envelope,"
        "flare envelope,flare of a point or spot,camera following a moving target,"
        "fire of mode 0 within its scene,fire of mode 1 within its scene,constant dissolve,"
        "dissolve envelope,luminous surface,double-sided surface,smooth surface,"
        "transparent surface,additive surface,additive smooth surface,reflection in place,"
        "reflection overlaid");
    for (std::string name; std::getline(names, name, ',');) {
        expected.insert(name);
    }
    for (const char* blend : {"straight", "cubic"}) {
        for (int members : {2, 3}) {
            expected.insert("morph of " + std::to_string(members) + " members, " + blend);
        }
    }
    for (const char* map : {"planar", "cylindrical"}) {
        for (int axis : {1, 2, 3}) {
            expected.insert(std::string(map) + " map on axis " + std::to_string(axis));
        }
    }
    std::vector<std::string> missing;
    std::set_difference(expected.begin(), expected.end(), seen.begin(), seen.end(),
                        std::back_inserter(missing));
    EXPECT_EQ(missing, std::vector<std::string>{});
}

// Falling sparks bounce on the plane y = 0: the scene with mode-1 fire has its floor
// there, or the sparks would skid through the air or under the ground.
TEST_F(DemoCoverage, FallingSparksMeetAFloorAtHeightZero) {
    for (const auto& s : scenes_) {
        bool sparks = false;
        for (int f = 0; f < s->fireCount; ++f) {
            sparks |= s->fires[f].fireMode == 1;
        }
        if (!sparks) {
            continue;
        }
        bool floor = false;
        for (int o = 0; o < s->objectCount; ++o) {
            const SceneObject& obj = s->objects[o];
            const float low = obj.boundingBox[6][1] + obj.motion.position.y;
            const float high = obj.boundingBox[0][1] + obj.motion.position.y;
            floor |= obj.motion.positionIsConstant == 1 && std::fabs(low) < 0.1f &&
                     std::fabs(high) < 0.1f &&
                     obj.boundingBox[0][0] - obj.boundingBox[6][0] > 20.0f;
        }
        EXPECT_TRUE(floor);
    }
}

} // namespace
