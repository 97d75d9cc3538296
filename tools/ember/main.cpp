// ember: the companion tool for people who author, inspect, test and record content
// for the player. See `ember help` and `ember help COMMAND`.
//
// Exit status: 0 done, 1 the command failed (one line on standard error says why),
// 2 the command line could not be understood (the line names the word at fault).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "content/LaterSceneReader.h"
#include "content/Lwo2Object.h"
#include "content/Triangulator.h"
#include "ember/Commands.h"
#include "ember/SceneConversion.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"

namespace {

constexpr int kUsageError = 2;

// "ember inspect object" for the inspect object subcommand.
std::string commandPath(const CLI::App* command) {
    std::string path = command->get_name();
    for (const CLI::App* parent = command->get_parent(); parent != nullptr;
         parent = parent->get_parent()) {
        path = parent->get_name() + " " + path;
    }
    return path;
}

std::vector<CLI::App*> visibleSubcommands(CLI::App* command) {
    return command->get_subcommands([](CLI::App* sub) { return !sub->get_name().empty(); });
}

std::string commandList(CLI::App* command) {
    std::string list;
    for (const CLI::App* sub : visibleSubcommands(command)) {
        list += (list.empty() ? "" : ", ") + sub->get_name();
    }
    return list;
}

// The subcommand the words name, from `root`; nullptr when a word names none.
CLI::App* findCommand(CLI::App* root, const std::vector<std::string>& words) {
    CLI::App* command = root;
    for (const std::string& word : words) {
        CLI::App* next = nullptr;
        for (CLI::App* sub : visibleSubcommands(command)) {
            if (sub->get_name() == word) {
                next = sub;
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        command = next;
    }
    return command;
}

// What went wrong, in the user's words: the unknown command or option by name, rather
// than the first requirement the parser found unmet.
std::string usageProblem(CLI::App& app, const CLI::ParseError& error) {
    CLI::App* deepest = &app;
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (CLI::App* sub : visibleSubcommands(deepest)) {
            if (sub->parsed()) {
                deepest = sub;
                deeper = true;
                break;
            }
        }
    }
    const std::string where = "'" + commandPath(deepest) + "'";
    const std::vector<std::string> extra = app.remaining();
    const bool wantsCommand = !visibleSubcommands(deepest).empty();
    if (!extra.empty()) {
        const std::string& word = extra.front();
        if (word.size() > 1 && word[0] == '-') {
            return "unknown option " + word + " for " + where;
        }
        if (wantsCommand) {
            return "unknown command '" + word + "' for " + where +
                   " (commands: " + commandList(deepest) + ")";
        }
        return "unexpected argument '" + word + "' for " + where;
    }
    if (wantsCommand && deepest->get_require_subcommand_min() > 0) {
        return where + " needs a command: " + commandList(deepest);
    }
    if (error.get_name() == "RequiredError") {
        return std::string(error.what()) + " for " + where;
    }
    return error.what();
}

void addHelpCommand(CLI::App& app) {
    auto words = std::make_shared<std::vector<std::string>>();
    CLI::App* help =
        app.add_subcommand("help", "Show the options of ember or of one of its commands");
    help->add_option("COMMAND", *words, "A command, e.g. render or inspect scene");
    help->callback([&app, words] {
        const CLI::App* command = findCommand(&app, *words);
        if (command == nullptr) {
            std::string named;
            for (const std::string& word : *words) {
                named += (named.empty() ? "" : " ") + word;
            }
            throw UsageError("no command '" + named + "' (commands: " + commandList(&app) + ")");
        }
        // The formatter itself: App::help() would show the help command's own help.
        std::fputs(command->get_formatter()
                       ->make_help(command, commandPath(command), CLI::AppFormatMode::Normal)
                       .c_str(),
                   stdout);
    });
}

} // namespace

int main(int argc, char** argv) {
    useToolDiagnostics("ember", 0);
    // ember reads real content: LWOB polygons of any size (triangulated on load), LWO2
    // objects and scene files of later versions. The player reads LightWave 5 content only.
    readerExtensions().triangulatePolygons = &triangulatePolygon;
    readerExtensions().readOtherObject = &readLwo2Object;
    readerExtensions().readLaterScene = &readLaterScene;

    CLI::App app{"ember: render, inspect and convert Emberlight demo content", "ember"};
    app.set_version_flag("--version", std::string("ember ") + EMBER_VERSION);
    app.add_flag_callback(
        "--trace-loaders", [] { useToolDiagnostics("ember", 1); },
        "Print the object loaders' trace lines (surfaces, smoothing angles) on standard error");
    app.fallthrough(); // the options above are taken after the command too
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
    addConvertSceneCommand(app); // after addConvertCommands: it joins their "convert"
    addHelpCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        return app.exit(done); // --help, --version
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "ember: %s\nSee 'ember help' or 'ember help COMMAND'.\n",
                     usageProblem(app, e).c_str());
        return kUsageError;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ember: %s\n", e.what());
        return kUsageError;
    } catch (const ToolError& e) {
        if (e.what()[0] != '\0') {
            std::fprintf(stderr, "ember: %s\n", e.what());
        }
        return 1;
    } catch (const std::bad_alloc&) {
        // Unwound like any failure: a file being written is removed, the old one kept.
        std::fprintf(stderr, "ember: not enough memory\n");
        return 1;
    }
    return 0;
}
