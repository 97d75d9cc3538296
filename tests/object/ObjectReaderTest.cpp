#include "ObjectTestSupport.h"

using lwob::f32;
using lwob::u16;
using lwob::u32;

namespace {

using ObjectReaderTest = ObjectTest;

LwobSurface red() {
    return LwobSurface().color(255, 0, 0);
}

} // namespace

TEST_F(ObjectReaderTest, ChunksAreFoundByTagInAnyOrderWithForeignChunksBetween) {
    LwobWriter lwob;
    lwob.surface("B", red())
        .chunk("CRAP", "some other data")
        .triangles({{2, 1, 0, 2}, {0, 1, 3, 1}})
        .chunk("XXXX", "")
        .surfaceNames({"A", "B"})
        .points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(mesh().polygonCount, 2);
    EXPECT_EQ(mesh().polygons[0].surface, 1);
    EXPECT_EQ(mesh().polygons[1].corners[2].pointIndex, 3);
    EXPECT_EQ(mesh().points[3].position[0], 1.0f);
    EXPECT_EQ(mesh().points[3].position[3], 1.0f);
    EXPECT_STREQ(mesh().surfaceNames[1], "B");
    EXPECT_EQ(mesh().surfaces[1].color[0], 255.0f / 256.0f);
    EXPECT_EQ(errorLog(), "");
}

TEST_F(ObjectReaderTest, TheFirstOccurrenceOfATagWinsEvenInsideAnotherChunk) {
    // A foreign chunk whose data spells a PNTS chunk of one point, before the real one.
    LwobWriter lwob;
    lwob.chunk("NOTE", "PNTS" + u32(36) + f32(7) + f32(8) + f32(9) + f32(1) + f32(1) + f32(1) +
                           f32(2) + f32(2) + f32(2))
        .points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .surfaceNames({"A"})
        .triangles({{0, 1, 2, 1}});
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(mesh().points[0].position[0], 7.0f);
    EXPECT_EQ(mesh().points[0].position[2], 9.0f);
}

TEST_F(ObjectReaderTest, PointsLengthIsRoundedDownToWholePoints) {
    // 3 points and 5 stray bytes that the tag scans pass over.
    LwobWriter lwob;
    lwob.chunk("PNTS", f32(0) + f32(0) + f32(0) + f32(1) + f32(0) + f32(0) + f32(0) + f32(1) +
                           f32(0) + "abcde")
        .surfaceNames({"A"})
        .triangles({{0, 1, 2, 1}});
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(mesh().pointCount, 3);
}

TEST_F(ObjectReaderTest, SurfaceNamesLongerThanASlotAreCutAndStillMeetTheirSurface) {
    const std::string name(300, 'n');
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .surfaceNames({name, "B"})
        .triangles({{0, 1, 2, 1}})
        .surface(name, red());
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(std::string(mesh().surfaceNames[0]), name.substr(0, 254));
    EXPECT_STREQ(mesh().surfaceNames[1], "B");
    EXPECT_EQ(mesh().surfaces[0].color[0], 255.0f / 256.0f);
}

TEST_F(ObjectReaderTest, ReloadingASlotReplacesEverythingOfTheEarlierObject) {
    LwobWriter first;
    first.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}})
        .surfaceNames({"A", "B"})
        .triangles({{0, 1, 2, 1}, {1, 2, 3, 2}})
        .surface("B", LwobSurface().reflection(128));
    ASSERT_EQ(load(first, "first.lwo"), 1);
    EXPECT_EQ(mesh().anyReflective, 1);

    ASSERT_EQ(load(oneTriangle(), "second.lwo"), 1);
    EXPECT_EQ(mesh().pointCount, 3);
    EXPECT_EQ(mesh().polygonCount, 1);
    EXPECT_EQ(mesh().surfaceCount, 1);
    EXPECT_EQ(mesh().anyReflective, 0);
    EXPECT_EQ(object_->boundingBox[0][0], 1.0f);

    // A failed load leaves a clean slot for the next attempt.
    writeFile("quad.lwo", LwobWriter()
                              .points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}})
                              .surfaceNames({"A"})
                              .polygons({{{0, 1, 3, 2}, 1}})
                              .bytes());
    EXPECT_EQ(object_->loadObject(*textures_, "quad.lwo"), 0);
    expectEmptySlot();
    EXPECT_EQ(mesh().anyReflective, 0);
}

TEST_F(ObjectReaderTest, AnObjectWithoutPointsLoadsEmptyWithItsBoxAtTheOrigin) {
    ASSERT_EQ(load(LwobWriter().points({}).triangles({}).surfaceNames({})), 1);
    EXPECT_EQ(mesh().pointCount, 0);
    EXPECT_EQ(mesh().surfaceCount, 0);
    EXPECT_EQ(object_->boundingBox[6][0], 0.0f);
    EXPECT_EQ(object_->boundingBox[6][3], 1.0f);
}

TEST_F(ObjectReaderTest, AFileThatCannotBeOpenedFailsWithoutALogLine) {
    EXPECT_EQ(object_->loadObject(*textures_, "objects\\missing.lwo"), 0);
    expectEmptySlot();
    EXPECT_FALSE(fileExists("error.txt"));
}

// Each file is refused: the load returns 0, the slot stays empty and a line on standard
// error says why (error.txt keeps the player's own lines only).
// (Missing chunks and lying lengths are in the hostile corpus.)
struct Malformation {
    const char* name;
    std::string bytes;
    const char* reason;
};

void PrintTo(const Malformation& malformation, std::ostream* out) {
    *out << malformation.name;
}

class UnusableObjectTest : public ObjectTest, public ::testing::WithParamInterface<Malformation> {};

TEST_P(UnusableObjectTest, FailsTheLoadAndSaysWhy) {
    writeFile("bad.lwo", GetParam().bytes);
    EXPECT_EQ(object_->loadObject(*textures_, "bad.lwo"), 0);
    expectEmptySlot();
    const std::string why = refusal();
    EXPECT_EQ(why.rfind("unusable object file bad.lwo: ", 0), 0u) << why;
    EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
    EXPECT_FALSE(fileExists("error.txt"));
    EXPECT_EQ(textures_->count, 0); // refused before any surface loads an image
}

namespace {

const std::vector<std::array<float, 3>> kThreePoints = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

std::string withTriangles(const std::vector<std::array<uint16_t, 4>>& triangles, int surfaces = 1) {
    std::vector<std::string> names;
    for (int i = 0; i < surfaces; ++i) {
        names.push_back(std::string(1, static_cast<char>('A' + i)));
    }
    LwobSurface texture =
        LwobSurface().texture("CTEX", "Planar Image Map").textureImage("wood.iff");
    return LwobWriter()
        .points(kThreePoints)
        .surfaceNames(names)
        .triangles(triangles)
        .surface("A", texture)
        .bytes();
}

std::string pointsThenRaw(const std::string& raw) {
    return LwobWriter().points(kThreePoints).raw(raw).bytes();
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    ObjectReader, UnusableObjectTest,
    ::testing::Values(Malformation{"NoPolygons",
                                   LwobWriter().points(kThreePoints).surfaceNames({}).bytes(),
                                   "no POLS chunk"},
                      Malformation{"PointIndexPastTheLastPoint", withTriangles({{0, 1, 3, 1}}),
                                   "polygon 1 uses point 3; PNTS holds 3 points"},
                      Malformation{"SurfaceNumberZero", withTriangles({{0, 1, 2, 1}, {0, 1, 2, 0}}),
                                   "polygon 2 uses surface 0; SRFS names 1 surfaces"},
                      Malformation{"SurfaceNumberPastTheLastName", withTriangles({{0, 1, 2, 3}}, 2),
                                   "polygon 1 uses surface 3; SRFS names 2 surfaces"},
                      Malformation{"LengthCutByTheEnd", pointsThenRaw("POLS" + u16(0)),
                                   "the POLS tag at byte 56 is cut off by the end of the file"},
                      Malformation{"MoreNamesThanSurfaceNumbers", manyNames(65536),
                                   "SRFS names 65536 surfaces; at most 65535"}),
    [](const auto& info) { return std::string(info.param.name); });
