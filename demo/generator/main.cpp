// make_demo DIR [--no-disc]: writes the bundled demo into DIR (scenes/, objects/,
// textures/ and cdrom/ with the soundtrack). Everything is computed here: meshes,
// pictures, scene files and music; the same program gives the same files every run.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "DemoFolder.h"
#include "Music.h"

namespace {

struct SceneEntry {
    const char* name;
    SceneText (*build)(DemoFolder&);
};

const SceneEntry kScenes[] = {{"outdoor", buildOutdoor},
                              {"temple", buildTemple},
                              {"future", buildFuture},
                              {"office", buildOffice},
                              {"theend", buildTheEnd}};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: make_demo DIR [--no-disc]\n");
        return 2;
    }
    const bool disc = !(argc > 2 && std::strcmp(argv[2], "--no-disc") == 0);
    const auto started = std::chrono::steady_clock::now();
    try {
        DemoFolder folder(argv[1]);
        writeSharedTextures(folder);
        std::vector<double> sceneSeconds;
        std::string listing;
        for (const SceneEntry& entry : kScenes) {
            const SceneText scene = entry.build(folder);
            folder.writeScene(entry.name, scene);
            // A scene plays frames 0 to lastFrame, then one cleared frame (30 a second).
            sceneSeconds.push_back((scene.lastFrame() + 2) / 30.0);
            listing += std::string("  scenes\\") + entry.name + ".lws\n";
        }
        double musicSeconds = 0.0;
        if (disc) {
            const Soundtrack music = synthesiseSoundtrack(sceneSeconds, 2.0);
            musicSeconds = music.seconds();
            writeDiscImage(folder.root() + "/cdrom", music,
                           "EMBERLIGHT DEMO DISC\n\nTrack 1: this data track.\nTrack 2: the "
                           "soundtrack of the bundled demo.\n\nScenes:\n" +
                               listing);
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("make_demo: %zu scenes, %d objects (%d triangles), %zu textures, %.1f s of "
                    "music in %.1f s\n",
                    sceneSeconds.size(), folder.objectCount(), folder.triangleCount(),
                    folder.textures().size(), musicSeconds, elapsed);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
