// The five scene files of the demo, in playing order (content paths, relative to the
// working directory). The player loads and plays them in this order; the tools name
// scenes by their index here.
#pragma once

#include <cstdint>

inline constexpr int32_t kDemoSceneCount = 5;

inline constexpr const char* kDemoSceneFiles[kDemoSceneCount] = {
    "scenes\\outdoor.lws", "scenes\\temple.lws", "scenes\\future.lws",
    "scenes\\office.lws",  "scenes\\theend.lws",
};
