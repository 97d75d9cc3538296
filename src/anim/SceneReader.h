// The scene file reader: Scene::load (declared on the record in player/Scene.h).
//
// Scene::load(fileName) fills a freshly built Scene from one LightWave scene file (a
// content path such as "scenes\outdoor.lws", relative to the working directory) and
// returns 1, or 0 with the reason written to error.txt (replacing its contents). It
// loads every object the scene names (object files through SceneObject::loadObject),
// every texture it names, then "flare.3df", prepares the morph chains and seeds the fire
// emitters. A scene that failed is left partly filled and must not be played.
//
// Beyond the player's own messages ("unable to open scene: ", "not a Lightwave scene
// file ...", "failed opening object: ..."), the reader refuses, each with a line of the
// form "<reason> in scene: <file name>":
//   - a 61st object, 11th light or 11th fire;
//   - a word or number of 1024 characters or more;
//   - an envelope with a channel count outside 1..9, a motion or envelope with more keys
//     than the rest of the file can hold, memory that cannot be had;
//   - a fire with a negative particle count;
//   - a morph chain that names an object outside the scene, loops, or has a member with
//     fewer points than its head.
// A light keyword outside a light ends the load with result 0 and, as in the player, no
// message.
//
// Choices where content never goes:
//   - Object keywords before the first "LoadObject" and fire keywords before the first
//     "AddFire" read their values as usual and then ignore them (no texture is loaded).
//   - A "ZoomFactor" that is missing or 0 becomes kDefaultZoomFactor when the file is
//     read, so that every user of the camera's zoom can divide by it.
//   - The end of the file ends the loop as soon as no word is left; the previous word is
//     never acted on twice.
#pragma once

// The line the last failed Scene::load of this process wrote to error.txt; "" when it
// succeeded or failed without a message. For tools that report a failure themselves.
const char* lastSceneLoadMessage();
