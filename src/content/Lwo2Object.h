// LWO2 objects (LightWave 6 and later) into object slots: the ember tool's reader of
// objects that are not LWOB.
//
// Usage:
//   readerExtensions().readOtherObject = &readLwo2Object;   // ember's start-up: then
//   SceneObject::loadObject reads LWO2 files too, every layer as one mesh
//   loadLwo2ObjectLayer(object, textures, "objects\\car.lwo", 0, &layer); // one layer
//
// The file is parsed (Lwo2Model.h) and built into the slot's Mesh (Lwo2Mesh.h: what is
// drawn and what is dropped); the surfaces' pictures join the scene's texture table
// (ClipTexture.h). Points keep the coordinates of the object file: a layer's pivot is
// not subtracted, since the scene places a layer's item at its pivot and turns it about
// it (the scene's pivot position).
//
// Failures: 0 with the slot emptied (as SceneObject::loadObject leaves it). A file that
// cannot be opened is not reported (the scene reader tries another path); every other
// refusal is reported with reportUnusableObject ("unusable object file <path>: <reason>").
#pragma once

#include <cstdint>
#include <string>

struct ObjectFile;
struct SceneObject;
struct TextureTable;

// The layer a single-layer load drew, for the scene that placed it.
struct Lwo2LayerInfo {
    int32_t number = 0;  // LAYR number
    int32_t flags = 0;   // bit 0: hidden in the modeller
    float pivot[3] = {}; // object space
    int32_t parent = -1; // LAYR number of the parent layer, -1 for none
    std::string name;
};

// ReaderExtensions::readOtherObject: every layer of an LWO2 file already read into
// `file` (file.name is its content path). 1 loaded, 0 refused.
int32_t readLwo2Object(SceneObject& object, TextureTable& textures, ObjectFile& file);

// The layer whose LAYR number is `layerNumber` (a scene's "LoadObjectLayer L" asks for
// L - 1; an object without LAYR chunks has layer 0) of the object at the content path
// `fileName`. An LWOB file has only layer 0, loaded as SceneObject::loadObject does.
// `layer` (optional) receives the layer's pivot and parent. 1 loaded, 0 not opened or
// refused.
int32_t loadLwo2ObjectLayer(SceneObject& object, TextureTable& textures, const char* fileName,
                            int32_t layerNumber, Lwo2LayerInfo* layer);
