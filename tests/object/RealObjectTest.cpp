// Objects written by real modelling software, as users bring them.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ObjectTestSupport.h"

namespace {

using RealObjectTest = ObjectTest;

std::string testData(const std::string& name) {
    const char* root = std::getenv("EMBER_TESTDATA");
    std::ifstream in(std::string(root != nullptr ? root : "tests/data") + "/lwob/" + name,
                     std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_FALSE(bytes.str().empty()) << name << " (run through ctest, which sets EMBER_TESTDATA)";
    return bytes.str();
}

uint32_t bigEndian(const std::string& bytes, size_t at, int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

// The file with every polygon fanned into triangles; all other chunks byte-identical.
std::string triangulated(const std::string& file) {
    LwobWriter out;
    for (size_t at = 12; at + 8 <= file.size();) {
        const std::string tag = file.substr(at, 4);
        const uint32_t length = bigEndian(file, at + 4, 4);
        const std::string data = file.substr(at + 8, length);
        if (tag != "POLS") {
            out.chunk(tag, data);
        } else {
            std::vector<std::array<uint16_t, 4>> triangles;
            for (size_t p = 0; p < data.size();) {
                const uint32_t corners = bigEndian(data, p, 2);
                auto point = [&](uint32_t k) {
                    return static_cast<uint16_t>(bigEndian(data, p + 2 + 2 * k, 2));
                };
                const auto surface = static_cast<uint16_t>(bigEndian(data, p + 2 + 2 * corners, 2));
                for (uint32_t k = 1; k + 1 < corners; ++k) {
                    triangles.push_back({point(0), point(k), point(k + 1), surface});
                }
                p += 4 + 2 * corners;
            }
            out.triangles(triangles);
        }
        at += 8 + length + (length % 2);
    }
    return out.bytes();
}

} // namespace

TEST_F(RealObjectTest, PolygonsOfMoreThanThreeCornersAreRefused) {
    const std::pair<const char*, const char*> files[] = {
        {"box1.5.lwo", "polygon 1 has 4 corners"},
        {"sphere_with_mat_gloss_10pc.lwo", "has 4 corners"},
        {"ConcavePolygon.lwo", "polygon 1 has 66 corners"}};
    for (const auto& [name, reason] : files) {
        writeFile(name, testData(name));
        EXPECT_EQ(object_->loadObject(*textures_, name), 0) << name;
        expectEmptySlot();
        EXPECT_NE(errorLog().find(std::string(name) + ": "), std::string::npos);
        EXPECT_NE(errorLog().find(reason), std::string::npos) << errorLog();
    }
}

TEST_F(RealObjectTest, ATriangulatedBoxLoadsItsSixSurfaces) {
    writeFile("box.lwo", triangulated(testData("box1.5.lwo")));
    ASSERT_EQ(object_->loadObject(*textures_, "box.lwo"), 1);
    const char* names[] = {"Bottom", "Back", "Right", "Front", "Left", "Top"};
    ASSERT_EQ(mesh().surfaceCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(mesh().surfaceNames[i], names[i]);
        // The modeller writes REFL and TRAN of 0 for every surface: both flags are set.
        EXPECT_EQ(mesh().surfaces[i].reflective, 1);
        EXPECT_EQ(mesh().surfaces[i].transparent, 1);
        EXPECT_EQ(mesh().surfaces[i].transparency, 0.0f);
    }
    EXPECT_EQ(mesh().surfaces[0].color[0], 0.25f); // COLR 40 00 00
    EXPECT_EQ(mesh().surfaces[1].color[1], 0.5f);  // COLR ff 80 00
    EXPECT_EQ(mesh().polygonCount, 12);
    EXPECT_EQ(mesh().pointCount, 24); // each corner of the box on three surfaces
    EXPECT_EQ(mesh().anyReflective, 1);
    EXPECT_EQ(object_->boundingBox[0][0], 0.5f);
    EXPECT_EQ(object_->boundingBox[6][1], -0.5f);
}

TEST_F(RealObjectTest, ATriangulatedSphereLoadsWithUnitNormals) {
    writeFile("sphere.lwo", triangulated(testData("sphere_with_mat_gloss_10pc.lwo")));
    ASSERT_EQ(object_->loadObject(*textures_, "sphere.lwo"), 1);
    EXPECT_EQ(mesh().polygonCount, 48 + 2 * 240);
    EXPECT_EQ(mesh().pointCount, 266);
    EXPECT_STREQ(mesh().surfaceNames[0], "Default");
    EXPECT_EQ(mesh().surfaces[0].smoothing, 4);
    const std::string trace = takeTrace();
    EXPECT_EQ(trace.rfind("SURF\nCOLR\nr:255 g:128 b:192\nFLAG\nThis flag is 0x4\nLUMI\n", 0), 0u)
        << trace;
    for (int32_t i = 0; i < mesh().pointCount; ++i) {
        const float* n = mesh().points[i].normal;
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-5f) << i;
    }
}
