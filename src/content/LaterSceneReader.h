// readLaterScene: a scene file of version 2 to 5 into a freshly built Scene.
//
// The ember tool installs it as readerExtensions().readLaterScene at start-up, so that
// Scene::load reads later scenes through it (the player itself reads version 1 only).
//
// Usage:
//   readerExtensions().readLaterScene = &readLaterScene;
//   scene.load("scenes\\move_x.lws");          // dispatches on the version
//
// It reads the file (content/LaterSceneParser.h), loads every object (layer by layer
// where LoadObjectLayer names one) and moves its points by the item's pivot, then bakes
// the animation into the player's records (content/SceneBaking.h). Object paths are
// tried as written (relative to the working directory, the content directory), then
// relative to the scene file's directory, then under "objects\", then by their bare file
// name beside the scene file and under "objects\".
//
// Returns 1, or 0 with the reason reported like the scene reader's own ("<reason> in
// scene: <file>", or "failed opening object: ..." for an object that cannot be found).
#pragma once

#include <cstdint>
#include <string>

struct Scene;

int32_t readLaterScene(Scene& scene, const char* fileName, int32_t version);

// Where each object of a later scene came from, in slot order, for tools that write the
// scene out again: the object file as found (a content path) and the layer read (the
// layer number of LoadObjectLayer, 0 for the whole object).
struct LaterObjectSource {
    std::string path;
    int32_t layer = 0;
};

// readLaterScene, also filling sources[0 .. scene.objectCount) (kSceneObjectCapacity
// records).
int32_t readLaterSceneWithSources(Scene& scene, const char* fileName, LaterObjectSource* sources);

// Scene files above this size are refused before they are read.
inline constexpr int64_t kMaxLaterSceneBytes = 64 * 1024 * 1024;
