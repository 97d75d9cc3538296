// ember convert scene IN.lws OUT_DIR: a scene file of version 2 to 5 as a LightWave 5 demo
// folder that the player (emberplay) plays.
//
// OUT_DIR gets:
//   scenes\outdoor.lws   the scene as version 1: every motion and envelope as the readers
//                        bake it (content/SceneBaking.h): the scene's own keys where
//                        version 1 can hold them, else a key per frame, exact at every
//                        frame either way;
//   scenes\temple.lws, future.lws, office.lws, theend.lws
//                        empty scenes of no frames: the player plays its five fixed names,
//                        so after the scene it shows one cleared frame per empty scene
//                        and ends (or, looping, starts the scene again);
//   objects\NAME.lwo     each object (an LWO2 layer, an LWOB of any polygons) as triangles,
//                        moved by its pivot, with NAME.txc beside it (ember/MeshExport.h);
//   textures\NAME.3df    the pictures its surfaces show, as the readers made them, and
//                        flare.3df, a lens-flare glow that every scene loads.
// The folder is written under a temporary name beside OUT_DIR, read back with the
// player's own readers and compared with the scene as loaded (every motion and envelope
// at every frame, every mesh); only then is it renamed to OUT_DIR. An existing OUT_DIR is
// never touched.
#pragma once

#include <string>

namespace CLI {
class App;
}

// Throws ToolError for anything that stops the conversion; nothing is left behind then.
void convertScene(const std::string& sceneFile, const std::string& outputDirectory);

// Registers "scene" under "convert" (creating "convert" when no other group has).
void addConvertSceneCommand(CLI::App& app);
