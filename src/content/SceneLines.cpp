#include "content/SceneLines.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Lines end at LF, CR-LF or a lone CR. Returns the end of the line at `start` and the
// start of the next one.
void findLineEnd(const char* text, size_t size, size_t start, size_t& end, size_t& next) {
    end = start;
    while (end < size && text[end] != '\n' && text[end] != '\r') {
        ++end;
    }
    next = end;
    if (next < size && text[next] == '\r') {
        ++next;
        if (next < size && text[next] == '\n') {
            ++next;
        }
    } else if (next < size) {
        ++next; // LF
    }
}

} // namespace

bool SceneLines::peek(SceneLine& line) const {
    if (position_ >= size_) {
        return false;
    }
    size_t end = 0;
    size_t next = 0;
    findLineEnd(text_, size_, position_, end, next);
    size_t start = position_;
    while (start < end && isBlank(text_[start])) {
        ++start;
    }
    line.text = std::string_view(text_ + start, end - start);
    line.number = lineNumber_ + 1;
    return true;
}

bool SceneLines::next(SceneLine& line) {
    if (!peek(line)) {
        return false;
    }
    size_t end = 0;
    size_t next = 0;
    findLineEnd(text_, size_, position_, end, next);
    position_ = next;
    ++lineNumber_;
    return true;
}

void LineCursor::skipBlanks() {
    while (position_ < text_.size() && isBlank(text_[position_])) {
        ++position_;
    }
}

std::string_view LineCursor::word() {
    skipBlanks();
    const size_t start = position_;
    while (position_ < text_.size() && !isBlank(text_[position_])) {
        ++position_;
    }
    return text_.substr(start, position_ - start);
}

bool LineCursor::number(double& value) {
    const size_t before = position_;
    const std::string_view w = word();
    double parsed = 0.0;
    const char* end = w.data() + w.size();
    const char* start = w.data();
    if (!w.empty() && *start == '+') {
        ++start;
    }
    const auto result = std::from_chars(start, end, parsed, std::chars_format::general);
    // A number out of range, an infinity or a NaN is no number a scene can use.
    if (w.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) {
        position_ = before;
        return false;
    }
    value = parsed;
    return true;
}

bool LineCursor::integer(int32_t& value) {
    const size_t before = position_;
    double parsed = 0.0;
    if (!number(parsed) || parsed != std::floor(parsed) ||
        parsed < std::numeric_limits<int32_t>::min() ||
        parsed > std::numeric_limits<int32_t>::max()) {
        position_ = before;
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

bool LineCursor::hexadecimal(uint32_t& value) {
    const size_t before = position_;
    const std::string_view w = word();
    uint32_t parsed = 0;
    const char* end = w.data() + w.size();
    const auto result = std::from_chars(w.data(), end, parsed, 16);
    if (w.empty() || w.size() > 8 || result.ec != std::errc() || result.ptr != end) {
        position_ = before;
        return false;
    }
    value = parsed;
    return true;
}

std::string_view LineCursor::rest() {
    skipBlanks();
    std::string_view r = text_.substr(position_);
    while (!r.empty() && isBlank(r.back())) {
        r.remove_suffix(1);
    }
    position_ = text_.size();
    return r;
}

bool LineCursor::atEnd() {
    skipBlanks();
    return position_ >= text_.size();
}
