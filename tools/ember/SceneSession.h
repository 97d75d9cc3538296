// One scene of a demo, loaded from a content directory and played up to a frame, for
// the commands that look at a single frame (ember trace, ember render).
//
// Usage:
//   SceneSession session(directory, sceneIndex);  // works in `directory` from here on
//   ... make the accelerator device current and open its surface ...
//   session.load();                 // Scene::load of kDemoSceneFiles[sceneIndex]
//   session.start();                // the scene's start: its textures made resident
//   session.playUpTo(frame, fps);   // the frames before `frame`, drawn on no device
//   session.scene().renderFrame(frame);
//
// Seeding: the fire emitters of all scenes draw from one random sequence, in the order
// the player loads the scenes. By default load() therefore loads the scenes before the
// chosen one first, in the player's order, and drops them, so that its fires get the
// particles they get in the player (the scenes after it are seeded later and change
// nothing before the scene plays again). SceneSeeding::Alone loads the chosen scene
// only, its fires seeded as when it is the first scene read: quicker, and it needs
// none of the other scene files.
//
// playUpTo runs the frames a player on a virtual clock of `fps` displayed frames per
// second would have drawn before `frame` (displayed frame k at k × 1000 / fps whole
// milliseconds, its scene frame that times framesPerSecond × 0.001), so the animated
// state that carries from frame to frame (fire particles, NCC table alternation) is the
// one playback reaches. Those frames go to a device that keeps nothing but answers the
// queries as the current device does; they stop at the scene's lastFrame (the player
// would move on) and after at most 20,000 displayed frames. Failures are thrown as
// ToolError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct Scene;

enum class SceneSeeding {
    AsThePlayer, // the scenes before the chosen one are loaded first
    Alone,       // the chosen scene only
};

class SceneSession {
public:
    SceneSession(const std::string& directory, int32_t sceneIndex,
                 SceneSeeding seeding = SceneSeeding::AsThePlayer);
    ~SceneSession();

    void load();
    void start();
    void playUpTo(float frame, double displayRate);

    Scene& scene() { return *scene_; }
    const char* fileName() const;

private:
    int32_t sceneIndex_;
    SceneSeeding seeding_;
    std::unique_ptr<Scene> scene_;
};

// The scene index option shared by the commands: 0 .. 4 with the file names as help.
std::string sceneIndexHelp();
// Help of the option that asks for SceneSeeding::Alone.
inline constexpr char kAloneHelp[] =
    "Load only this scene, its fires seeded as if it were the first scene read (by default "
    "the scenes before it are loaded first, as the player loads them, so that its fires are "
    "the player's)";
