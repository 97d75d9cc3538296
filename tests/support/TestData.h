// The files of tests/data (the directory comes from EMBER_TESTDATA, which ctest sets);
// tests/data/lwob holds real LightWave objects (see its README for where they come from).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

// tests/data/<relative>.
inline std::string testDataPath(const std::string& relative) {
    const char* root = std::getenv("EMBER_TESTDATA");
    return std::string(root != nullptr ? root : "tests/data") + "/" + relative;
}

// The bytes of tests/data/<relative>.
inline std::string testDataFile(const std::string& relative) {
    std::ifstream in(testDataPath(relative), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_FALSE(bytes.str().empty())
        << relative << " (run through ctest, which sets EMBER_TESTDATA)";
    return bytes.str();
}

inline std::string realLwobFile(const std::string& name) {
    return testDataFile("lwob/" + name);
}
