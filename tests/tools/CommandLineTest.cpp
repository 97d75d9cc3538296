// The ember command line as a user meets it: what it says about words it does not know,
// values it cannot use, and where to find help.
#include <gtest/gtest.h>

#include <string>

#include "support/EmberProgram.h"

namespace {

using CommandLineTest = EmberProgramTest;

struct Answer {
    const char* arguments;
    int status;
    const char* said; // a part of standard output (status 0) or standard error
};

} // namespace

TEST_F(CommandLineTest, NamesWhatItCannotUseAndPointsToHelp) {
    const Answer answers[] = {
        {"", 2,
         "ember: 'ember' needs a command: inspect, texture, trace, render, play, convert, help\n"},
        {"rendr", 2, "ember: unknown command 'rendr' for 'ember' (commands: inspect"},
        {"render --bogus", 2, "ember: unknown option --bogus for 'ember render'\n"},
        {"inspect objekt", 2,
         "unknown command 'objekt' for 'ember inspect' (commands: object, "
         "scene, texture)"},
        {"render . --frames 5:2 -o d/", 2,
         "ember: --frames 5:2: the first frame (5) is after the last (2)\n"},
        {"render . --size 9000x10 -o f.png", 2,
         "ember: --size 9000x10: each side is 1 to 8192 pixels\n"},
        {"render -o f.png", 2, "ember: DIR is required for 'ember render'"},
        {"help nope", 2, "ember: no command 'nope'"},
        {"--version", 0, "ember "},
        {"help", 0, "Usage: ember [OPTIONS] SUBCOMMAND"},
        {"help inspect scene", 0, "Usage: ember inspect scene [OPTIONS] FILE"},
        {"render --help", 0, "--no-audio"},
    };
    for (const Answer& answer : answers) {
        EXPECT_EQ(run(answer.arguments), answer.status) << answer.arguments;
        const std::string& said = answer.status == 0 ? out : err;
        EXPECT_NE(said.find(answer.said), std::string::npos) << answer.arguments << ": " << said;
    }
    EXPECT_EQ(listDirectory("."), std::vector<std::string>{});
}
