// ember convert object and demo: real objects into files the player loads; nothing left
// behind when it cannot.
#include <memory>
#include <tuple>

#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "support/EmberProgram.h"
#include "support/TestData.h"
#include "support/TestDemo.h"
#include "texture/TextureTable.h"

namespace {

using ConvertCommandsTest = EmberProgramTest;

// Loads with the player's reader (triangles only); the triangle count, or -1.
int32_t playerTriangles(const char* path, float* lastU = nullptr) {
    setLoaderTraceStream(nullptr);
    auto textures = std::make_unique<TextureTable>();
    auto object = std::make_unique<SceneObject>();
    const int32_t loaded = object->loadObject(*textures, path);
    usePlayerDiagnostics();
    if (loaded == 1 && lastU != nullptr) {
        *lastU = object->mesh.polygons[object->mesh.polygonCount - 1].corners[2].u;
    }
    return loaded == 1 ? object->mesh.polygonCount : -1;
}

} // namespace

TEST_F(ConvertCommandsTest, RealObjectsBecomeObjectsThePlayerLoads) {
    const std::tuple<const char*, int32_t, const char*> files[] = {
        {"box1.5.lwo", 12, "6 polygons as 12 triangles"},
        {"sphere_with_mat_gloss_10pc.lwo", 528, "288 polygons as 528 triangles"},
        {"ConcavePolygon.lwo", 64, "1 polygon as 64 triangles"}};
    for (const auto& [name, triangles, shape] : files) {
        writeFile(name, realLwobFile(name));
        EXPECT_EQ(playerTriangles(name), -1) << name;
        ASSERT_EQ(run(std::string("convert object ") + name + " out.lwo"), 0) << err;
        EXPECT_EQ(out + err, std::string("wrote out.lwo: ") + shape + "\n");
        EXPECT_EQ(playerTriangles("out.lwo"), triangles) << name;
        EXPECT_FALSE(fileExists("out.txc"));
    }
}

TEST_F(ConvertCommandsTest, TextureCoordinatesOfTheObjectGoBesideIt) {
    writeFile("box.lwo", realLwobFile("box1.5.lwo"));
    std::string txc;
    for (int i = 0; i < 12 * 6; ++i) {
        const float value = static_cast<float>(i);
        txc.append(reinterpret_cast<const char*>(&value), 4);
    }
    writeFile("box.txc", txc);
    ASSERT_EQ(run("convert object box.lwo out.lwo"), 0) << err;
    EXPECT_EQ(readFile("out.txc"), txc);
    float lastU = 0;
    EXPECT_EQ(playerTriangles("out.lwo", &lastU), 12);
    EXPECT_EQ(lastU, 70.0f);
}

TEST_F(ConvertCommandsTest, AFailureLeavesTheOutputAsItWas) {
    writeFile("out.lwo", "old");
    writeFile("broken.lwo", realLwobFile("box1.5.lwo").substr(0, 100));
    EXPECT_EQ(run("convert object broken.lwo out.lwo"), 1);
    EXPECT_NE(err.find("ember: unusable object file broken.lwo"), std::string::npos) << err;
    EXPECT_EQ(readFile("out.lwo"), "old");
    writeFile("box.lwo", realLwobFile("box1.5.lwo"));
    writeFile("out.txc", "stale");
    EXPECT_EQ(run("convert object box.lwo out.lwo"), 1);
    EXPECT_NE(err.find("out.txc lies beside the output"), std::string::npos) << err;
    EXPECT_EQ(readFile("out.lwo"), "old");
    EXPECT_EQ(run("convert demo missing new"), 1);
    EXPECT_FALSE(fileExists("new"));
}

TEST_F(ConvertCommandsTest, ADemoOfQuadsAndPicturesBecomesADemoThePlayerPlays) {
    ASSERT_TRUE(test_demo::writeTestDemo("real", 30, false, true));
    writeFile("real/error.txt", "failed opening object: objects\\cube.lwo\n"); // an earlier try
    ASSERT_EQ(run("convert demo real playable"), 0) << err;
    EXPECT_EQ(out, "converted objects\\cube.lwo: 6 polygons as 12 triangles\n"
                   "converted textures\\flare.3df from a PNG picture\n"
                   "wrote playable: 1 object and 1 picture converted\n");
    EXPECT_EQ(playerTriangles("real/objects/cube.lwo"), -1) << "the source is left as it was";
    EXPECT_EQ(playerTriangles("playable/objects/cube.lwo"), 12);
    EXPECT_TRUE(fileExists("playable/textures/flare.3df"));
    EXPECT_FALSE(fileExists("playable/error.txt")) << "the player's log of the source";
}
