// The reader of later scene files: its syntax (version 2's and the later blocks), the
// refusals, and the real files of shared/testdata/later against values worked out from the
// envelope formulas.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "content/LaterSceneParser.h"
#include "support/LaterScenes.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Parsed {
    std::unique_ptr<LaterScene> scene = std::make_unique<LaterScene>();
    int32_t ok = 0;
    std::string problem;
};

Parsed parse(const std::string& text) {
    Parsed p;
    char problem[256] = "(none)";
    p.ok = parseLaterScene(text.data(), text.size(), *p.scene, problem, sizeof(problem));
    p.problem = problem;
    return p;
}

// Channel x of an item at frame `frame` of a 30 fps scene.
double xAt(const LaterScene& scene, int32_t item, int32_t frame) {
    return channelValue(scene.items[item], 0, frame / 30.0);
}

} // namespace

TEST(LaterSceneSyntax, ItemsTheirSettingsAndForwardParents) {
    const Parsed p =
        parse("LWSC\r\n5\r\n\r\nFirstFrame -10\r\nLastFrame 90\nFramesPerSecond 25\n"
              "LoadObjectLayer 2 10000000 Objects/My Car.lwo\n"
              "ParentItem 10000001\nPivotPosition 0 0.99 2.58\n"
              "ObjectMotion\nNumChannels 9\nChannel 4\n" +
              envelopeBlock("  Key 0.5 0 0 0 0 0 0 0 0\n  Key 1.5 2 4 0 0 0 0 0 0\n", "0 4") +
              "ObjectDissolve (envelope)\n" + envelopeBlock("  Key 0.25 0 0 0 0 0 0 0 0\n") +
              "Plugin ItemMotionHandler 1 Foo\nParentItem 30000000\nEndPlugin\n"
              "{ APS\n  { VParm\n    ParentItem 30000000\n  }\n}\n"
              "AddNullObject 10000001 Quick Draw == HANDLE\nTargetItem 20000000\n"
              "AddLight 20000000\nLightName Sun\nLightColor 1 0.5 0.25\nLightIntensity 0.8\n"
              "LightType 2\nLightFalloffType 1\nLightRange 12.5\n"
              "AddCamera 30000000\nZoomFactor (envelope)\n" +
              envelopeBlock("  Key 3.2 0 0 0 0 0 0 0 0\n  Key 6.4 1 0 0 0 0 0 0 0\n") +
              "AmbientColor 0.5 0.5 1\nAmbientIntensity 0.2\n");
    ASSERT_EQ(p.ok, 1) << p.problem;
    const LaterScene& s = *p.scene;
    EXPECT_EQ(s.version, 5);
    EXPECT_EQ(s.firstFrame, -10);
    EXPECT_EQ(s.lastFrame, 90);
    EXPECT_EQ(s.framesPerSecond, 25.0);
    ASSERT_EQ(s.itemCount, 4);

    const LaterItem& car = s.items[0];
    EXPECT_STREQ(car.path, "Objects/My Car.lwo");
    EXPECT_EQ(car.layer, 2);
    EXPECT_EQ(car.parent, 1) << "a parent defined after its child";
    EXPECT_EQ(car.pivot[2], 2.58);
    ASSERT_EQ(car.channels[4].keyCount, 2);
    EXPECT_EQ(car.channels[4].pre, EnvelopeBehavior::Reset);
    EXPECT_EQ(car.channels[4].post, EnvelopeBehavior::OffsetRepeat);
    EXPECT_EQ(car.channels[4].keys[1].shape, KeyShape::Stepped);
    EXPECT_EQ(car.channels[0].keyCount, 0) << "channels no block gives stay empty";
    EXPECT_EQ(channelValue(car, 7, 1.0), 1.0) << "an empty scale channel is 1";
    EXPECT_EQ(car.hasDissolve, 1);
    EXPECT_EQ(animatedValue(car.dissolve, 3.0), 0.25);

    const LaterItem& handle = s.items[1];
    EXPECT_EQ(handle.kind, LaterItemKind::Null);
    EXPECT_STREQ(handle.path, "Quick Draw == HANDLE");
    EXPECT_EQ(handle.target, 2);
    EXPECT_EQ(handle.parent, -1) << "settings inside plug-ins and unknown blocks are skipped";

    const LaterItem& sun = s.items[2];
    EXPECT_EQ(sun.kind, LaterItemKind::Light);
    EXPECT_EQ(sun.color[2], 0.25);
    EXPECT_EQ(sun.intensity.value, 0.8);
    EXPECT_EQ(sun.lightType, 2);
    EXPECT_EQ(sun.falloffType, 1);
    EXPECT_EQ(sun.range.value, 12.5);

    EXPECT_DOUBLE_EQ(animatedValue(s.items[3].zoomFactor, 0.5), 4.8);
    EXPECT_EQ(s.ambientColor[2], 1.0);
    EXPECT_EQ(s.ambientIntensity.value, 0.2);
}

TEST(LaterSceneSyntax, VersionTwoIsReadInDegreesAnd255ths) {
    const std::string text = "LWSC\n2\n\nLoadObject cube.lwo\nObjectMotion (unnamed)\n  9\n"
                             "  2\n  0 0 2 0 0 0\n  3 1 2 0 0 0\n"
                             "  0\n  0\n  1\n  90 0 2 0 0 0\n  0\n  0\n  0\n  0\n  0\n"
                             "Pre/PostBehavior 0 2 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n"
                             "AddLight\nLightColor 255 0 51\nLgtIntensity (envelope)\n  1\n  1\n"
                             "  0.5 0 2 0 0 0\n"
                             "AmbientColor 255 255 0\nAmbIntensity 0.1\n";
    const Parsed q = parse(text);
    ASSERT_EQ(q.ok, 1) << q.problem;
    const LaterItem& cube = q.scene->items[0];
    EXPECT_EQ(cube.channels[0].pre, EnvelopeBehavior::Reset);
    EXPECT_EQ(cube.channels[0].post, EnvelopeBehavior::Repeat);
    EXPECT_EQ(cube.channels[0].keys[1].shape, KeyShape::Tcb) << "span 2 is TCB";
    EXPECT_NEAR(channelValue(cube, 0, 1.5), 1.5, 1e-12) << "repeated from the first key";
    EXPECT_NEAR(channelValue(cube, 3, 0.0), kPi / 2, 1e-12) << "headings are degrees";
    const LaterItem& light = q.scene->items[1];
    EXPECT_NEAR(light.color[2], 0.2, 1e-12);
    EXPECT_EQ(animatedValue(light.intensity, 9.0), 0.5);
    EXPECT_EQ(q.scene->ambientColor[1], 1.0);
    EXPECT_EQ(q.scene->ambientColor[2], 0.0);
}

TEST(LaterSceneSyntax, RefusesWhatItCannotReadAndSaysWhere) {
    const std::string head = "LWSC\n3\n\n";
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"LWSB\n3\n", "line 1: not a LightWave scene file (it does not start with LWSC)"},
        {"LWSC\n9\n", "line 2: scene version 9 (versions 2 to 5 are read here)"},
        {head + "LoadObjectLayer 1\n", "line 4: an object without its file name"},
        {head + "LoadObjectLayer x.lwo\n", "line 4: LoadObjectLayer needs a layer number from 1"},
        {head + "LoadObject a.lwo\nObjectMotion\nChannel 0\n{ Envelope\n  5000\n  Key 1 0\n}\n",
         "line 8: 5000 keys, more than the rest of the file holds"},
        {head + "LoadObject a.lwo\nObjectMotion\nChannel 0\n{ Envelope\n  1\n  Key 1 zero\n}\n",
         "line 9: a key without its value and time"},
        {head + "LoadObject a.lwo\nObjectMotion\nChannel 0\n{ Envelope\n  1\n  Key 1 0\n",
         "line 7: an envelope that is never closed"},
        {head + "{ APS\n  { VParm\n}\n", "line 4: a block that is never closed"},
        {head + "Plugin A 1 B\n", "line 4: a Plugin without its EndPlugin"},
        {head + "LoadObject a.lwo\nParentItem 1000000e\n",
         "line 4: the parent 1000000E of this item is no item of the scene"},
        {head + "AddCamera\nTargetItem 10000000\n",
         "line 4: the target 10000000 of this item is no item of the scene"},
        {head + "AddNullObject A\nParentItem 10000001\nAddNullObject B\nParentItem 10000000\n",
         "line 4: this item is its own ancestor (its parents form a loop)"},
        {head + "FramesPerSecond 0\n",
         "line 4: FramesPerSecond 0: give a rate above 0 and at most 1000"},
        {"LWSC\n2\n\nLoadObject a.lwo\nObjectMotion (unnamed)\n  9\n  1\n  one 0 2 0 0 0\n",
         "line 8: a key that is not \"value time span ...\": one 0 2 0 0 0"},
        {[] {
             std::string text = "LWSC\n3\n\n";
             for (int32_t i = 0; i <= kLaterItemCapacity; ++i) {
                 text += "AddNullObject N\n";
             }
             return text;
         }(),
         "line 260: more than 256 items (objects, nulls, lights and cameras)"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.text);
        EXPECT_EQ(p.ok, 0) << c.problem;
        EXPECT_EQ(p.problem, c.problem);
    }
}

// The curves of the real files at frames 10, 20, 30, 50, 60 and 90 (30 fps), worked out
// from the formulas: the linear and stepped ones by hand, the spline ones by the
// Hermite form with the tangents the file itself records for its interior keys.
TEST(RealLaterScenes, CubesMoveAlongTheirEnvelopes) {
    const struct {
        const char* file;
        double x[6];
    } cases[] = {
        {"move_xz_spline.lws", {1.2814, 2.0153, 1.6887, 0.2142, -0.5230, -0.5230}},
        {"move_xz_linear.lws", {0.9625, 1.9249, 1.3129, 0.0890, -0.5230, -0.5230}},
        {"move_x_post_repeat.lws", {1.4414, 2.1382, 0.5023, 1.5814, 2.0801, 1.7118}},
    };
    const int32_t frames[] = {10, 20, 30, 50, 60, 90};
    for (const auto& c : cases) {
        const Parsed p = parse(laterTestFile(std::string("scenes/") + c.file));
        ASSERT_EQ(p.ok, 1) << c.file << ": " << p.problem;
        ASSERT_EQ(p.scene->items[0].kind, LaterItemKind::Object);
        for (int32_t i = 0; i < 6; ++i) {
            EXPECT_NEAR(xAt(*p.scene, 0, frames[i]), c.x[i], 5e-5)
                << c.file << " at frame " << frames[i];
        }
    }
}

TEST(RealLaterScenes, VersionTwoAndFiveOfOneSceneAgree) {
    const Parsed two = parse(laterTestFile("scenes/move_x_oldformat_56.lws"));
    const Parsed five = parse(laterTestFile("scenes/move_x.lws"));
    ASSERT_EQ(two.ok, 1) << two.problem;
    ASSERT_EQ(five.ok, 1) << five.problem;
    ASSERT_EQ(two.scene->itemCount, 3);
    ASSERT_EQ(five.scene->itemCount, 3);
    // Version 2 writes seven digits (0.6666667 s), so the curves agree to about 1e-6.
    for (int32_t item = 0; item < 3; ++item) {
        for (int32_t c = 0; c < kItemChannelCount; ++c) {
            for (int32_t frame = 0; frame <= 60; frame += 5) {
                EXPECT_NEAR(channelValue(two.scene->items[item], c, frame / 30.0),
                            channelValue(five.scene->items[item], c, frame / 30.0), 1e-5)
                    << "item " << item << " channel " << c << " frame " << frame;
            }
        }
    }
    EXPECT_NEAR(two.scene->items[1].channels[3].keys[0].value, 0.785398, 1e-6);
    EXPECT_EQ(two.scene->items[1].color[0], 1.0);
    EXPECT_EQ(five.scene->items[2].kind, LaterItemKind::Camera);
}
