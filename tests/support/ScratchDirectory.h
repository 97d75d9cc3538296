// A fresh temporary directory that is the working directory for one test, removed
// afterwards. The system reads content and writes error.txt relative to the working
// directory, so tests of loaders run inside one.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

class ScratchDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ember-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        ASSERT_NE(getcwd(previous_, sizeof(previous_)), nullptr);
        ASSERT_EQ(chdir(root_.c_str()), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_), 0);
        const std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // Creates the directories of a relative path ("a/b/c" -> a, a/b).
    static void makeParents(const std::string& path) {
        for (size_t slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            mkdir(path.substr(0, slash).c_str(), 0755);
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
    static bool fileExists(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0;
    }
    // The names in a directory, hidden ones included, in byte order.
    static std::vector<std::string> listDirectory(const std::string& path) {
        std::vector<std::string> names;
        if (DIR* dir = opendir(path.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string root_;
    char previous_[4096] = {};
};
