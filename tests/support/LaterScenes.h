// Helpers for tests of scene files of later versions: the shared real files of
// shared/testdata/later (EMBER_LATER_TESTDATA, found beside the checkout when the tests
// are configured) and the text of an envelope block.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

// The bytes of shared/testdata/later/<relative> ("scenes/move_x.lws").
inline std::string laterTestFile(const std::string& relative) {
    std::ifstream in(std::string(EMBER_LATER_TESTDATA) + "/" + relative, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_FALSE(bytes.str().empty()) << EMBER_LATER_TESTDATA << "/" << relative
                                      << " (shared/testdata/later beside the checkout)";
    return bytes.str();
}

// "{ Envelope", the count of the "Key" lines given, the keys, the behaviours, "}".
inline std::string envelopeBlock(const std::string& keys, const std::string& behaviors = "1 1") {
    int count = 0;
    for (size_t at = keys.find("Key"); at != std::string::npos; at = keys.find("Key", at + 1)) {
        ++count;
    }
    return "{ Envelope\n  " + std::to_string(count) + "\n" + keys + "  Behaviors " + behaviors +
           "\n}\n";
}
