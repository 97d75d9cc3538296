#include <gtest/gtest.h>

#include <cmath>

#include "object/Mesh.h"
#include "player/SceneCamera.h"
#include "render/CameraView.h"
#include "render/FrustumPlanes.h"

namespace {

MeshPoint neededPoint(float x, float y, float z) {
    MeshPoint p;
    p.viewPosition[0] = x, p.viewPosition[1] = y, p.viewPosition[2] = z, p.viewPosition[3] = 1;
    p.isNeeded = 1;
    return p;
}

FrustumPlanes cameraSpacePlanes(float zoom) {
    SceneCamera camera;
    camera.zoomFactor = zoom;
    Matrix4 view;
    view.identity();
    FrustumPlanes planes;
    planes.build(view, camera, Vector3{}, 0);
    return planes;
}

// Bit j set when p is on or outside plane j.
uint32_t outside(const FrustumPlanes& f, float x, float y, float z) {
    uint32_t bits = 0;
    for (int j = 0; j < f.count; ++j) {
        const float* p = f.planes[j];
        if (p[1] * x + p[2] * y + p[3] * z <= p[0]) {
            bits |= 1u << j;
        }
    }
    return bits;
}

} // namespace

TEST(ProjectPoints, MapsTheFieldEdgesToZeroAndOne) {
    MeshPoint points[2] = {neededPoint(1.0f, 0.75f, 1.0f), neededPoint(0.0f, 0.0f, 5.0f)};
    projectPoints(points, 2, 640, 480, 1.0f);
    EXPECT_FLOAT_EQ(points[0].projected[0], 1.0f);
    EXPECT_FLOAT_EQ(points[0].projected[1], 1.0f);
    EXPECT_EQ(points[1].projected[0], 0.5f);
    EXPECT_EQ(points[1].projected[1], 0.5f);
    EXPECT_EQ(points[1].projected[2], 5.0f);
    EXPECT_EQ(points[1].projected[3], 5.0f);
}

TEST(ProjectPoints, ZeroDepthUsesASmallDepthAndKeepsZero) {
    MeshPoint p = neededPoint(0.0f, 0.0f, 0.0f);
    projectPoints(&p, 1, 640, 480, 1.0f);
    EXPECT_EQ(p.projected[2], 0.0f);
    EXPECT_EQ(p.projected[3], 0.0001f);
    MeshPoint n = neededPoint(1.0f, 1.0f, NAN);
    projectPoints(&n, 1, 640, 480, 1.0f);
    EXPECT_EQ(n.projected[3], 0.0001f);
}

TEST(ProjectPoints, SkipsPointsNotNeededOrOutside) {
    MeshPoint points[2] = {neededPoint(0, 0, 1), neededPoint(0, 0, 1)};
    points[0].isNeeded = 0;
    points[1].outsideBits = 4;
    points[0].projected[0] = points[1].projected[0] = 7.0f;
    projectPoints(points, 2, 640, 480, 1.0f);
    EXPECT_EQ(points[0].projected[0], 7.0f);
    EXPECT_EQ(points[1].projected[0], 7.0f);
}

TEST(ProjectCorners, WorksInPlaceAndSurvivesZeroDepth) {
    float corners[2][4] = {{2.0f, 1.5f, 2.0f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f}};
    projectCorners(corners, corners, 2, 640, 480, 1.0f);
    EXPECT_FLOAT_EQ(corners[0][0], 1.0f);
    EXPECT_FLOAT_EQ(corners[0][1], 1.0f);
    EXPECT_EQ(corners[0][2], 1.0f);
    EXPECT_EQ(corners[0][3], 2.0f);
    EXPECT_TRUE(std::isfinite(corners[1][0]));
    EXPECT_EQ(corners[1][2], 0.0f);
}

TEST(FrustumPlanes, CameraSpacePlanesBoundTheProjectedField) {
    const FrustumPlanes f = cameraSpacePlanes(1.0f);
    ASSERT_EQ(f.count, 5);
    EXPECT_NEAR(f.planes[0][0], 0.0f, 1e-7f); // the left plane passes through the eye
    EXPECT_EQ(outside(f, 0.0f, 0.0f, 1.0f), 0u);
    EXPECT_EQ(outside(f, 0.0f, 0.0f, 0.05f), 1u << 4); // near plane only
    EXPECT_NE(outside(f, 1.1f, 0.0f, 1.0f) & 2u, 0u);  // right
    EXPECT_NE(outside(f, -1.1f, 0.0f, 1.0f) & 1u, 0u); // left
    EXPECT_NE(outside(f, 0.0f, 0.8f, 1.0f) & 4u, 0u);  // top
    EXPECT_NE(outside(f, 0.0f, -0.8f, 1.0f) & 8u, 0u); // bottom
}

TEST(FrustumPlanes, DoublingTheZoomHalvesTheField) {
    const FrustumPlanes f = cameraSpacePlanes(2.0f);
    EXPECT_NE(outside(f, 0.6f, 0.0f, 1.0f) & 2u, 0u);
    EXPECT_EQ(outside(f, 0.4f, 0.0f, 1.0f), 0u);
}

TEST(FrustumPlanes, WorldSpacePlanesFollowTheCamera) {
    SceneCamera camera;
    camera.zoomFactor = 1.0f;
    Matrix4 view;
    makeViewFromAngles(view, 0.0f, 90.0f, 0.0f); // heading 90: looking along +x
    FrustumPlanes f;
    f.build(view, camera, Vector3{10.0f, 0.0f, 0.0f}, 1);
    EXPECT_EQ(outside(f, 15.0f, 0.0f, 0.0f), 0u);
    EXPECT_NE(outside(f, 5.0f, 0.0f, 0.0f), 0u);
    EXPECT_NE(outside(f, 10.0f, 0.0f, 5.0f), 0u);
}

TEST(MakeLookAtView, PutsTheTargetOnThePositiveZAxis) {
    Matrix4 view;
    makeLookAtView(view, Vector3{1, 2, 3}, Vector3{4, 6, 3}, Vector3{0, 1, 0});
    const float d[3] = {3, 4, 0};
    const float z = d[0] * view.m[2] + d[1] * view.m[6] + d[2] * view.m[10];
    const float x = d[0] * view.m[0] + d[1] * view.m[4] + d[2] * view.m[8];
    const float y = d[0] * view.m[1] + d[1] * view.m[5] + d[2] * view.m[9];
    EXPECT_FLOAT_EQ(z, 5.0f);
    EXPECT_NEAR(x, 0.0f, 1e-6f);
    EXPECT_NEAR(y, 0.0f, 1e-6f);
}

TEST(MakeLookAtView, AStraightDownAimKeepsAUsableView) {
    Matrix4 down;
    makeLookAtView(down, Vector3{0, 10, 0}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
    for (float value : down.m) {
        EXPECT_TRUE(std::isfinite(value));
    }
    EXPECT_EQ(down.m[6], -1.0f); // forward is -y
    const float rightLength =
        std::sqrt(down.m[0] * down.m[0] + down.m[4] * down.m[4] + down.m[8] * down.m[8]);
    EXPECT_FLOAT_EQ(rightLength, 1.0f);
}

TEST(MakeLookAtView, ATargetAtTheEyeGivesAZeroView) {
    Matrix4 atEye;
    makeLookAtView(atEye, Vector3{1, 1, 1}, Vector3{1, 1, 1}, Vector3{0, 1, 0});
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(atEye.m[i], 0.0f) << i;
    }
    EXPECT_EQ(atEye.m[15], 1.0f);
}
