#include "FuzzWorkspace.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::filesystem::path workspace; // empty until entered

void removeWorkspace() {
    if (workspace.empty()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::current_path(workspace.parent_path(), ignored);
    std::filesystem::remove_all(workspace, ignored);
}

} // namespace

int32_t enterFuzzWorkspace() {
    if (!workspace.empty()) {
        return 1;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/ember-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        std::fprintf(stderr, "fuzz: cannot make a workspace directory %s\n", pattern.c_str());
        return 0;
    }
    workspace = pattern;
    std::atexit(removeWorkspace);
    return 1;
}

int32_t writeWorkspaceFile(const char* path, const uint8_t* data, size_t size) {
    const std::filesystem::path file(path);
    if (file.has_parent_path()) {
        std::error_code ignored;
        std::filesystem::create_directories(file.parent_path(), ignored);
    }
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return 0;
    }
    const bool ok = size == 0 || std::fwrite(data, 1, size, out) == size;
    return std::fclose(out) == 0 && ok ? 1 : 0;
}

int32_t writeWorkspaceFile(const char* path, const std::string& bytes) {
    return writeWorkspaceFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void removeWorkspaceFile(const char* path) {
    std::remove(path);
}

std::string readWorkspaceFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

FILE* discardStream() {
    static FILE* stream = std::fopen("/dev/null", "w");
    return stream;
}

void useProcessDevice(SoftwareDevice*& device, SoftwareDeviceOptions options) {
    if (device == nullptr) {
        options.report = [](void*, const char*) {};
        device = new SoftwareDevice(options);
        setAcceleratorDevice(device);
        grGlideInit();
        grSstSelect(0);
        grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                     GR_ORIGIN_UPPER_LEFT, 2, 1);
    }
    setAcceleratorDevice(device);
}
