// Clipping, rejection and snapping of object triangles, read from the trace. Camera at
// the origin, zoom 1, 640 × 480; corners lit (255, 127.5, 63.75).
#include <gtest/gtest.h>

#include <cmath>

#include "render/PipelineFixtures.h"
#include "render/RenderCounters.h"
#include "render/ScreenSnap.h"
#include "support/TraceCapture.h"

namespace {

std::vector<std::string> drawnTriangles(SceneObject& object) {
    TraceCapture trace;
    TextureTable textures;
    renderCounters.reset();
    renderSceneObject(object, standardView(), nullptr, 0, fullAmbientCamera(), textures);
    return trace.calls("grDrawTriangle");
}

} // namespace

TEST(TriangleClipper, TriangleCrossingTheNearPlaneIsDrawnAsATwoTriangleFan) {
    // P0 lies behind the near plane; the box crosses the right, top and near planes, so
    // planes 1, 2 and 4 are visited: the first two cut nothing but each start the
    // polygon at its second corner (P1 P2 P0, then P2 P0 P1); the near plane cuts the
    // edges P2-P0 and P0-P1 at z = 0.1. Clipped vertices: a = 255, ooz = 65535 / z,
    // oow = 1 / z, (s, t) = (u, v) / z.
    SceneObject object;
    buildObject(object, {{0, 0, 0.05f}, {0, 0.5f, 1}, {0.5f, 0, 1}}, {{0, 1, 2}});
    const VertexValues onP2P0{404.1875f, 240,         0.100000024f, 255,         127.5f, 63.75f,
                              255,       655349.875f, 9.99999809f,  134.736908f, 0};
    const VertexValues onP1P0{320, 324.1875f,   0.100000024f, 255, 127.5f,     63.75f,
                              255, 655349.875f, 9.99999809f,  0,   134.736908f};
    const VertexValues p1{320, 400, 1, 255, 127.5f, 63.75f, 255, 65535, 1, 0, 256};
    const VertexValues p2{480, 240, 1, 255, 127.5f, 63.75f, 255, 65535, 1, 256, 0};
    EXPECT_EQ(drawnTriangles(object),
              (std::vector<std::string>{triangleText("grDrawTriangle", onP2P0, onP1P0, p1),
                                        triangleText("grDrawTriangle", onP2P0, p1, p2)}));
    EXPECT_EQ(object.boxClipFlags, 2u | 4u | 16u);
    EXPECT_EQ(renderCounters.trianglesClipped, 1);
}

TEST(TriangleClipper, TriangleOutsideOnePlaneIsSkippedWithoutAStateChange) {
    SceneObject object; // triangle 0 (blended surface 1) wholly left of the view
    buildObject(object,
                {{-5, 0, 2}, {-5, 0.75f, 2}, {-4, 0, 2}, {0, 0, 2}, {0, 0.75f, 2}, {1, 0, 2}},
                {{0, 1, 2, 1}, {3, 4, 5, 0}}, 2);
    object.mesh.surfaces[1].transparent = 1;
    TraceCapture trace;
    TextureTable textures;
    renderSceneObject(object, standardView(), nullptr, 0, fullAmbientCamera(), textures);
    EXPECT_EQ(trace.calls("grConstantColorValue").size(), 0u);
    EXPECT_EQ(trace.calls("grColorCombine").size(), 1u);
    EXPECT_EQ(trace.calls("grDrawTriangle").size(), 1u);
}

TEST(TriangleClipper, ValuesThatAreNotNumbersNeverOverrunTheClipper) {
    SceneObject object;
    buildObject(object, {{0, 0, 0.05f}, {0, 0.5f, 1}, {0.5f, 0, 1}}, {{0, 1, 2}});
    object.motion.scale = Vector3{1.0f, INFINITY, NAN};
    EXPECT_LE(drawnTriangles(object).size(), 18u);
}

TEST(ScreenSnap, ObjectVerticesRoundToTheNearestSixteenthFlaresAndFireTruncate) {
    EXPECT_EQ(snapToSixteenth(100.03f), 100.0f);
    EXPECT_EQ(snapToSixteenth(100.04f), 100.0625f);
    EXPECT_EQ(truncateToSixteenth(100.06f), 100.0f);
    EXPECT_EQ(truncateToSixteenth(-3.2f), -3.1875f);
    // x / z = -0.6874063 puts a corner at 100.029984 pixels, -0.6873625 at 100.044006.
    SceneObject object;
    buildObject(object, {{-0.6874063f, 0, 1}, {-0.6874063f, 0.5f, 1}, {-0.6873625f, 0, 1}},
                {{0, 1, 2}});
    const std::string drawn = drawnTriangles(object).at(0);
    EXPECT_EQ(drawn.find("{x=100 y=240 "), 15u) << drawn;
    EXPECT_NE(drawn.find("}, {x=100.0625 y=240 "), std::string::npos) << drawn;
}
