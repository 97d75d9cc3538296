// The fuzz drivers: one input through one reader, as the system would meet it.
//
// Each driver has a prepare step, run once per process, which writes the fixed files
// its inputs may refer to into the working directory, and a run step for one input,
// which writes the input to its file(s), runs the system's code on it through the real
// content path and checks what a successful load promises. Run returns nullptr when all
// held, else a one-line description of the broken promise. Crashes, out-of-bounds
// accesses, leaks and undefined behaviour are for the sanitizers to find.
//
// Prepare also sets process-wide state: the object reader's trace lines go nowhere; the
// 3DF and frame drivers make their software device the current accelerator; the frame
// driver sets the screen size in demoSettings. Tests undo what matters to them.
//
// The libFuzzer programs (fuzz/FuzzTarget.cpp) call the drivers in a workspace of their own
// (FuzzWorkspace.h); the hostile-input tests replay their findings through the same
// drivers in a scratch directory.
//
// Inputs:
//   object  the bytes of an object file (objects/fuzz.lwo); when they contain the marker
//           kTextureCoordinateMarker, the bytes before its first occurrence are the object
//           and the bytes after it the texture coordinate file (objects/fuzz.txc)
//   scene   the text of a scene file (scenes/fuzz.lws) beside the content of
//           FuzzContent.h; a scene that loads is animated at several frames
//   frame   the text of a scene file, as for scene; a scene that loads is started (its
//           textures made resident) and drawn on a small software device at frame 0 and
//           a later frame
//   3df     the bytes of a 3DF file (textures/fuzz.3df): read, decoded level by level,
//           loaded into a texture table and drawn on a small software device
//   png     the bytes of a PNG file: read, and when it is at most 512 x 512 pixels,
//           converted to a 3DF texture (format and mip-maps chosen by the input's
//           length), written, read back and compared
//   lwo2    the bytes of an LWO2 object file (objects/fuzz.lwo, beside objects/boxuv.png),
//           loaded whole with the LWO2 reader switched on, then one layer alone
//   picture the bytes of a picture of any kind: read, and when it is at most 512 x 512
//           pixels, converted to a texture as a clip picture is
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char kTextureCoordinateMarker[] = "--txc--";

void prepareObjectInput();
const char* runObjectInput(const uint8_t* data, size_t size);

void prepareSceneInput();
const char* runSceneInput(const uint8_t* data, size_t size);

void prepareFrameInput();
const char* runFrameInput(const uint8_t* data, size_t size);

void prepareThreeDfInput();
const char* runThreeDfInput(const uint8_t* data, size_t size);

void preparePngInput();
const char* runPngInput(const uint8_t* data, size_t size);

void prepareLwo2Input();
const char* runLwo2Input(const uint8_t* data, size_t size);

void preparePictureInput();
const char* runPictureInput(const uint8_t* data, size_t size);
