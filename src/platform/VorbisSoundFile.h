// VorbisSoundFile: Ogg Vorbis files through stb_vorbis (Debian's libstb-dev, compiled
// into the program from its single header: StbVorbis.c). One logical stream; samples
// as the decoder gives them, clamped to int16.
#pragma once

#include <memory>

#include "platform/SoundFile.h"

std::unique_ptr<SoundFile> openVorbisSoundFile(const char* hostPath);
