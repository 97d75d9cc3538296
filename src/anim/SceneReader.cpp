// Scene::load: the scene file reader.
//
// Why it is written this way:
//   - One pass per word: the word is compared with every keyword in table order, and
//     each keyword that matches runs its action. The actions of "LoadObject",
//     "AddNullObject", "AddLight" and "FireTexture" read their name into the same word
//     buffer, so the keywords after them in the table are compared with that name. An
//     object file named like a later keyword ("LoadObject LightColor") runs that
//     keyword's action too. Content relies on this order; do not turn the table into a
//     map or stop at the first match.
//   - State is the section (entered only by "LoadObject" on success, "AddNullObject",
//     "AddLight", "ShowCamera", "AddFire") and the current object, light and fire index,
//     set only by the keywords that take those slots. Dissolve, morph and fire keywords
//     use the current slot whatever the section; motions only inside their section.
//   - Values are read by the tokenizer's rules (anim/SceneTokenizer.h): a value that
//     does not scan leaves its field as it was and is read again as the next word.
//   - Slots are bounded (60 objects, 10 lights, 10 fires); a keyword that would take one
//     more fails the load with a line, and keywords with no current slot read their
//     values into a scratch record that is thrown away, so no index ever leaves its array.
#include "anim/SceneReader.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "anim/Morph.h"
#include "anim/MotionReader.h"
#include "anim/SceneTokenizer.h"
#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "player/Scene.h"
#include "render/CameraView.h"

namespace {

constexpr char kObjectDirectory[] = "objects\\";
constexpr char kEnvelopeWord[] = "(envelope)";
constexpr float kLightColorScale = 0.003921569f;  // 1/255
constexpr float kAmbientColorScale = 0.00390625f; // 1/256

char lastMessage[3 * kSceneWordCapacity + 64] = {};

enum class Section { None, Object, NullObject, Light, Camera, Fire };

struct SceneReading {
    SceneReading(Scene& s, SceneTokenizer& t, const char* f) : scene(s), in(t), fileName(f) {}

    Scene& scene;
    SceneTokenizer& in;
    const char* fileName;
    SceneWord token = {};
    SceneWord value = {};
    Section section = Section::None;
    int32_t objectIndex = -1;
    int32_t lightIndex = -1;
    int32_t fireIndex = -1;
    // Where the values of object and fire keywords go when there is no current slot.
    SceneObject scratchObject;
    FireEmitter scratchFire;

    SceneObject& object() { return objectIndex >= 0 ? scene.objects[objectIndex] : scratchObject; }
    FireEmitter& fire() { return fireIndex >= 0 ? scene.fires[fireIndex] : scratchFire; }
    // The light the light keywords may change; nullptr outside a light.
    SceneLight* light() {
        return section == Section::Light && lightIndex >= 0 ? &scene.lights[lightIndex] : nullptr;
    }
};

void report(const char* first, const char* second = "", const char* third = "") {
    replaceErrorLog(first, second, third);
    std::snprintf(lastMessage, sizeof(lastMessage), "%s%s%s", first, second, third);
}

void reportInScene(const SceneReading& r, const char* reason) {
    report(reason, " in scene: ", r.fileName);
}

// Reads a name into the word buffer; at the end of the file the buffer is emptied, so
// that the later keywords of the pass see no word.
int32_t readName(SceneReading& r) {
    if (!r.in.readWord(r.token)) {
        r.token[0] = '\0';
    }
    return r.in.failed() ? 0 : 1;
}

// n - 1 for a 1-based index, without overflow.
int32_t zeroBased(int32_t n) {
    return n > INT32_MIN ? n - 1 : INT32_MIN;
}

enum class ValueRead { Failed, Constant, Enveloped, Missing };

// A *value or envelope*: "(envelope)" and an envelope block, or a constant.
ValueRead readValueOrEnvelope(SceneReading& r, float& value, int32_t& isConstant,
                              Envelope& envelope) {
    if (!r.in.readWord(r.value)) {
        return r.in.failed() ? ValueRead::Failed : ValueRead::Missing;
    }
    if (std::strcmp(r.value, kEnvelopeWord) == 0) {
        isConstant = 0;
        if (!readEnvelope(r.in, envelope)) {
            return ValueRead::Failed;
        }
        if (envelope.keyCount > 0) {
            return ValueRead::Enveloped;
        }
        isConstant = 1; // an envelope without keys: the value stays as it was
        return ValueRead::Constant;
    }
    isConstant = 1;
    scanFloatWord(r.value, value);
    return ValueRead::Constant;
}

int32_t valueAction(SceneReading& r, float& value, int32_t& isConstant, Envelope& envelope) {
    return readValueOrEnvelope(r, value, isConstant, envelope) != ValueRead::Failed ? 1 : 0;
}

// Scans up to three reals and stores those that scanned, each times `scale`.
void readScaledTriple(SceneReading& r, float (&field)[3], float scale) {
    float v[3] = {};
    float* const targets[] = {&v[0], &v[1], &v[2]};
    const int32_t scanned = r.in.readFloats(targets, 3);
    for (int32_t i = 0; i < scanned; ++i) {
        field[i] = v[i] * scale;
    }
}

void readTriple(SceneReading& r, float (&field)[3]) {
    float* const targets[] = {&field[0], &field[1], &field[2]};
    r.in.readFloats(targets, 3);
}

int32_t readIntAction(SceneReading& r, int32_t& field) {
    r.in.readInt(field);
    return 1;
}

int32_t readFloatAction(SceneReading& r, float& field) {
    r.in.readFloat(field);
    return 1;
}

int32_t loadObjectAction(SceneReading& r) {
    Scene& scene = r.scene;
    if (scene.objectCount >= kSceneObjectCapacity) {
        reportInScene(r, "too many objects (60 at most)");
        return 0;
    }
    if (!readName(r)) {
        return 0;
    }
    r.objectIndex = scene.objectCount++;
    SceneObject& object = scene.objects[r.objectIndex];
    // A file that is found but refused says why on the refusal channel; error.txt gets
    // the player's one line when the second name fails too.
    if (!object.loadObject(scene.textures, r.token)) {
        char path[sizeof(kObjectDirectory) + 1 + kSceneWordCapacity];
        std::snprintf(path, sizeof(path), "%s\\%s", kObjectDirectory, r.token);
        if (!object.loadObject(scene.textures, path)) {
            report("failed opening object: ", path, " to, giving up");
            return 0;
        }
        object.foundInObjectDirectory = 1;
    }
    object.rememberFileName(r.token);
    r.section = Section::Object;
    return 1;
}

int32_t addLightAction(SceneReading& r) {
    if (r.scene.lightCount >= kSceneLightCapacity) {
        reportInScene(r, "too many lights (10 at most)");
        return 0;
    }
    r.lightIndex = r.scene.lightCount++;
    if (!readName(r)) {
        return 0;
    }
    r.section = Section::Light;
    return 1;
}

int32_t addFireAction(SceneReading& r) {
    if (r.scene.fireCount >= kSceneFireCapacity) {
        reportInScene(r, "too many fires (10 at most)");
        return 0;
    }
    r.fireIndex = r.scene.fireCount++;
    r.section = Section::Fire;
    FireEmitter& fire = r.fire();
    if (r.in.readInt(fire.particleCount) && r.in.readFloat(fire.width)) {
        r.in.readFloat(fire.height);
    }
    return 1;
}

int32_t fireTextureAction(SceneReading& r) {
    const bool named = r.in.readWord(r.token) != 0;
    if (!named) {
        r.token[0] = '\0';
        return r.in.failed() ? 0 : 1;
    }
    if (r.fireIndex >= 0) {
        r.fire().texture = r.scene.textures.loadTexture(r.token);
    }
    return 1;
}

int32_t lightRangeAction(SceneReading& r) {
    SceneLight* light = r.light();
    if (light == nullptr) {
        return 0;
    }
    const ValueRead read =
        readValueOrEnvelope(r, light->range, light->rangeIsConstant, light->rangeEnvelope);
    if (read == ValueRead::Constant) {
        light->rangeSquared = light->range * light->range;
    }
    return read != ValueRead::Failed ? 1 : 0;
}

int32_t lightTypeAction(SceneReading& r) {
    SceneLight* light = r.light();
    if (light == nullptr) {
        return 0;
    }
    int32_t type = -1;
    if (r.in.readInt(type) && type >= 0 && type <= 2) {
        light->lightType = type;
    }
    return 1;
}

int32_t targetObjectAction(SceneReading& r) {
    int32_t n = 0;
    if (r.section == Section::Camera && r.in.readInt(n)) {
        r.scene.camera.hasTargetObject = 1;
        r.scene.camera.targetObject = zeroBased(n);
    }
    return 1;
}

int32_t morphTargetAction(SceneReading& r) {
    int32_t n = 0;
    if (r.in.readInt(n)) {
        r.object().morphTarget = zeroBased(n);
    }
    return 1;
}

int32_t motionAction(SceneReading& r, Section section, bool slotExists, Motion& motion) {
    if (r.section != section || !slotExists) {
        return 1; // its name, counts and numbers are read as words
    }
    return readMotion(r.in, motion);
}

using Action = int32_t (*)(SceneReading&);

struct Keyword {
    const char* word;
    Action action;
};

// In the order in which every word is compared with them.
const Keyword kKeywords[] = {
    {"FirstFrame", [](SceneReading& r) { return readIntAction(r, r.scene.firstFrame); }},
    {"LastFrame", [](SceneReading& r) { return readIntAction(r, r.scene.lastFrame); }},
    {"FrameStep", [](SceneReading& r) { return readIntAction(r, r.scene.frameStep); }},
    {"FramesPerSecond",
     [](SceneReading& r) { return readFloatAction(r, r.scene.framesPerSecond); }},
    {"LoadObject", loadObjectAction},
    {"ObjectMotion",
     [](SceneReading& r) {
         return motionAction(r, Section::Object, r.objectIndex >= 0, r.object().motion);
     }},
    {"ObjDissolve",
     [](SceneReading& r) {
         SceneObject& o = r.object();
         o.hasDissolve = 1;
         return valueAction(r, o.dissolve, o.dissolveIsConstant, o.dissolveEnvelope);
     }},
    {"AddNullObject",
     [](SceneReading& r) {
         r.section = Section::NullObject;
         return readName(r);
     }},
    {"AddLight", addLightAction},
    {"LightMotion",
     [](SceneReading& r) {
         SceneLight& l = r.scene.lights[r.lightIndex >= 0 ? r.lightIndex : 0];
         return motionAction(r, Section::Light, r.lightIndex >= 0, l.motion);
     }},
    {"LightColor",
     [](SceneReading& r) {
         SceneLight* l = r.light();
         if (l != nullptr) {
             readScaledTriple(r, l->color, kLightColorScale);
         }
         return l != nullptr ? 1 : 0;
     }},
    {"LensFlare",
     [](SceneReading& r) {
         SceneLight* l = r.light();
         return l != nullptr ? readIntAction(r, l->lensFlare) : 0;
     }},
    {"FlareIntensity",
     [](SceneReading& r) {
         SceneLight* l = r.light();
         return l != nullptr
                    ? valueAction(r, l->flareIntensity, l->flareIsConstant, l->flareEnvelope)
                    : 0;
     }},
    {"LightType", lightTypeAction},
    {"LightRange", lightRangeAction},
    {"LgtIntensity",
     [](SceneReading& r) {
         SceneLight* l = r.light();
         return l != nullptr
                    ? valueAction(r, l->intensity, l->intensityIsConstant, l->intensityEnvelope)
                    : 0;
     }},
    {"ShowCamera",
     [](SceneReading& r) {
         r.section = Section::Camera;
         return 1;
     }},
    {"ZoomFactor", [](SceneReading& r) { return readFloatAction(r, r.scene.camera.zoomFactor); }},
    {"AmbIntensity",
     [](SceneReading& r) {
         SceneCamera& c = r.scene.camera;
         return valueAction(r, c.ambientIntensity, c.ambientIsConstant, c.ambientEnvelope);
     }},
    {"AmbientColor",
     [](SceneReading& r) {
         readScaledTriple(r, r.scene.camera.ambientColor, kAmbientColorScale);
         return 1;
     }},
    {"TargetObject", targetObjectAction},
    {"CameraMotion",
     [](SceneReading& r) { return motionAction(r, Section::Camera, true, r.scene.camera.motion); }},
    {"Metamorph",
     [](SceneReading& r) {
         SceneObject& o = r.object();
         o.hasMorph = 1;
         return valueAction(r, o.morphAmount, o.morphIsConstant, o.morphEnvelope);
     }},
    {"MorphTarget", morphTargetAction},
    {"MTSEMorphing", [](SceneReading& r) { return readIntAction(r, r.object().morphMode); }},
    {"AddFire", addFireAction},
    {"FireMode", [](SceneReading& r) { return readIntAction(r, r.fire().fireMode); }},
    {"FireParts", [](SceneReading& r) { return readIntAction(r, r.fire().particleCount); }},
    {"FireWidth", [](SceneReading& r) { return readFloatAction(r, r.fire().width); }},
    {"FireHeight", [](SceneReading& r) { return readFloatAction(r, r.fire().height); }},
    {"FireStartFrame", [](SceneReading& r) { return readFloatAction(r, r.fire().startFrame); }},
    {"FireEndFrame", [](SceneReading& r) { return readFloatAction(r, r.fire().endFrame); }},
    {"FireFadeTime", [](SceneReading& r) { return readIntAction(r, r.fire().fadeTime); }},
    {"FireColor",
     [](SceneReading& r) {
         readTriple(r, r.fire().color);
         return 1;
     }},
    {"FireColFade",
     [](SceneReading& r) {
         readTriple(r, r.fire().colorFade);
         return 1;
     }},
    {"FireTexture", fireTextureAction},
    {"FireMotion",
     [](SceneReading& r) {
         return motionAction(r, Section::Fire, r.fireIndex >= 0, r.fire().motion);
     }},
};
static_assert(sizeof(kKeywords) / sizeof(kKeywords[0]) == 37, "the reader knows 37 keywords");

// One pass over the table for the word in r.token. 0 ends the load.
int32_t runKeywords(SceneReading& r) {
    for (const Keyword& keyword : kKeywords) {
        if (std::strcmp(r.token, keyword.word) == 0 && !keyword.action(r)) {
            return 0;
        }
    }
    return r.in.failed() ? 0 : 1;
}

// The steps after the last word. 0 ends the load (reported).
int32_t finishScene(SceneReading& r) {
    Scene& scene = r.scene;
    if (scene.camera.zoomFactor == 0.0f) {
        scene.camera.zoomFactor = kDefaultZoomFactor;
    }
    scene.flareTexture = scene.textures.loadTexture("flare.3df");

    char problem[256] = {};
    if (!prepareMorphChains(scene.objects, scene.objectCount, problem, sizeof(problem))) {
        reportInScene(r, problem);
        return 0;
    }
    for (int32_t i = 0; i < scene.fireCount; ++i) {
        FireEmitter& fire = scene.fires[i];
        if (fire.particleCount < 0) {
            std::snprintf(problem, sizeof(problem), "fire %d with %d particles (0 or more allowed)",
                          i + 1, fire.particleCount);
            reportInScene(r, problem);
            return 0;
        }
        fire.motion.update(0.0);
        fire.initParticles();
    }
    return 1;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

const char* lastSceneLoadMessage() {
    return lastMessage;
}

int32_t Scene::load(const char* fileName) {
    lastMessage[0] = '\0';
    const std::unique_ptr<FILE, FileCloser> file(openContentFile(fileName));
    if (file == nullptr) {
        report("unable to open scene: ", fileName);
        return 0;
    }
    SceneTokenizer in(file.get());
    const auto reading =
        std::unique_ptr<SceneReading>(new (std::nothrow) SceneReading(*this, in, fileName));
    if (reading == nullptr) {
        report("out of memory reading scene: ", fileName);
        return 0;
    }
    SceneReading& r = *reading;

    in.readWord(r.token); // at most the first 1023 characters of an overlong first word
    int32_t version = 0;
    in.readInt(version); // read and ignored
    if (std::strcmp(r.token, "LWSC") != 0) {
        report("not a Lightwave scene file (first chars: ", r.token, " , should be LWSC)");
        return 0;
    }

    while (in.readWord(r.token)) {
        if (!runKeywords(r)) {
            // Either the tokenizer failed, or an action reported why, or a light
            // keyword outside a light ended the load without a message.
            if (in.failed()) {
                reportInScene(r, in.failure());
            }
            return 0;
        }
    }
    if (in.failed()) {
        reportInScene(r, in.failure());
        return 0;
    }
    return finishScene(r);
}
