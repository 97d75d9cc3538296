// WaveSoundFile: WAVE (RIFF) files without a library: integer PCM of 8, 16, 24 or 32 bits
// and IEEE floats of 32 or 64 bits, plain or in the extensible format, any rate and up to
// kMaxSoundFileChannels channels. Samples become int16 (the top 16 bits of wider
// integers; floats scaled by 32768 and clamped).
//
// The file is checked before it is accepted: the RIFF and WAVE tags, a "fmt " chunk
// before the "data" chunk, a frame size that matches the channels and sample size. A
// data chunk that claims more bytes than the file holds is cut at the file's end, as
// when a recording stopped without its header being finished. Chunks that do not matter
// (LIST, fact, cue ...) are passed over.
#pragma once

#include <memory>

#include "platform/SoundFile.h"

std::unique_ptr<SoundFile> openWaveSoundFile(const char* hostPath);
