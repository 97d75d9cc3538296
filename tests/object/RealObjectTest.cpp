// Objects written by real modelling software, as users bring them.
#include <cmath>

#include "ObjectTestSupport.h"
#include "support/RealLwobFiles.h"

using RealObjectTest = ObjectTest;

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
    }
}

TEST_F(RealObjectTest, ATriangulatedBoxLoadsItsSixSurfaces) {
    writeFile("box.lwo", triangulatedLwob(realLwobFile("box1.5.lwo")));
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
    writeFile("sphere.lwo", triangulatedLwob(realLwobFile("sphere_with_mat_gloss_10pc.lwo")));
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
