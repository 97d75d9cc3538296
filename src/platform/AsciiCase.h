// Case-insensitive comparison of ASCII text (keywords, file names, extensions), the same
// in every locale and on every system: only the letters A-Z and a-z are folded.
#pragma once

#include <cstddef>

inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares at most n bytes of a and b, stopping after a terminator, with ASCII letters
// folded to lower case. Returns <0, 0 or >0 as strncmp does.
inline int asciiCompareNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(asciiLower(a[i]));
        const unsigned char y = static_cast<unsigned char>(asciiLower(b[i]));
        if (x != y || x == '\0') {
            return x - y;
        }
    }
    return 0;
}
