#include "ember/FrameSize.h"

#include <cstdlib>

#include "ember/Commands.h"

namespace {

constexpr int32_t kLargestSide = 8192;

// A whole decimal number 1 .. kLargestSide, or -1.
int32_t side(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return value >= 1 && value <= kLargestSide ? static_cast<int32_t>(value) : -1;
}

} // namespace

FrameSize parseFrameSize(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    const int32_t width = x == std::string::npos ? -1 : side(text.substr(0, x));
    const int32_t height = x == std::string::npos ? -1 : side(text.substr(x + 1));
    if (width < 0 || height < 0) {
        throw ToolError("--size " + text + ": expected WIDTHxHEIGHT, each 1 to " +
                        std::to_string(kLargestSide));
    }
    return FrameSize{width, height};
}
