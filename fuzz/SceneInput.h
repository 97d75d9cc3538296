// Shared by the scene and frame drivers: loading a fuzzed scene and what a loaded scene
// promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct Scene;

// Writes the input as the scene file and loads it into a fresh scene. Returns the
// scene when it loaded and keeps every promise; nullptr otherwise, with `broken` naming
// the broken promise (nullptr when the load failed, as it may).
std::unique_ptr<Scene> loadFuzzedScene(const uint8_t* data, size_t size, const char*& broken);

// nullptr when a loaded scene keeps every promise, else which one it breaks.
const char* brokenScenePromise(const Scene& scene);
