// What the ember inspect commands print, in one style: the same tree as JSON (--json)
// or as indented "name: value" lines, keys in camelCase (the records' field names).
//
// Numbers: a float is printed in its shortest form that reads back to the very same
// float; values JSON cannot hold are the strings "nan", "inf" and "-inf". Large arrays
// (an object's points and polygons) are not built as a tree: the commands stream them
// with appendNumber() into a buffer that they write out as it fills (StreamBuffer).
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <string>

using InspectJson = nlohmann::ordered_json;

InspectJson jsonNumber(float value);
InspectJson jsonNumber(double value);
InspectJson jsonNumbers(const float* values, int32_t count);

// The tree as "name: value" lines (lists of numbers on one line, strings unquoted),
// each prefixed with `indent`.
void appendTreeText(const InspectJson& tree, const std::string& indent, std::string& out);

// The JSON text of `value` as it reads at nesting depth `depth` (2 spaces a level):
// its inner lines carry the depth's indentation.
std::string jsonTextAtDepth(const InspectJson& value, int depth);

// A float in its shortest exact form; "nan", "inf", "-inf" as JSON strings when `json`.
void appendNumber(std::string& out, float value, bool json);
void appendNumber(std::string& out, int64_t value);

// Text written to a stream in large pieces: append to text(), call flushIfFull() now and
// then and finish() at the end. ToolError when the stream cannot take it.
class StreamBuffer {
public:
    explicit StreamBuffer(FILE* stream) : stream_(stream) {}
    std::string& text() { return text_; }
    void flushIfFull() {
        if (text_.size() >= kChunk) {
            flush();
        }
    }
    void finish();

private:
    static constexpr size_t kChunk = 1 << 16;
    void flush();

    FILE* stream_;
    std::string text_;
};
