#include "accel/TextureMemory.h"

#include <cstring>
#include <new>

bool TextureMemory::allocate(uint32_t size) {
    release();
    bytes_.reset(new (std::nothrow) uint8_t[size == 0 ? 1 : size]());
    if (bytes_ == nullptr) {
        return false;
    }
    size_ = size;
    return true;
}

void TextureMemory::release() {
    bytes_.reset();
    size_ = 0;
}

TextureMemory::WriteResult TextureMemory::write(uint64_t address, const uint8_t* source,
                                                uint32_t count) {
    WriteResult result;
    if (source == nullptr || count == 0) {
        return result;
    }
    if (address >= size_) {
        result.truncated = true;
        return result;
    }
    uint64_t fits = size_ - address;
    if (fits < count) {
        result.truncated = true;
    } else {
        fits = count;
    }
    result.written = static_cast<uint32_t>(fits);
    uint8_t* target = bytes_.get() + address;
    result.changed = std::memcmp(target, source, result.written) != 0;
    if (result.changed) {
        std::memcpy(target, source, result.written);
    }
    return result;
}
