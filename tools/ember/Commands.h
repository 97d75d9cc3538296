// The ember tool's subcommands. Each group registers its subcommands on the app (and on
// the shared "inspect" subcommand where it has an inspect form); a subcommand's callback
// does its work and throws ToolError for anything that goes wrong, which main() turns
// into one line on standard error and exit status 1 (UsageError: an option value that
// cannot be used, exit status 2). A ToolError with an empty message ends the command
// with status 1 and no further line: what went wrong is already on standard error (a
// refusal the readers reported, see platform/Diagnostics.h).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Diagnostics.h"

namespace CLI {
class App;
}

struct ToolError : std::runtime_error {
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

struct UsageError : ToolError {
    explicit UsageError(const std::string& message) : ToolError(message) {}
};

// Registration functions, one per group (defined in tools/ember/<Group>Commands.cpp):
void addInspectObjectCommand(CLI::App& inspect);           // InspectObjectCommand.cpp
void addInspectSceneCommand(CLI::App& inspect);            // InspectSceneCommand.cpp
void addTextureCommands(CLI::App& app, CLI::App& inspect); // TextureCommands.cpp
void addTraceCommand(CLI::App& app);                       // TraceCommand.cpp
void addRenderCommand(CLI::App& app);                      // RenderCommand.cpp
void addPlayCommands(CLI::App& app);                       // PlayCommand.cpp
void addConvertCommands(CLI::App& app);                    // ConvertCommands.cpp

// A reader's message as a user reads it: runs of backslashes collapsed to one.
inline std::string displayText(const std::string& text) {
    std::vector<char> out(text.size() + 1);
    collapseBackslashes(text.c_str(), out.data(), out.size());
    return out.data();
}
