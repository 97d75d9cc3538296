// What a successful SceneObject::loadObject promises about the slot, and what a failed
// one leaves: checked by the object, scene and frame drivers.
#pragma once

struct SceneObject;
struct TextureTable;

// nullptr when the loaded slot keeps every promise, else which one it breaks.
const char* brokenMeshPromise(const SceneObject& object, const TextureTable& textures);
// nullptr when a failed load left the slot empty.
const char* brokenEmptySlotPromise(const SceneObject& object);
