// Objects written by real modelling software, as users bring them: refused by the
// player's reader (triangles only), loaded by the triangulating one that ember uses.
#include <array>

#include "ObjectTestSupport.h"
#include "content/Triangulator.h"
#include "object/MeshPreparation.h"
#include "object/ObjectLoadFailure.h"
#include "player/ReaderExtensions.h"
#include "support/TestData.h"

using lwob::u16;

namespace {

using RealObjectTest = ObjectTest;

// The reader as the ember tool runs it.
class TriangulatingReaderTest : public ObjectTest {
protected:
    void SetUp() override {
        ObjectTest::SetUp();
        readerExtensions().triangulatePolygons = &triangulatePolygon;
    }
    void TearDown() override {
        readerExtensions().triangulatePolygons = nullptr;
        ObjectTest::TearDown();
    }
    int32_t loadReal(const char* name) {
        writeFile(name, realLwobFile(name));
        return object_->loadObject(*textures_, name);
    }
    const PolygonCensus& census() { return mesh().census; }
};

// The face normal of triangle t, as mesh preparation computes it.
std::array<float, 3> faceNormalOf(const Mesh& mesh, int32_t t) {
    const MeshPolygon& p = mesh.polygons[t];
    std::array<float, 3> n{};
    faceNormal(mesh.points[p.corners[0].pointIndex].position,
               mesh.points[p.corners[1].pointIndex].position,
               mesh.points[p.corners[2].pointIndex].position, n.data());
    return n;
}

} // namespace

TEST_F(RealObjectTest, PolygonsOfMoreThanThreeCornersAreRefused) {
    const std::pair<const char*, const char*> files[] = {
        {"box1.5.lwo", "polygon 1 has 4 corners"},
        {"sphere_with_mat_gloss_10pc.lwo", "has 4 corners"},
        {"ConcavePolygon.lwo", "polygon 1 has 66 corners"}};
    for (const auto& [name, reason] : files) {
        writeFile(name, realLwobFile(name));
        EXPECT_EQ(object_->loadObject(*textures_, name), 0) << name;
        expectEmptySlot();
        EXPECT_NE(refusal().find(std::string(name) + ": "), std::string::npos);
        EXPECT_NE(refusal().find(reason), std::string::npos) << refusal();
        EXPECT_NE(refusal().find("ember convert demo"), std::string::npos) << refusal();
    }
}

TEST_F(TriangulatingReaderTest, ABoxLoadsItsSixSurfacesFacingOutwards) {
    ASSERT_EQ(loadReal("box1.5.lwo"), 1) << errorLog();
    const char* names[] = {"Bottom", "Back", "Right", "Front", "Left", "Top"};
    ASSERT_EQ(mesh().surfaceCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(mesh().surfaceNames[i], names[i]);
        // The modeller writes REFL and TRAN of 0 for every surface: both flags are set.
        EXPECT_EQ(mesh().surfaces[i].reflective, 1);
        EXPECT_EQ(mesh().surfaces[i].transparent, 1);
    }
    ASSERT_EQ(mesh().polygonCount, 12);
    EXPECT_EQ(mesh().pointCount, 24); // each corner of the box on three surfaces
    EXPECT_EQ(census().largest, 4);
    EXPECT_EQ(census().byCorners[4], 6);
    // Both triangles of a side have its surface and face the same way, away from the
    // box's centre as LightWave's clockwise winding makes them (the face normal of
    // mesh preparation points inwards for it).
    for (int32_t t = 0; t < 12; ++t) {
        const MeshPolygon& p = mesh().polygons[t];
        EXPECT_EQ(p.surface, t / 2);
        const std::array<float, 3> n = faceNormalOf(mesh(), t);
        const float* corner = mesh().points[p.corners[0].pointIndex].position;
        EXPECT_LT(n[0] * corner[0] + n[1] * corner[1] + n[2] * corner[2], 0.0f) << t;
    }
}

TEST_F(TriangulatingReaderTest, PolygonsOfEverySizeAndDetailPolygonsAreReadAsWritten) {
    // Points: a unit square 0-3, an L hexagon 4-9 (reflex corner 7), points 10-12 on a line.
    LwobWriter lwob;
    lwob.points({{0, 0, 0},
                 {1, 0, 0},
                 {1, 1, 0},
                 {0, 1, 0},
                 {0, 0, 1},
                 {2, 0, 1},
                 {2, 1, 1},
                 {1, 1, 1},
                 {1, 2, 1},
                 {0, 2, 1},
                 {5, 5, 5},
                 {6, 5, 5},
                 {7, 5, 5}})
        .surfaceNames({"Square", "L", "Detail"})
        .surface("Square", LwobSurface()
                               .texture("CTEX", "Planar Image Map")
                               .textureImage("wood.iff")
                               .textureFlags(4)
                               .textureSize(1, 1, 1)
                               .textureCenter(0.5f, 0.5f, 0));
    const auto polygon = [](std::initializer_list<uint16_t> points, int16_t surface) {
        std::string bytes = u16(static_cast<uint16_t>(points.size()));
        for (uint16_t p : points) {
            bytes += u16(p);
        }
        return bytes + u16(static_cast<uint16_t>(surface));
    };
    lwob.chunk("POLS", polygon({0, 1, 2, 3}, -1) + u16(2) +          // square with two details:
                           polygon({0, 1, 2}, 3) +                   //   a triangle
                           polygon({10, 11}, 3) +                    //   a line
                           polygon({4, 5, 6, 7, 8, 9}, 2) +          // the L
                           polygon({10}, 1) +                        // a point
                           polygon({10, 11, 12, 11}, 1) +            // no area
                           polygon({2, 1, 0}, 1) + u16(3) + u16(0)); // then one cut off: ignored
    ASSERT_EQ(load(lwob), 1) << errorLog();
    ASSERT_EQ(mesh().polygonCount, 2 + 1 + 4 + 1);
    const int32_t surfaces[] = {0, 0, 2, 1, 1, 1, 1, 0};
    for (int32_t t = 0; t < 8; ++t) {
        EXPECT_EQ(mesh().polygons[t].surface, surfaces[t]) << t;
    }
    EXPECT_EQ(census().largest, 6);
    EXPECT_EQ(census().byCorners[4], 2);
    EXPECT_EQ(census().byCorners[2], 1);
    EXPECT_EQ(census().detailPolygons, 2);
    EXPECT_EQ(census().pointsAndLines, 2);
    EXPECT_EQ(census().degenerate, 1);
    // The square's planar map reaches every corner of its triangles: (1, 1) is u 256, v 0.
    for (int32_t t = 0; t < 2; ++t) {
        for (const PolygonCorner& c : mesh().polygons[t].corners) {
            const float* p = mesh().points[c.pointIndex].position;
            EXPECT_EQ(c.u, p[0] * 256.0f);
            EXPECT_EQ(c.v, (1.0f - p[1]) * 256.0f);
        }
    }
}

TEST_F(TriangulatingReaderTest, ATextureCoordinateFileFollowsTheTriangles) {
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}})
        .surfaceNames({"A"})
        .polygons({{{0, 1, 2, 3}, 1}});
    std::string txc;
    for (int i = 0; i < 12; ++i) {
        const float value = static_cast<float>(i);
        txc.append(reinterpret_cast<const char*>(&value), 4); // little-endian host
    }
    writeFile("test.txc", txc);
    ASSERT_EQ(load(lwob), 1) << errorLog();
    ASSERT_EQ(mesh().polygonCount, 2);
    EXPECT_EQ(mesh().polygons[1].corners[2].u, 10.0f);
    EXPECT_EQ(mesh().polygons[1].corners[2].v, 11.0f);
}

TEST_F(TriangulatingReaderTest, RefusalsNameThePolygonAsTheFileNumbersIt) {
    const auto refusal = [&](const std::vector<LwobPolygon>& polygons) {
        LwobWriter lwob;
        lwob.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}})
            .surfaceNames({"A"})
            .polygons(polygons);
        EXPECT_EQ(load(lwob), 0);
        return std::string(lastRefusal());
    };
    EXPECT_NE(refusal({{{0, 1}, 1}, {{0, 1, 2, 3}, 2}}).find("polygon 2 uses surface 2"),
              std::string::npos);
    EXPECT_NE(refusal({{{0, 1, 2, 3}, 1}, {{4, 0, 1}, 1}}).find("polygon 2 uses point 4"),
              std::string::npos);
}
