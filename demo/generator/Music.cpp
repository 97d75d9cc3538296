// The soundtrack synthesiser.
//
// Notes are rendered one by one into a stereo mix (each instrument a small function of
// its start time, pitch and length) with a send to a Schroeder reverb (parallel combs with
// damped feedback, then allpasses; different delays per channel give width). Sections
// place their notes on a grid of 120 beats a minute that restarts at each section, so a
// section always begins where its scene does even when scenes are not whole bars long.
#include "Music.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5;              // seconds
constexpr double kBar = 4.0 * kBeat;       // seconds
constexpr double kRate = kMusicSampleRate; // samples a second

double noteHz(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

struct Noise {
    uint32_t state = 0x12345678u;
    float next() { // -1..1
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
};

struct Mix {
    std::vector<float> dry; // interleaved stereo
    std::vector<float> wet; // reverb send, interleaved stereo
    size_t frames = 0;
    Noise noise;

    explicit Mix(double seconds)
        : dry(static_cast<size_t>(seconds * kRate) * 2, 0.0f),
          wet(static_cast<size_t>(seconds * kRate) * 2, 0.0f),
          frames(static_cast<size_t>(seconds * kRate)) {}

    // Adds a mono value at `frame`, panned (-1 left .. 1 right), with a reverb send.
    void add(size_t frame, float value, float pan, float send) {
        if (frame >= frames) {
            return;
        }
        const float left = std::sqrt(0.5f * (1.0f - pan)), right = std::sqrt(0.5f * (1.0f + pan));
        dry[frame * 2] += value * left;
        dry[frame * 2 + 1] += value * right;
        wet[frame * 2] += value * left * send;
        wet[frame * 2 + 1] += value * right * send;
    }
    static size_t frameAt(double seconds) {
        return static_cast<size_t>(std::max(0.0, seconds) * kRate);
    }
};

// Attack-release envelope of a held note.
float holdEnvelope(double t, double length, double attack, double release) {
    if (t < attack) {
        return static_cast<float>(t / attack);
    }
    if (t < length) {
        return 1.0f;
    }
    return static_cast<float>(std::max(0.0, 1.0 - (t - length) / release));
}

// Three detuned sawtooths through a one-pole low-pass: a soft string pad.
void pad(Mix& m, double start, double length, int midi, float level, float pan) {
    const double release = 1.2, attack = 0.5;
    const size_t first = Mix::frameAt(start);
    const auto count = static_cast<size_t>((length + release) * kRate);
    double phase[3] = {0.0, 0.33, 0.66};
    const double detune[3] = {0.996, 1.0, 1.0045};
    const double f = noteHz(midi);
    const double cutoff = std::min(2400.0, f * 5.0);
    const auto a = static_cast<float>(1.0 - std::exp(-2.0 * kPi * cutoff / kRate));
    float y = 0.0f, y2 = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        float x = 0.0f;
        for (int k = 0; k < 3; ++k) {
            phase[k] += f * detune[k] / kRate;
            phase[k] -= std::floor(phase[k]);
            x += static_cast<float>(2.0 * phase[k] - 1.0);
        }
        y += a * (x - y);
        y2 += a * (y - y2);
        const double t = static_cast<double>(i) / kRate;
        m.add(first + i, y2 * level * 0.22f * holdEnvelope(t, length, attack, release), pan, 0.6f);
    }
}

// Karplus-Strong plucked string. The loop's delay is fractional (read by linear
// interpolation): a whole-sample loop would put high notes audibly out of tune.
void pluck(Mix& m, double start, int midi, float level, float pan, float brightness = 0.5f) {
    const double delay = kRate / noteHz(midi) - 0.5; // the averaging filter adds half a sample
    const size_t size = static_cast<size_t>(delay) + 4;
    std::vector<float> line(size);
    for (float& s : line) {
        s = m.noise.next();
    }
    // Soften the initial burst: darker strings start from smoother noise.
    for (int pass = 0; pass < static_cast<int>((1.0f - brightness) * 4.0f); ++pass) {
        for (size_t i = 1; i < size; ++i) {
            line[i] = 0.5f * (line[i] + line[i - 1]);
        }
    }
    const size_t first = Mix::frameAt(start);
    const auto count = static_cast<size_t>(1.6 * kRate);
    float previous = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        const double read = static_cast<double>(i + size) - delay;
        const auto at = static_cast<size_t>(read);
        const auto frac = static_cast<float>(read - static_cast<double>(at));
        const float a = line[at % size], b = line[(at + 1) % size];
        const float current = a + (b - a) * frac;
        line[(i + size) % size] = 0.4985f * (current + previous);
        previous = current;
        m.add(first + i, current * level * 0.35f, pan, 0.35f);
    }
}

// Two-operator FM: bells (inharmonic ratio, long ring) and electric piano (ratio 1).
void fm(Mix& m, double start, int midi, float level, float pan, double ratio, double index,
        double decay, double length, double send) {
    const double f = noteHz(midi);
    const size_t first = Mix::frameAt(start);
    const auto count = static_cast<size_t>(length * kRate);
    double pc = 0.0, pm = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double env =
            std::exp(-t / decay) * std::min(1.0, t * 400.0) * std::min(1.0, (length - t) * 20.0);
        const double idx = index * std::exp(-t / (decay * 0.5));
        pm += 2.0 * kPi * f * ratio / kRate;
        pc += 2.0 * kPi * f / kRate;
        const double v = std::sin(pc + idx * std::sin(pm));
        m.add(first + i, static_cast<float>(v * env) * level * 0.3f, pan, static_cast<float>(send));
    }
}

void bell(Mix& m, double start, int midi, float level, float pan) {
    fm(m, start, midi, level, pan, 3.5, 2.2, 1.1, 3.5, 0.8);
}

void epiano(Mix& m, double start, double length, int midi, float level, float pan) {
    fm(m, start, midi, level, pan, 1.0, 1.6, 0.9, length + 0.3, 0.4);
}

// Sine bass with a touch of second harmonic and soft saturation.
void bass(Mix& m, double start, double length, int midi, float level) {
    const double f = noteHz(midi);
    const size_t first = Mix::frameAt(start);
    const auto count = static_cast<size_t>((length + 0.08) * kRate);
    double p = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        p += 2.0 * kPi * f / kRate;
        const double env = holdEnvelope(t, length, 0.006, 0.08) * (0.75 + 0.25 * std::exp(-t * 6));
        const double v = std::tanh(1.6 * (std::sin(p) + 0.35 * std::sin(2.0 * p)));
        m.add(first + i, static_cast<float>(v * env) * level * 0.32f, 0.0f, 0.05f);
    }
}

void kick(Mix& m, double start, float level) {
    const size_t first = Mix::frameAt(start);
    double p = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(0.45 * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        p += 2.0 * kPi * (44.0 + 110.0 * std::exp(-t * 28.0)) / kRate;
        const double v = std::sin(p) * std::exp(-t * 7.0);
        m.add(first + i, static_cast<float>(v) * level * 0.75f, 0.0f, 0.05f);
    }
}

// Deep drum of the temple: a slower sweep and a breath of noise.
void taiko(Mix& m, double start, float level) {
    const size_t first = Mix::frameAt(start);
    double p = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(0.9 * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        p += 2.0 * kPi * (62.0 + 38.0 * std::exp(-t * 16.0)) / kRate;
        const double v =
            std::sin(p) * std::exp(-t * 4.5) + 0.25 * m.noise.next() * std::exp(-t * 40.0);
        m.add(first + i, static_cast<float>(v) * level * 0.6f, 0.0f, 0.5f);
    }
}

void snare(Mix& m, double start, float level) {
    const size_t first = Mix::frameAt(start);
    float previous = 0.0f;
    double p = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(0.3 * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float n = m.noise.next();
        const float high = n - previous;
        previous = n;
        p += 2.0 * kPi * 185.0 / kRate;
        const double v = 0.6 * high * std::exp(-t * 16.0) + 0.5 * std::sin(p) * std::exp(-t * 30.0);
        m.add(first + i, static_cast<float>(v) * level * 0.4f, 0.1f, 0.3f);
    }
}

void hat(Mix& m, double start, float level, bool open, float pan) {
    const size_t first = Mix::frameAt(start);
    const double decay = open ? 9.0 : 55.0;
    float p1 = 0.0f, p2 = 0.0f;
    for (size_t i = 0; i < static_cast<size_t>((open ? 0.4 : 0.08) * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float n = m.noise.next();
        const float high = n - 2.0f * p1 + p2; // second difference: a steep high-pass
        p2 = p1;
        p1 = n;
        m.add(first + i, high * static_cast<float>(std::exp(-t * decay)) * level * 0.06f, pan,
              0.15f);
    }
}

// Schroeder reverb over the send, added into the dry mix.
void reverb(Mix& m, float amount) {
    static const size_t kComb[4] = {1557, 1617, 1491, 1422};
    static const size_t kAllpass[2] = {556, 441};
    for (int ch = 0; ch < 2; ++ch) {
        const size_t spread = ch == 0 ? 0 : 23;
        std::vector<std::vector<float>> combs;
        std::vector<size_t> at(4, 0);
        std::vector<float> damp(4, 0.0f);
        for (size_t d : kComb) {
            combs.emplace_back(d + spread, 0.0f);
        }
        std::vector<std::vector<float>> passes;
        std::vector<size_t> pat(2, 0);
        for (size_t d : kAllpass) {
            passes.emplace_back(d + spread, 0.0f);
        }
        for (size_t i = 0; i < m.frames; ++i) {
            const float in = m.wet[i * 2 + ch] * 0.2f;
            float out = 0.0f;
            for (size_t k = 0; k < 4; ++k) {
                float& slot = combs[k][at[k]];
                const float y = slot;
                damp[k] = y * 0.7f + damp[k] * 0.3f;
                slot = in + damp[k] * 0.84f;
                at[k] = (at[k] + 1) % combs[k].size();
                out += y;
            }
            for (size_t k = 0; k < 2; ++k) {
                float& slot = passes[k][pat[k]];
                const float b = slot;
                slot = out + b * 0.5f;
                out = b - out * 0.5f;
                pat[k] = (pat[k] + 1) % passes[k].size();
            }
            m.dry[i * 2 + ch] += out * amount;
        }
    }
}

using Chord = std::vector<int>; // MIDI notes, lowest first

const Chord kAm{57, 60, 64}, kF{53, 57, 60}, kC{55, 60, 64}, kG{55, 59, 62}, kE{56, 59, 64};
const Chord kDm{50, 57, 62, 65}, kBb{50, 53, 58, 62}, kA{49, 52, 57, 61}, kGm{50, 55, 58, 62};
const Chord kFmaj7{53, 57, 60, 64}, kEm7{52, 55, 59, 62}, kDm7{50, 53, 57, 60},
    kCmaj7{48, 52, 55, 59}, kG7{50, 53, 55, 59};
const Chord kAsus4{57, 62, 64, 69}, kAmaj{57, 61, 64, 69}, kG9{55, 59, 62, 69};

struct Note {
    double beat; // from the section's start
    int midi;
};

// A held chord, its root an octave or two down in the bass.
void padChord(Mix& m, double t, double length, const Chord& c, float level) {
    float pan = -0.4f;
    for (int n : c) {
        pad(m, t, length, n, level, pan);
        pan += 0.8f / static_cast<float>(c.size());
    }
}

// Outdoor: a calm evening. Pads, a plucked arpeggio, then a bell tune.
void outdoorSection(Mix& m, double t0, double length) {
    const Chord* progression[] = {&kAm, &kF, &kC, &kG, &kAm, &kF, &kC, &kE, &kAm, &kAm};
    const int bars = static_cast<int>(std::ceil(length / kBar));
    for (int b = 0; b < bars; ++b) {
        const Chord& c = *progression[b % 10];
        const double t = t0 + b * kBar;
        padChord(m, t, kBar, c, b == 0 ? 0.7f : 1.0f);
        if (b >= 1) {
            bass(m, t, kBar * 0.9, c[0] - 12, 0.55f);
        }
        if (b >= 1) {
            static const int kPattern[8] = {0, 1, 2, 3, 2, 1, 2, 3};
            for (int s = 0; s < 8; ++s) {
                const int i = kPattern[s];
                const int n = i < 3 ? c[static_cast<size_t>(i)] + 12 : c[0] + 24;
                pluck(m, t + s * kBeat * 0.5, n, 0.55f, s % 2 == 0 ? -0.5f : 0.5f, 0.45f);
            }
        }
    }
    static const Note kTune[] = {{16, 76}, {18, 72}, {19, 74}, {20, 72}, {22, 69},
                                 {24, 67}, {25, 72}, {26, 76}, {28, 74}, {30, 71},
                                 {31, 68}, {32, 69}, {34, 76}, {35, 81}};
    for (const Note& n : kTune) {
        if (n.beat * kBeat < length) {
            bell(m, t0 + n.beat * kBeat, n.midi, 0.8f, 0.25f);
        }
    }
}

// Temple: a drone, ritual drums and slow bells in D minor.
void templeSection(Mix& m, double t0, double length) {
    const Chord* progression[] = {&kDm, &kDm, &kBb, &kA, &kDm, &kGm, &kA, &kA, &kDm};
    const int bars = static_cast<int>(std::ceil(length / kBar));
    pad(m, t0, length, 38, 0.9f, 0.0f);
    pad(m, t0, length, 45, 0.6f, 0.0f);
    for (int b = 0; b < bars; ++b) {
        const double t = t0 + b * kBar;
        padChord(m, t, kBar, *progression[b % 9], 0.75f);
        taiko(m, t, 0.9f);
        taiko(m, t + 2.5 * kBeat, 0.55f);
        if (b % 2 == 1) {
            taiko(m, t + 3.5 * kBeat, 0.4f);
        }
    }
    static const Note kTune[] = {{2, 74},    {3.5, 69}, {6, 77},  {7, 76},    {10, 74},
                                 {11.5, 72}, {14, 73},  {15, 69}, {18, 74},   {19.5, 77},
                                 {22, 79},   {23, 77},  {26, 76}, {27.5, 73}, {30, 74}};
    for (const Note& n : kTune) {
        if (n.beat * kBeat < length) {
            bell(m, t0 + n.beat * kBeat, n.midi, 0.7f, n.midi % 2 == 0 ? -0.35f : 0.35f);
        }
    }
}

// Future: four on the floor, a running bass, sixteenth arpeggios.
void futureSection(Mix& m, double t0, double length) {
    const Chord* progression[] = {&kAm, &kF, &kC, &kG};
    const int bars = static_cast<int>(std::ceil(length / kBar));
    for (int b = 0; b < bars; ++b) {
        const Chord& c = *progression[b % 4];
        const double t = t0 + b * kBar;
        padChord(m, t, kBar, c, 0.45f);
        for (int beat = 0; beat < 4; ++beat) {
            const double tb = t + beat * kBeat;
            if (tb - t0 >= length) {
                break;
            }
            kick(m, tb, 1.0f);
            if (beat % 2 == 1) {
                snare(m, tb, 0.9f);
            }
            hat(m, tb + kBeat * 0.5, 0.9f, beat == 3, 0.3f);
            hat(m, tb + kBeat * 0.25, 0.35f, false, -0.3f);
            hat(m, tb + kBeat * 0.75, 0.35f, false, -0.3f);
        }
        static const int kBass[8] = {0, 0, 12, 0, 7, 0, 12, 10};
        for (int s = 0; s < 8; ++s) {
            bass(m, t + s * kBeat * 0.5, kBeat * 0.4, c[0] - 24 + kBass[s] + (c[0] < 55 ? 12 : 0),
                 0.6f);
        }
        for (int s = 0; s < 16; ++s) {
            const int n = c[static_cast<size_t>(s % 3)] + 12 + (s % 6 >= 3 ? 12 : 0);
            pluck(m, t + s * kBeat * 0.25, n, 0.4f, (s % 4) * 0.4f - 0.6f, 0.9f);
        }
    }
}

// Office: electric piano on a walking bass, brushed drums.
void officeSection(Mix& m, double t0, double length) {
    const Chord* progression[] = {&kFmaj7, &kEm7, &kDm7, &kCmaj7, &kFmaj7, &kEm7, &kG7, &kG7};
    const int bars = static_cast<int>(std::ceil(length / kBar));
    for (int b = 0; b < bars; ++b) {
        const Chord& c = *progression[b % 8];
        const double t = t0 + b * kBar;
        for (int n : c) {
            epiano(m, t, 1.4 * kBeat, n + 12, 0.45f, -0.2f);
            epiano(m, t + 2.5 * kBeat, 1.0 * kBeat, n + 12, 0.35f, 0.2f);
        }
        const int walk[4] = {c[0], c[0] + 4, c[0] + 7, c[0] + 5};
        for (int beat = 0; beat < 4; ++beat) {
            bass(m, t + beat * kBeat, kBeat * 0.85, walk[beat] - 12, 0.55f);
            hat(m, t + beat * kBeat, 0.5f, false, 0.3f);
            hat(m, t + (beat + 0.66) * kBeat, 0.3f, false, 0.3f);
        }
        kick(m, t, 0.6f);
        kick(m, t + 2.5 * kBeat, 0.45f);
        snare(m, t + kBeat, 0.35f);
        snare(m, t + 3 * kBeat, 0.35f);
    }
}

// The end: a lift through F and G to A major, rung out with bells.
void endSection(Mix& m, double t0, double length, double tail) {
    const Chord* progression[] = {&kF, &kG9, &kAsus4};
    double t = t0;
    for (const Chord* c : progression) {
        padChord(m, t, kBar, *c, 1.0f);
        bass(m, t, kBar * 0.95, (*c)[0] - 24, 0.5f);
        t += kBar;
    }
    const double hold = std::max(kBar, t0 + length + tail - t - 1.2);
    padChord(m, t, hold, kAmaj, 1.0f);
    bass(m, t, hold, 45, 0.5f);
    static const int kArp[] = {69, 73, 76, 81, 85, 88};
    for (int i = 0; i < 6; ++i) {
        bell(m, t + i * kBeat * 0.5, kArp[i], 0.6f, i % 2 == 0 ? -0.4f : 0.4f);
    }
    bell(m, t + 4 * kBeat, 81, 0.7f, 0.0f);
}

} // namespace

Soundtrack synthesiseSoundtrack(const std::vector<double>& sectionSeconds, double tailSeconds) {
    double total = tailSeconds;
    for (double s : sectionSeconds) {
        total += s;
    }
    Mix m(total);
    double t = 0.0;
    using Section = void (*)(Mix&, double, double);
    static const Section kSections[] = {outdoorSection, templeSection, futureSection,
                                        officeSection};
    for (size_t i = 0; i < sectionSeconds.size(); ++i) {
        if (i + 1 == sectionSeconds.size()) {
            endSection(m, t, sectionSeconds[i], tailSeconds);
        } else {
            kSections[i % 4](m, t, sectionSeconds[i]);
        }
        t += sectionSeconds[i];
    }
    reverb(m, 0.55f);

    Soundtrack out;
    out.samples = std::move(m.dry);
    float peak = 1e-6f;
    for (float s : out.samples) {
        peak = std::max(peak, std::fabs(s));
    }
    const float gain = 0.89f / peak;
    const size_t frames = out.samples.size() / 2;
    const auto fadeOut = static_cast<size_t>(std::min(total, 2.5) * kRate);
    for (size_t i = 0; i < frames; ++i) {
        float g = gain;
        if (i + fadeOut > frames) {
            const float x = static_cast<float>(frames - i) / static_cast<float>(fadeOut);
            g *= x * x;
        }
        out.samples[i * 2] *= g;
        out.samples[i * 2 + 1] *= g;
    }
    return out;
}

void writeDiscImage(const std::string& cdromDir, const Soundtrack& music,
                    const std::string& discText) {
    // Track 1: data sectors of 2048 bytes; the first holds a short text.
    constexpr size_t kDataSectors = 16;
    std::string data(kDataSectors * 2048, '\0');
    data.replace(0, std::min(discText.size(), size_t{2048}), discText.substr(0, 2048));
    std::ofstream bin(cdromDir + "/data.bin", std::ios::binary);
    bin.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!bin) {
        throw std::runtime_error("cannot write " + cdromDir + "/data.bin");
    }

    // Track 2: the soundtrack.
    SF_INFO info{};
    info.samplerate = kMusicSampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    const std::string oggPath = cdromDir + "/soundtrack.ogg";
    SNDFILE* file = sf_open(oggPath.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write " + oggPath + ": " + sf_strerror(nullptr));
    }
    double quality = 0.45;
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    // In blocks: the Vorbis encoder takes at most a few thousand frames per call.
    const auto frames = static_cast<sf_count_t>(music.samples.size() / 2);
    sf_count_t written = 0;
    while (written < frames) {
        const sf_count_t block = std::min<sf_count_t>(4096, frames - written);
        const sf_count_t done = sf_writef_float(file, music.samples.data() + written * 2, block);
        if (done != block) {
            break;
        }
        written += done;
    }
    sf_close(file);
    if (written != frames) {
        throw std::runtime_error("cannot write " + oggPath);
    }

    std::ofstream cue(cdromDir + "/emberlight.cue");
    cue << "REM Emberlight demo disc: track 1 data, track 2 the soundtrack\n"
           "FILE \"data.bin\" BINARY\n"
           "  TRACK 01 MODE1/2048\n"
           "    INDEX 01 00:00:00\n"
           "FILE \"soundtrack.ogg\" WAVE\n"
           "  TRACK 02 AUDIO\n"
           "    INDEX 01 00:00:00\n";
    if (!cue) {
        throw std::runtime_error("cannot write " + cdromDir + "/emberlight.cue");
    }
}
