// ReaderExtensions: what the readers take beyond LightWave 5 content.
//
// The player reads LightWave 5 content only: scene files of version 1 and LWOB objects
// made of triangles, exactly as they were always read. The ember tool also plays real
// content of every kind (LWOB polygons of any size, LWO2 objects, scene files of
// versions 2 to 5); it switches these extensions on once, at start-up, before anything
// is loaded. The extended readers live apart (src/content) and feed the same records,
// so the player neither links them nor behaves any differently for lack of them.
//
// One process-wide record, by design: the readers' entry points (Scene::load,
// SceneObject::loadObject) keep their signatures, and nothing else carries a context
// to them. Set it before loading; never change it while a load runs.
//
// Usage (ember's start-up):
//   readerExtensions().triangulatePolygons = &triangulatePolygon;
//   readerExtensions().readOtherObject = &readLwo2Object;
//   readerExtensions().readLaterScene = &readLaterScene;
#pragma once

#include <cstdint>

struct ObjectFile;
struct Scene;
struct Vector3;
struct SceneObject;
struct TextureTable;

struct ReaderExtensions {
    // Set: LWOB polygons of four or more corners are cut into triangles by this
    // function (the triangulator of src/content, Triangulator.h) on load, triangles are
    // taken as they are, points and lines skipped. nullptr: only triangles are read,
    // anything else refuses the object.
    int32_t (*triangulatePolygons)(const Vector3* corners, int32_t cornerCount,
                                   int32_t (*triangles)[3]) = nullptr;

    // Reads an object file that is not an LWOB (an LWO2) into the slot, mesh prepared and
    // ready to draw; 1 loaded, 0 refused (with the reason reported). nullptr: such files
    // are refused like any file the LWOB reader cannot use.
    int32_t (*readOtherObject)(SceneObject& object, TextureTable& textures,
                               ObjectFile& file) = nullptr;

    // Fills a freshly built scene from a scene file of a version other than 1; 1 loaded,
    // 0 refused (with the reason reported). nullptr: such files are refused with a
    // message that names the version.
    int32_t (*readLaterScene)(Scene& scene, const char* fileName, int32_t version) = nullptr;
};

inline ReaderExtensions& readerExtensions() {
    static ReaderExtensions extensions;
    return extensions;
}
