// IffReader: bounded reading of big-endian IFF data (LWO2 objects, ILBM pictures).
//
// A reader covers one span of bytes (a whole file, one chunk, one sub-chunk) and never
// reads outside it: a value that would cross the end reads as zero, the position stops
// at the end and `overrun` is set, so a caller can parse a whole record and check once.
// Nested spans come from chunk() and subChunk(), which clamp the child's stated length
// to what is left of the parent and step the parent past the child and its pad byte.
//
// Usage:
//   IffReader file(bytes, size);
//   IffChunk chunk;
//   while (file.chunk(chunk)) {          // ID4 + U4 length + data + pad
//       if (chunk.is("PNTS")) { IffReader data = chunk.data; data.f4(); ... }
//   }
//   Inside a chunk: data.subChunk(sub) (ID4 + U2 length), data.s0(text, size), data.vx().
//
// Types as LightWave writes them: U1/U2/U4 unsigned, I2 signed, F4 IEEE single, S0 a
// NUL-terminated string padded to an even length, VX a 2-byte index or, after a 0xFF
// byte, a 4-byte index whose low 24 bits count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct IffReader;

struct IffChunk {
    char id[5] = {};
    uint32_t statedLength = 0; // as written; the data may be shorter when clamped
    bool clamped = false;      // the stated length ran past the parent
    const uint8_t* bytes = nullptr;
    size_t size = 0;

    bool is(const char* tag) const { return std::memcmp(id, tag, 4) == 0; }
};

struct IffReader {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    size_t position = 0;
    bool overrun = false; // a read wanted bytes beyond `size`

    IffReader() = default;
    IffReader(const uint8_t* data, size_t length) : bytes(data), size(length) {}
    explicit IffReader(const IffChunk& chunk) : bytes(chunk.bytes), size(chunk.size) {}

    size_t remaining() const { return size - position; }
    bool atEnd() const { return position >= size; }

    uint8_t u1() {
        if (position >= size) {
            overrun = true;
            return 0;
        }
        return bytes[position++];
    }
    uint16_t u2() { return static_cast<uint16_t>(take(2)); }
    uint32_t u4() { return take(4); }
    int16_t i2() { return static_cast<int16_t>(u2()); }
    float f4() {
        const uint32_t bits = u4();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    uint32_t vx() {
        if (position < size && bytes[position] == 0xFF) {
            return u4() & 0x00FFFFFFu;
        }
        return u2();
    }
    void id4(char id[5]) {
        const uint32_t value = u4();
        id[0] = static_cast<char>(value >> 24);
        id[1] = static_cast<char>(value >> 16);
        id[2] = static_cast<char>(value >> 8);
        id[3] = static_cast<char>(value);
        id[4] = '\0';
    }
    void skip(size_t n) {
        if (n > remaining()) {
            overrun = true;
            position = size;
            return;
        }
        position += n;
    }

    // An S0 string into `text` (cut to textSize - 1 bytes, always terminated); the
    // position moves past its NUL and pad byte. A string without a NUL before the end
    // takes the rest of the span and sets `overrun`. Returns the string's full length.
    size_t s0(char* text, size_t textSize) {
        const size_t start = position;
        const void* nul = std::memchr(bytes + position, 0, remaining());
        const size_t end = nul != nullptr ? static_cast<const uint8_t*>(nul) - bytes : size;
        const size_t length = end - start;
        if (textSize > 0) {
            const size_t kept = length < textSize - 1 ? length : textSize - 1;
            std::memcpy(text, bytes + start, kept);
            text[kept] = '\0';
        }
        if (nul == nullptr) {
            overrun = true;
            position = size;
            return length;
        }
        position = end + 1;
        if ((position - start) % 2 != 0 && position < size) {
            ++position;
        }
        return length;
    }

    // An S0 string as text, cut to 1023 bytes (names and paths; LightWave keeps them short).
    std::string text() {
        char buffer[1024];
        s0(buffer, sizeof buffer);
        return buffer;
    }

    // The next chunk with a 4-byte length (top level of a FORM); false at the end of
    // the span (fewer than 8 bytes left).
    bool chunk(IffChunk& out) { return next(out, 4); }
    // The next sub-chunk with a 2-byte length (inside SURF, CLIP, BLOK, TMAP ...).
    bool subChunk(IffChunk& out) { return next(out, 2); }

private:
    uint32_t take(int n) {
        if (remaining() < static_cast<size_t>(n)) {
            overrun = true;
            position = size;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < n; ++i) {
            value = value << 8 | bytes[position++];
        }
        return value;
    }
    bool next(IffChunk& out, int lengthBytes) {
        if (remaining() < static_cast<size_t>(4 + lengthBytes)) {
            position = size;
            return false;
        }
        id4(out.id);
        out.statedLength = take(lengthBytes);
        const size_t length = out.statedLength;
        out.clamped = length > remaining();
        out.size = out.clamped ? remaining() : length;
        out.bytes = bytes + position;
        position += out.size;
        if (length % 2 != 0 && position < size) {
            ++position; // the pad byte
        }
        return true;
    }
};
