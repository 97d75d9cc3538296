// ember: the companion tool for people who author, inspect, test and record content
// for the player. See `ember --help` and each subcommand's --help.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "content/Lwo2Object.h"
#include "content/Triangulator.h"
#include "ember/Commands.h"
#include "player/ReaderExtensions.h"

int main(int argc, char** argv) {
    // ember reads real content: LWOB polygons of any size are triangulated on load, and
    // objects of later versions (LWO2) are read too; the player does neither.
    readerExtensions().triangulatePolygons = &triangulatePolygon;
    readerExtensions().readOtherObject = &readLwo2Object;

    CLI::App app{"ember: render, inspect and convert Emberlight demo content"};
    app.require_subcommand(1);
    CLI::App* inspect = app.add_subcommand("inspect", "Load a file with the player's own readers "
                                                      "and print what it holds");
    inspect->require_subcommand(1);
    addInspectObjectCommand(*inspect);
    addInspectSceneCommand(*inspect);
    addTextureCommands(app, *inspect);
    addTraceCommand(app);
    addRenderCommand(app);
    addPlayCommands(app);
    addConvertCommands(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const ToolError& e) {
        std::fprintf(stderr, "ember: %s\n", e.what());
        return 1;
    }
    return 0;
}
