// SceneObject: one object slot of a scene: the loaded mesh, its motion, dissolve and
// morph settings, and the per-frame working fields of the geometry pipeline.
//
// The operations live with the subsystem that owns them:
//   loadObject                               object/   (object file reader)
//   updateEnvelopes, applyMorph              anim/     (per-frame animation, morphing)
//   testBoundingBox, cullBackFaces,
//   lightPoints, computeClipCodes,
//   drawPolygons                             render/   (geometry pipeline)
#pragma once

#include <cstdint>
#include <memory>

#include "anim/Motion.h"
#include "math/Matrix4.h"
#include "object/Mesh.h"

struct FrustumPlanes;
struct SceneCamera;
struct SceneLight;
struct TextureTable;

struct SceneObject {
    Motion motion;                    // "ObjectMotion"
    Matrix4 transform;                // per frame: object -> world, then object -> camera
    Matrix4 normalTransform;          // per frame: rotation part only
    float boundingBox[8][4] = {};     // object-space box corners (x, y, z, 1)
    float viewBoundingBox[8][4] = {}; // per frame: world, then camera, then projected
    uint32_t boxClipFlags = 0;        // bit j: some corner on or outside frustum plane j
    int32_t isCulled = 0;             // 1: all corners outside one plane; not drawn
    Mesh mesh;
    int32_t hasMorph = 0;        // 1 after "Metamorph"
    int32_t morphMode = 0;       // "MTSEMorphing": nonzero straight blend, 0 cubic
    int32_t morphIsConstant = 0; // 1: morphAmount is a constant
    int32_t morphTarget = 0;     // 0-based index of the next member of the morph chain
    int32_t isMorphTarget = 0;   // named as some object's target: not animated, not drawn
    int32_t hasDissolve = 0;     // 1 after "ObjDissolve"
    int32_t dissolveIsConstant = 0;
    float dissolve = 0.0f; // 0 opaque .. 1 gone; exactly 255.0 is not drawn at all
    Envelope dissolveEnvelope;
    float morphAmount = 0.0f; // chain position: 0 own shape, 1 first target ...
    Envelope morphEnvelope;
    // Head of a morph chain only: member k's point positions and normals.
    std::unique_ptr<std::unique_ptr<Vector3[]>[]> morphPositions;
    std::unique_ptr<std::unique_ptr<Vector3[]>[]> morphNormals;
    int32_t morphChainLength = 0;
    // The object file as its "LoadObject" line names it (nullptr until loaded by a scene),
    // and 1 when it was found under the second name, "objects\\" followed by that name.
    std::unique_ptr<char[]> fileName;
    int32_t foundInObjectDirectory = 0;

    int32_t loadObject(TextureTable& textures, const char* fileName); // 1 loaded, 0 failed
    void rememberFileName(const char* name); // a copy in fileName (none without memory)
    void updateEnvelopes(double time);
    void applyMorph();
    void testBoundingBox(const FrustumPlanes& worldPlanes);
    void cullBackFaces();
    void lightPoints(const SceneLight* lights, int32_t lightCount, const SceneCamera& camera);
    void computeClipCodes(const FrustumPlanes& viewPlanes);
    void drawPolygons(TextureTable& textures, float originX, float originY, float width,
                      float height, float zoomFactor, const FrustumPlanes& viewPlanes);
};
