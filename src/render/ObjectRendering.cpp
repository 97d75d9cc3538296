#include "render/ObjectRendering.h"

#include "player/SceneObject.h"
#include "render/CameraView.h"
#include "render/RenderCounters.h"

void placeObjectInWorld(SceneObject& object) {
    const Motion& m = object.motion;
    Matrix4& t = object.transform;
    Matrix4& n = object.normalTransform;
    t.identity();
    n.identity();
    t.scale(m.scale.x, m.scale.y, m.scale.z);
    t.rotateZ(m.bank);
    n.rotateZ(m.bank);
    t.rotateX(m.pitch);
    n.rotateX(m.pitch);
    t.rotateY(m.heading);
    n.rotateY(m.heading);
    t.translate(m.position.x, m.position.y, m.position.z);
}

void renderSceneObject(SceneObject& object, const RenderView& view, const SceneLight* lights,
                       int32_t lightCount, const SceneCamera& camera, TextureTable& textures) {
    if (object.isMorphTarget != 0 || (object.hasDissolve != 0 && object.dissolve == 255.0f)) {
        ++renderCounters.objectsHidden;
        return;
    }
    placeObjectInWorld(object);
    object.testBoundingBox(view.scene.worldPlanes);
    if (object.isCulled != 0) {
        ++renderCounters.objectsCulled;
        return;
    }

    const Vector3& eye = view.scene.cameraPosition;
    object.transform.translate(-eye.x, -eye.y, -eye.z);
    object.transform.multiply(view.scene.viewRotation);
    object.normalTransform.multiply(view.scene.viewRotation);

    Mesh& mesh = object.mesh;
    object.transform.transformPoints(mesh.points.get(), mesh.pointCount);
    object.normalTransform.transformNormals(mesh.points.get(), mesh.pointCount);
    object.transform.transformVectors(object.boundingBox, object.viewBoundingBox, 8);

    object.cullBackFaces();
    object.lightPoints(lights, lightCount, camera);
    object.computeClipCodes(view.scene.cameraPlanes);

    const int32_t width = static_cast<int32_t>(view.screenWidth);
    const int32_t height = static_cast<int32_t>(view.screenHeight);
    projectPoints(mesh.points.get(), mesh.pointCount, width, height, view.scene.zoomFactor);
    projectCorners(object.viewBoundingBox, object.viewBoundingBox, 8, width, height,
                   view.scene.zoomFactor);

    object.drawPolygons(textures, 0.0f, 0.0f, view.screenWidth, view.screenHeight,
                        view.scene.zoomFactor, view.scene.cameraPlanes);
    ++renderCounters.objectsDrawn;
}
