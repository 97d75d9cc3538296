// Hand-built objects, views and textures for the geometry pipeline tests.
//
// The standard view is the camera at the world origin looking along +z with zoom 1 on
// a 640 × 480 screen, so object space, world space and camera space coincide for an
// object with unit scale at the origin, and a point (x, y, z) lands on the screen at
// ((x / z + 1) × 320, (1.3333334 × y / z + 1) × 240).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/ProcessState.h"
#include "player/SceneCamera.h"
#include "player/SceneObject.h"
#include "render/ObjectRendering.h"
#include "texture/TextureTable.h"

struct TestPoint {
    float x, y, z;
    float color[3] = {1.0f, 1.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    int32_t surface = 0;
};

struct TestTriangle {
    int32_t a, b, c;
    int32_t surface = 0;
    float u[3] = {0.0f, 0.0f, 0.0f};
    float v[3] = {0.0f, 0.0f, 0.0f};
};

// An object with unit scale at the origin holding the given points and triangles; its
// bounding box encloses the points. Surfaces get colour 1 and no flags unless changed.
inline void buildObject(SceneObject& object, const std::vector<TestPoint>& points,
                        const std::vector<TestTriangle>& triangles, int32_t surfaceCount = 1) {
    Mesh& mesh = object.mesh;
    mesh.pointCount = static_cast<int32_t>(points.size());
    mesh.points = std::make_unique<MeshPoint[]>(points.size());
    float low[3] = {points[0].x, points[0].y, points[0].z};
    float high[3] = {points[0].x, points[0].y, points[0].z};
    for (size_t i = 0; i < points.size(); ++i) {
        MeshPoint& p = mesh.points[i];
        const float position[3] = {points[i].x, points[i].y, points[i].z};
        for (int c = 0; c < 3; ++c) {
            p.position[c] = position[c];
            p.normal[c] = points[i].normal[c];
            p.color[c] = points[i].color[c];
            low[c] = position[c] < low[c] ? position[c] : low[c];
            high[c] = position[c] > high[c] ? position[c] : high[c];
        }
        p.position[3] = 1.0f;
        p.surface = points[i].surface;
    }
    mesh.polygonCount = static_cast<int32_t>(triangles.size());
    mesh.polygons = std::make_unique<MeshPolygon[]>(triangles.size());
    for (size_t k = 0; k < triangles.size(); ++k) {
        const TestTriangle& t = triangles[k];
        MeshPolygon& polygon = mesh.polygons[k];
        const int32_t corners[3] = {t.a, t.b, t.c};
        for (int i = 0; i < 3; ++i) {
            polygon.corners[i].pointIndex = corners[i];
            polygon.corners[i].u = t.u[i];
            polygon.corners[i].v = t.v[i];
        }
        polygon.surface = t.surface;
    }
    mesh.surfaceCount = surfaceCount;
    mesh.surfaces = std::make_unique<Surface[]>(surfaceCount + 1);
    for (int32_t s = 0; s <= surfaceCount; ++s) {
        for (float& c : mesh.surfaces[s].color) {
            c = 1.0f;
        }
    }
    for (int corner = 0; corner < 8; ++corner) {
        object.boundingBox[corner][0] = (corner & 1) ? high[0] : low[0];
        object.boundingBox[corner][1] = (corner & 2) ? high[1] : low[1];
        object.boundingBox[corner][2] = (corner & 4) ? high[2] : low[2];
        object.boundingBox[corner][3] = 1.0f;
    }
    object.motion.scale = Vector3{1.0f, 1.0f, 1.0f};
}

// The camera at the origin looking along +z, zoom 1, 640 × 480.
inline RenderView standardView(float zoom = 1.0f) {
    demoSettings = DemoSettings{};
    RenderView view;
    SceneView& scene = view.scene;
    scene.viewRotation.identity();
    SceneCamera camera;
    camera.zoomFactor = zoom;
    scene.worldPlanes.build(scene.viewRotation, camera, scene.cameraPosition, 1);
    scene.cameraPlanes.build(scene.viewRotation, camera, scene.cameraPosition, 0);
    scene.zoomFactor = zoom;
    view.screenWidth = 640.0f;
    view.screenHeight = 480.0f;
    return view;
}

// A camera whose ambient light shows every surface at its full colour.
inline SceneCamera fullAmbientCamera() {
    SceneCamera camera;
    camera.zoomFactor = 1.0f;
    camera.ambientIntensity = 1.0f;
    camera.ambientColor[0] = camera.ambientColor[1] = camera.ambientColor[2] = 1.0f;
    return camera;
}

// Adds a loaded 1 × 1 RGB565 texture to the table without a file; its first selection
// downloads it at the table's next free address (8 bytes per such texture).
inline int32_t addTestTexture(TextureTable& table, uint16_t texel) {
    const int32_t index = table.count++;
    TextureSlot& slot = table.slots[index];
    slot.hostImage = std::make_unique<uint8_t[]>(2);
    slot.hostImage[0] = static_cast<uint8_t>(texel & 0xFF);
    slot.hostImage[1] = static_cast<uint8_t>(texel >> 8);
    slot.info.smallLod = GR_LOD_1;
    slot.info.largeLod = GR_LOD_1;
    slot.info.aspectRatio = GR_ASPECT_1x1;
    slot.info.format = GR_TEXFMT_RGB_565;
    slot.info.data = slot.hostImage.get();
    slot.memoryRequired = 8;
    return index;
}
