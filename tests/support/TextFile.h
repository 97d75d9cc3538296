// An anonymous temporary file holding some text, open for reading from its start: for
// tests of readers that take an open FILE.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct TextFileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using TextFile = std::unique_ptr<FILE, TextFileCloser>;

inline TextFile textFile(const std::string& text) {
    TextFile file(std::tmpfile());
    if (file != nullptr) {
        std::fwrite(text.data(), 1, text.size(), file.get());
        std::rewind(file.get());
    }
    return file;
}
