// The temporaries are kept in a fixed table of path buffers so that the signal handler
// can remove them with unlink() alone (async-signal-safe): no allocation, no locks. A
// process has at most a handful at a time (a video and its soundtrack).
#include "ember/OutputFile.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ember/Commands.h"

namespace {

constexpr int kSlots = 16;
constexpr size_t kPathBytes = 4096;

char temporaries[kSlots][kPathBytes]; // "" when the slot is free
volatile sig_atomic_t handlersInstalled = 0;

void removeTemporariesAndDie(int signal) {
    for (char* path : temporaries) {
        if (path[0] != '\0') {
            unlink(path);
        }
    }
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void installHandlers() {
    if (handlersInstalled) {
        return;
    }
    handlersInstalled = 1;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = removeTemporariesAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
}

int takeSlot(const std::string& path) {
    if (path.size() + 1 > kPathBytes) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        if (temporaries[i][0] == '\0') {
            std::memcpy(temporaries[i], path.c_str(), path.size() + 1);
            return i;
        }
    }
    return -1;
}

mode_t creationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)), target_(path_) {
    installHandlers();
    struct stat existing;
    if (stat(path_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            throw ToolError("cannot write " + path_ + ": it is a folder");
        }
        if (!S_ISREG(existing.st_mode)) {
            // A device or a pipe (/dev/null, a FIFO that a player reads) is written as it
            // is: it holds nothing to lose, and a file renamed over it would replace the
            // device itself.
            temporary_ = path_;
            direct_ = true;
            return;
        }
        // A symbolic link stays one: the file it leads to is replaced.
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(path_, error);
        if (!error) {
            target_ = resolved.string();
        }
    }
    const std::filesystem::path final(target_);
    const std::string name = final.filename().string();
    if (name.empty() || name == "." || name == "..") {
        throw ToolError("cannot write " + path_ + ": it names no file");
    }
    const std::string extension = final.extension().string();
    const std::filesystem::path directory = final.parent_path();
    std::string pattern = (directory.empty() ? std::string() : directory.string() + "/") + "." +
                          final.stem().string() + ".XXXXXX" + extension;
    const int descriptor = mkstemps(pattern.data(), static_cast<int>(extension.size()));
    if (descriptor < 0) {
        throw ToolError("cannot write " + path_ + ": " + std::strerror(errno));
    }
    fchmod(descriptor, creationMode());
    close(descriptor);
    temporary_ = pattern;
    slot_ = takeSlot(temporary_);
}

OutputFile::~OutputFile() {
    if (!temporary_.empty() && !direct_) {
        std::remove(temporary_.c_str());
    }
    if (slot_ >= 0) {
        temporaries[slot_][0] = '\0';
    }
}

void OutputFile::commit() {
    if (!direct_ && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw ToolError("cannot write " + path_ + ": " + std::strerror(errno));
    }
    temporary_.clear();
    if (slot_ >= 0) {
        temporaries[slot_][0] = '\0';
        slot_ = -1;
    }
}
