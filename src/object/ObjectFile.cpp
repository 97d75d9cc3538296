#include "object/ObjectFile.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "object/ObjectLoadFailure.h"
#include "platform/HostPath.h"

int32_t readObjectFile(ObjectFile& file, const char* name) {
    file.name = name;
    file.bytes.reset();
    file.size = 0;
    file.position = 0;
    file.atEnd = 0;

    FILE* stream = openContentFile(name);
    if (stream == nullptr) {
        return 0;
    }
    long length = -1;
    if (std::fseek(stream, 0, SEEK_END) == 0) {
        length = std::ftell(stream);
    }
    if (length < 0 || std::fseek(stream, 0, SEEK_SET) != 0) {
        std::fclose(stream);
        reportUnusableObject(name, "the file cannot be read");
        return 0;
    }
    if (length > kMaxObjectFileBytes) {
        std::fclose(stream);
        reportUnusableObject(name, "the file is larger than %lld bytes",
                             static_cast<long long>(kMaxObjectFileBytes));
        return 0;
    }
    // One spare byte so that an empty file still gets a buffer.
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[static_cast<size_t>(length) + 1]);
    if (bytes == nullptr) {
        std::fclose(stream);
        reportUnusableObject(name, "out of memory reading %ld bytes", length);
        return 0;
    }
    const size_t got = std::fread(bytes.get(), 1, static_cast<size_t>(length), stream);
    std::fclose(stream);
    if (got != static_cast<size_t>(length)) {
        reportUnusableObject(name, "the file cannot be read");
        return 0;
    }
    file.bytes = std::move(bytes);
    file.size = length;
    return 1;
}

int64_t remainingBytes(const ObjectFile& file) {
    return file.position < file.size ? file.size - file.position : 0;
}

uint8_t readByte(ObjectFile& file) {
    if (file.position >= file.size) {
        file.atEnd = 1;
        ++file.position;
        return 0;
    }
    return file.bytes[file.position++];
}

uint16_t readBigEndianU16(ObjectFile& file) {
    const uint32_t high = readByte(file);
    const uint32_t low = readByte(file);
    return static_cast<uint16_t>(high << 8 | low);
}

uint32_t readBigEndianU32(ObjectFile& file) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | readByte(file);
    }
    return value;
}

float readBigEndianFloat(ObjectFile& file) {
    const uint32_t bits = readBigEndianU32(file);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int32_t findTag(ObjectFile& file, const char* tag) {
    file.position = 0;
    return findNextTag(file, tag);
}

int32_t findNextTag(ObjectFile& file, const char* tag) {
    // A byte-by-byte window that starts empty (zero bytes) matches a tag, which holds no
    // zero byte, first where the four bytes first occur; searching for them is the same
    // scan without the per-byte shifting.
    const uint8_t* bytes = file.bytes.get();
    const int64_t last = file.size - 4; // last offset where a tag can start
    for (int64_t i = file.position; i <= last;) {
        const void* hit = std::memchr(bytes + i, static_cast<unsigned char>(tag[0]),
                                      static_cast<size_t>(last - i + 1));
        if (hit == nullptr) {
            break;
        }
        i = static_cast<const uint8_t*>(hit) - bytes;
        if (std::memcmp(bytes + i, tag, 4) == 0) {
            file.position = i + 4;
            return 1;
        }
        ++i;
    }
    file.position = file.size;
    file.atEnd = 1;
    return 0;
}

int32_t readChunkLength(ObjectFile& file, uint32_t& length) {
    const int32_t complete = remainingBytes(file) >= 4 ? 1 : 0;
    length = readBigEndianU32(file);
    return complete;
}
