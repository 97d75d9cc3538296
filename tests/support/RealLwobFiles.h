// The real LightWave objects of tests/data/lwob (see its README for where they come
// from), and their triangulated copies: the player reads triangles only, so scenes in
// tests load copies with every polygon fanned into triangles and every other chunk
// byte-identical.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "content/LwobWriter.h"

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

// `file` with every polygon fanned into triangles around its first corner.
inline std::string triangulatedLwob(const std::string& file) {
    const auto bigEndian = [&](const std::string& bytes, size_t at, int n) {
        uint32_t value = 0;
        for (int i = 0; i < n && at + i < bytes.size(); ++i) {
            value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
        }
        return value;
    };
    LwobWriter out;
    for (size_t at = 12; at + 8 <= file.size();) {
        const std::string tag = file.substr(at, 4);
        const uint32_t length = bigEndian(file, at + 4, 4);
        const std::string data = file.substr(at + 8, length);
        if (tag != "POLS") {
            out.chunk(tag, data);
        } else {
            std::vector<std::array<uint16_t, 4>> triangles;
            for (size_t p = 0; p + 2 <= data.size();) {
                const uint32_t corners = bigEndian(data, p, 2);
                const auto point = [&](uint32_t k) {
                    return static_cast<uint16_t>(bigEndian(data, p + 2 + 2 * k, 2));
                };
                const auto surface = static_cast<uint16_t>(bigEndian(data, p + 2 + 2 * corners, 2));
                for (uint32_t k = 1; k + 1 < corners; ++k) {
                    triangles.push_back({point(0), point(k), point(k + 1), surface});
                }
                p += 4 + 2 * corners;
            }
            out.triangles(triangles);
        }
        at += 8 + length + (length % 2);
    }
    return out.bytes();
}
