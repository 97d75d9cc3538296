// Malformed object files: each with what the reader does with it. Every case also goes
// through the fuzz driver, which checks what a load promises.
#include <memory>
#include <string>
#include <vector>

#include "FuzzContent.h"
#include "HostileTestSupport.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

using lwob::f32;
using lwob::u16;
using lwob::u32;

namespace {

const std::vector<std::array<float, 3>> kTriangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

// An object of one triangle whose surface "A" is described by `surface`.
std::string triangleWith(const LwobSurface& surface) {
    return LwobWriter()
        .points(kTriangle)
        .surfaceNames({"A"})
        .triangles({{0, 1, 2, 1}})
        .surface("A", surface)
        .bytes();
}

// The chunks of a one-triangle object with one of them replaced by `raw` bytes.
std::string triangleWithRaw(const std::string& tag, const std::string& raw) {
    LwobWriter lwob;
    tag == "PNTS" ? lwob.raw(raw) : lwob.points(kTriangle);
    tag == "POLS" ? lwob.raw(raw) : lwob.triangles({{0, 1, 2, 1}});
    tag == "SRFS" ? lwob.raw(raw) : lwob.surfaceNames({"A"});
    tag == "SURF" ? lwob.raw(raw) : lwob.surface("A", LwobSurface().color(10, 20, 30));
    return lwob.bytes();
}

struct Expected {
    int32_t loads;
    std::string said;    // a part of the refusal or of error.txt; "" when nothing is said
    int32_t points = -1; // after a load, when given
    int32_t polygons = -1;
};

struct Case {
    const char* name;
    std::string object;
    Expected expected;
    std::string coordinates = ""; // the .txc beside it, when not empty
};

std::vector<Case> cases() {
    const std::string longName(10000, 'n');
    const std::string nanFloats(24 * 1000, '\xFF'); // six NaNs per triangle, 1000 triangles
    return {
        {"EmptyFile", "", {0, "unusable object file objects/hostile.lwo: no PNTS chunk"}},
        {"TagsInLowerCase", triangleWithRaw("PNTS", "pnts" + u32(0)), {0, "no PNTS chunk"}},
        {"WrongTagLetter",
         triangleWithRaw("SRFS", "SRFZ" + u32(2) + "A" + std::string(1, '\0')),
         {0, "no SRFS chunk"}},
        {"PointsLengthZero",
         LwobWriter().raw("PNTS" + u32(0)).triangles({}).surfaceNames({"A"}).bytes(),
         {1, "", 0, 0}},
        {"PolygonsLengthZero", triangleWithRaw("POLS", "POLS" + u32(0)), {1, "", 3, 0}},
        {"NamesLengthZeroUnderPolygons",
         triangleWithRaw("SRFS", "SRFS" + u32(0)),
         {0, "polygon 1 uses surface 1; SRFS names 0 surfaces"}},
        {"SurfaceLengthZero", triangleWithRaw("SURF", "SURF" + u32(0)), {1, "", 3, 1}},
        {"PointsLengthAllOnes",
         triangleWithRaw("PNTS", "PNTS" + u32(0xFFFFFFFF)),
         {0, "has length 4294967295, which runs past the end of the file"}},
        {"PolygonsLengthAllOnes",
         triangleWithRaw("POLS", "POLS" + u32(0xFFFFFFFF)),
         {0, "the POLS chunk at byte"}},
        {"NamesLengthAllOnes",
         triangleWithRaw("SRFS", "SRFS" + u32(0xFFFFFFFF)),
         {0, "the SRFS chunk at byte"}},
        {"SurfaceLengthAllOnes",
         triangleWithRaw("SURF", "SURF" + u32(0xFFFFFFFF) + "A"),
         {1, "", 3, 1}},
        {"PointsCutInTheMiddle",
         LwobWriter().raw("PNTS" + u32(36) + f32(1) + f32(2)).bytes(),
         {0, "the PNTS chunk at byte 12 has length 36, which runs past the end"}},
        {"PolygonCountOfMillions",
         triangleWithRaw("POLS", "POLS" + u32(0x7FFFFFF0) + u16(3)),
         {0, "has length 2147483632, which runs past the end of the file"}},
        {"PointIndexAtTheU16Limit",
         triangleWithRaw("POLS", "POLS" + u32(10) + u16(3) + u16(0) + u16(1) + u16(65535) + u16(1)),
         {0, "polygon 1 uses point 65535; PNTS holds 3 points"}},
        {"PolygonOfNoCorners",
         triangleWithRaw("POLS", "POLS" + u32(10) + std::string(10, '\0')),
         {0, "polygon 1 has 0 corners"}},
        {"NameWithoutTerminatorAtTheEnd",
         LwobWriter()
             .points(kTriangle)
             .triangles({{0, 1, 2, 1}})
             .raw("SRFS" + u32(3) + "Abc")
             .bytes(),
         {1, "", 3, 1}},
        {"NamesOfTenThousandCharacters",
         LwobWriter()
             .points(kTriangle)
             .surfaceNames({longName})
             .triangles({{0, 1, 2, 1}})
             .surface(longName, LwobSurface().flags(0x100))
             .bytes(),
         {1, "", 3, 1}},
        {"ImageNameOfTenThousandCharacters",
         triangleWith(LwobSurface().texture("CTEX", "Planar Image Map").textureImage(longName)),
         {1, "TEXTURE PATH TOO LONG textures\\nnnn", 3, 1}},
        {"ImageNameRunningToTheEndOfTheFile",
         triangleWithRaw("SURF",
                         "SURF" + u32(11) + "A" + std::string(1, '\0') + "RIMG" + u16(100) + "sky"),
         {1, "UNABLE TO OPEN TEXTURE textures\\sky.3df", 3, 1}},
        {"SubChunkLengthsThatLie",
         triangleWith(LwobSurface()
                          .subChunk("COLR", "")
                          .raw(std::string(4, '\x7F'))
                          .subChunk("FLAG", u16(0x100))),
         {1, "", 3, 1}},
        {"SubChunkCutByTheEndOfTheChunk",
         triangleWithRaw("SURF", "SURF" + u32(8) + "A" + std::string(1, '\0') + "TSIZ" + u16(12)),
         {1, "", 3, 1}},
        {"CoordinatesThatAreNotNumbersOrHuge",
         LwobWriter()
             .raw("PNTS" + u32(36) + f32(0) + f32(0) + f32(0) + f32(1e38f) + f32(-1e38f) + f32(0) +
                  std::string(12, '\xFF'))
             .surfaceNames({"A"})
             .triangles({{0, 1, 2, 1}})
             .bytes(),
         {1, "", 3, 1}},
        {"AllCornersOnOnePoint",
         LwobWriter().points(kTriangle).surfaceNames({"A"}).triangles({{1, 1, 1, 1}}).bytes(),
         {1, "", 3, 1}},
        {"CoordinateFileTooShort", triangleObject(), {1, "", 3, 1}, std::string(23, '\0')},
        {"CoordinateFileOfNotNumbersAndTooLong", triangleObject(), {1, "", 3, 1}, nanFloats},
    };
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class HostileObjectTest : public HostileTest, public ::testing::WithParamInterface<Case> {};

TEST_P(HostileObjectTest, LoadsOrFailsAsExpected) {
    const Case& c = GetParam();
    writeFile("objects/hostile.lwo", c.object);
    if (!c.coordinates.empty()) {
        writeFile("objects/hostile.txc", c.coordinates);
    }
    setLoaderTraceStream(std::tmpfile());
    auto textures = std::make_unique<TextureTable>();
    auto object = std::make_unique<SceneObject>();
    clearLastRefusal();
    EXPECT_EQ(object->loadObject(*textures, "objects/hostile.lwo"), c.expected.loads);
    const std::string said = std::string(lastRefusal()) + "\n" + errorLog();
    if (c.expected.said.empty()) {
        EXPECT_EQ(said, "\n");
    } else {
        EXPECT_NE(said.find(c.expected.said), std::string::npos) << said;
    }
    EXPECT_EQ(errorLog().find("unusable"), std::string::npos) << "error.txt is the player's own";
    if (c.expected.loads == 1) {
        EXPECT_EQ(object->mesh.pointCount, c.expected.points);
        EXPECT_EQ(object->mesh.polygonCount, c.expected.polygons);
    } else {
        EXPECT_EQ(object->mesh.points, nullptr);
        EXPECT_EQ(object->mesh.pointCount, 0);
    }

    prepareObjectInput();
    const std::string input =
        c.coordinates.empty() ? c.object : c.object + kTextureCoordinateMarker + c.coordinates;
    EXPECT_EQ(brokenPromise(runObjectInput, input), "");
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileObjectTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

class HostileObjectSweep : public HostileTest {};

// Every prefix of a cube of six textured surfaces, and every byte of it set to 0x00, 0xFF
// and 0x80: each loads with the driver's promises kept, or fails saying why.
TEST_F(HostileObjectSweep, EveryTruncationAndCorruptionLoadsOrFailsWithALine) {
    prepareObjectInput();
    const std::string cube = cubeObject();
    for (size_t length = 0; length < cube.size(); ++length) {
        ASSERT_EQ(brokenPromise(runObjectInput, cube.substr(0, length)), "") << length << " bytes";
    }
    int32_t failures = 0;
    for (size_t at = 0; at < cube.size(); ++at) {
        for (const char value : {'\x00', '\xFF', '\x80'}) {
            std::string bytes = cube;
            bytes[at] = value;
            ASSERT_EQ(brokenPromise(runObjectInput, bytes), "") << "byte " << at;
            writeFile("objects/corrupt.lwo", bytes);
            clearLastRefusal();
            auto textures = std::make_unique<TextureTable>();
            auto object = std::make_unique<SceneObject>();
            if (object->loadObject(*textures, "objects/corrupt.lwo") == 0) {
                ++failures;
                EXPECT_EQ(std::string(lastRefusal())
                              .rfind("unusable object file objects/corrupt.lwo: ", 0),
                          0u)
                    << "byte " << at;
            }
        }
    }
    EXPECT_GT(failures, 0);
}

} // namespace
