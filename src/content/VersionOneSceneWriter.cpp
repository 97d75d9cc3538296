#include "content/VersionOneSceneWriter.h"

#include <cmath>
#include <cstdio>

#include "player/Scene.h"

namespace {

// What the reader multiplies colours by: 1/255 for lights, 1/256 for the ambient light.
constexpr float kLightColorFactor = 0.003921569f;
constexpr float kAmbientColorFactor = 0.00390625f;

// Nine significant digits: every float reads back to itself.
std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(static_cast<float>(value)));
    return text;
}

std::string numbers(const double* values, int32_t count) {
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        text += (i > 0 ? " " : "") + number(values[i]);
    }
    return text;
}

// "frame linear tension continuity bias", the second line of every key.
std::string keyTail(const MotionKey& key) {
    return "  " + std::to_string(key.frame) + " " + std::to_string(key.linear) + " " +
           number(key.tension) + " " + number(key.continuity) + " " + number(key.bias) + "\n";
}

std::string motionBlock(const char* keyword, const Motion& motion) {
    std::string text = std::string(keyword) + " (unnamed)\n  9\n";
    if (motion.keyCount <= 0 || motion.keys == nullptr ||
        (motion.positionIsConstant == 1 && motion.rotationIsConstant == 1 &&
         motion.scaleIsConstant == 1)) {
        const double values[kMotionChannelCount] = {
            motion.position.x, motion.position.y, motion.position.z, motion.heading, motion.pitch,
            motion.bank,       motion.scale.x,    motion.scale.y,    motion.scale.z};
        return text + "  1\n  " + numbers(values, kMotionChannelCount) + "\n  0 0 0 0 0\n" +
               "EndBehavior 1\n";
    }
    text += "  " + std::to_string(motion.keyCount) + "\n";
    for (int32_t k = 0; k < motion.keyCount; ++k) {
        text += "  " + numbers(motion.keys[k].values, kMotionChannelCount) + "\n" +
                keyTail(motion.keys[k]);
    }
    return text + "EndBehavior 1\n";
}

// "Keyword value" or "Keyword (envelope)" and the envelope's keys.
std::string valueOrEnvelope(const char* keyword, float value, int32_t isConstant,
                            const Envelope& envelope) {
    if (isConstant != 0 || envelope.keyCount <= 0 || envelope.keys == nullptr) {
        return std::string(keyword) + " " + number(value) + "\n";
    }
    std::string text =
        std::string(keyword) + " (envelope)\n  1\n  " + std::to_string(envelope.keyCount) + "\n";
    for (int32_t k = 0; k < envelope.keyCount; ++k) {
        text += "  " + number(envelope.keys[k].values[0]) + "\n" + keyTail(envelope.keys[k]);
    }
    return text;
}

// The number that the reader's factor turns back into `fraction` exactly, where a float
// within a few steps of the quotient does.
float unscaled(float fraction, float factor) {
    const float guess = fraction / factor;
    float up = guess;
    float down = guess;
    for (int32_t step = 0; step <= 4; ++step) {
        if (up * factor == fraction) {
            return up;
        }
        if (down * factor == fraction) {
            return down;
        }
        up = std::nextafter(up, HUGE_VALF);
        down = std::nextafter(down, -HUGE_VALF);
    }
    return guess;
}

std::string color(const char* keyword, const float (&rgb)[3], float factor) {
    const double values[3] = {unscaled(rgb[0], factor), unscaled(rgb[1], factor),
                              unscaled(rgb[2], factor)};
    return std::string(keyword) + " " + numbers(values, 3) + "\n";
}

} // namespace

std::string writeVersionOneScene(const Scene& scene, const std::string* objectPaths) {
    std::string text = "LWSC\n1\n\n";
    text += "FirstFrame " + std::to_string(scene.firstFrame) + "\n";
    text += "LastFrame " + std::to_string(scene.lastFrame) + "\n";
    text += "FrameStep " + std::to_string(scene.frameStep) + "\n";
    text += "FramesPerSecond " + number(scene.framesPerSecond) + "\n\n";

    for (int32_t i = 0; i < scene.objectCount; ++i) {
        const SceneObject& object = scene.objects[i];
        text += "LoadObject " + objectPaths[i] + "\n";
        text += motionBlock("ObjectMotion", object.motion);
        if (object.hasDissolve != 0) {
            text += valueOrEnvelope("ObjDissolve", object.dissolve, object.dissolveIsConstant,
                                    object.dissolveEnvelope);
        }
        text += "\n";
    }

    const SceneCamera& camera = scene.camera;
    text += color("AmbientColor", camera.ambientColor, kAmbientColorFactor);
    text += valueOrEnvelope("AmbIntensity", camera.ambientIntensity, camera.ambientIsConstant,
                            camera.ambientEnvelope);
    text += "\n";

    for (int32_t i = 0; i < scene.lightCount; ++i) {
        const SceneLight& light = scene.lights[i];
        text += "AddLight\nLightName Light" + std::to_string(i + 1) + "\n";
        text += motionBlock("LightMotion", light.motion);
        text += color("LightColor", light.color, kLightColorFactor);
        text += valueOrEnvelope("LgtIntensity", light.intensity, light.intensityIsConstant,
                                light.intensityEnvelope);
        text += "LightType " + std::to_string(light.lightType) + "\n";
        text +=
            valueOrEnvelope("LightRange", light.range, light.rangeIsConstant, light.rangeEnvelope);
        text += "LensFlare " + std::to_string(light.lensFlare) + "\n";
        text += valueOrEnvelope("FlareIntensity", light.flareIntensity, light.flareIsConstant,
                                light.flareEnvelope);
        text += "\n";
    }

    text += "ShowCamera 1 2\n";
    text += motionBlock("CameraMotion", camera.motion);
    text += "ZoomFactor " + number(camera.zoomFactor) + "\n";
    return text;
}
