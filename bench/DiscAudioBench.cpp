// Decoding CD audio from a disc image: how much faster than real time the audio thread
// reads a BINARY track and a WAVE track that needs rate conversion.
#include <benchmark/benchmark.h>

#include <sndfile.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/DiscImage.h"
#include "platform/DiscImageAudio.h"

namespace {

struct DiscFixture {
    std::string directory;
    DiscImage binary;
    DiscImage wave;

    DiscFixture() {
        char pattern[] = "/tmp/ember-bench-XXXXXX";
        directory = mkdtemp(pattern);
        const int seconds = 10;
        {
            std::ofstream out(directory + "/disc.bin", std::ios::binary);
            std::vector<char> sector(2352);
            for (int i = 0; i < seconds * 75; ++i) {
                for (size_t b = 0; b < sector.size(); ++b) {
                    sector[b] = static_cast<char>((i * 7 + b) & 0xFF);
                }
                out.write(sector.data(), static_cast<std::streamsize>(sector.size()));
            }
        }
        SF_INFO info{};
        info.samplerate = 48000;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open((directory + "/track.wav").c_str(), SFM_WRITE, &info);
        std::vector<short> samples(48000 * 2, 1000);
        for (int i = 0; i < seconds; ++i) {
            sf_writef_short(file, samples.data(), 48000);
        }
        sf_close(file);
        std::ofstream(directory + "/bin.cue")
            << "FILE disc.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n";
        std::ofstream(directory + "/wav.cue")
            << "FILE track.wav WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n";
        std::string error;
        binary.load((directory + "/bin.cue").c_str(), &error);
        wave.load((directory + "/wav.cue").c_str(), &error);
    }
    ~DiscFixture() { std::system(("rm -rf " + directory).c_str()); }
};

DiscFixture& fixture() {
    static DiscFixture instance;
    return instance;
}

// One pass over a 10-second track in the audio callback's 4096-frame blocks.
void readTrack(benchmark::State& state, const DiscImage& image) {
    std::vector<int16_t> block(4096 * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        DiscImageAudio audio;
        audio.start(image, 1);
        for (int64_t got; (got = audio.read(block.data(), 4096)) > 0;) {
            frames += got;
        }
        benchmark::DoNotOptimize(block.data());
    }
    // Seconds of audio decoded per second of benchmark time.
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

void BM_ReadBinaryTrack(benchmark::State& state) {
    readTrack(state, fixture().binary);
}
void BM_ReadResampledWaveTrack(benchmark::State& state) {
    readTrack(state, fixture().wave);
}

BENCHMARK(BM_ReadBinaryTrack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadResampledWaveTrack)->Unit(benchmark::kMillisecond);

} // namespace
