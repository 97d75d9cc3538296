#include <gtest/gtest.h>

#include "player/SceneObject.h"
#include "render/FrustumPlanes.h"
#include "render/PipelineFixtures.h"

namespace {

constexpr uint32_t kLeft = 1, kRight = 2, kTop = 4, kBottom = 8, kNear = 16;

// An object whose box spans the given camera-space ranges (camera at the origin).
void boxObject(SceneObject& object, float x0, float x1, float y0, float y1, float z0, float z1) {
    buildObject(object, {{x0, y0, z0}, {x1, y1, z1}, {x0, y1, z1}}, {{0, 1, 2}});
    object.transform.identity();
}

// Camera-space points for back-face and clip-code tests: viewPosition set directly.
void placePoints(SceneObject& object, const std::vector<TestPoint>& points,
                 const std::vector<TestTriangle>& triangles, int32_t surfaceCount = 1) {
    buildObject(object, points, triangles, surfaceCount);
    for (int32_t i = 0; i < object.mesh.pointCount; ++i) {
        MeshPoint& p = object.mesh.points[i];
        for (int c = 0; c < 4; ++c) {
            p.viewPosition[c] = p.position[c];
        }
    }
}

} // namespace

TEST(BoundingBoxTest, BoxWhollyBehindTheNearPlaneOrBeyondOneSideIsCulled) {
    const RenderView view = standardView();
    SceneObject behind;
    boxObject(behind, -1, 1, -1, 1, -2, -1);
    behind.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(behind.isCulled, 1);

    SceneObject left;
    boxObject(left, -5, -3, -0.1f, 0.1f, 1, 2);
    left.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(left.isCulled, 1);
    EXPECT_EQ(left.boxClipFlags, kLeft);
}

TEST(BoundingBoxTest, BoxStraddlingPlanesIsKeptWithTheirBits) {
    const RenderView view = standardView();
    SceneObject object;
    boxObject(object, -0.1f, 0.1f, -0.1f, 0.1f, -1, 1);
    object.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(object.isCulled, 0);
    EXPECT_EQ(object.boxClipFlags, kLeft | kRight | kTop | kBottom | kNear);

    SceneObject inside;
    boxObject(inside, -0.5f, 0.5f, -0.5f, 0.5f, 1, 2);
    inside.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(inside.isCulled, 0);
    EXPECT_EQ(inside.boxClipFlags, 0u);
}

TEST(BoundingBoxTest, CornersExactlyOnAPlaneCountAsOutside) {
    const RenderView view = standardView();
    SceneObject flat;
    boxObject(flat, -0.01f, 0.01f, -0.01f, 0.01f, 0.1f, 0.1f);
    flat.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(flat.isCulled, 1) << "every corner on the near plane";

    SceneObject touching;
    boxObject(touching, -0.01f, 0.01f, -0.01f, 0.01f, 0.1f, 1.0f);
    touching.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(touching.isCulled, 0);
    EXPECT_EQ(touching.boxClipFlags, kNear);
}

TEST(BoundingBoxTest, BoxIsTestedInWorldSpaceThroughTheObjectTransform) {
    const RenderView view = standardView();
    SceneObject object;
    boxObject(object, -0.5f, 0.5f, -0.5f, 0.5f, 1, 2);
    object.transform.translate(0.0f, 0.0f, -10.0f); // moved behind the camera
    object.testBoundingBox(view.scene.worldPlanes);
    EXPECT_EQ(object.isCulled, 1);
    EXPECT_EQ(object.viewBoundingBox[0][2], -9.0f) << "the corners are left in world space";
}

TEST(BackFaceTest, TrianglesTurnedAwayAreHiddenAndTheirPointsNotNeeded) {
    SceneObject object;
    // Clockwise on screen (x right, y up) is the front; the second triangle is reversed
    // and has a point of its own.
    placePoints(object, {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}, {-1, 0, 2}}, {{0, 1, 2}, {0, 1, 3}});
    object.cullBackFaces();
    EXPECT_EQ(object.mesh.polygons[0].isVisible, 1);
    EXPECT_EQ(object.mesh.polygons[1].isVisible, 0);
    EXPECT_EQ(object.mesh.points[0].isNeeded, 1);
    EXPECT_EQ(object.mesh.points[2].isNeeded, 1);
    EXPECT_EQ(object.mesh.points[3].isNeeded, 0);
}

TEST(BackFaceTest, EdgeOnTrianglesCountAsFront) {
    SceneObject object;
    placePoints(object, {{0, 0, 1}, {0, 0, 2}, {0, 1, 1}}, {{0, 1, 2}, {0, 2, 1}});
    object.cullBackFaces();
    EXPECT_EQ(object.mesh.polygons[0].isVisible, 1);
    EXPECT_EQ(object.mesh.polygons[1].isVisible, 1);
}

TEST(BackFaceTest, BackFacesOfDoubleSidedSurfacesAreDrawn) {
    SceneObject object;
    placePoints(object, {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}}, {{0, 2, 1}});
    object.mesh.surfaces[0].doubleSided = 0x100;
    object.cullBackFaces();
    EXPECT_EQ(object.mesh.polygons[0].isVisible, 1);
    EXPECT_EQ(object.mesh.points[1].isNeeded, 1);
}

TEST(BackFaceTest, TrianglesNamingMissingPointsOrSurfacesAreNeverDrawn) {
    SceneObject object;
    placePoints(object, {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}}, {{0, 1, 2}, {0, 1, 2}});
    object.mesh.polygons[0].corners[2].pointIndex = 3;
    object.mesh.polygons[1].surface = 2;
    object.cullBackFaces();
    EXPECT_EQ(object.mesh.polygons[0].isVisible, 0);
    EXPECT_EQ(object.mesh.polygons[1].isVisible, 0);
}

TEST(ClipCodesTest, EveryPointGetsItsOutsideBitsAndRawPlaneDotProducts) {
    const RenderView view = standardView();
    SceneObject object;
    placePoints(object, {{0, 0, 1}, {0, 0, 0.05f}, {1, 0, 1}, {-2, 2, 1}}, {{0, 1, 2}});
    object.computeClipCodes(view.scene.cameraPlanes);
    const MeshPoint* p = object.mesh.points.get();
    EXPECT_EQ(p[0].outsideBits, 0u);
    EXPECT_EQ(p[1].outsideBits, kNear) << "not needed, still coded";
    EXPECT_EQ(p[2].outsideBits, kRight) << "on the right plane counts as outside";
    EXPECT_EQ(p[3].outsideBits, kLeft | kTop);
    // Stored is normal · p, not its difference from d: at z = 1 on the axis that is the
    // normal's z for every plane.
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(p[0].planeDistance[j], view.scene.cameraPlanes.planes[j][3]) << "plane " << j;
    }
}

TEST(ClipCodesTest, PlanesBeyondTheFiveAPointCanHoldAreIgnored) {
    RenderView view = standardView();
    view.scene.cameraPlanes.count = 20;
    for (int j = 5; j < 20; ++j) {
        view.scene.cameraPlanes.planes[j][0] = 1e30f; // everything outside
    }
    SceneObject object;
    placePoints(object, {{0, 0, 1}, {0, 1, 1}, {1, 0, 1}}, {{0, 1, 2}});
    object.mesh.points[0].color[0] = 0.25f;
    object.computeClipCodes(view.scene.cameraPlanes);
    EXPECT_EQ(object.mesh.points[0].outsideBits, 0u);
    EXPECT_EQ(object.mesh.points[0].color[0], 0.25f);
}
