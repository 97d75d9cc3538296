// Drawing one object's visible triangles in two passes.
//
// The main pass draws every visible triangle with its surface's state; the reflection
// pass draws the reflection image over reflective surfaces at equal depth (the depth
// function is relaxed to LEQUAL between the passes), blended by their reflectivity.
// The accelerator's state is a global state machine, so a surface's state is set only
// when the surface changes between two drawn triangles; the current surface is reset
// at the start of each pass, so the first drawn triangle of each object and pass sets
// its state. A triangle that is skipped (all corners outside one plane, or a back
// face) changes no state.
//
// Triangles wholly inside the frustum go straight to the accelerator with the
// projection of their points; the others take the clipper. Screen positions are
// snapped to 1/16 pixel; all arithmetic is single precision.
#include <cstdint>

#include "accel/Accelerator.h"
#include "app/ProcessState.h"
#include "player/SceneObject.h"
#include "render/RenderCounters.h"
#include "render/ScreenSnap.h"
#include "render/SurfaceStates.h"
#include "render/TriangleClipper.h"
#include "texture/TextureTable.h"

namespace {

struct Viewport {
    float originX;
    float originY;
    float width; // W = width - originX
    float height;
};

// Unclipped vertex of point p at polygon corner c. pass 0 maps the corner's u, v;
// pass 1 maps 256 × the normal's x, y.
GrVertex screenVertex(const MeshPoint& p, const PolygonCorner& c, const Viewport& view, float alpha,
                      int32_t pass) {
    GrVertex g;
    g.x = snapToSixteenth(p.projected[0] * view.width + view.originX);
    g.y = snapToSixteenth(p.projected[1] * view.height + view.originY);
    g.z = p.projected[2];
    g.r = p.litColor[0], g.g = p.litColor[1], g.b = p.litColor[2];
    g.a = alpha;
    g.ooz = 65535.0f / p.projected[2];
    g.oow = 1.0f / p.projected[3];
    g.tmuvtx[0].oow = g.oow;
    if (pass == 0) {
        g.tmuvtx[0].sow = c.u * g.oow;
        g.tmuvtx[0].tow = c.v * g.oow;
    } else {
        g.tmuvtx[0].sow = 256.0f * p.viewNormal[0] * g.oow;
        g.tmuvtx[0].tow = 256.0f * p.viewNormal[1] * g.oow;
    }
    return g;
}

// 1 when all corners lie on or outside one common plane, or the triangle faces away.
bool isSkipped(const MeshPolygon& polygon, const MeshPoint* points) {
    if (polygon.isVisible == 0) {
        return true;
    }
    const uint32_t common = points[polygon.corners[0].pointIndex].outsideBits &
                            points[polygon.corners[1].pointIndex].outsideBits &
                            points[polygon.corners[2].pointIndex].outsideBits;
    return common != 0;
}

// A clip-window coordinate from a viewport value, truncated; values that are negative,
// not a number or beyond any screen are held to 0 .. 65535.
FxU32 clipCoordinate(float pixels) {
    if (!(pixels > 0.0f)) {
        return 0;
    }
    return pixels < 65535.0f ? static_cast<FxU32>(pixels) : 65535u;
}

bool isInside(const MeshPolygon& polygon, const MeshPoint* points) {
    return (points[polygon.corners[0].pointIndex].outsideBits |
            points[polygon.corners[1].pointIndex].outsideBits |
            points[polygon.corners[2].pointIndex].outsideBits) == 0;
}

void drawTriangle(const Mesh& mesh, int32_t k, const Viewport& view, float alpha, int32_t pass,
                  uint32_t boxClipFlags, float zoomFactor, const FrustumPlanes& viewPlanes) {
    const MeshPolygon& polygon = mesh.polygons[k];
    const MeshPoint* points = mesh.points.get();
    if (!isInside(polygon, points)) {
        clipAndDrawTriangle(mesh.polygons.get(), points, k, viewPlanes, view.originX, view.originY,
                            view.width, view.height, boxClipFlags, zoomFactor, pass);
        return;
    }
    GrVertex v[3];
    for (int i = 0; i < 3; ++i) {
        const PolygonCorner& c = polygon.corners[i];
        v[i] = screenVertex(points[c.pointIndex], c, view, alpha, pass);
    }
    grDrawTriangle(&v[0], &v[1], &v[2]);
    ++renderCounters.trianglesDrawn;
}

} // namespace

void SceneObject::drawPolygons(TextureTable& textures, float originX, float originY, float width,
                               float height, float zoomFactor, const FrustumPlanes& viewPlanes) {
    const Viewport view{originX, originY, width - originX, height - originY};
    grDepthMask(FXTRUE);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grClipWindow(clipCoordinate(originX), clipCoordinate(originY), clipCoordinate(width),
                 clipCoordinate(height));
    grSstOrigin(GR_ORIGIN_LOWER_LEFT);

    MeshPoint* points = mesh.points.get();
    int32_t currentSurface = -1;
    MainPassSurface state;
    for (int32_t k = 0; k < mesh.polygonCount; ++k) {
        MeshPolygon& polygon = mesh.polygons[k];
        if (isSkipped(polygon, points)) {
            if (polygon.isVisible != 0) {
                ++renderCounters.trianglesRejected;
            }
            continue;
        }
        if (polygon.surface != currentSurface) {
            state = setMainPassSurfaceState(mesh.surfaces[polygon.surface], hasDissolve, dissolve,
                                            textures);
            currentSurface = polygon.surface;
        }
        if (state.reflectionMapping != 0) {
            for (PolygonCorner& c : polygon.corners) {
                const float* n = points[c.pointIndex].viewNormal;
                c.u = 128.0f * n[0] + 128.0f;
                c.v = 128.0f * n[1] + 128.0f;
            }
        }
        drawTriangle(mesh, k, view, state.alpha, 0, boxClipFlags, zoomFactor, viewPlanes);
    }

    grDepthBufferFunction(GR_CMP_LEQUAL);
    currentSurface = -1;
    if (mesh.anyReflective != 0) {
        float alpha = 0.0f;
        for (int32_t k = 0; k < mesh.polygonCount; ++k) {
            const MeshPolygon& polygon = mesh.polygons[k];
            if (isSkipped(polygon, points)) {
                continue;
            }
            const Surface& surface = mesh.surfaces[polygon.surface];
            if (!drawsReflectionPass(surface)) {
                continue;
            }
            if (polygon.surface != currentSurface) {
                alpha = setReflectionPassSurfaceState(surface, textures);
                currentSurface = polygon.surface;
            }
            drawTriangle(mesh, k, view, alpha, 1, boxClipFlags, zoomFactor, viewPlanes);
        }
    }

    grClipWindow(0, 0, demoSettings.screenWidth, demoSettings.screenHeight);
}
