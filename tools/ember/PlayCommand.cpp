// ember play DIR [--color 16|32] [--size WxH]: the player, as emberplay runs it, in DIR.
// Like every ember command it writes nothing into DIR: the error.txt lines come on
// standard error as warnings, and a scene that fails names its reason there after the
// message box.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "anim/SceneReader.h"
#include "app/DesktopPlayer.h"
#include "ember/CommandOptions.h"
#include "ember/Commands.h"

void addPlayCommands(CLI::App& app) {
    CLI::App* play = app.add_subcommand(
        "play", "Run the player in a demo folder, as emberplay does there (settings dialog, "
                "full screen, CD audio)");
    static std::string directory;
    static int colorBits = 16;
    static std::string size;
    play->add_option("DIR", directory, "The demo folder (scenes/, objects/, textures/, cdrom/)")
        ->required()
        ->check(CLI::ExistingDirectory);
    play->add_option("--color", colorBits,
                     "16: the board's dithered 16-bit look (default); 32: clean 8 bits per channel")
        ->check(CLI::IsMember({16, 32}));
    play->add_option(
        "--size", size,
        "Render at WxH (fitted to 4:3) instead of the resolution chosen in the dialog");
    play->callback([] {
        DesktopPlayerOptions options;
        options.colorMode = colorBits == 32 ? AccelColorMode::Clean32 : AccelColorMode::Authentic16;
        if (!size.empty()) {
            parseSize(size, &options.width, &options.height);
        }
        if (chdir(directory.c_str()) != 0) {
            throw ToolError("cannot enter " + directory + ": " + std::strerror(errno));
        }
        const int32_t status = runDesktopPlayer(options);
        if (status == kNoWindow) {
            throw ToolError("cannot open a window here (is there a display?); "
                            "`ember render` records the demo without one");
        }
        if (status != 0) {
            throw ToolError(displayText(lastSceneLoadMessage())); // the box said the rest
        }
    });
}
