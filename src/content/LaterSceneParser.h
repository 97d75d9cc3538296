// parseLaterScene: the text of a scene file of version 2 to 5 into a LaterScene.
//
// Usage:
//   LaterScene scene;
//   char problem[256];
//   if (!parseLaterScene(text, size, scene, problem, sizeof(problem))) { report(problem); }
//
// What it reads (every other keyword and every block it does not know is skipped, as are
// "Plugin ... EndPlugin" sections):
//   - the header "LWSC" and the version; FirstFrame, LastFrame, FrameStep,
//     FramesPerSecond; AmbientColor, AmbientIntensity (AmbIntensity);
//   - items: LoadObjectLayer, LoadObject, AddNullObject, AddLight, AddCamera, each with
//     the id that versions 4 and later write after the keyword;
//   - per item: ObjectMotion / LightMotion / CameraMotion (version 2: the per-channel
//     key lines and "Pre/PostBehavior"; version 3 and later: NumChannels, Channel and
//     "{ Envelope" blocks), ParentItem (ParentObject), TargetItem (TargetObject),
//     PivotPosition (PivotPoint), ObjectDissolve (ObjDissolve), LightColor,
//     LightIntensity (LgtIntensity), LightType, LightFalloffType, LightRange, LensFlare,
//     FlareIntensity, ZoomFactor.
// A value written as "(envelope)" takes the envelope that follows it. Keywords that belong
// to another kind of item than the current one are ignored.
//
// Version 2 writes its keys as "value time span p1 p2 p3" with span 2 for what later
// versions call TCB, so 2 reads as TCB there; its angles are degrees and its colours
// 0..255, converted here.
//
// Refused, with the line where it was found: a first line other than "LWSC", a version
// outside 2..5, an item without its file or layer, more than kLaterItemCapacity items, a
// key or count that is not a number, a key count larger than the rest of the file can
// hold, an envelope block that is never closed, a parent or target id that names no
// item, parents that form a loop, a frame rate outside 0 (excluded) to 1000.
#pragma once

#include <cstddef>
#include <cstdint>

#include "content/LaterScene.h"

// 1 with `scene` filled (items resolved: parent and target indices set); 0 with a
// one-line reason in `problem`. `scene` must be fresh.
int32_t parseLaterScene(const char* text, size_t size, LaterScene& scene, char* problem,
                        size_t problemSize);
