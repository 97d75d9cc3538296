#include "SceneText.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "Image.h"

namespace {

constexpr float kRadiansToDegrees = 57.29577951f;

std::string number(float v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", static_cast<double>(v));
    return buffer;
}

std::string keyTail(int32_t frame, int32_t linear, float t, float c, float b) {
    return " " + std::to_string(frame) + " " + std::to_string(linear) + " " + number(t) + " " +
           number(c) + " " + number(b) + "\n";
}

float nearestTurn(float angle, float previous) {
    while (angle - previous > 180.0f) {
        angle -= 360.0f;
    }
    while (angle - previous < -180.0f) {
        angle += 360.0f;
    }
    return angle;
}

} // namespace

KeyFrame lookingAt(int32_t frame, Vec3 position, Vec3 target, float bank) {
    const Vec3 d = target - position;
    KeyFrame key;
    key.frame = frame;
    key.position = position;
    key.heading = std::atan2(d.x, d.z) * kRadiansToDegrees;
    // Positive pitch looks down.
    key.pitch = -std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z)) * kRadiansToDegrees;
    key.bank = bank;
    return key;
}

Motion9 still(Vec3 position, float heading, float pitch, float bank, float scale) {
    KeyFrame key;
    key.position = position;
    key.heading = heading;
    key.pitch = pitch;
    key.bank = bank;
    key.scale = {scale, scale, scale};
    return {key};
}

void unwrapAngles(Motion9& keys) {
    for (size_t i = 1; i < keys.size(); ++i) {
        keys[i].heading = nearestTurn(keys[i].heading, keys[i - 1].heading);
        keys[i].pitch = nearestTurn(keys[i].pitch, keys[i - 1].pitch);
        keys[i].bank = nearestTurn(keys[i].bank, keys[i - 1].bank);
    }
}

Envelope1 flicker(float base, float amount, int32_t period, int32_t count, uint32_t seed) {
    Envelope1 keys;
    for (int32_t i = 0; i <= count; ++i) {
        EnvelopeKey k;
        k.frame = period * i / count;
        const float n = i == count ? hash01(0, 0, seed) : hash01(i, 0, seed);
        k.value = base + amount * (2.0f * n - 1.0f);
        keys.push_back(k);
    }
    return keys;
}

SceneText::SceneText(int32_t lastFrame, float framesPerSecond) : lastFrame_(lastFrame) {
    text_ = "LWSC\n1\n\nFirstFrame 0\nLastFrame " + std::to_string(lastFrame) +
            "\nFrameStep 1\nFramesPerSecond " + number(framesPerSecond) + "\n\n";
}

void SceneText::motionBlock(const char* keyword, const Motion9& keys) {
    if (keys.empty()) {
        throw std::runtime_error(std::string(keyword) + " without keys");
    }
    for (size_t i = 1; i < keys.size(); ++i) {
        if (keys[i].frame <= keys[i - 1].frame) {
            throw std::runtime_error(std::string(keyword) + " keys out of order");
        }
    }
    if (keys.size() > 1 && keys.back().frame < lastFrame_) {
        throw std::runtime_error(std::string(keyword) + " ends before the last frame");
    }
    text_ += std::string(keyword) + " (unnamed)\n 9\n " + std::to_string(keys.size()) + "\n";
    for (const KeyFrame& k : keys) {
        text_ += " " + number(k.position.x) + " " + number(k.position.y) + " " +
                 number(k.position.z) + " " + number(k.heading) + " " + number(k.pitch) + " " +
                 number(k.bank) + " " + number(k.scale.x) + " " + number(k.scale.y) + " " +
                 number(k.scale.z) + "\n";
        text_ += keyTail(k.frame, k.linear, k.tension, k.continuity, k.bias);
    }
}

void SceneText::valueOrEnvelope(const char* keyword, float constant, const Envelope1& envelope) {
    if (envelope.empty()) {
        text_ += std::string(keyword) + " " + number(constant) + "\n";
        return;
    }
    text_ += std::string(keyword) + " (envelope)\n 1\n " + std::to_string(envelope.size()) + "\n";
    for (const EnvelopeKey& k : envelope) {
        text_ += " " + number(k.value) + "\n";
        text_ += keyTail(k.frame, k.linear, k.tension, k.continuity, k.bias);
    }
}

int32_t SceneText::loadObject(const std::string& contentPath, const Motion9& motion) {
    if (objects_ >= 60) {
        throw std::runtime_error("more than 60 objects in a scene");
    }
    ++objects_;
    text_ += "LoadObject " + contentPath + "\n";
    motionBlock("ObjectMotion", motion);
    text_ += "\n";
    return objects_;
}

void SceneText::dissolve(float constant) {
    valueOrEnvelope("ObjDissolve", constant, {});
}

void SceneText::dissolve(const Envelope1& envelope) {
    valueOrEnvelope("ObjDissolve", 0.0f, envelope);
}

void SceneText::morph(float amount, int32_t targetNumber, int32_t mode) {
    valueOrEnvelope("Metamorph", amount, {});
    text_ += "MorphTarget " + std::to_string(targetNumber) + "\nMTSEMorphing " +
             std::to_string(mode) + "\n";
}

void SceneText::morph(const Envelope1& amount, int32_t targetNumber, int32_t mode) {
    valueOrEnvelope("Metamorph", 0.0f, amount);
    text_ += "MorphTarget " + std::to_string(targetNumber) + "\nMTSEMorphing " +
             std::to_string(mode) + "\n";
}

void SceneText::nullObject(const std::string& name, const Motion9& motion) {
    text_ += "AddNullObject " + name + "\n";
    motionBlock("ObjectMotion", motion);
    text_ += "\n";
}

void SceneText::light(const Light& l) {
    if (lights_ >= 10) {
        throw std::runtime_error("more than 10 lights in a scene");
    }
    ++lights_;
    // The reader takes the word after "AddLight" as the light's name.
    text_ += "AddLight " + l.name + "\n";
    motionBlock("LightMotion", l.motion);
    text_ += "LightColor " + std::to_string(l.r) + " " + std::to_string(l.g) + " " +
             std::to_string(l.b) + "\n";
    valueOrEnvelope("LgtIntensity", l.intensity, l.intensityEnvelope);
    text_ += "LightType " + std::to_string(l.type) + "\n";
    if (l.type != 0) {
        valueOrEnvelope("LightRange", l.range, l.rangeEnvelope);
    }
    if (l.lensFlare != 0) {
        text_ += "LensFlare 1\n";
        valueOrEnvelope("FlareIntensity", l.flareIntensity, l.flareEnvelope);
    }
    text_ += "\n";
}

void SceneText::camera(const Camera& c) {
    text_ += "ShowCamera 1 2\n";
    motionBlock("CameraMotion", c.motion);
    text_ += "ZoomFactor " + number(c.zoom) + "\n";
    if (c.targetNumber > 0) {
        text_ += "TargetObject " + std::to_string(c.targetNumber) + "\n";
    }
    text_ += "\n";
}

void SceneText::ambient(int32_t r, int32_t g, int32_t b, float intensity) {
    text_ += "AmbientColor " + std::to_string(r) + " " + std::to_string(g) + " " +
             std::to_string(b) + "\n";
    valueOrEnvelope("AmbIntensity", intensity, {});
    text_ += "\n";
}

void SceneText::ambient(int32_t r, int32_t g, int32_t b, const Envelope1& intensity) {
    text_ += "AmbientColor " + std::to_string(r) + " " + std::to_string(g) + " " +
             std::to_string(b) + "\n";
    valueOrEnvelope("AmbIntensity", 0.0f, intensity);
    text_ += "\n";
}

void SceneText::fire(const Fire& f) {
    if (fires_ >= 10) {
        throw std::runtime_error("more than 10 fires in a scene");
    }
    ++fires_;
    text_ += "AddFire " + std::to_string(f.particles) + " " + number(f.width) + " " +
             number(f.height) + "\n";
    // The count and sizes again under their own keywords, as the fire's panel saves them.
    text_ += "FireParts " + std::to_string(f.particles) + "\nFireWidth " + number(f.width) +
             "\nFireHeight " + number(f.height) + "\n";
    text_ += "FireMode " + std::to_string(f.mode) + "\n";
    text_ +=
        "FireStartFrame " + number(f.startFrame) + "\nFireEndFrame " + number(f.endFrame) + "\n";
    text_ += "FireFadeTime " + std::to_string(f.fadeTime) + "\n";
    text_ += "FireColor " + number(f.color[0]) + " " + number(f.color[1]) + " " +
             number(f.color[2]) + "\n";
    text_ += "FireColFade " + number(f.colorFade[0]) + " " + number(f.colorFade[1]) + " " +
             number(f.colorFade[2]) + "\n";
    text_ += "FireTexture " + f.texture + "\n";
    motionBlock("FireMotion", f.motion);
    text_ += "\n";
}
