// WAVE files for tests: a RIFF header, a "fmt " chunk and a "data" chunk, little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline void appendLittle(std::string* bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        *bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A WAVE file of `data` (frames of `channels` samples of `bits` each) with format tag
// `tag` (1 integer PCM, 3 float, 0xFFFE extensible with sub-format `subTag`).
inline std::string waveFile(int rate, int channels, int bits, const std::string& data,
                            uint16_t tag = 1, uint16_t subTag = 1) {
    const int blockAlign = channels * bits / 8;
    std::string format;
    appendLittle(&format, tag, 2);
    appendLittle(&format, static_cast<uint32_t>(channels), 2);
    appendLittle(&format, static_cast<uint32_t>(rate), 4);
    appendLittle(&format, static_cast<uint32_t>(rate * blockAlign), 4);
    appendLittle(&format, static_cast<uint32_t>(blockAlign), 2);
    appendLittle(&format, static_cast<uint32_t>(bits), 2);
    if (tag == 0xFFFE) {
        appendLittle(&format, 22, 2); // extension size
        appendLittle(&format, static_cast<uint32_t>(bits), 2);
        appendLittle(&format, 3, 4); // channel mask
        appendLittle(&format, subTag, 2);
        format += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string bytes = "RIFF";
    appendLittle(&bytes, static_cast<uint32_t>(4 + 8 + format.size() + 8 + data.size()), 4);
    bytes += "WAVEfmt ";
    appendLittle(&bytes, static_cast<uint32_t>(format.size()), 4);
    bytes += format + "data";
    appendLittle(&bytes, static_cast<uint32_t>(data.size()), 4);
    return bytes + data;
}

// 16-bit integer samples.
inline std::string waveFile(int rate, int channels, const std::vector<short>& samples) {
    std::string data;
    for (short sample : samples) {
        appendLittle(&data, static_cast<uint16_t>(sample), 2);
    }
    return waveFile(rate, channels, 16, data);
}
