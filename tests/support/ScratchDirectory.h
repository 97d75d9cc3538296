// A fresh temporary directory that is the working directory for one test, removed
// afterwards. The system reads content and writes error.txt relative to the working
// directory, so tests of loaders run inside one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

class ScratchDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code error;
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
        ASSERT_FALSE(error) << error.message();
        std::random_device entropy;
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                temporary / ("ember-test-" + std::to_string(entropy()));
            if (std::filesystem::create_directory(candidate, error)) {
                root_ = candidate.string();
            }
        }
        ASSERT_FALSE(root_.empty()) << "no scratch directory in " << temporary.string();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::error_code error;
        std::filesystem::remove_all(root_, error);
        ASSERT_FALSE(error) << error.message();
    }

    // Creates the directories of a relative path ("a/b/c" -> a, a/b).
    static void makeParents(const std::string& path) {
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) {
            std::filesystem::create_directories(parent);
        }
    }
    static void writeFile(const std::string& path, const std::string& bytes) {
        makeParents(path);
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // A text file as the program's lines: on Windows, text files end their lines in CR LF.
    static std::string readTextFile(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static bool fileExists(const std::string& path) {
        std::error_code error;
        return std::filesystem::exists(path, error);
    }
    // The names in a directory, hidden ones included, in byte order.
    static std::vector<std::string> listDirectory(const std::string& path) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string root_;
    std::filesystem::path previous_;
};
