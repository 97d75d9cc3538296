// Content paths resolved inside a scratch directory, as "<found>:<host path>".
#pragma once

#include <string>

#include "platform/HostPath.h"
#include "support/ScratchDirectory.h"

class HostPathTest : public ScratchDirectoryTest {
protected:
    static std::string resolve(const char* content) {
        char host[256];
        const int32_t found = resolveContentPath(content, host, sizeof(host));
        return std::to_string(found) + ":" + host;
    }
};
