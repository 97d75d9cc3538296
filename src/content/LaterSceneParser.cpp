// The later scene files' keywords.
//
// Why it is written this way:
//   - One line at a time, the first word deciding. Settings apply to the item loaded or
//     added last; blocks ("{ Name" ... "}") nest and are skipped whole unless they are
//     the envelope a "Channel k" or a "(envelope)" value announced. That way the many
//     keywords and blocks of later versions that the player has no use for (radiosity,
//     nodes, plug-in data) cost nothing and cannot confuse the reader.
//   - Counts are checked against the bytes left before anything is allocated: a key line
//     takes at least four bytes, so no file can make the reader hold much more than a
//     few times its own size.
//   - Version 2 differs in syntax (its motions are bare numbers, one line per key) and in
//     units (degrees, 0..255 colours); both are made uniform here, so that nothing after
//     the reader knows which version a scene came from.
#include "content/LaterSceneParser.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "content/SceneLines.h"

namespace {

constexpr double kDegreesInRadians = 3.14159265358979323846 / 180.0;
constexpr size_t kMinimumKeyBytes = 4; // "0 0\n": the shortest key line of any version
constexpr double kMaxFramesPerSecond = 1000.0;

struct Parsing {
    Parsing(const char* text, size_t size, LaterScene& s, char* p, size_t n)
        : lines(text, size), scene(s), problem(p), problemSize(n) {}

    SceneLines lines;
    LaterScene& scene;
    char* problem;
    size_t problemSize;
    int32_t failed = 0;

    LaterItem* current = nullptr;
    int32_t objectNumber = 0;
    int32_t lightNumber = 0;
    int32_t cameraNumber = 0;
    // The item of the last motion keyword, whose "Channel k" envelopes follow.
    LaterItem* motionItem = nullptr;
    // Where the next "{ Envelope" block goes; nullptr: the block is skipped.
    ChannelEnvelope* pendingEnvelope = nullptr;
    // The channels of the last version-2 motion or envelope, for "Pre/PostBehavior".
    ChannelEnvelope* oldBlock[kItemChannelCount] = {};
    int32_t oldBlockChannels = 0;
    // Channels of motions that belong to no item are read here and dropped.
    ChannelEnvelope scratch[kItemChannelCount];

    bool versionTwo() const { return scene.version == 2; }

    int32_t fail(const SceneLine& line, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
};

int32_t Parsing::fail(const SceneLine& line, const char* format, ...) {
    if (failed != 0) {
        return 0;
    }
    failed = 1;
    const int written = std::snprintf(problem, problemSize, "line %d: ", line.number);
    if (written > 0 && static_cast<size_t>(written) < problemSize) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(problem + written, problemSize - static_cast<size_t>(written), format,
                       arguments);
        va_end(arguments);
    }
    return 0;
}

// Text of a word for messages: at most 40 characters.
struct Shown {
    char text[48];
    explicit Shown(std::string_view word) {
        const size_t n = word.size() < 40 ? word.size() : 40;
        std::memcpy(text, word.data(), n);
        text[n] = '\0';
    }
};

// Skips the lines of a block whose opening line has been read, up to its closing "}".
int32_t skipBlock(Parsing& p, const SceneLine& opening) {
    int32_t depth = 1;
    SceneLine line;
    while (p.lines.next(line)) {
        LineCursor in(line);
        const std::string_view word = in.word();
        if (!word.empty() && word[0] == '{') {
            ++depth;
        } else if (word == "}" && --depth == 0) {
            return 1;
        }
    }
    return p.fail(opening, "a block that is never closed");
}

int32_t skipPlugin(Parsing& p, const SceneLine& opening) {
    SceneLine line;
    while (p.lines.next(line)) {
        LineCursor in(line);
        if (in.word() == "EndPlugin") {
            return 1;
        }
    }
    return p.fail(opening, "a Plugin without its EndPlugin");
}

// Reads a key count line and makes room for that many keys: keyCount stays 0 and counts
// the keys as they are read, `capacity` is the count the file gave.
int32_t readKeyCount(Parsing& p, ChannelEnvelope& envelope, int32_t& capacity) {
    SceneLine line;
    if (!p.lines.next(line)) {
        return p.fail(p.lines.last(), "the file ends where a key count belongs");
    }
    LineCursor in(line);
    int32_t count = -1;
    if (!in.integer(count) || count < 0) {
        return p.fail(line, "a key count that is not a count: %s", Shown(line.text).text);
    }
    if (static_cast<size_t>(count) > p.lines.remaining() / kMinimumKeyBytes) {
        return p.fail(line, "%d keys, more than the rest of the file holds", count);
    }
    if (!allocateChannelKeys(envelope, count)) {
        return p.fail(line, "out of memory for %d keys", count);
    }
    envelope.keyCount = 0;
    capacity = count;
    return 1;
}

// "Key value time shape p1 .. p6" (version 3 and later), the words after "Key". Keys
// beyond the count the block gave are ignored.
int32_t readKey(Parsing& p, const SceneLine& line, LineCursor& in, ChannelEnvelope& envelope,
                int32_t capacity) {
    double value = 0.0;
    double time = 0.0;
    int32_t shape = 0;
    if (!in.number(value) || !in.number(time)) {
        return p.fail(line, "a key without its value and time");
    }
    in.integer(shape);
    double parameters[6] = {};
    for (double& parameter : parameters) {
        if (!in.number(parameter)) {
            break;
        }
    }
    if (envelope.keyCount < capacity) {
        envelope.keys[envelope.keyCount++] = sceneChannelKey(value, time, shape, parameters);
    }
    return 1;
}

// The lines of a "{ Envelope" block after its opening line, up to its "}".
int32_t readEnvelopeBlock(Parsing& p, const SceneLine& opening, ChannelEnvelope& envelope) {
    int32_t capacity = 0;
    if (!readKeyCount(p, envelope, capacity)) {
        return 0;
    }
    SceneLine line;
    while (p.lines.next(line)) {
        LineCursor in(line);
        const std::string_view word = in.word();
        if (word == "}") {
            sortChannelKeys(envelope);
            return 1;
        }
        if (word == "Key") {
            if (!readKey(p, line, in, envelope, capacity)) {
                return 0;
            }
        } else if (word == "Behaviors") {
            int32_t pre = 1;
            int32_t post = 1;
            in.integer(pre);
            in.integer(post);
            envelope.pre = envelopeBehavior(pre);
            envelope.post = envelopeBehavior(post);
        } else if (!word.empty() && word[0] == '{' && !skipBlock(p, line)) {
            return 0;
        }
    }
    return p.fail(opening, "an envelope that is never closed");
}

// Version 2: per channel a key count line, then per key "value time span p1 p2 p3".
int32_t readOldChannels(Parsing& p, ChannelEnvelope* channels, int32_t channelCount,
                        int32_t firstAngle) {
    for (int32_t c = 0; c < channelCount; ++c) {
        ChannelEnvelope& envelope = channels[c];
        int32_t capacity = 0;
        if (!readKeyCount(p, envelope, capacity)) {
            return 0;
        }
        for (int32_t k = 0; k < capacity; ++k) {
            SceneLine line;
            if (!p.lines.next(line)) {
                return p.fail(p.lines.last(), "the file ends inside a motion");
            }
            LineCursor in(line);
            double value = 0.0;
            double time = 0.0;
            int32_t span = 0;
            double parameters[6] = {};
            if (!in.number(value) || !in.number(time)) {
                return p.fail(line, "a key that is not \"value time span ...\": %s",
                              Shown(line.text).text);
            }
            in.integer(span);
            for (int32_t i = 0; i < 3 && in.number(parameters[i]); ++i) {
            }
            envelope.keys[envelope.keyCount++] =
                sceneChannelKey(value, time, span == 2 ? 0 : span, parameters);
        }
        sortChannelKeys(envelope);
        if (c >= firstAngle && c < firstAngle + 3) {
            scaleChannelValues(envelope, kDegreesInRadians);
        }
        p.oldBlock[c] = &envelope;
    }
    p.oldBlockChannels = channelCount;
    return 1;
}

// Version 2 motion: "ObjectMotion (unnamed)", then the channel count and the channels.
int32_t readOldMotion(Parsing& p, const SceneLine& opening, LaterItem* item) {
    SceneLine line;
    int32_t channelCount = 0;
    if (!p.lines.next(line)) {
        return p.fail(opening, "a motion without its channels");
    }
    LineCursor in(line);
    if (!in.integer(channelCount) || channelCount < 1 || channelCount > kItemChannelCount) {
        return p.fail(line, "a motion of %s channels (1 to 9 are read)", Shown(line.text).text);
    }
    ChannelEnvelope* channels = item != nullptr ? item->channels : p.scratch;
    return readOldChannels(p, channels, channelCount, 3);
}

// Version 2 envelope after "(envelope)": its channel count, then channels as in a motion;
// the first channel is the value's.
int32_t readOldEnvelope(Parsing& p, const SceneLine& opening, ChannelEnvelope& envelope) {
    SceneLine line;
    int32_t channelCount = 0;
    if (!p.lines.next(line)) {
        return p.fail(opening, "an envelope without its channels");
    }
    LineCursor in(line);
    if (!in.integer(channelCount) || channelCount < 1 || channelCount > kItemChannelCount) {
        return p.fail(line, "an envelope of %s channels", Shown(line.text).text);
    }
    if (!readOldChannels(p, p.scratch, channelCount, kItemChannelCount)) {
        return 0;
    }
    envelope = std::move(p.scratch[0]);
    p.oldBlock[0] = &envelope;
    for (int32_t c = 1; c < kItemChannelCount; ++c) {
        p.oldBlock[c] = nullptr;
    }
    p.oldBlockChannels = 1;
    return 1;
}

// A value or "(envelope)". Version 3 and later: the envelope block follows as its own
// lines; version 2: its channels follow at once.
int32_t readAnimated(Parsing& p, const SceneLine& line, LineCursor& in, AnimatedValue& value,
                     double scale = 1.0) {
    double number = 0.0;
    if (in.number(number)) {
        value.value = number * scale;
        value.isEnveloped = 0;
        return 1;
    }
    if (in.word() != "(envelope)") {
        return 1; // not a number: the value stays as it was
    }
    value.isEnveloped = 1;
    allocateChannelKeys(value.envelope, 0);
    if (p.versionTwo()) {
        return readOldEnvelope(p, line, value.envelope);
    }
    p.pendingEnvelope = &value.envelope;
    return 1;
}

// Three numbers into `rgb`, divided by 255 in version 2.
void readColor(Parsing& p, LineCursor& in, double (&rgb)[3]) {
    double c[3] = {};
    if (in.number(c[0]) && in.number(c[1]) && in.number(c[2])) {
        const double scale = p.versionTwo() ? 1.0 / 255.0 : 1.0;
        for (int32_t i = 0; i < 3; ++i) {
            rgb[i] = c[i] * scale;
        }
    }
}

LaterItem* addItem(Parsing& p, const SceneLine& line, LaterItemKind kind) {
    if (p.scene.itemCount >= kLaterItemCapacity) {
        p.fail(line, "more than %d items (objects, nulls, lights and cameras)", kLaterItemCapacity);
        return nullptr;
    }
    LaterItem& item = p.scene.items[p.scene.itemCount++];
    item.kind = kind;
    item.line = line.number;
    switch (kind) {
    case LaterItemKind::Object:
    case LaterItemKind::Null:
        item.id = kObjectItemType << 28 | static_cast<uint32_t>(p.objectNumber++);
        break;
    case LaterItemKind::Light:
        item.id = kLightItemType << 28 | static_cast<uint32_t>(p.lightNumber++);
        break;
    case LaterItemKind::Camera:
        item.id = kCameraItemType << 28 | static_cast<uint32_t>(p.cameraNumber++);
        break;
    }
    p.current = &item;
    p.motionItem = nullptr;
    p.pendingEnvelope = nullptr;
    return &item;
}

// The id that versions 4 and later write after the keyword.
void readDeclaredId(Parsing& p, LineCursor& in, LaterItem& item) {
    uint32_t id = 0;
    if (p.scene.version >= 4 && in.hexadecimal(id)) {
        item.id = id;
    }
}

int32_t storePath(Parsing& p, const SceneLine& line, LaterItem& item, std::string_view path) {
    if (path.empty()) {
        return p.fail(line, "an object without its file name");
    }
    if (path.size() >= sizeof(item.path)) {
        return p.fail(line, "a file name of %zu characters (at most %zu)", path.size(),
                      sizeof(item.path) - 1);
    }
    std::memcpy(item.path, path.data(), path.size());
    item.path[path.size()] = '\0';
    return 1;
}

LaterItem* currentOf(Parsing& p, LaterItemKind kind) {
    return p.current != nullptr && p.current->kind == kind ? p.current : nullptr;
}

using Handler = int32_t (*)(Parsing&, const SceneLine&, LineCursor&);

struct Keyword {
    const char* word;
    Handler handler;
};

int32_t loadObjectLayer(Parsing& p, const SceneLine& line, LineCursor& in) {
    int32_t layer = 0;
    if (!in.integer(layer) || layer < 1) {
        return p.fail(line, "LoadObjectLayer needs a layer number from 1");
    }
    LaterItem* item = addItem(p, line, LaterItemKind::Object);
    if (item == nullptr) {
        return 0;
    }
    item->layer = layer;
    readDeclaredId(p, in, *item);
    return storePath(p, line, *item, in.rest());
}

int32_t loadObject(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* item = addItem(p, line, LaterItemKind::Object);
    return item != nullptr ? storePath(p, line, *item, in.rest()) : 0;
}

int32_t addNullObject(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* item = addItem(p, line, LaterItemKind::Null);
    if (item == nullptr) {
        return 0;
    }
    readDeclaredId(p, in, *item);
    const std::string_view name = in.rest();
    const size_t n = name.size() < sizeof(item->path) ? name.size() : sizeof(item->path) - 1;
    std::memcpy(item->path, name.data(), n);
    return 1;
}

int32_t addLight(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* item = addItem(p, line, LaterItemKind::Light);
    if (item != nullptr) {
        readDeclaredId(p, in, *item);
    }
    return item != nullptr ? 1 : 0;
}

int32_t addCamera(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* item = addItem(p, line, LaterItemKind::Camera);
    if (item != nullptr) {
        readDeclaredId(p, in, *item);
    }
    return item != nullptr ? 1 : 0;
}

int32_t motion(Parsing& p, const SceneLine& line, LineCursor&) {
    p.motionItem = p.current;
    p.pendingEnvelope = nullptr;
    return p.versionTwo() ? readOldMotion(p, line, p.current) : 1;
}

int32_t channel(Parsing& p, const SceneLine&, LineCursor& in) {
    int32_t index = -1;
    in.integer(index);
    p.pendingEnvelope = p.motionItem != nullptr && index >= 0 && index < kItemChannelCount
                            ? &p.motionItem->channels[index]
                            : nullptr;
    return 1;
}

int32_t oldBehaviors(Parsing& p, const SceneLine&, LineCursor& in) {
    for (int32_t c = 0; c < p.oldBlockChannels; ++c) {
        int32_t pre = 1;
        int32_t post = 1;
        if (!in.integer(pre) || !in.integer(post)) {
            break;
        }
        if (p.oldBlock[c] != nullptr) {
            p.oldBlock[c]->pre = envelopeBehavior(pre);
            p.oldBlock[c]->post = envelopeBehavior(post);
        }
    }
    return 1;
}

// "ParentObject n" / "TargetObject n": the n-th object (from 1) as an item id.
bool objectNumber(LineCursor& in, uint32_t& id) {
    int32_t n = 0;
    if (!in.integer(n) || n < 1) {
        return false;
    }
    id = kObjectItemType << 28 | (static_cast<uint32_t>(n - 1) & 0x0FFFFFFF);
    return true;
}

// A reference to another item: "ParentItem id" / "TargetItem id" (hexadecimal), or the
// older "ParentObject n" / "TargetObject n".
template <int32_t LaterItem::*Has, uint32_t LaterItem::*Id, bool ByNumber>
int32_t itemReference(Parsing& p, const SceneLine&, LineCursor& in) {
    uint32_t id = 0;
    if (p.current != nullptr && (ByNumber ? objectNumber(in, id) : in.hexadecimal(id))) {
        p.current->*Has = 1;
        p.current->*Id = id;
    }
    return 1;
}

int32_t pivot(Parsing& p, const SceneLine&, LineCursor& in) {
    double v[3] = {};
    if (p.current != nullptr && in.number(v[0]) && in.number(v[1]) && in.number(v[2])) {
        for (int32_t i = 0; i < 3; ++i) {
            p.current->pivot[i] = v[i];
        }
    }
    return 1;
}

int32_t dissolve(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* item = currentOf(p, LaterItemKind::Object);
    if (item == nullptr) {
        return 1;
    }
    item->hasDissolve = 1;
    return readAnimated(p, line, in, item->dissolve);
}

int32_t lightColor(Parsing& p, const SceneLine&, LineCursor& in) {
    if (LaterItem* light = currentOf(p, LaterItemKind::Light)) {
        readColor(p, in, light->color);
    }
    return 1;
}

// A light's integer setting, or its animated value.
template <int32_t LaterItem::*Field>
int32_t lightInteger(Parsing& p, const SceneLine&, LineCursor& in) {
    if (LaterItem* light = currentOf(p, LaterItemKind::Light)) {
        in.integer(light->*Field);
    }
    return 1;
}

template <AnimatedValue LaterItem::*Field>
int32_t lightValue(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* light = currentOf(p, LaterItemKind::Light);
    return light != nullptr ? readAnimated(p, line, in, light->*Field) : 1;
}

int32_t zoomFactor(Parsing& p, const SceneLine& line, LineCursor& in) {
    LaterItem* camera = currentOf(p, LaterItemKind::Camera);
    return camera != nullptr ? readAnimated(p, line, in, camera->zoomFactor) : 1;
}

int32_t ambientColor(Parsing& p, const SceneLine&, LineCursor& in) {
    readColor(p, in, p.scene.ambientColor);
    return 1;
}

int32_t ambientIntensity(Parsing& p, const SceneLine& line, LineCursor& in) {
    return readAnimated(p, line, in, p.scene.ambientIntensity);
}

template <int32_t LaterScene::*Field>
int32_t sceneInteger(Parsing& p, const SceneLine&, LineCursor& in) {
    in.integer(p.scene.*Field);
    return 1;
}

int32_t framesPerSecond(Parsing& p, const SceneLine& line, LineCursor& in) {
    double fps = 0.0;
    if (in.number(fps) && !(fps > 0.0 && fps <= kMaxFramesPerSecond)) {
        return p.fail(line, "FramesPerSecond %g: give a rate above 0 and at most %g", fps,
                      kMaxFramesPerSecond);
    }
    if (fps > 0.0) {
        p.scene.framesPerSecond = fps;
    }
    return 1;
}

const Keyword kKeywords[] = {
    {"FirstFrame", sceneInteger<&LaterScene::firstFrame>},
    {"LastFrame", sceneInteger<&LaterScene::lastFrame>},
    {"FrameStep", sceneInteger<&LaterScene::frameStep>},
    {"FramesPerSecond", framesPerSecond},
    {"LoadObjectLayer", loadObjectLayer},
    {"LoadObject", loadObject},
    {"AddNullObject", addNullObject},
    {"AddLight", addLight},
    {"AddCamera", addCamera},
    {"ObjectMotion", motion},
    {"LightMotion", motion},
    {"CameraMotion", motion},
    {"Channel", channel},
    {"Pre/PostBehavior", oldBehaviors},
    {"ParentItem", itemReference<&LaterItem::hasParent, &LaterItem::parentId, false>},
    {"ParentObject", itemReference<&LaterItem::hasParent, &LaterItem::parentId, true>},
    {"TargetItem", itemReference<&LaterItem::hasTarget, &LaterItem::targetId, false>},
    {"TargetObject", itemReference<&LaterItem::hasTarget, &LaterItem::targetId, true>},
    {"PivotPosition", pivot},
    {"PivotPoint", pivot},
    {"ObjectDissolve", dissolve},
    {"ObjDissolve", dissolve},
    {"LightColor", lightColor},
    {"LightIntensity", lightValue<&LaterItem::intensity>},
    {"LgtIntensity", lightValue<&LaterItem::intensity>},
    {"LightType", lightInteger<&LaterItem::lightType>},
    {"LightFalloffType", lightInteger<&LaterItem::falloffType>},
    {"LightRange", lightValue<&LaterItem::range>},
    {"LensFlare", lightInteger<&LaterItem::lensFlare>},
    {"FlareIntensity", lightValue<&LaterItem::flareIntensity>},
    {"ZoomFactor", zoomFactor},
    {"AmbientColor", ambientColor},
    {"AmbientIntensity", ambientIntensity},
    {"AmbIntensity", ambientIntensity},
};

int32_t readLine(Parsing& p, const SceneLine& line) {
    LineCursor in(line);
    std::string_view word = in.word();
    if (word.empty() || word == "}") {
        return 1;
    }
    if (word[0] == '{') {
        std::string_view name = word.size() > 1 ? word.substr(1) : in.word();
        ChannelEnvelope* target = p.pendingEnvelope;
        p.pendingEnvelope = nullptr;
        if (name == "Envelope" && target != nullptr) {
            return readEnvelopeBlock(p, line, *target);
        }
        return skipBlock(p, line);
    }
    if (word == "Plugin") {
        return skipPlugin(p, line);
    }
    for (const Keyword& keyword : kKeywords) {
        if (word == keyword.word) {
            return keyword.handler(p, line, in);
        }
    }
    return 1;
}

int32_t readHeader(Parsing& p) {
    SceneLine line;
    if (!p.lines.next(line) || LineCursor(line).word() != "LWSC") {
        return p.fail(line, "not a LightWave scene file (it does not start with LWSC)");
    }
    if (!p.lines.next(line)) {
        return p.fail(line, "no version after LWSC");
    }
    LineCursor in(line);
    int32_t version = 0;
    if (!in.integer(version) || version < 2 || version > 5) {
        return p.fail(line, "scene version %s (versions 2 to 5 are read here)",
                      Shown(line.text).text);
    }
    p.scene.version = version;
    return 1;
}

int32_t findItem(const LaterScene& scene, uint32_t id) {
    if (itemType(id) == kBoneItemType) {
        // A bone moves with its object: bits 0 to 15 number the object.
        id = kObjectItemType << 28 | (id & 0xFFFF);
    }
    for (int32_t i = 0; i < scene.itemCount; ++i) {
        if (scene.items[i].id == id) {
            return i;
        }
    }
    return -1;
}

int32_t resolveItems(Parsing& p) {
    LaterScene& scene = p.scene;
    for (int32_t i = 0; i < scene.itemCount; ++i) {
        LaterItem& item = scene.items[i];
        SceneLine at;
        at.number = item.line;
        if (item.hasParent != 0) {
            item.parent = findItem(scene, item.parentId);
            if (item.parent < 0) {
                return p.fail(at, "the parent %08X of this item is no item of the scene",
                              item.parentId);
            }
        }
        if (item.hasTarget != 0) {
            item.target = findItem(scene, item.targetId);
            if (item.target < 0) {
                return p.fail(at, "the target %08X of this item is no item of the scene",
                              item.targetId);
            }
        }
    }
    for (int32_t i = 0; i < scene.itemCount; ++i) {
        int32_t steps = 0;
        for (int32_t k = scene.items[i].parent; k >= 0; k = scene.items[k].parent) {
            if (++steps > scene.itemCount) {
                SceneLine at;
                at.number = scene.items[i].line;
                return p.fail(at, "this item is its own ancestor (its parents form a loop)");
            }
        }
    }
    return 1;
}

} // namespace

int32_t parseLaterScene(const char* text, size_t size, LaterScene& scene, char* problem,
                        size_t problemSize) {
    if (problemSize > 0) {
        problem[0] = '\0';
    }
    scene.items.reset(new (std::nothrow) LaterItem[kLaterItemCapacity]);
    if (scene.items == nullptr) {
        std::snprintf(problem, problemSize, "out of memory for the scene's items");
        return 0;
    }
    scene.itemCount = 0;
    Parsing p(text, size, scene, problem, problemSize);
    if (!readHeader(p)) {
        return 0;
    }
    SceneLine line;
    while (p.lines.next(line)) {
        if (!readLine(p, line)) {
            return 0;
        }
    }
    return resolveItems(p);
}
