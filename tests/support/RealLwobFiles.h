// The real LightWave objects of tests/data/lwob (see its README for where they come
// from).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "writers/LwobWriter.h"

// The bytes of tests/data/lwob/<name> (the directory comes from EMBER_TESTDATA, which
// ctest sets).
inline std::string realLwobFile(const std::string& name) {
    const char* root = std::getenv("EMBER_TESTDATA");
    std::ifstream in(std::string(root != nullptr ? root : "tests/data") + "/lwob/" + name,
                     std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_FALSE(bytes.str().empty()) << name << " (run through ctest, which sets EMBER_TESTDATA)";
    return bytes.str();
}
