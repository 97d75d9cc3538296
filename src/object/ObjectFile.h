// ObjectFile: one object file's bytes in memory, read front to back like a stream.
//
// The object and surface readers were designed around a byte stream with an
// end-of-file indicator: chunks are found by scanning for their four-letter tag from
// the start of the file, and values are read one after another at the current
// position. This record keeps exactly those semantics over a copy of the file in
// memory, so the file is read from disk once and no read can leave the buffer.
//
// Call order: readObjectFile(); then findTag() to move behind a tag, and the readers
// for the values that follow. Every reader advances `position` by the bytes it reads.
//
// Reading past the end: a byte read at or beyond `size` reads as 0 and sets `atEnd`
// (the end-of-file indicator); the position still advances, so byte counts stay
// consistent. The callers check lengths against remainingBytes() before they trust
// them; the zero fill only decides what a value cut off by the end of the file holds.
//
// What it does not do: walk the IFF chunk structure or check the FORM header.
#pragma once

#include <cstdint>
#include <memory>

// Files above this size are refused: no object the player can draw comes near it,
// and 32-bit chunk lengths cannot describe more.
inline constexpr int64_t kMaxObjectFileBytes = 0x7FFFFFFF;

struct ObjectFile {
    const char* name = "";            // content path as given, for messages; not owned
    std::unique_ptr<uint8_t[]> bytes; // `size` bytes
    int64_t size = 0;
    int64_t position = 0; // offset of the next byte to read; may run past `size`
    int32_t atEnd = 0;    // 1 once a read reached beyond the last byte
};

// Reads the content path `name` whole. Returns 1 when read; 0 when it cannot be opened
// (nothing reported: the scene reader tries another path) or cannot be used (too large,
// out of memory, read error: reported with reportUnusableObject).
int32_t readObjectFile(ObjectFile& file, const char* name);

// Bytes from the position to the end of the file (0 when at or past the end).
int64_t remainingBytes(const ObjectFile& file);

uint8_t readByte(ObjectFile& file);
uint16_t readBigEndianU16(ObjectFile& file); // first byte most significant
uint32_t readBigEndianU32(ObjectFile& file); // callers use it as a signed int32 length
float readBigEndianFloat(ObjectFile& file);  // the four bytes as an IEEE-754 single

// From the start of the file, finds the first occurrence of the four-letter `tag` at any
// byte offset (also inside another chunk's data). Returns 1 with the position just behind
// it, or 0 with the position at the end and `atEnd` set.
int32_t findTag(ObjectFile& file, const char* tag);

// The same from the current position on: what a scan whose window holds no partial
// match finds next.
int32_t findNextTag(ObjectFile& file, const char* tag);

// Reads a chunk's u32 length behind its tag. Returns 0 when the four bytes are not all
// in the file.
int32_t readChunkLength(ObjectFile& file, uint32_t& length);

// The last four bytes a scan has read, oldest first; zero bytes before the first read.
struct TagWindow {
    char bytes[4] = {};

    void push(char c) {
        bytes[0] = bytes[1];
        bytes[1] = bytes[2];
        bytes[2] = bytes[3];
        bytes[3] = c;
    }
    bool holds(const char* tag) const {
        return bytes[0] == tag[0] && bytes[1] == tag[1] && bytes[2] == tag[2] && bytes[3] == tag[3];
    }
    bool endsWith(const char* suffix3) const {
        return bytes[1] == suffix3[0] && bytes[2] == suffix3[1] && bytes[3] == suffix3[2];
    }
};
