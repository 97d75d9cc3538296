// Hand-built objects, views and textures for the geometry pipeline tests.
//
// standardView(): the camera at the origin looking along +z, zoom 1, 640 × 480, so an
// object with unit scale at the origin has object = world = camera space, and a point
// (x, y, z) lands at ((x / z + 1) × 320, (1.3333334 × y / z + 1) × 240).
#pragma once

#include <algorithm>
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
    float grey = 1.0f; // surface colour (grey, grey / 2, grey / 4)
};

struct TestTriangle {
    int32_t a, b, c;
    int32_t surface = 0;
};

// Unit scale at the origin; the box encloses the points; corners (u, v) = (0, 0),
// (0, 256), (256, 0); every point's normal (0.5, -0.25, 0.75).
inline void buildObject(SceneObject& object, const std::vector<TestPoint>& points,
                        const std::vector<TestTriangle>& triangles, int32_t surfaceCount = 1) {
    Mesh& mesh = object.mesh;
    mesh.pointCount = static_cast<int32_t>(points.size());
    mesh.points = std::make_unique<MeshPoint[]>(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const float position[4] = {points[i].x, points[i].y, points[i].z, 1.0f};
        const float normal[3] = {0.5f, -0.25f, 0.75f};
        MeshPoint& p = mesh.points[i];
        for (int c = 0; c < 4; ++c) {
            p.position[c] = position[c];
            p.viewPosition[c] = position[c]; // for tests of single steps
            p.normal[c % 3] = p.viewNormal[c % 3] = normal[c % 3];
            p.color[c % 3] = points[i].grey / static_cast<float>(1 << (c % 3));
        }
    }
    mesh.polygonCount = static_cast<int32_t>(triangles.size());
    mesh.polygons = std::make_unique<MeshPolygon[]>(triangles.size());
    for (size_t k = 0; k < triangles.size(); ++k) {
        MeshPolygon& polygon = mesh.polygons[k];
        const int32_t corners[3] = {triangles[k].a, triangles[k].b, triangles[k].c};
        for (int i = 0; i < 3; ++i) {
            polygon.corners[i].pointIndex = corners[i];
        }
        polygon.corners[1].v = polygon.corners[2].u = 256.0f;
        polygon.surface = triangles[k].surface;
    }
    mesh.surfaceCount = surfaceCount;
    mesh.surfaces = std::make_unique<Surface[]>(surfaceCount + 1);
    float low[3] = {points[0].x, points[0].y, points[0].z};
    float high[3] = {points[0].x, points[0].y, points[0].z};
    for (const TestPoint& p : points) {
        const float v[3] = {p.x, p.y, p.z};
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], v[c]);
            high[c] = std::max(high[c], v[c]);
        }
    }
    for (int corner = 0; corner < 8; ++corner) {
        for (int c = 0; c < 3; ++c) {
            object.boundingBox[corner][c] = ((corner >> c) & 1) ? high[c] : low[c];
        }
        object.boundingBox[corner][3] = 1.0f;
    }
    object.motion.scale = Vector3{1.0f, 1.0f, 1.0f};
}

inline RenderView standardView() {
    demoSettings = DemoSettings{};
    RenderView view;
    SceneView& scene = view.scene;
    scene.viewRotation.identity();
    SceneCamera camera;
    camera.zoomFactor = 1.0f;
    scene.worldPlanes.build(scene.viewRotation, camera, scene.cameraPosition, 1);
    scene.cameraPlanes.build(scene.viewRotation, camera, scene.cameraPosition, 0);
    scene.zoomFactor = 1.0f;
    view.screenWidth = 640.0f;
    view.screenHeight = 480.0f;
    return view;
}

// Full white ambient light: every point shows its surface colour × 255.
inline SceneCamera fullAmbientCamera() {
    SceneCamera camera;
    camera.zoomFactor = 1.0f;
    camera.ambientIntensity = 1.0f;
    camera.ambientColor[0] = camera.ambientColor[1] = camera.ambientColor[2] = 1.0f;
    return camera;
}

// A loaded 1 × 1 RGB565 texture without a file, downloaded at once (8 bytes each, from
// address 0 up), so that selecting it later traces only its grTexSource.
inline int32_t addTestTexture(TextureTable& table, uint16_t texel) {
    const int32_t index = table.count++;
    TextureSlot& slot = table.slots[index];
    slot.hostImage = std::make_unique<uint8_t[]>(2);
    slot.hostImage[0] = static_cast<uint8_t>(texel & 0xFF);
    slot.hostImage[1] = static_cast<uint8_t>(texel >> 8);
    slot.info.smallLod = slot.info.largeLod = GR_LOD_1;
    slot.info.aspectRatio = GR_ASPECT_1x1;
    slot.info.format = GR_TEXFMT_RGB_565;
    slot.info.data = slot.hostImage.get();
    slot.memoryRequired = 8;
    table.selectTexture(index);
    return index;
}
