// Sound files without a library: WAVE (RIFF) and Ogg Vorbis, told apart by their first
// bytes. The Windows build's decoders.
#include <cstdio>
#include <cstring>

#include "platform/SoundFile.h"
#include "platform/VorbisSoundFile.h"
#include "platform/WaveSoundFile.h"

std::unique_ptr<SoundFile> openSoundFile(const char* hostPath) {
    FILE* file = std::fopen(hostPath, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    char magic[4] = {};
    const size_t got = std::fread(magic, 1, sizeof(magic), file);
    std::fclose(file);
    if (got == sizeof(magic) && std::memcmp(magic, "RIFF", 4) == 0) {
        return openWaveSoundFile(hostPath);
    }
    if (got == sizeof(magic) && std::memcmp(magic, "OggS", 4) == 0) {
        return openVorbisSoundFile(hostPath);
    }
    return nullptr;
}
