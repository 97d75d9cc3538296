// A generated scene for the renderer benchmarks: 20 spheres of 5,000 triangles each
// (100,000 in all) on a 5 × 4 grid in front of the camera, the outer ones partly off
// screen so that the clipper works, a distant and a point light (with a lens flare),
// and one fire of 40 particles. Half the spheres carry a 64 × 64 RGB565 texture.
//
// Everything is built in memory (no files): the meshes as the object reader would
// leave them (points split per surface, unit normals facing into the sphere, the
// orientation the lighting expects, clockwise front faces), constant motions, and
// texture slots filled directly.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "player/Scene.h"

namespace generated {

constexpr int32_t kObjects = 20;
constexpr int32_t kRings = 50;    // latitude bands
constexpr int32_t kSegments = 50; // longitude steps: 2 × 50 × 50 = 5,000 triangles

inline void buildSphere(SceneObject& object, float radius, float red, float green, float blue,
                        int32_t textured, int32_t texture) {
    Mesh& mesh = object.mesh;
    const int32_t columns = kSegments + 1;
    mesh.pointCount = (kRings + 1) * columns;
    mesh.points = std::make_unique<MeshPoint[]>(mesh.pointCount);
    for (int32_t r = 0; r <= kRings; ++r) {
        const double latitude = M_PI * r / kRings; // 0 at the top
        for (int32_t s = 0; s <= kSegments; ++s) {
            const double longitude = 2.0 * M_PI * s / kSegments;
            const double x = std::sin(latitude) * std::cos(longitude);
            const double y = std::cos(latitude);
            const double z = std::sin(latitude) * std::sin(longitude);
            MeshPoint& p = mesh.points[r * columns + s];
            p.position[0] = static_cast<float>(radius * x);
            p.position[1] = static_cast<float>(radius * y);
            p.position[2] = static_cast<float>(radius * z);
            p.position[3] = 1.0f;
            p.normal[0] = static_cast<float>(-x); // into the sphere
            p.normal[1] = static_cast<float>(-y);
            p.normal[2] = static_cast<float>(-z);
            p.color[0] = red, p.color[1] = green, p.color[2] = blue;
        }
    }
    mesh.polygonCount = 2 * kRings * kSegments;
    mesh.polygons = std::make_unique<MeshPolygon[]>(mesh.polygonCount);
    int32_t k = 0;
    for (int32_t r = 0; r < kRings; ++r) {
        for (int32_t s = 0; s < kSegments; ++s) {
            const int32_t a = r * columns + s; // upper left
            const int32_t b = a + 1;           // upper right
            const int32_t c = a + columns;     // lower left
            const int32_t d = c + 1;           // lower right
            const int32_t quads[2][3] = {{a, b, c}, {b, d, c}};
            for (const auto& t : quads) {
                MeshPolygon& polygon = mesh.polygons[k++];
                for (int i = 0; i < 3; ++i) {
                    polygon.corners[i].pointIndex = t[i];
                    polygon.corners[i].u = 256.0f * static_cast<float>(t[i] % columns) / kSegments;
                    polygon.corners[i].v = 256.0f * static_cast<float>(t[i] / columns) / kRings;
                }
            }
        }
    }
    mesh.surfaceCount = 1;
    mesh.surfaces = std::make_unique<Surface[]>(2);
    Surface& surface = mesh.surfaces[0];
    surface.color[0] = red, surface.color[1] = green, surface.color[2] = blue;
    surface.textureMapping = textured;
    surface.colorTexture = texture;
    for (int corner = 0; corner < 8; ++corner) {
        object.boundingBox[corner][0] = (corner & 1) ? radius : -radius;
        object.boundingBox[corner][1] = (corner & 2) ? radius : -radius;
        object.boundingBox[corner][2] = (corner & 4) ? radius : -radius;
        object.boundingBox[corner][3] = 1.0f;
    }
}

// A 64 × 64 RGB565 checker texture in a slot of its own, without a file.
inline int32_t addCheckerTexture(TextureTable& table) {
    const int32_t index = table.count++;
    TextureSlot& slot = table.slots[index];
    constexpr int32_t kSize = 64;
    slot.hostImage = std::make_unique<uint8_t[]>(kSize * kSize * 2);
    for (int32_t y = 0; y < kSize; ++y) {
        for (int32_t x = 0; x < kSize; ++x) {
            const uint16_t texel = ((x / 8 + y / 8) % 2) != 0 ? 0xFFFF : 0x8410;
            slot.hostImage[2 * (y * kSize + x)] = static_cast<uint8_t>(texel & 0xFF);
            slot.hostImage[2 * (y * kSize + x) + 1] = static_cast<uint8_t>(texel >> 8);
        }
    }
    slot.info.smallLod = GR_LOD_64;
    slot.info.largeLod = GR_LOD_64;
    slot.info.aspectRatio = GR_ASPECT_1x1;
    slot.info.format = GR_TEXFMT_RGB_565;
    slot.info.data = slot.hostImage.get();
    slot.memoryRequired = kSize * kSize * 2;
    return index;
}

inline std::unique_ptr<Scene> buildScene() {
    auto scene = std::make_unique<Scene>();
    const int32_t checker = addCheckerTexture(scene->textures);
    scene->flareTexture = checker;
    scene->objectCount = kObjects;
    for (int32_t i = 0; i < kObjects; ++i) {
        SceneObject& object = scene->objects[i];
        const float column = static_cast<float>(i % 5) - 2.0f; // -2 .. 2
        const float row = static_cast<float>(i / 5) - 1.5f;    // -1.5 .. 1.5
        buildSphere(object, 1.0f, 0.4f + 0.15f * (i % 4), 0.5f, 0.9f - 0.1f * (i % 5), i % 2,
                    checker);
        object.motion.position = Vector3{column * 2.6f, row * 2.4f, 9.0f + 0.5f * (i % 3)};
        object.motion.scale = Vector3{1.0f, 1.0f, 1.0f};
        object.motion.heading = 15.0f * static_cast<float>(i);
    }

    SceneCamera& camera = scene->camera;
    camera.zoomFactor = 1.6f;
    camera.ambientIntensity = 0.25f;
    camera.ambientColor[0] = camera.ambientColor[1] = camera.ambientColor[2] = 1.0f;

    scene->lightCount = 2;
    SceneLight& sun = scene->lights[0];
    sun.lightType = 0;
    sun.color[0] = sun.color[1] = sun.color[2] = 1.0f;
    sun.intensity = 0.8f;
    sun.motion.heading = 30.0f;
    sun.motion.pitch = 40.0f;
    SceneLight& lamp = scene->lights[1];
    lamp.lightType = 1;
    lamp.color[0] = 1.0f, lamp.color[1] = 0.8f, lamp.color[2] = 0.5f;
    lamp.range = 12.0f;
    lamp.rangeSquared = 144.0f;
    lamp.lensFlare = 1;
    lamp.flareIntensity = 0.8f;
    lamp.motion.position = Vector3{-1.0f, 1.0f, 5.0f};

    scene->fireCount = 1;
    FireEmitter& fire = scene->fires[0];
    fire.motion.position = Vector3{0.0f, -3.0f, 7.0f};
    fire.texture = checker;
    fire.width = 0.5f;
    fire.height = 2.0f;
    fire.startFrame = -1.0f;
    fire.endFrame = 1e9f;
    fire.initParticles();
    return scene;
}

} // namespace generated
