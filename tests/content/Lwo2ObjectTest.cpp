// LWO2 objects into object slots: layers with pivots and parents, UV maps and
// projections landing the picture where it belongs, surfaces as the renderer shows
// them, smoothing angles, polygons of any size, and malformed files refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "content/Lwo2Object.h"
#include "content/Lwo2Projection.h"
#include "content/PngFile.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/SceneObject.h"
#include "support/ScratchDirectory.h"
#include "support/TestData.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

namespace {

using Bytes = std::string; // big-endian IFF bytes

using lwob::f32;
using lwob::u16;
using lwob::u32;
const auto str = lwob::paddedText;
Bytes chunk(const char* id, const Bytes& data, bool sub = false) {
    const auto size = static_cast<uint32_t>(data.size());
    return id + (sub ? u16(static_cast<uint16_t>(size)) : u32(size)) + data +
           (size % 2 != 0 ? Bytes(1, '\0') : "");
}
Bytes sub(const char* id, const Bytes& data) {
    return chunk(id, data, true);
}
Bytes lwo2(const Bytes& chunks) {
    return "FORM" + u32(static_cast<uint32_t>(chunks.size() + 4)) + "LWO2" + chunks;
}
Bytes points(const std::vector<float>& xyz) {
    Bytes b;
    for (float f : xyz) {
        b += f32(f);
    }
    return chunk("PNTS", b);
}
Bytes faces(const std::vector<std::vector<int>>& polygons) {
    Bytes b = "FACE";
    for (const auto& polygon : polygons) {
        b += u16(static_cast<uint16_t>(polygon.size()));
        for (int i : polygon) {
            b += u16(static_cast<uint16_t>(i));
        }
    }
    return chunk("POLS", b);
}
Bytes tags(const std::vector<std::string>& names) {
    Bytes b;
    for (const auto& n : names) {
        b += str(n);
    }
    return chunk("TAGS", b);
}
Bytes surfaceTags(const std::vector<std::pair<int, int>>& polygonTag) {
    Bytes b = "SURF";
    for (const auto& [polygon, tag] : polygonTag) {
        b += u16(static_cast<uint16_t>(polygon)) + u16(static_cast<uint16_t>(tag));
    }
    return chunk("PTAG", b);
}
Bytes surface(const std::string& name, const Bytes& subChunks, const std::string& source = "") {
    return chunk("SURF", str(name) + str(source) + subChunks);
}
Bytes floatSub(const char* id, float value) {
    return sub(id, f32(value) + u16(0)); // no envelope
}

// Two unit squares meeting along x = 0 at a fold: the left one in the plane y = 0, the
// right one turned up by `degrees`.
Bytes foldedSheet(float smoothing, float degrees) {
    const float c = std::cos(degrees * 3.14159265f / 180.0f),
                s = std::sin(degrees * 3.14159265f / 180.0f);
    return lwo2(tags({"Sheet"}) + points({-1, 0, 0, -1, 0, 1, 0, 0, 1, 0, 0, 0, c, s, 1, c, s, 0}) +
                faces({{0, 1, 2, 3}, {3, 2, 4, 5}}) + surfaceTags({{0, 0}, {1, 0}}) +
                surface("Sheet", sub("SMAN", f32(smoothing))));
}

class Lwo2ObjectTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        readerExtensions().readOtherObject = &readLwo2Object;
    }
    void TearDown() override {
        readerExtensions().readOtherObject = nullptr;
        ScratchDirectoryTest::TearDown();
    }
    // Copies tests/data/<from> to objects/<name> of the scratch directory.
    void copyObject(const std::string& from, const std::string& name) {
        writeFile("objects/" + name, testDataFile(from));
    }
    int32_t load(const std::string& bytes) {
        writeFile("objects/test.lwo", bytes);
        return object_.loadObject(textures_, "objects\\test.lwo");
    }
    // A 64 x 32 picture, written as PNG under any name.
    static void writePicture(const std::string& path) {
        RgbaImage image;
        ASSERT_TRUE(image.allocate(64, 32));
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                uint8_t* p = image.at(x, y);
                p[0] = static_cast<uint8_t>(x * 4);
                p[1] = static_cast<uint8_t>(y * 8);
                p[2] = 128;
                p[3] = 255;
            }
        }
        makeParents(path);
        char message[256];
        ASSERT_EQ(writePngFile(path.c_str(), image, message, sizeof message), 1) << message;
    }

    TextureTable textures_;
    SceneObject object_;
};

TEST_F(Lwo2ObjectTest, EveryLayerLoadsTogetherAndEachAloneWithItsPivotAndParent) {
    copyObject("lwo2/hierarchy.lwo", "hierarchy.lwo");
    ASSERT_EQ(object_.loadObject(textures_, "objects\\hierarchy.lwo"), 1) << lastRefusal();
    const int32_t whole = object_.mesh.polygonCount;
    EXPECT_EQ(object_.mesh.surfaceCount, 3);

    struct Expected {
        int number;
        float pivot[3];
        int parent;
        const char* name;
    };
    const Expected layers[] = {{3, {0, 0, 0}, 4, "ChildOfRoot0"},
                               {4, {0, 0, 0}, -1, "RootOfHierarchy"},
                               {2, {0.8f, 0, 1.35f}, 3, "GrandChildOfRoot0"},
                               {1, {-2.75f, 0, -0.85f}, 4, "ChildOfRoot1"}};
    int32_t sum = 0;
    for (const Expected& expected : layers) {
        SceneObject layer;
        Lwo2LayerInfo info;
        ASSERT_EQ(
            loadLwo2ObjectLayer(layer, textures_, "objects\\hierarchy.lwo", expected.number, &info),
            1);
        EXPECT_EQ(info.parent, expected.parent) << expected.name;
        EXPECT_EQ(info.name, expected.name);
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(info.pivot[k], expected.pivot[k]) << expected.name;
        }
        EXPECT_GT(layer.mesh.polygonCount, 0) << expected.name;
        sum += layer.mesh.polygonCount;
    }
    EXPECT_EQ(sum, whole);

    SceneObject missing;
    EXPECT_EQ(loadLwo2ObjectLayer(missing, textures_, "objects\\hierarchy.lwo", 7, nullptr), 0);
    EXPECT_NE(std::string(lastRefusal()).find("no layer 8"), std::string::npos);
    EXPECT_EQ(missing.mesh.pointCount, 0);
}

TEST_F(Lwo2ObjectTest, UvMappedBoxShowsEachFaceItsOwnCellOfThePicture) {
    copyObject("lwo2/boxuv.lwo", "boxuv.lwo");
    copyObject("lwo2/boxuv.png", "boxuv.png");
    ASSERT_EQ(object_.loadObject(textures_, "objects\\boxuv.lwo"), 1) << lastRefusal();
    const Mesh& mesh = object_.mesh;
    ASSERT_EQ(mesh.polygonCount, 12);
    ASSERT_EQ(mesh.surfaces[0].textureMapping, 6);
    ASSERT_GE(mesh.surfaces[0].colorTexture, 0);
    // The picture (512 x 512) holds six labelled cells of 170 pixels in its lower two
    // thirds: -Z +X +Z over -X +Y -Y. A face's triangles must sample the cell of the
    // axis its outside faces (normals point inwards, the renderer's convention).
    const char* cells[2][3] = {{"-Z", "+X", "+Z"}, {"-X", "+Y", "-Y"}};
    for (int32_t t = 0; t < mesh.polygonCount; ++t) {
        const MeshPolygon& triangle = mesh.polygons[t];
        float u = 0, v = 0;
        for (const PolygonCorner& c : triangle.corners) {
            u += c.u / 3;
            v += c.v / 3;
        }
        const float* n = mesh.points[triangle.corners[0].pointIndex].normal;
        const int axis = std::fabs(n[0]) > 0.5f ? 0 : (std::fabs(n[1]) > 0.5f ? 1 : 2);
        const std::string outside = std::string(n[axis] < 0 ? "+" : "-") + "XYZ"[axis];
        const int column = static_cast<int>(u / 256 * 512) / 171;
        const int row = (static_cast<int>(v / 256 * 512) - 171) / 171;
        ASSERT_TRUE(row >= 0 && row < 2 && column >= 0 && column < 3) << u << ", " << v;
        EXPECT_EQ(cells[row][column], outside) << "triangle " << t;
    }
}

TEST(Lwo2ProjectionTest, EachProjectionAgainstHandWorkedValues) {
    const float points[] = {1, 0.5f, 0, 0, 0, 1, 0, 1, 0, -1, 0, -0.01f, -1, 0, 0.01f, 2, 1, 3};
    const float up[3] = {0, 1, 0};
    struct Case {
        Lwo2Projection projection;
        int axis;
        std::vector<int32_t> corners;
        std::vector<float> u, v;
    };
    Lwo2ImageMap map;
    map.size[0] = 2;
    map.size[1] = 4;
    map.size[2] = 8;
    const Case cases[] = {
        // planar: other coordinates / size + 1/2 (Z: x, y; X: z, y; Y: x, z)
        {Lwo2Projection::Planar, 2, {0, 5}, {1.0f, 1.5f}, {0.625f, 0.75f}},
        {Lwo2Projection::Planar, 0, {5}, {0.875f}, {0.75f}},
        {Lwo2Projection::Planar, 1, {5}, {1.5f}, {0.875f}},
        // cylindrical about Y: u 0.5 at +X rising toward +Z; v height / size + 1/2
        {Lwo2Projection::Cylindrical, 1, {0, 1}, {0.5f, 0.75f}, {0.625f, 0.5f}},
        // a polygon across the seam at -X: its corners below 1/2 move up a turn
        {Lwo2Projection::Cylindrical, 1, {3, 4}, {1.0015915f, 0.9984085f}, {0.5f, 0.5f}},
        // spherical: latitude / pi + 1/2, the pole at v = 1 whatever the size
        {Lwo2Projection::Spherical,
         1,
         {2, 0},
         {0.5f, 0.5f},
         {1.0f, 0.5f + std::atan2(0.5f, 1.0f) / 3.14159265f}},
        // cubic: planar on the normal's largest axis (up: Y)
        {Lwo2Projection::Cubic, 2, {5}, {1.5f}, {0.875f}},
    };
    for (const Case& c : cases) {
        map.projection = c.projection;
        map.axis = c.axis;
        std::vector<float> u(c.corners.size()), v(c.corners.size());
        projectPolygon(map, points, c.corners.data(), static_cast<int32_t>(c.corners.size()), up,
                       u.data(), v.data());
        for (size_t i = 0; i < c.corners.size(); ++i) {
            EXPECT_NEAR(u[i], c.u[i], 1e-5) << static_cast<int>(c.projection) << " corner " << i;
            EXPECT_NEAR(v[i], c.v[i], 1e-5) << static_cast<int>(c.projection) << " corner " << i;
        }
    }
    // Wrap counts multiply cylindrical u (and spherical v); planar ignores them.
    map.projection = Lwo2Projection::Cylindrical;
    map.axis = 1;
    map.wrapCountWidth = 3;
    float u, v;
    const int32_t plusZ = 1;
    projectPolygon(map, points, &plusZ, 1, up, &u, &v);
    EXPECT_NEAR(u, 2.25f, 1e-5);
}

TEST_F(Lwo2ObjectTest, ProjectedPicturesFindTheirFileBesideTheObjectAndMapToTexels) {
    // The clips name "Q:ASSIMP/.../earthSpherical.jpg": found by name beside the object.
    copyObject("lwo2/earth_planar_z.lwo", "earth_planar_z.lwo");
    copyObject("lwo2/earth_cylindrical_y.lwo", "earth_cylindrical_y.lwo");
    writePicture("objects/earthSpherical.jpg");
    writePicture("images/earthCylindric.jpg");

    ASSERT_EQ(object_.loadObject(textures_, "objects\\earth_planar_z.lwo"), 1) << lastRefusal();
    const Mesh& planar = object_.mesh;
    ASSERT_EQ(planar.surfaces[0].textureMapping, 1);
    // Planar Z, centre (-0.55, 0.2, 0), size (5.7, 5.3, 5.7), on a 2:1 texture of 256 x 128
    // texels: u = (x / sx + 1/2) * 256, v = (1 - (y / sy + 1/2)) * 128.
    for (int32_t t = 0; t < planar.polygonCount; t += 37) {
        for (const PolygonCorner& c : planar.polygons[t].corners) {
            const float* p = planar.points[c.pointIndex].position;
            EXPECT_NEAR(c.u, ((p[0] + 0.55f) / 5.7f + 0.5f) * 256, 1e-3);
            EXPECT_NEAR(c.v, (0.5f - (p[1] - 0.2f) / 5.3f) * 128, 1e-3);
        }
    }

    ASSERT_EQ(object_.loadObject(textures_, "objects\\earth_cylindrical_y.lwo"), 1)
        << lastRefusal();
    const Mesh& cylinder = object_.mesh;
    EXPECT_EQ(cylinder.surfaces[0].textureMapping, 2);
    EXPECT_EQ(textures_.count, 2);
    for (int32_t t = 0; t < cylinder.polygonCount; ++t) {
        float low = 1e9f, high = -1e9f;
        for (const PolygonCorner& c : cylinder.polygons[t].corners) {
            low = std::min(low, c.u);
            high = std::max(high, c.u);
            EXPECT_GE(c.v, -0.01f);
            EXPECT_LE(c.v, 128.01f);
        }
        EXPECT_LT(high - low, 128.0f) << "triangle " << t << " spans the seam backwards";
    }
}

TEST_F(Lwo2ObjectTest, ImageMapsBakeMirroringAndOpacityIntoTheirTexture) {
    writePicture("objects/pic.png");
    const Bytes header = Bytes("\x80\0", 2) + sub("CHAN", "COLR") +
                         sub("OPAC", u16(0) + f32(0.5f) + u16(0)); // half opaque
    const Bytes clip = u32(1) + sub("STIL", str("pic.png"));
    // A 2 x 2 square about (1, 1): planar along Z by its centre and size, and front
    // projection, which takes the object's box for them.
    const Bytes planar = sub("TMAP", sub("CNTR", f32(1) + f32(1) + f32(0) + u16(0)) +
                                         sub("SIZE", f32(2) + f32(2) + f32(2) + u16(0))) +
                         sub("PROJ", u16(0)) + sub("AXIS", u16(2));
    for (const Bytes& projection : {planar, sub("PROJ", u16(4))}) {
        const Bytes block = sub("IMAP", header) + projection + sub("IMAG", u16(1)) +
                            sub("WRAP", u16(2) + u16(1)); // mirror across, repeat up
        ASSERT_EQ(load(lwo2(points({0, 0, 0, 0, 2, 0, 2, 2, 0, 2, 0, 0}) + faces({{0, 1, 2, 3}}) +
                            chunk("CLIP", clip) + surface("Default", sub("BLOK", block)))),
                  1)
            << lastRefusal();
        const Mesh& mesh = object_.mesh;
        ASSERT_EQ(textures_.count, 1);
        // The 64 x 32 picture blended half over the surface colour, next to its mirror
        // image: a 128 x 32 texture (256 x 64 texels) whose first half one image spans.
        const std::string key = textures_.slots[0].path;
        EXPECT_NE(key.find("mirror-u over c8c8c8 at 0.5"), std::string::npos) << key;
        for (int32_t t = 0; t < mesh.polygonCount; ++t) {
            for (const PolygonCorner& c : mesh.polygons[t].corners) {
                const float* p = mesh.points[c.pointIndex].position;
                EXPECT_FLOAT_EQ(c.u, (p[0] / 2) * 128);
                EXPECT_FLOAT_EQ(c.v, (1 - p[1] / 2) * 64);
            }
        }
        EXPECT_FLOAT_EQ(mesh.surfaces[0].color[0], 1.0f) << "the picture carries the colour";
    }
}

TEST_F(Lwo2ObjectTest, SurfacesBecomeWhatTheRendererShows) {
    copyObject("lwo2/transparency.lwo", "transparency.lwo");
    ASSERT_EQ(object_.loadObject(textures_, "objects\\transparency.lwo"), 1);
    const Surface& glass = object_.mesh.surfaces[0];
    EXPECT_EQ(glass.transparent, 1);
    EXPECT_FLOAT_EQ(glass.transparency, 0.5f);
    EXPECT_EQ(glass.doubleSided, 1);
    EXPECT_EQ(glass.smoothing, 4);
    EXPECT_FLOAT_EQ(glass.color[1], 0.5019608f);

    // Colour times diffuse; luminous surfaces keep their colour; additive transparency of
    // half or more draws additively; a surface inherits from its source first.
    const Bytes colour = f32(1.0f) + f32(0.5f) + f32(0.25f) + u16(0);
    const Bytes file = lwo2(
        tags({"Dim", "Lamp", "Glow", "Child"}) + points({0, 0, 0, 1, 0, 0, 0, 1, 0}) +
        faces({{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}}) +
        surfaceTags({{0, 0}, {1, 1}, {2, 2}, {3, 3}}) +
        surface("Dim", sub("COLR", colour) + floatSub("DIFF", 0.5f)) +
        surface("Lamp", sub("COLR", colour) + floatSub("DIFF", 0.5f) + floatSub("LUMI", 1.0f)) +
        surface("Glow", floatSub("ADTR", 0.75f)) +
        surface("Child", floatSub("TRAN", 0.25f), "Dim"));
    ASSERT_EQ(load(file), 1) << lastRefusal();
    const Surface* s = object_.mesh.surfaces.get();
    EXPECT_FLOAT_EQ(s[0].color[0], 0.5f);
    EXPECT_FLOAT_EQ(s[0].color[2], 0.125f);
    EXPECT_EQ(s[1].luminosity, 256);
    EXPECT_FLOAT_EQ(s[1].color[1], 0.5f);
    EXPECT_EQ(s[2].additive, 1);
    EXPECT_EQ(s[0].additive, 0);
    EXPECT_FLOAT_EQ(s[3].color[1], 0.25f);
    EXPECT_FLOAT_EQ(s[3].transparency, 0.25f);
}

TEST_F(Lwo2ObjectTest, SmoothingAngleSplitsPointsAlongSharperEdgesOnly) {
    // The sheet folds by 60 degrees: smoothing angles above that share the ridge's points.
    ASSERT_EQ(load(foldedSheet(1.2f, 60)), 1) << lastRefusal();
    EXPECT_EQ(object_.mesh.pointCount, 6);
    const float* ridge = nullptr;
    for (int32_t i = 0; i < object_.mesh.pointCount; ++i) {
        if (object_.mesh.points[i].position[0] == 0.0f) {
            ridge = object_.mesh.points[i].normal;
        }
    }
    ASSERT_NE(ridge, nullptr);
    EXPECT_NEAR(ridge[1], -std::cos(30 * 3.14159265f / 180), 1e-5); // halfway, inwards
    for (float angle : {0.9f, 0.0f}) {
        ASSERT_EQ(load(foldedSheet(angle, 60)), 1);
        EXPECT_EQ(object_.mesh.pointCount, 8) << angle;
        EXPECT_EQ(object_.mesh.surfaces[0].smoothing, angle > 0 ? 4 : 0);
    }
}

TEST_F(Lwo2ObjectTest, PolygonsOfAnySizeAndPatchCagesAreCutIntoTrianglesFacingTheirWay) {
    copyObject("polygons/concave_polygon.lwo", "concave.lwo");
    copyObject("polygons/nonplanar_polygon.lwo", "nonplanar.lwo");
    copyObject("lwo2/Subdivision.lwo", "patches.lwo");
    const std::pair<const char*, int32_t> objects[] = {
        {"objects\\concave.lwo", 64}, {"objects\\nonplanar.lwo", 16}, {"objects\\patches.lwo", 48}};
    for (const auto& [path, triangles] : objects) {
        ASSERT_EQ(object_.loadObject(textures_, path), 1) << path << lastRefusal();
        const Mesh& mesh = object_.mesh;
        EXPECT_EQ(mesh.polygonCount, triangles) << path;
        // Faceted: every triangle's corners carry its polygon's normal, which must agree
        // with the triangle's own face (p0 - p1) x (p2 - p1) where the polygon is flat.
        const bool flat = std::strstr(path, "nonplanar") == nullptr;
        for (int32_t t = 0; flat && t < mesh.polygonCount; ++t) {
            const float* p0 = mesh.points[mesh.polygons[t].corners[0].pointIndex].position;
            const float* p1 = mesh.points[mesh.polygons[t].corners[1].pointIndex].position;
            const float* p2 = mesh.points[mesh.polygons[t].corners[2].pointIndex].position;
            const float a[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
            const float b[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
            const float face[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                   a[0] * b[1] - a[1] * b[0]};
            const float* n = mesh.points[mesh.polygons[t].corners[0].pointIndex].normal;
            EXPECT_GT(face[0] * n[0] + face[1] * n[1] + face[2] * n[2], 0.0f) << path << " " << t;
        }
    }
}

TEST_F(Lwo2ObjectTest, MalformedFilesAreRefusedWithAReasonAndLeaveTheSlotEmpty) {
    const Bytes square = points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    Bytes cutPolygon = faces({{0, 1, 2, 3}});
    cutPolygon[7] = 8; // POLS length 8: the polygon's last corner is cut off
    Bytes longChunk = square;
    longChunk[7] = 60; // PNTS claims 60 bytes of 48
    const std::pair<Bytes, const char*> cases[] = {
        {lwo2(square + faces({{0, 1, 4}})), "point its layer does not have"},
        {lwo2(faces({{0, 1, 2}}) + square), "polygons before any points"},
        {lwo2(square + cutPolygon), "runs past the end of its POLS"},
        {lwo2(square + faces({{0, 1, 2}}) + surfaceTags({{1, 0}})),
         "polygon its layer does not have"},
        {lwo2(square + faces({{0, 1, 2}}) + surfaceTags({{0, 3}})), "names no tag"},
        {lwo2(longChunk), "PNTS chunk runs past the end"},
    };
    for (const auto& [bytes, reason] : cases) {
        EXPECT_EQ(load(bytes), 0) << reason;
        EXPECT_NE(std::string(lastRefusal()).find(reason), std::string::npos) << lastRefusal();
        EXPECT_EQ(object_.mesh.pointCount, 0);
        EXPECT_EQ(object_.mesh.surfaces, nullptr);
    }
    // Chunks and sub-chunks it does not know are passed over by their lengths.
    const Bytes unknown = chunk("ZZZZ", "abc") + square + faces({{0, 1, 2, 3}}) +
                          surface("Default", sub("QQQQ", "xyz") + floatSub("DIFF", 0.5f));
    ASSERT_EQ(load(lwo2(unknown)), 1) << lastRefusal();
    EXPECT_EQ(object_.mesh.polygonCount, 2);
    EXPECT_NEAR(object_.mesh.surfaces[0].color[0], 0.392f, 1e-3);
}

TEST_F(Lwo2ObjectTest, WithoutTheExtensionTheLwobReaderRefusesLwo2AsBefore) {
    const Bytes file = lwo2(points({0, 0, 0, 1, 0, 0, 0, 1, 0}) + faces({{0, 1, 2}}));
    ASSERT_EQ(load(file), 1);
    readerExtensions().readOtherObject = nullptr;
    EXPECT_EQ(load(file), 0);
    EXPECT_EQ(object_.mesh.pointCount, 0);
}

} // namespace
