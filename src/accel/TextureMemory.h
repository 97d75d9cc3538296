// TextureMemory: the bytes of texture unit 0, at real addresses 0 .. size-1.
//
// Downloads write level bytes here; drawing decodes texels from here (through the
// decoded-texture cache, which is told about every write that changes bytes). Nothing
// is ever read or written outside the array: the part of a write that would pass the
// end is dropped, and reads beyond it give zero bytes. 16-bit texels are kept in host
// byte order, as the host image holds them.
#pragma once

#include <cstdint>
#include <memory>

class TextureMemory {
public:
    // A zero-filled array of `size` bytes; false when memory is short.
    bool allocate(uint32_t size);
    void release();
    bool isAllocated() const { return bytes_ != nullptr; }
    uint32_t size() const { return size_; }

    struct WriteResult {
        uint32_t written = 0;   // bytes that landed inside the array
        bool truncated = false; // some bytes would have passed the end
        bool changed = false;   // some byte now differs from before
    };
    // Copies `count` bytes to `address` (a 64-bit address so that start + offset never
    // wraps around).
    WriteResult write(uint64_t address, const uint8_t* source, uint32_t count);

    uint8_t byteAt(uint64_t address) const { return address < size_ ? bytes_[address] : 0; }
    // The host-order 16-bit value at `address` (bytes beyond the end read as 0).
    uint16_t halfAt(uint64_t address) const {
        const uint16_t lo = byteAt(address);
        const uint16_t hi = byteAt(address + 1);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        return static_cast<uint16_t>(lo | hi << 8);
#else
        return static_cast<uint16_t>(lo << 8 | hi);
#endif
    }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    uint32_t size_ = 0;
};
