#include <cmath>
#include <cstring>

#include "ObjectTestSupport.h"
#include "object/MeshPreparation.h"

namespace {

using MeshPreparationTest = ObjectTest;
using Points = std::vector<std::array<float, 3>>;

// Each point on its own (degenerate) triangle of surface "A", so no seam correction
// mixes the corners.
LwobWriter pointsOnOneSurface(const Points& points, const LwobSurface& surface) {
    std::vector<std::array<uint16_t, 4>> triangles;
    for (uint16_t i = 0; i < points.size(); ++i) {
        triangles.push_back({i, i, i, 1});
    }
    LwobWriter lwob;
    lwob.points(points).surfaceNames({"A"}).triangles(triangles).surface("A", surface);
    return lwob;
}

// A colour texture of wood.iff in `mapping` ("Planar Image Map", ...).
LwobSurface woodMapped(const char* mapping) {
    return LwobSurface().texture("CTEX", mapping).textureImage("wood.iff");
}

LwobSurface cylinderOnY(float wrap) {
    return woodMapped("Cylindrical Image Map")
        .textureFlags(2)
        .textureSize(1, 2, 1)
        .textureCenter(0, 0, 0)
        .wrapWidth(wrap);
}

std::string littleEndian(const std::vector<float>& values) {
    std::string bytes(values.size() * 4, '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size()); // the test host is little-endian
    return bytes;
}

} // namespace

TEST_F(MeshPreparationTest, PlanarMappingSpansTheProjectionSize) {
    ASSERT_EQ(load(pointsOnOneSurface(
                  {{1, 1, 0}, {0, 0, 0}, {-1, -1, 5}},
                  woodMapped("Planar Image Map").textureFlags(4).textureSize(2, 2, 2))),
              1);
    const MeshPolygon* t = mesh().polygons.get();
    EXPECT_EQ(t[0].corners[0].u, 256.0f);
    EXPECT_EQ(t[0].corners[0].v, 0.0f);
    EXPECT_EQ(t[1].corners[0].u, 128.0f);
    EXPECT_EQ(t[1].corners[0].v, 128.0f);
    EXPECT_EQ(t[2].corners[0].u, 0.0f);
    EXPECT_EQ(t[2].corners[0].v, 256.0f);
}

TEST_F(MeshPreparationTest, CylindricalMappingUsesThePlayersAngleConstants) {
    ASSERT_EQ(load(pointsOnOneSurface({{1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
                                      cylinderOnY(1.0f))),
              1);
    const MeshPolygon* t = mesh().polygons.get();
    EXPECT_EQ(t[0].corners[0].u, 192.0f);
    EXPECT_EQ(t[1].corners[0].u, 256.0f);
    EXPECT_EQ(t[2].corners[0].u, 127.99999237060546875f); // not 128: 3.1415926359 is not pi
    EXPECT_EQ(t[3].corners[0].u, 320.0f);
    EXPECT_EQ(t[3].corners[0].v, 128.0f);
    EXPECT_EQ(t[4].corners[0].u, 256.0f);
    EXPECT_EQ(t[4].corners[0].v, 0.0f);
}

TEST_F(MeshPreparationTest, ATriangleAcrossTheCylinderSeamIsMovedUpOneWrap) {
    // On the -x side the angle wraps: z slightly positive gives u near 1.25 wraps, z
    // slightly negative near 0.25.
    LwobWriter lwob;
    lwob.points({{-1, 0, 0.1f}, {-1, 0, -0.1f}, {-1, 1, 0.1f}})
        .surfaceNames({"A"})
        .triangles({{0, 0, 0, 1}, {1, 1, 1, 1}, {0, 1, 2, 1}})
        .surface("A", cylinderOnY(2.0f));
    ASSERT_EQ(load(lwob), 1);
    const float near = mesh().polygons[0].corners[0].u;
    const float far = mesh().polygons[1].corners[0].u;
    ASSERT_GT(near - far, 256.0f); // more than half of a 2-wrap image apart
    const MeshPolygon& seam = mesh().polygons[2];
    EXPECT_EQ(seam.corners[0].u, near);
    EXPECT_EQ(seam.corners[1].u, far + 2 * 256.0f);
    EXPECT_EQ(seam.corners[2].u, near);
}

TEST_F(MeshPreparationTest, WithoutAWrapWidthEveryCylindricalUIsZero) {
    LwobSurface noWrap = woodMapped("Cylindrical Image Map").textureFlags(4).textureSize(1, 1, 1);
    ASSERT_EQ(load(pointsOnOneSurface({{1, 0, 3}, {0, -1, 0}, {-1, 0, 0}}, noWrap)), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mesh().polygons[i].corners[0].u, 0.0f);
    }
}

TEST_F(MeshPreparationTest, AZeroProjectionSizeMapsToTheProjectionCentre) {
    ASSERT_EQ(
        load(pointsOnOneSurface(
            {{3, 4, 5}}, woodMapped("Planar Image Map").textureFlags(1).textureSize(0, 0, 0))),
        1);
    EXPECT_EQ(mesh().polygons[0].corners[0].u, 128.0f);
    EXPECT_EQ(mesh().polygons[0].corners[0].v, 128.0f);
    LwobSurface cylinder = cylinderOnY(1.0f).textureSize(0, 0, 0);
    ASSERT_EQ(load(pointsOnOneSurface({{3, 4, 5}}, cylinder)), 1);
    EXPECT_EQ(mesh().polygons[0].corners[0].v, 128.0f);
    EXPECT_TRUE(std::isfinite(mesh().polygons[0].corners[0].u));
}

// Two triangles and a half of coordinates: the third triangle gets none, not its mapping.
TEST_F(MeshPreparationTest, ATextureCoordinateFileOverridesEveryMappingAsFarAsItReaches) {
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .surfaceNames({"Plain", "Mapped"})
        .triangles({{0, 1, 2, 1}, {0, 1, 2, 2}, {0, 1, 2, 2}})
        .surface("Mapped", woodMapped("Planar Image Map").textureSize(1, 1, 1));
    writeFile("objects/thing.txc",
              littleEndian({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12.5f, 13, 14, 15}));
    ASSERT_EQ(load(lwob, "objects/thing.lwo"), 1);
    EXPECT_EQ(mesh().polygons[0].corners[0].u, 1.0f);
    EXPECT_EQ(mesh().polygons[0].corners[2].v, 6.0f);
    EXPECT_EQ(mesh().polygons[1].corners[0].u, 7.0f);
    EXPECT_EQ(mesh().polygons[1].corners[2].v, 12.5f);
    for (const PolygonCorner& corner : mesh().polygons[2].corners) {
        EXPECT_EQ(corner.u, 0.0f);
        EXPECT_EQ(corner.v, 0.0f);
    }
}

TEST_F(MeshPreparationTest, TheTextureCoordinateFileIsNamedAfterTheObjectsExtension) {
    char path[64];
    auto name = [&path](const char* object) {
        return textureCoordinateFileName(object, path, sizeof path) ? std::string(path) : "-";
    };
    EXPECT_EQ(name("objects\\box.lwo"), "objects\\box.txc");
    EXPECT_EQ(name("a.b.LWO"), "a.b.txc");
    EXPECT_EQ(name("box.lw"), "box.txc");
    EXPECT_EQ(name("box."), "box.txc");
    EXPECT_EQ(name("box.lwob"), "box.txcb");
    EXPECT_EQ(name("box"), "-");
    EXPECT_EQ(name("my.objects\\box"), "-");
    EXPECT_EQ(name(std::string(70, 'x').append(".lwo").c_str()), "-");
}

TEST_F(MeshPreparationTest, APointWithoutNormalGetsZUpAndATraceLine) {
    // Point 3 is used by no triangle; points 0-2 by two opposite ones, whose normals
    // cancel; the collinear triangle 4, 5, 6 has no area and so the normal (-1, 0, 0).
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}, {0, 0, 0}, {1, 0, 0}, {2, 0, 0}})
        .surfaceNames({"A"})
        .triangles({{0, 1, 2, 1}, {0, 2, 1, 1}, {4, 5, 6, 1}});
    ASSERT_EQ(load(lwob), 1);
    const std::string line = "There was a normal of the size (0.000000,0.000000,0.000000) "
                             "(Calculating np1)\n I'll set it to (0,0,1)\n";
    EXPECT_EQ(takeTrace(), line + line + line + line);
    EXPECT_EQ(mesh().points[3].normal[2], 1.0f);
    EXPECT_EQ(mesh().points[3].surface, 0);
    EXPECT_EQ(mesh().points[3].luminosity, 0);
    EXPECT_EQ(mesh().points[5].normal[0], -1.0f);
}

TEST_F(MeshPreparationTest, TheBoundingBoxCornersComeInTheirFixedOrder) {
    LwobWriter lwob;
    lwob.points({{1, -2, 3}, {-4, 5, -6}, {0, 0, 0}}).surfaceNames({"A"}).triangles({{0, 1, 2, 1}});
    ASSERT_EQ(load(lwob), 1);
    const float expected[8][4] = {{1, 5, 3, 1},  {-4, 5, 3, 1},  {-4, -2, 3, 1},  {1, -2, 3, 1},
                                  {1, 5, -6, 1}, {-4, 5, -6, 1}, {-4, -2, -6, 1}, {1, -2, -6, 1}};
    EXPECT_EQ(std::memcmp(object_->boundingBox, expected, sizeof expected), 0);
}
