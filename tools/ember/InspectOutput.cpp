#include "ember/InspectOutput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "ember/Commands.h"

namespace {

bool isScalarList(const InspectJson& j) {
    if (!j.is_array()) {
        return false;
    }
    for (const InspectJson& e : j) {
        if (e.is_structured() && !isScalarList(e)) {
            return false;
        }
    }
    return true;
}

// A value on one line: lists as "[a, b, c]", strings without quotes.
std::string inlineText(const InspectJson& v) {
    if (v.is_string()) {
        return v.get<std::string>();
    }
    if (!v.is_array()) {
        return v.dump();
    }
    std::string text = "[";
    for (auto it = v.begin(); it != v.end(); ++it) {
        text += (it == v.begin() ? "" : ", ") + inlineText(*it);
    }
    return text + "]";
}

const char* nonFinite(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    return nullptr;
}

} // namespace

InspectJson jsonNumber(float value) {
    if (const char* name = nonFinite(value)) {
        return name;
    }
    char text[64];
    const auto end = std::to_chars(text, text + sizeof(text) - 1, value).ptr;
    *end = '\0';
    return std::strtod(text, nullptr); // prints back as the same shortest text
}

InspectJson jsonNumber(double value) {
    if (const char* name = nonFinite(value)) {
        return name;
    }
    return value;
}

InspectJson jsonNumbers(const float* values, int32_t count) {
    InspectJson list = InspectJson::array();
    for (int32_t i = 0; i < count; ++i) {
        list.push_back(jsonNumber(values[i]));
    }
    return list;
}

void appendTreeText(const InspectJson& tree, const std::string& indent, std::string& out) {
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        const std::string name =
            tree.is_object() ? it.key() : "[" + std::to_string(it - tree.begin()) + "]";
        const InspectJson& v = it.value();
        if (!v.is_structured() || isScalarList(v)) {
            out += indent + name + ": " + inlineText(v) + "\n";
        } else if (v.empty()) {
            out += indent + name + ": " + (v.is_array() ? "[]" : "{}") + "\n";
        } else {
            out += indent + name + ":\n";
            appendTreeText(v, indent + "  ", out);
        }
    }
}

std::string jsonTextAtDepth(const InspectJson& value, int depth) {
    const std::string text = value.dump(2);
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '\n') {
            out += indent;
        }
    }
    return out;
}

void appendNumber(std::string& out, float value, bool json) {
    if (const char* name = nonFinite(value)) {
        out += json ? std::string("\"") + name + "\"" : name;
        return;
    }
    char text[32];
    const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
    out.append(text, end);
    // Whole numbers read "1.0", as the tree prints them.
    if (std::find_if(text, end, [](char c) { return c == '.' || c == 'e'; }) == end) {
        out += ".0";
    }
}

void appendNumber(std::string& out, int64_t value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
    out.append(text, end);
}

void StreamBuffer::flush() {
    if (!text_.empty() && std::fwrite(text_.data(), 1, text_.size(), stream_) != text_.size()) {
        throw ToolError("cannot write the output");
    }
    text_.clear();
}

void StreamBuffer::finish() {
    flush();
    if (std::fflush(stream_) != 0) {
        throw ToolError("cannot write the output");
    }
}
