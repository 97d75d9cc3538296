// Clipping, rejection and snapping of object triangles, read from the accelerator trace.
// Camera at the origin, zoom 1, 640 × 480, full white ambient light; surface colour
// (1, 0.5, 0.25), so every corner carries (255, 127.5, 63.75).
#include <gtest/gtest.h>

#include <cmath>

#include "render/ObjectRendering.h"
#include "render/PipelineFixtures.h"
#include "render/RenderCounters.h"
#include "render/ScreenSnap.h"
#include "support/TraceCapture.h"

namespace {

TestPoint colouredPoint(float x, float y, float z) {
    TestPoint p{x, y, z};
    p.color[0] = 1.0f, p.color[1] = 0.5f, p.color[2] = 0.25f;
    return p;
}

void draw(SceneObject& object) {
    TextureTable textures;
    renderCounters.reset();
    renderSceneObject(object, standardView(), nullptr, 0, fullAmbientCamera(), textures);
}

} // namespace

TEST(TriangleClipper, TriangleCrossingTheNearPlaneIsDrawnAsATwoTriangleFan) {
    // P0 lies behind the near plane (z = 0.05); P1 and P2 at depth 1. The box crosses
    // the right, top and near planes, so the clipper visits planes 1, 2 and 4: the first
    // two cut nothing but each start the polygon at its second corner (P1, P2, P0, then
    // P2, P0, P1); the near plane then cuts edges P2-P0 and P0-P1 at z = 0.1.
    SceneObject object;
    TestTriangle t{0, 1, 2};
    t.u[2] = 256.0f; // (0, 0), (0, 256), (256, 0)
    t.v[1] = 256.0f;
    buildObject(object,
                {colouredPoint(0, 0, 0.05f), colouredPoint(0, 0.5f, 1), colouredPoint(0.5f, 0, 1)},
                {t});
    TraceCapture trace;
    draw(object);
    EXPECT_EQ(object.boxClipFlags, 2u | 4u | 16u);

    // Clipped vertices carry alpha 255, ooz = 65535 / z, oow = 1 / z, s, t = u, v / z.
    const VertexValues onEdgeP2P0{404.1875f, 240,         0.100000024f, 255,         127.5f, 63.75f,
                                  255,       655349.875f, 9.99999809f,  134.736908f, 0};
    const VertexValues onEdgeP1P0{320, 324.1875f,   0.100000024f, 255, 127.5f,     63.75f,
                                  255, 655349.875f, 9.99999809f,  0,   134.736908f};
    const VertexValues p1{320, 400, 1, 255, 127.5f, 63.75f, 255, 65535, 1, 0, 256};
    const VertexValues p2{480, 240, 1, 255, 127.5f, 63.75f, 255, 65535, 1, 256, 0};
    EXPECT_EQ(trace.calls("grDrawTriangle"),
              (std::vector<std::string>{triangleText("grDrawTriangle", onEdgeP2P0, onEdgeP1P0, p1),
                                        triangleText("grDrawTriangle", onEdgeP2P0, p1, p2)}));
    EXPECT_EQ(renderCounters.trianglesClipped, 1);
    EXPECT_EQ(renderCounters.trianglesDrawn, 2);
}

TEST(TriangleClipper, TriangleOutsideOnePlaneIsSkippedWithoutAStateChange) {
    // Triangle 0 (blended surface 1) lies wholly left of the view; triangle 1 (opaque
    // surface 0) in the middle. Only the opaque state may appear.
    SceneObject object;
    buildObject(object,
                {colouredPoint(-5, 0, 2), colouredPoint(-5, 0.75f, 2), colouredPoint(-4, 0, 2),
                 colouredPoint(0, 0, 2), colouredPoint(0, 0.75f, 2), colouredPoint(1, 0, 2)},
                {{0, 1, 2, 1}, {3, 4, 5, 0}}, 2);
    object.mesh.surfaces[1].transparent = 1;
    TraceCapture trace;
    draw(object);
    EXPECT_EQ(trace.calls("grConstantColorValue").size(), 0u);
    EXPECT_EQ(trace.calls("grColorCombine").size(), 1u);
    EXPECT_EQ(trace.calls("grDrawTriangle").size(), 1u);
    EXPECT_EQ(renderCounters.trianglesRejected, 1);
    EXPECT_EQ(renderCounters.trianglesClipped, 0) << "inside triangles skip the clipper";
}

TEST(TriangleClipper, ValuesThatAreNotNumbersDrawNothingUsableButNeverOverrun) {
    SceneObject object;
    buildObject(object,
                {colouredPoint(0, 0, 0.05f), colouredPoint(0, 0.5f, 1), colouredPoint(0.5f, 0, 1)},
                {{0, 1, 2}});
    object.motion.position = Vector3{NAN, 0.0f, INFINITY};
    TraceCapture trace;
    draw(object);
    EXPECT_LE(trace.calls("grDrawTriangle").size(), 18u);

    object.motion.position = Vector3{};
    object.motion.scale = Vector3{1.0f, INFINITY, 1.0f};
    draw(object);
    EXPECT_LE(trace.calls("grDrawTriangle").size(), 36u);
}

TEST(ScreenSnap, ObjectVerticesRoundToTheNearestSixteenthOfAPixel) {
    EXPECT_EQ(snapToSixteenth(100.03f), 100.0f);
    EXPECT_EQ(snapToSixteenth(100.04f), 100.0625f);
    EXPECT_EQ(snapToSixteenth(-3.2f), -3.1875f);
    // Flares and fire sprites truncate instead.
    EXPECT_EQ(truncateToSixteenth(100.06f), 100.0f);
    EXPECT_EQ(truncateToSixteenth(-3.2f), -3.1875f);
    EXPECT_TRUE(std::isnan(truncateToSixteenth(NAN)));
}

TEST(ScreenSnap, ProjectedCornersLandOnTheSnappedPixel) {
    // x / z = -0.6874063 puts a corner at 100.029984 pixels, -0.6873625 at 100.044006.
    SceneObject object;
    buildObject(object,
                {colouredPoint(-0.6874063f, 0, 1), colouredPoint(-0.6874063f, 0.5f, 1),
                 colouredPoint(-0.6873625f, 0, 1)},
                {{0, 1, 2}});
    TraceCapture trace;
    draw(object);
    const std::vector<std::string> triangles = trace.calls("grDrawTriangle");
    ASSERT_EQ(triangles.size(), 1u);
    EXPECT_EQ(triangles[0].find("{x=100 y=240 "), 15u) << triangles[0];
    EXPECT_NE(triangles[0].find("}, {x=100.0625 y=240 "), std::string::npos) << triangles[0];
}
