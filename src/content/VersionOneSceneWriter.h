// writeVersionOneScene: a scene's records as the text of a version-1 scene file, which
// the player reads back into the same records.
//
// Usage:
//   std::string text = writeVersionOneScene(scene, objectPaths);   // then write it out
//
// What it writes, in the order the player's reader needs it: the frame range and rate;
// per object "LoadObject" with its path, its motion and its dissolve; the ambient light;
// per light "AddLight", its motion, colour, intensity, type, range and lens flare; then
// "ShowCamera", the camera's motion and zoom. Motions and envelopes are written key for
// key (a constant as one key); numbers with nine significant digits, so that every float
// reads back to the same bits. Colours are written on the scales the reader divides by
// (255 for lights, 256 for the ambient light).
//
// What it does not write: fires, morphs, camera targets (objects of a later scene carry
// their aim in their keys) and anything of the objects themselves.
#pragma once

#include <string>

struct Scene;

// objectPaths[i]: the content path ("objects\\name.lwo") of object i's file.
std::string writeVersionOneScene(const Scene& scene, const std::string* objectPaths);
