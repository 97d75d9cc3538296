// SceneLines: a scene file of a later version, line by line, and the words and numbers
// of one line.
//
// Later scene files are line-based: "Keyword values..." per line, where a name or path
// is the rest of its line and may hold spaces. Lines end in LF or CR-LF (a lone CR ends
// a line too); leading blanks (spaces and tabs) are not part of the line.
//
// Usage:
//   SceneLines lines(text, size);
//   SceneLine line;
//   while (lines.next(line)) {
//       LineCursor in(line);
//       std::string_view keyword = in.word();
//       double x = 0; in.number(x);            // false when no number is there
//       std::string_view path = in.rest();     // the rest, trailing blanks cut
//   }
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct SceneLine {
    std::string_view text; // without its end and its leading blanks
    int32_t number = 0;    // 1-based
};

class SceneLines {
public:
    SceneLines(const char* text, size_t size) : text_(text), size_(size) {}

    // The next line; false at the end of the text.
    bool next(SceneLine& line);
    // The line that next() would return, without moving past it.
    bool peek(SceneLine& line) const;

    // The last line read (number 0 before the first), for messages at the end of the text.
    SceneLine last() const {
        SceneLine line;
        line.number = lineNumber_;
        return line;
    }

    // Bytes not yet read: bounds what the rest of the file can hold.
    size_t remaining() const { return size_ - position_; }

private:
    const char* text_;
    size_t size_;
    size_t position_ = 0;
    int32_t lineNumber_ = 0;
};

class LineCursor {
public:
    explicit LineCursor(const SceneLine& line) : text_(line.text) {}

    // The next blank-separated word; empty at the end of the line.
    std::string_view word();
    // The next word as a number (decimal, as written: "1e-5", "-0.5"); false and
    // `value` unchanged when the next word is missing or not wholly a number, which then
    // stays unread.
    bool number(double& value);
    bool integer(int32_t& value);
    // The next word as up to 8 hexadecimal digits (an item id).
    bool hexadecimal(uint32_t& value);
    // Everything after the next blanks, trailing blanks cut.
    std::string_view rest();
    bool atEnd();

private:
    void skipBlanks();

    std::string_view text_;
    size_t position_ = 0;
};
