// The demo generator's pieces, each checked through the system's own readers: meshes
// through the object reader, scene texts through the scene reader, textures through the
// 3DF reader and the converter's decoder, music by its length and level.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "DemoFolder.h"
#include "Geometry.h"
#include "Music.h"
#include "SceneText.h"
#include "TextureFile.h"
#include "accel/ThreeDfFile.h"
#include "content/TextureConverter.h"
#include "math/Matrix4.h"
#include "player/Scene.h"
#include "render/CameraView.h"
#include "support/ScratchDirectory.h"

namespace {

class Generator : public ScratchDirectoryTest {
protected:
    // Loads a written object with the system's object reader.
    std::unique_ptr<SceneObject> load(const MeshBuilder& mesh, const std::string& name) {
        makeParents("objects/x");
        EXPECT_TRUE(mesh.write("objects/" + name + ".lwo"));
        auto object = std::make_unique<SceneObject>();
        EXPECT_EQ(object->loadObject(table_, ("objects\\" + name + ".lwo").c_str()), 1);
        return object;
    }
    // The reader's normals point away from the eye on faces seen from the front: into a
    // closed object whose faces are meant to be seen from outside.
    static float pointsInwardShare(const SceneObject& o, Vec3 centre) {
        int inward = 0;
        for (int i = 0; i < o.mesh.pointCount; ++i) {
            const MeshPoint& p = o.mesh.points[i];
            const Vec3 out{p.position[0] - centre.x, p.position[1] - centre.y,
                           p.position[2] - centre.z};
            inward += dot(out, {p.normal[0], p.normal[1], p.normal[2]}) < 0.0f ? 1 : 0;
        }
        return static_cast<float>(inward) / static_cast<float>(o.mesh.pointCount);
    }
    TextureTable table_;
};

TEST_F(Generator, ClosedPrimitivesAreSeenFromOutsideAndDomesFromInside) {
    MeshBuilder box, sphere, cylinder, dome;
    box.box({-1, -2, -3}, {1, 2, 3}, box.surface("S", colourSurface(200, 200, 200)),
            Placement::at(5, 0, 0).turned(30, 20, 10));
    sphere.sphere(2.0f, 8, 12, sphere.surface("S", colourSurface(200, 200, 200)));
    cylinder.cylinder(1.0f, 3.0f, 10, cylinder.surface("S", colourSurface(200, 200, 200)),
                      Placement::at(0, -1.5f, 0));
    dome.sphere(50.0f, 6, 10, dome.surface("S", colourSurface(200, 200, 200)), {}, true);
    EXPECT_EQ(pointsInwardShare(*load(box, "box"), {5, 0, 0}), 1.0f);
    EXPECT_EQ(pointsInwardShare(*load(sphere, "sphere"), {}), 1.0f);
    EXPECT_EQ(pointsInwardShare(*load(cylinder, "cylinder"), {}), 1.0f);
    EXPECT_EQ(pointsInwardShare(*load(dome, "dome"), {}), 0.0f);
}

TEST_F(Generator, TorusAndGroundFaceTheirViewers) {
    MeshBuilder torus, ground;
    torus.torus(3.0f, 0.5f, 16, 8, torus.surface("S", colourSurface(200, 200, 200)));
    ground.heightField(
        10, 10, 5, 5, [](float x, float z) { return 0.1f * x * z; },
        ground.surface("S", colourSurface(200, 200, 200)));
    const auto t = load(torus, "torus");
    for (int i = 0; i < t->mesh.pointCount; ++i) {
        const float* p = t->mesh.points[i].position;
        const float r = std::sqrt(p[0] * p[0] + p[2] * p[2]);
        const Vec3 core{p[0] * 3.0f / r, 0.0f, p[2] * 3.0f / r}; // nearest point of the core
        const Vec3 out = Vec3{p[0], p[1], p[2]} - core;
        EXPECT_LT(dot(out, {t->mesh.points[i].normal[0], t->mesh.points[i].normal[1],
                            t->mesh.points[i].normal[2]}),
                  0.0f);
    }
    const auto g = load(ground, "ground");
    for (int i = 0; i < g->mesh.pointCount; ++i) {
        EXPECT_LT(g->mesh.points[i].normal[1], 0.0f) << "seen from above";
    }
}

TEST_F(Generator, CornerCoordinatesGoToATextureCoordinateFile) {
    MeshBuilder m;
    m.panel(2, 2, m.surface("S", colourSurface(200, 200, 200)));
    m.setCornerUv(0, 0, 1.0f, 2.0f);
    m.setCornerUv(1, 2, 250.0f, 6.0f);
    const auto o = load(m, "panel");
    EXPECT_EQ(o->mesh.polygons[0].corners[0].u, 1.0f);
    EXPECT_EQ(o->mesh.polygons[0].corners[0].v, 2.0f);
    EXPECT_EQ(o->mesh.polygons[1].corners[2].u, 250.0f);
    EXPECT_EQ(o->mesh.polygons[1].corners[1].u, 0.0f);
}

TEST_F(Generator, SceneTextReadsBackThroughTheSceneReader) {
    MeshBuilder cube;
    cube.box({-1, -1, -1}, {1, 1, 1}, cube.surface("S", colourSurface(200, 200, 200)));
    DemoFolder folder(".");
    writeSharedTextures(folder); // the flare
    ASSERT_TRUE(cube.write("objects/cube.lwo"));

    SceneText text(100, 25.0f);
    KeyFrame a = lookingAt(0, {0, 0, -10}, {0, 0, 0});
    KeyFrame b = lookingAt(100, {10, 0, 0}, {0, 0, 0});
    a.tension = 0.5f;
    b.bias = -0.25f;
    const int32_t first = text.loadObject("objects\\cube.lwo", Motion9{a, b});
    text.dissolve(Envelope1{{1.0f, 0}, {0.0f, 100, 1}});
    text.morph(0.5f, first + 1, 1);
    text.loadObject("objects\\cube.lwo", still({1, 2, 3}, 90.0f));
    text.nullObject("Rig", still({}));
    SceneText::Light light;
    light.type = 1;
    light.motion = still({0, 5, 0});
    light.r = 255, light.g = 0, light.b = 51;
    light.rangeEnvelope = flicker(8.0f, 1.0f, 20, 4, 3);
    text.light(light);
    text.ambient(128, 128, 256, 0.5f);
    SceneText::Camera camera;
    camera.motion = still({0, 1, -20});
    camera.zoom = 2.5f;
    camera.targetNumber = first;
    text.camera(camera);
    std::ofstream("scenes/test.lws") << text.text();

    auto scene = std::make_unique<Scene>();
    ASSERT_EQ(scene->load("scenes\\test.lws"), 1);
    ASSERT_EQ(scene->objectCount, 2);
    const SceneObject& o = scene->objects[0];
    ASSERT_EQ(o.motion.keyCount, 2);
    EXPECT_EQ(o.motion.keys[0].tension, 0.5);
    EXPECT_EQ(o.motion.keys[1].bias, -0.25);
    EXPECT_NEAR(o.motion.keys[1].values[3], -90.0, 1e-4); // heading towards the origin
    EXPECT_EQ(o.dissolveEnvelope.keys[1].linear, 1);
    EXPECT_EQ(o.morphTarget, 1);
    EXPECT_EQ(o.morphMode, 1);
    ASSERT_EQ(scene->lightCount, 1);
    EXPECT_NEAR(scene->lights[0].color[2], 0.2f, 1e-6f);
    EXPECT_EQ(scene->lights[0].rangeEnvelope.keys[0].values[0],
              scene->lights[0].rangeEnvelope.keys[4].values[0])
        << "a flicker loops without a jump";
    EXPECT_EQ(scene->camera.ambientColor[2], 1.0f);
    EXPECT_EQ(scene->camera.zoomFactor, 2.5f);
    EXPECT_EQ(scene->camera.targetObject, 0);
    EXPECT_EQ(readFile("error.txt"), "");
}

// Parts are placed in the generator as the player places objects: a mesh modelled with a
// Placement looks the same as the unplaced mesh moved by an object motion.
TEST(GeneratorConventions, PlacementTurnsAsThePlayerTurnsObjects) {
    const Placement at = Placement::at(1, 2, 3).turned(30, -50, 70).scaled(2, 3, 4);
    Matrix4 m;
    m.identity();
    m.scale(2, 3, 4);
    m.rotateZ(70);
    m.rotateX(-50);
    m.rotateY(30);
    m.translate(1, 2, 3);
    for (Vec3 p : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{0.3f, -2, 5}}) {
        const Vec3 q = at.apply(p);
        EXPECT_NEAR(q.x, p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12], 1e-3f);
        EXPECT_NEAR(q.y, p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13], 1e-3f);
        EXPECT_NEAR(q.z, p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14], 1e-3f);
    }
}

// A camera key made by lookingAt, turned into the player's view, has its target straight
// ahead on the camera's +z axis.
TEST(GeneratorConventions, ACameraKeyLooksAtItsTarget) {
    const Vec3 eye{3, 4, -10}, target{-6, 1, 20};
    for (float bank : {0.0f, 25.0f}) {
        const KeyFrame key = lookingAt(0, eye, target, bank);
        Matrix4 view;
        makeViewFromAngles(view, key.pitch, key.heading, key.bank);
        const Vec3 d = normalized(target - eye);
        const float x = d.x * view.m[0] + d.y * view.m[4] + d.z * view.m[8];
        const float y = d.x * view.m[1] + d.y * view.m[5] + d.z * view.m[9];
        const float z = d.x * view.m[2] + d.y * view.m[6] + d.z * view.m[10];
        EXPECT_NEAR(x, 0.0f, 1e-3f);
        EXPECT_NEAR(y, 0.0f, 1e-3f);
        EXPECT_NEAR(z, 1.0f, 1e-3f);
    }
}

TEST(GeneratorConventions, AnglesUnwrapTheShortWayRound) {
    Motion9 keys(3);
    keys[0].heading = 170.0f;
    keys[1].heading = -170.0f;
    keys[2].heading = 100.0f;
    keys[1].bank = 350.0f;
    unwrapAngles(keys);
    EXPECT_FLOAT_EQ(keys[1].heading, 190.0f);
    EXPECT_FLOAT_EQ(keys[2].heading, 100.0f);
    EXPECT_FLOAT_EQ(keys[1].bank, -10.0f);
}

// Textures repeat across surfaces: their noise must meet itself at the edges.
TEST(GeneratorConventions, NoiseTilesSeamlessly) {
    for (float t : {0.0f, 0.37f, 0.81f}) {
        EXPECT_NEAR(tileFbm(0.0f, t, 4, 4, 9), tileFbm(1.0f, t, 4, 4, 9), 1e-5f);
        EXPECT_NEAR(tileFbm(t, 0.0f, 8, 3, 9), tileFbm(t, 1.0f, 8, 3, 9), 1e-5f);
    }
}

TEST_F(Generator, SceneTextRefusesWhatThePlayerWouldPlayWrongly) {
    SceneText text(100, 30.0f);
    KeyFrame a, b;
    b.frame = 50;
    EXPECT_THROW(text.loadObject("objects\\a.lwo", Motion9{a, b}), std::runtime_error)
        << "a track that ends early runs again from its start";
    b.frame = 0;
    EXPECT_THROW(text.loadObject("objects\\a.lwo", Motion9{a, b}), std::runtime_error);
    SceneText::Light light;
    light.motion = still({});
    for (int i = 0; i < 10; ++i) {
        text.light(light);
    }
    EXPECT_THROW(text.light(light), std::runtime_error) << "a scene holds ten lights";
}

Image gradient(int32_t w, int32_t h) {
    Image image(w, h);
    image.paint([](float u, float v) { return Color{u, v, 1.0f - u, 1.0f}; });
    return image;
}

TEST_F(Generator, TexturesReadBackInTheirFormatWithTheirLevels) {
    const GrTextureFormat_t formats[] = {GR_TEXFMT_RGB_565, GR_TEXFMT_ARGB_4444, GR_TEXFMT_P_8,
                                         GR_TEXFMT_YIQ_422, GR_TEXFMT_INTENSITY_8};
    for (GrTextureFormat_t format : formats) {
        const std::string path = "t" + std::to_string(format) + ".3df";
        ASSERT_TRUE(writeTexture(path, gradient(64, 32), format));
        ThreeDfTexture texture;
        char message[256] = {};
        ASSERT_EQ(loadThreeDfTexture(path.c_str(), texture, message, sizeof message), 1) << message;
        EXPECT_EQ(texture.info.header.format, format);
        EXPECT_EQ(texture.info.header.aspect_ratio, GR_ASPECT_2x1);
        EXPECT_EQ(texture.info.header.large_lod, GR_LOD_64);
        EXPECT_EQ(texture.info.header.small_lod, GR_LOD_1);
        RgbaImage level;
        ASSERT_EQ(decodeThreeDfLevel(texture, 0, level, message, sizeof message), 1);
        // A texel near the right end of the middle row: red high, blue low.
        const uint8_t* p = level.at(60, 16);
        if (format == GR_TEXFMT_INTENSITY_8) {
            EXPECT_NEAR(p[0], (0.299 * 0.94 + 0.587 * 0.5 + 0.114 * 0.06) * 255, 6) << format;
        } else {
            // NCC fits a whole picture with 16 luminances and 4 + 4 chroma steps.
            const double tolerance = format == GR_TEXFMT_YIQ_422 ? 40 : 24;
            EXPECT_NEAR(p[0], 0.94 * 255, tolerance) << format;
            EXPECT_NEAR(p[2], 0.06 * 255, tolerance) << format;
        }
    }
    EXPECT_FALSE(writeTexture("bad.3df", gradient(48, 32), GR_TEXFMT_RGB_565));
    EXPECT_FALSE(writeTexture("bad.3df", gradient(256, 16), GR_TEXFMT_RGB_565)) << "16:1";
}

TEST_F(Generator, TheSoundtrackLastsAsLongAsItsSectionsAndStaysInRange) {
    const Soundtrack music = synthesiseSoundtrack({2.0, 1.5, 1.0, 1.0, 1.5}, 1.0);
    EXPECT_NEAR(music.seconds(), 8.0, 0.001);
    double sum = 0.0;
    float peak = 0.0f;
    for (float s : music.samples) {
        ASSERT_TRUE(std::isfinite(s));
        peak = std::max(peak, std::fabs(s));
        sum += static_cast<double>(s) * s;
    }
    EXPECT_LE(peak, 0.9f);
    EXPECT_GT(std::sqrt(sum / static_cast<double>(music.samples.size())), 0.02) << "not silent";

    makeParents("cdrom/x");
    writeDiscImage("cdrom", music, "DISC");
    SF_INFO info{};
    SNDFILE* file = sf_open("cdrom/soundtrack.ogg", SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_NEAR(static_cast<double>(info.frames) / 44100.0, 8.0, 0.01);
    const std::string cue = readFile("cdrom/emberlight.cue");
    EXPECT_LT(cue.find("TRACK 01 MODE1/2048"), cue.find("TRACK 02 AUDIO"));
    EXPECT_NE(cue.find("TRACK 02 AUDIO"), std::string::npos);
    EXPECT_EQ(readFile("cdrom/data.bin").substr(0, 4), "DISC");
    EXPECT_EQ(readFile("cdrom/data.bin").size() % 2048, 0u);
}

} // namespace
