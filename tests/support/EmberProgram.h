// Runs the ember program as a user runs it, inside a scratch working directory, for tests
// of its subcommands. EMBER_PROGRAM names the built program.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/ScratchDirectory.h"

class EmberProgramTest : public ScratchDirectoryTest {
protected:
    // Runs `ember <arguments>` (arguments as a shell reads them): its exit status, with
    // standard output in out and standard error in err.
    // `limits` is shell text run first (e.g. "ulimit -f 1;").
    int run(const std::string& arguments, const std::string& limits = "") {
        const std::string command = limits + std::string(EMBER_PROGRAM) + " " + arguments +
                                    " >ember-out.txt 2>ember-err.txt";
        const int status = std::system(command.c_str());
        out = readFile("ember-out.txt");
        err = readFile("ember-err.txt");
        std::remove("ember-out.txt");
        std::remove("ember-err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string out;
    std::string err;
};
