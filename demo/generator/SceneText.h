// SceneText: writes a LightWave scene file ("LWSC", version 1) with the keywords the
// player's scene reader knows, and its fire keywords.
//
// Motions are Kochanek-Bartels key tracks of nine channels (x, y, z, heading, pitch,
// bank, scale x, y, z; degrees and scene units); envelopes are one-channel tracks.
// Frames are integers from 0. A track of two or more keys runs again from its start
// past its last key, so tracks that must not repeat end at or after the scene's last
// frame; short looping tracks (flicker) begin and end on the same value.
//
// Object numbers (for "MorphTarget" and "TargetObject") count "LoadObject" lines from 1;
// null objects take no number. The writer counts slots and refuses more than the player
// holds (60 objects, 10 lights, 10 fires).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Geometry.h"

struct KeyFrame {
    Vec3 position;
    float heading = 0.0f, pitch = 0.0f, bank = 0.0f;
    Vec3 scale{1.0f, 1.0f, 1.0f};
    int32_t frame = 0;
    int32_t linear = 0; // the segment that ends at this key is straight
    float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
};

struct EnvelopeKey {
    float value = 0.0f;
    int32_t frame = 0;
    int32_t linear = 0;
    float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
};

using Motion9 = std::vector<KeyFrame>;
using Envelope1 = std::vector<EnvelopeKey>;

// A key at `frame` placed at `position`, turned so that its +z axis points at `target`
// (heading and pitch; bank given).
KeyFrame lookingAt(int32_t frame, Vec3 position, Vec3 target, float bank = 0.0f);
// A still placement (one key).
Motion9 still(Vec3 position, float heading = 0.0f, float pitch = 0.0f, float bank = 0.0f,
              float scale = 1.0f);
// Makes each key's heading, pitch and bank the nearest turn to the key before it, so
// that a spline between them never spins the long way round.
void unwrapAngles(Motion9& keys);
// A looping flicker: `count` keys over `period` frames around `base`, +-`amount`,
// first and last equal.
Envelope1 flicker(float base, float amount, int32_t period, int32_t count, uint32_t seed);

class SceneText {
public:
    SceneText(int32_t lastFrame, float framesPerSecond);

    // "LoadObject"; returns the object's 1-based number.
    int32_t loadObject(const std::string& contentPath, const Motion9& motion);
    void dissolve(float constant);
    void dissolve(const Envelope1& envelope);
    // "Metamorph", "MorphTarget", "MTSEMorphing" on the object loaded last.
    void morph(float amount, int32_t targetNumber, int32_t mode);
    void morph(const Envelope1& amount, int32_t targetNumber, int32_t mode);
    // "AddNullObject": a named placeholder; its motion block is written as LightWave
    // does and passed over by the reader (nulls hold no slot).
    void nullObject(const std::string& name, const Motion9& motion);

    struct Light {
        std::string name = "Light";
        Motion9 motion;
        int32_t type = 0; // 0 distant, 1 point, 2 spot
        int32_t r = 255, g = 255, b = 255;
        float intensity = 1.0f;
        Envelope1 intensityEnvelope;
        float range = -1.0f; // point lights: -1 unlimited
        Envelope1 rangeEnvelope;
        int32_t lensFlare = 0;
        float flareIntensity = 0.0f;
        Envelope1 flareEnvelope;
    };
    void light(const Light& light);

    struct Camera {
        Motion9 motion;
        float zoom = 3.2f;
        int32_t targetNumber = 0; // 0: none
    };
    void camera(const Camera& camera);
    void ambient(int32_t r, int32_t g, int32_t b, float intensity);
    void ambient(int32_t r, int32_t g, int32_t b, const Envelope1& intensity);

    struct Fire {
        int32_t mode = 0;
        int32_t particles = 40;
        float width = 1.0f, height = 1.0f;
        float startFrame = 0.0f, endFrame = 100000.0f;
        int32_t fadeTime = 20;
        float color[3] = {255.0f, 255.0f, 255.0f};
        float colorFade[3] = {1.0f, 1.0f, 1.0f};
        std::string texture = "fire.tga";
        Motion9 motion;
    };
    void fire(const Fire& fire);

    const std::string& text() const { return text_; }
    int32_t lastFrame() const { return lastFrame_; }
    int32_t objectCount() const { return objects_; }

private:
    void motionBlock(const char* keyword, const Motion9& keys);
    void valueOrEnvelope(const char* keyword, float constant, const Envelope1& envelope);

    std::string text_;
    int32_t lastFrame_ = 0;
    int32_t objects_ = 0;
    int32_t lights_ = 0;
    int32_t fires_ = 0;
};
