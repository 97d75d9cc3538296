// SceneTokenizer: reads a scene file the way formatted C input reads it: words, and
// integers and reals as the %d and %f conversions take them.
//
// Call order: construct on a file opened for binary reading (positioned at its start);
// then readWord / readInt / readFloat / readFloats as the format says; check failed()
// after each block of reads. The tokenizer does not own or close the file.
//
// Rules (what content relies on):
//   - A word is a maximal run of non-blank bytes (blanks: space, tab, line feed, vertical
//     tab, form feed, carriage return); leading blanks are skipped. Bytes are taken as
//     they are, NUL included (a word compares as the C string up to its first NUL).
//   - A number that does not scan leaves its field unchanged, and the text that stopped
//     it is read next, as a word or as the next number. What a failed number consumes is
//     what C consumes: a lone sign or decimal point is used up.
//   - Words and numbers are at most kSceneWordLimit bytes; a longer one ends the reading
//     (failed() becomes 1) instead of being cut into pieces.
//   - Any hard failure is sticky: every later read fails at once without consuming.
#pragma once

#include <cstdint>
#include <cstdio>

inline constexpr int32_t kSceneWordCapacity = 1024; // bytes, terminator included
inline constexpr int32_t kSceneWordLimit = kSceneWordCapacity - 1;

using SceneWord = char[kSceneWordCapacity];

class SceneTokenizer {
public:
    explicit SceneTokenizer(FILE* file);

    // Reads one word into `word`. Returns 1, or 0 when no word is left (the end of the
    // file; `word` is then unchanged) or after a failure. A word of kSceneWordLimit
    // bytes or more fails: `word` holds its first kSceneWordLimit bytes.
    int32_t readWord(SceneWord& word);
    // %d: 1 and `value` set, or 0 and `value` unchanged. Values beyond int32 saturate.
    int32_t readInt(int32_t& value);
    // %f: 1 and `value` set, or 0 and `value` unchanged. See scanFloatWord for the grammar.
    int32_t readFloat(float& value);
    // "%f %f ...": scans up to `count` values in order and stops at the first that does
    // not scan, leaving it and the rest unchanged. Returns how many were set.
    int32_t readFloats(float* const* values, int32_t count);

    // Bytes of the file not yet consumed: bounds what the rest of the file can hold.
    int64_t remainingBytes() const { return size_ - consumed_; }

    // Ends the reading with a one-line reason (the first reason given is kept).
    void fail(const char* reason);
    int32_t failed() const { return failed_; }
    const char* failure() const { return failure_; }

    // The one-byte look-ahead the conversions work on: the next byte (EOF at the end or
    // after a failure), and consuming it.
    int peek();
    void advance();

private:
    void skipBlanks();

    FILE* file_;
    unsigned char buffer_[4096];
    int32_t length_ = 0;
    int32_t next_ = 0;
    int64_t consumed_ = 0;
    int64_t size_ = 0;
    int32_t failed_ = 0;
    char failure_[256] = {};
};

// The %f conversion on a word, as sscanf(word, "%f", &value) reads it: 1 and `value` set
// when the word starts (after blanks) with a number, else 0 and `value` unchanged.
// Numbers are decimal: [sign] digits [. digits] [e|E [sign] digits], at least one digit
// before or after the point. An exponent marker without digits is dropped and the
// mantissa kept, as the C library does. Decimal only: "inf", "nan" and hexadecimal
// floats, which no content uses, do not scan, so a scene can never bring infinities or
// NaNs into a record; for the same reason a value beyond the float range saturates to
// the largest finite float.
int32_t scanFloatWord(const char* word, float& value);
