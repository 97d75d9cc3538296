// The scene tokenizer.
//
// Why it is written this way:
//   - Scene files were written for a reader built on formatted C input, and their
//     meaning depends on its quirks: a value that does not scan stays in the input and
//     is read again as the next word, so "ZoomFactor (envelope)" leaves the zoom as it
//     was and then skips the envelope's numbers word by word. A reader built on a
//     "proper" lexer (whole lines, or whole words converted with strtod) would read
//     such files differently.
//   - The rules below match the C library on every input content can hold and on most
//     it cannot (tests compare them with sscanf):
//       %d  blanks, optional sign, decimal digits. A sign without a digit after it is
//           consumed and the scan fails. Values beyond int32 saturate (C wraps or is
//           undefined; a saturated key count is then refused by its bound).
//       %f  blanks, optional sign, digits, optional point and digits, optional exponent.
//           A sign or point without digits is consumed and fails; "1e" or "1e+" followed
//           by a non-digit keeps the mantissa and consumes the marker (as glibc does).
//           The collected text is converted with strtof, correctly rounded as C's %f;
//           the process keeps the C numeric locale (nothing in the player changes it).
//           Not accepted: "inf", "nan", hex floats; overflow gives +-FLT_MAX, not
//           infinity. Content never holds them; they would only bring non-finite
//           values into keys and lights.
//   - Words and numbers are bounded by the reader's 1024-byte buffers. C would overrun
//     them; cutting a word would silently change the meaning of the rest of the file,
//     so an overlong word fails the read instead.
//   - The file is read through a small buffer, with a one-byte look-ahead, which is all
//     the pushback the rules need.
#include "anim/SceneTokenizer.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// A run of characters as the conversions see it: the file, or a word in memory.
struct WordSource {
    const char* next;
    int peek() const { return *next != '\0' ? static_cast<unsigned char>(*next) : EOF; }
    void advance() { ++next; }
};

// Collects the text of one decimal number from `in` (blanks already skipped) into
// `text`. Returns 1 when it holds a number, 0 when the scan fails, -1 when the number is
// longer than kSceneWordLimit.
template <typename Source>
int32_t collectFloat(Source& in, char (&text)[kSceneWordCapacity]) {
    int32_t n = 0;
    const auto take = [&](int c) {
        if (n >= kSceneWordLimit) {
            return false;
        }
        text[n++] = static_cast<char>(c);
        in.advance();
        return true;
    };
    int c = in.peek();
    if (c == '+' || c == '-') {
        take(c);
    }
    int32_t digits = 0;
    for (c = in.peek(); isDigit(c); c = in.peek(), ++digits) {
        if (!take(c)) {
            return -1;
        }
    }
    if (c == '.') {
        if (!take(c)) {
            return -1;
        }
        for (c = in.peek(); isDigit(c); c = in.peek(), ++digits) {
            if (!take(c)) {
                return -1;
            }
        }
    }
    if (digits == 0) {
        return 0; // a lone sign or point: consumed, no number
    }
    if (c == 'e' || c == 'E') {
        const int32_t mantissaEnd = n;
        if (!take(c)) {
            return -1;
        }
        c = in.peek();
        if (c == '+' || c == '-') {
            if (!take(c)) {
                return -1;
            }
            c = in.peek();
        }
        if (!isDigit(c)) {
            n = mantissaEnd; // marker consumed, mantissa kept
        }
        for (; isDigit(c); c = in.peek()) {
            if (!take(c)) {
                return -1;
            }
        }
    }
    text[n] = '\0';
    return 1;
}

float convertFloat(const char* text) {
    const float value = std::strtof(text, nullptr);
    if (std::isinf(value)) {
        return value > 0.0f ? FLT_MAX : -FLT_MAX;
    }
    return value;
}

// Digits of an integer, saturating at the int32 range. Returns 1, or 0 when the scan
// fails (a sign without digits is consumed).
template <typename Source>
int32_t collectInt(Source& in, int32_t& value) {
    int c = in.peek();
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        in.advance();
        c = in.peek();
    }
    if (!isDigit(c)) {
        return 0;
    }
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; isDigit(c); c = in.peek()) {
        magnitude = magnitude * 10 + (c - '0');
        magnitude = magnitude > limit ? limit : magnitude;
        in.advance();
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return 1;
}

} // namespace

int32_t scanFloatWord(const char* word, float& value) {
    WordSource in{word};
    while (isBlank(in.peek())) {
        in.advance();
    }
    char text[kSceneWordCapacity];
    if (collectFloat(in, text) != 1) {
        return 0;
    }
    value = convertFloat(text);
    return 1;
}

SceneTokenizer::SceneTokenizer(FILE* file) : file_(file) {
    if (file_ != nullptr && std::fseek(file_, 0, SEEK_END) == 0) {
        const long size = std::ftell(file_);
        size_ = size > 0 ? size : 0;
        std::rewind(file_);
    }
}

int SceneTokenizer::peek() {
    if (next_ == length_) {
        if (file_ == nullptr || failed_) {
            return EOF;
        }
        length_ = static_cast<int32_t>(std::fread(buffer_, 1, sizeof(buffer_), file_));
        next_ = 0;
        if (length_ == 0) {
            return EOF;
        }
    }
    return buffer_[next_];
}

void SceneTokenizer::advance() {
    if (next_ < length_) {
        ++next_;
        ++consumed_;
    }
}

void SceneTokenizer::skipBlanks() {
    while (isBlank(peek())) {
        advance();
    }
}

int32_t SceneTokenizer::readWord(SceneWord& word) {
    if (failed_) {
        return 0;
    }
    skipBlanks();
    int c = peek();
    if (c == EOF) {
        return 0;
    }
    int32_t n = 0;
    for (; c != EOF && !isBlank(c); c = peek()) {
        if (n == kSceneWordLimit) {
            word[n] = '\0';
            fail("word of 1024 or more characters");
            return 0;
        }
        word[n++] = static_cast<char>(c);
        advance();
    }
    word[n] = '\0';
    return 1;
}

int32_t SceneTokenizer::readInt(int32_t& value) {
    if (failed_) {
        return 0;
    }
    skipBlanks();
    return collectInt(*this, value);
}

int32_t SceneTokenizer::readFloat(float& value) {
    if (failed_) {
        return 0;
    }
    skipBlanks();
    char text[kSceneWordCapacity];
    const int32_t result = collectFloat(*this, text);
    if (result < 0) {
        fail("number of 1024 or more characters");
        return 0;
    }
    if (result == 0) {
        return 0;
    }
    value = convertFloat(text);
    return 1;
}

int32_t SceneTokenizer::readFloats(float* const* values, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (!readFloat(*values[i])) {
            return i;
        }
    }
    return count;
}

void SceneTokenizer::fail(const char* reason) {
    if (failed_) {
        return;
    }
    failed_ = 1;
    std::snprintf(failure_, sizeof(failure_), "%s", reason);
}
