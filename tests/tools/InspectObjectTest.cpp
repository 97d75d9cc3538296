// ember inspect object: the mesh as the player loads it, on standard output.
#include <nlohmann/json.hpp>

#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "support/EmberProgram.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

namespace {

using InspectObjectTest = EmberProgramTest;

LwobWriter twoSurfaces() {
    LwobWriter lwob;
    lwob.points({{0.1f, 0, 0}, {1, 0, 0.3f}, {0, 1.7f, 0}, {-2, -1, 1e-7f}})
        .surfaceNames({"Wood", "Glass"})
        .triangles({{0, 1, 2, 1}, {2, 1, 3, 2}})
        .surface("Wood", LwobSurface()
                             .color(200, 100, 50)
                             .texture("CTEX", "Planar Image Map")
                             .textureImage("wood.iff")
                             .textureFlags(4)
                             .textureSize(0.7f, 0.3f, 1))
        .surface("Glass", LwobSurface().transparency(100).reflection(30).flags(0x104));
    return lwob;
}

float asFloat(const nlohmann::json& value) {
    return static_cast<float>(value.get<double>());
}

} // namespace

TEST_F(InspectObjectTest, FullJsonHoldsTheLoadedMeshExactly) {
    writeFile("objects/thing.lwo", twoSurfaces().bytes());
    ASSERT_EQ(run("inspect object 'objects\\thing.lwo' --json --full"), 0) << err;
    const nlohmann::json json = nlohmann::json::parse(out);

    setLoaderTraceStream(nullptr);
    auto textures = std::make_unique<TextureTable>();
    auto object = std::make_unique<SceneObject>();
    ASSERT_EQ(object->loadObject(*textures, "objects/thing.lwo"), 1);
    usePlayerDiagnostics();
    const Mesh& mesh = object->mesh;

    EXPECT_EQ(json["file"]["found"], "objects/thing.lwo");
    const nlohmann::json& m = json["mesh"];
    ASSERT_EQ(m["pointCount"], mesh.pointCount);
    ASSERT_EQ(m["polygonCount"], 2);
    EXPECT_EQ(m["surfaceNames"], nlohmann::json({"Wood", "Glass"}));
    EXPECT_EQ(m["anyReflective"], 1);
    ASSERT_EQ(m["points"].size(), static_cast<size_t>(mesh.pointCount));
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        const nlohmann::json& p = m["points"][i];
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(asFloat(p["position"][a]), mesh.points[i].position[a]);
            EXPECT_EQ(asFloat(p["normal"][a]), mesh.points[i].normal[a]);
            EXPECT_EQ(asFloat(p["color"][a]), mesh.points[i].color[a]);
        }
        EXPECT_EQ(p["surface"], mesh.points[i].surface);
    }
    for (int32_t t = 0; t < 2; ++t) {
        EXPECT_EQ(m["polygons"][t]["surface"], mesh.polygons[t].surface);
        for (int k = 0; k < 3; ++k) {
            const nlohmann::json& c = m["polygons"][t]["corners"][k];
            EXPECT_EQ(c["pointIndex"], mesh.polygons[t].corners[k].pointIndex);
            EXPECT_EQ(asFloat(c["u"]), mesh.polygons[t].corners[k].u);
            EXPECT_EQ(asFloat(c["v"]), mesh.polygons[t].corners[k].v);
        }
    }
    const nlohmann::json& wood = m["surfaces"][0];
    EXPECT_EQ(wood["textureMapping"], 1);
    EXPECT_EQ(wood["textureAxis"], 3);
    EXPECT_EQ(asFloat(wood["textureSize"][0]), 0.7f);
    EXPECT_EQ(asFloat(m["surfaces"][1]["transparency"]), 100.0f / 256.0f);
    EXPECT_EQ(m["surfaces"][1]["doubleSided"], 1);
    EXPECT_EQ(asFloat(json["boundingBox"][6][0]), -2.0f);
    EXPECT_EQ(json["textures"]["slots"][0]["path"], "textures\\wood.3df");
    EXPECT_EQ(err, "ember: warning: UNABLE TO OPEN TEXTURE textures\\wood.3df\n");
}

TEST_F(InspectObjectTest, ASummaryByDefaultThePointsAndPolygonsWithFull) {
    writeFile("thing.lwo", twoSurfaces().bytes());
    ASSERT_EQ(run("inspect object thing.lwo --json"), 0) << err;
    EXPECT_FALSE(nlohmann::json::parse(out)["mesh"].contains("points"));
    ASSERT_EQ(run("inspect object thing.lwo"), 0) << err;
    for (const char* expected : {"  pointCount: 6\n", "  surfaceNames: [Wood, Glass]\n",
                                 "      transparency: 0.390625\n", "      isLoaded: 0\n"}) {
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    }
    EXPECT_EQ(out.find("\npoints:\n"), std::string::npos);
    ASSERT_EQ(run("--trace-loaders inspect object thing.lwo --full"), 0) << err;
    EXPECT_NE(out.find("\npoints:\n  0 position (0.1, 0.0, 0.0, 1.0) normal ("), std::string::npos)
        << out;
    EXPECT_NE(out.find("\npolygons:\n  0 surface 0  0 uv ("), std::string::npos) << out;
    EXPECT_EQ(err.rfind("SURF\nCOLR\nr:200 g:100 b:50\n", 0), 0u) << err;
}

TEST_F(InspectObjectTest, PolygonsOfAnySizeAreCountedByCornersAndWhatWasSkipped) {
    writeFile("mixed.lwo", LwobWriter()
                               .points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 2, 0}})
                               .surfaceNames({"A"})
                               .polygons({{{0, 1, 3, 2}, 1}, {{0, 4}, 1}, {{0, 1, 0, 1}, 1}})
                               .bytes());
    ASSERT_EQ(run("inspect object mixed.lwo"), 0) << err;
    EXPECT_NE(out.find("polygonCensus:\n  polygonsByCorners:\n    2: 1\n    4: 2\n"
                       "  trianglesMade: 2\n  detailPolygons: 0\n  skippedPointsAndLines: 1\n"
                       "  skippedWithoutArea: 1\n"),
              std::string::npos)
        << out;
}

TEST_F(InspectObjectTest, AnUnusableFileIsOneLineOnStandardErrorAndStatusOne) {
    writeFile("quad.lwo", LwobWriter()
                              .points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}})
                              .surfaceNames({"A"})
                              .polygons({{{0, 1, 7, 2}, 1}})
                              .bytes());
    EXPECT_EQ(run("inspect object quad.lwo --json"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "ember: unusable object file quad.lwo: polygon 1 uses point 7; PNTS holds 4 "
                   "points\n");
    EXPECT_EQ(run("inspect object missing.lwo"), 1);
    EXPECT_EQ(err, "ember: cannot open object file missing.lwo\n");
}
