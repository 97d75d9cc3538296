// The ember tool's subcommands. Each group registers its subcommands on the app (and on
// the shared "inspect" subcommand where it has an inspect form); a subcommand's callback
// does its work and throws ToolError for anything that goes wrong, which main() turns
// into one line on standard error and exit status 1.
#pragma once

#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

struct ToolError : std::runtime_error {
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

// Registration functions, one per group (defined in tools/ember/<Group>Commands.cpp):
void addInspectObjectCommand(CLI::App& inspect);           // InspectObjectCommand.cpp
void addInspectSceneCommand(CLI::App& inspect);            // InspectSceneCommand.cpp
void addTextureCommands(CLI::App& app, CLI::App& inspect); // TextureCommands.cpp
void addTraceCommand(CLI::App& app);                       // TraceCommand.cpp
void addRenderCommand(CLI::App& app);                      // RenderCommand.cpp
void addPlayCommands(CLI::App& app);                       // PlayCommand.cpp
void addConvertCommands(CLI::App& app);                    // ConvertCommands.cpp
