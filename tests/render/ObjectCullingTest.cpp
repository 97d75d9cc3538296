// Whole-object culling, back faces and clip codes. Camera at the origin, zoom 1: the
// planes are 0 left (x = -z), 1 right (x = z), 2 top, 3 bottom (y = ±0.75 z), 4 near
// (z = 0.1).
#include <gtest/gtest.h>

#include "render/PipelineFixtures.h"

namespace {

constexpr uint32_t kLeft = 1, kRight = 2, kTop = 4, kNear = 16;

// An object whose box spans x0..x1, y0..y1, z0..z1 (camera space), after the box test.
SceneObject& testedBox(SceneObject& object, float x0, float x1, float y0, float y1, float z0,
                       float z1) {
    buildObject(object, {{x0, y0, z0}, {x1, y1, z1}, {x0, y1, z1}}, {{0, 1, 2}});
    object.transform.identity();
    object.testBoundingBox(standardView().scene.worldPlanes);
    return object;
}

} // namespace

TEST(ObjectCulling, BoxesAreCulledOnlyWhenAllCornersAreOutsideOnePlane) {
    SceneObject behind, left, straddling, onNear, touchingNear;
    EXPECT_EQ(testedBox(behind, -1, 1, -1, 1, -2, -1).isCulled, 1);
    EXPECT_EQ(testedBox(left, -5, -3, -0.1f, 0.1f, 1, 2).isCulled, 1);
    EXPECT_EQ(left.boxClipFlags, kLeft);
    EXPECT_EQ(testedBox(straddling, -0.1f, 0.1f, -0.1f, 0.1f, -1, 1).isCulled, 0);
    EXPECT_EQ(straddling.boxClipFlags, 31u) << "every plane is crossed";
    EXPECT_EQ(testedBox(onNear, -0.01f, 0.01f, -0.01f, 0.01f, 0.1f, 0.1f).isCulled, 1)
        << "a corner on a plane counts as outside";
    EXPECT_EQ(testedBox(touchingNear, -0.01f, 0.01f, -0.01f, 0.01f, 0.1f, 1).boxClipFlags, kNear);
}

TEST(ObjectCulling, BackFacesAreHiddenUnlessDoubleSidedAndEdgeOnCountsAsFront) {
    SceneObject object; // clockwise on screen (x right, y up) is the front
    buildObject(object, {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}, {-1, 0, 2}, {0, 0, 3}},
                {{0, 1, 2}, {0, 1, 3}, {0, 4, 1}, {0, 1, 3, 1}}, 2);
    object.mesh.surfaces[1].doubleSided = 0x100;
    object.cullBackFaces();
    const MeshPolygon* p = object.mesh.polygons.get();
    EXPECT_EQ(p[0].isVisible, 1);
    EXPECT_EQ(p[1].isVisible, 0);
    EXPECT_EQ(p[2].isVisible, 1) << "edge-on";
    EXPECT_EQ(p[3].isVisible, 1) << "double-sided";
    object.mesh.surfaces[1].doubleSided = 0;
    object.cullBackFaces();
    EXPECT_EQ(object.mesh.points[3].isNeeded, 0) << "only back faces use it";
    EXPECT_EQ(object.mesh.points[4].isNeeded, 1);
}

TEST(ObjectCulling, ClipCodesHoldOutsideBitsAndRawDotProductsOfAtMostFivePlanes) {
    RenderView view = standardView();
    FrustumPlanes& planes = view.scene.cameraPlanes;
    planes.count = 6; // a sixth plane that everything is outside of: no room for it
    planes.planes[5][0] = 1e30f;
    SceneObject object;
    buildObject(object, {{0, 0, 1}, {0, 0, 0.05f}, {1, 0, 1}, {-2, 2, 1}}, {{0, 1, 2}});
    object.computeClipCodes(planes);
    const MeshPoint* p = object.mesh.points.get();
    EXPECT_EQ(p[0].outsideBits, 0u);
    EXPECT_EQ(p[1].outsideBits, kNear);
    EXPECT_EQ(p[2].outsideBits, kRight) << "on the plane counts as outside";
    EXPECT_EQ(p[3].outsideBits, kLeft | kTop);
    for (int j = 0; j < 5; ++j) { // normal · (0, 0, 1), not minus d
        EXPECT_EQ(p[0].planeDistance[j], planes.planes[j][3]);
    }
    EXPECT_EQ(p[0].color[0], 1.0f) << "nothing written past the five distances";
}
