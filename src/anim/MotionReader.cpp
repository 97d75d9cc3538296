// Motion and envelope blocks.
//
// Why it is written this way:
//   - Values are read as floats (%f) and widened to double in the keys, as the content
//     was written and evaluated; the constant test compares the widened values exactly.
//   - Every number is its own scan, so one that does not scan leaves its field as it was
//     (zero in a new key) and the reading goes on; the offending text ends up as words
//     of the main loop, as the original reading did.
//   - Key counts are checked against the bytes left in the file before anything is
//     allocated: a key of c numbers needs at least 2c bytes (a blank and a digit each).
#include "anim/MotionReader.h"

#include <cstdio>
#include <new>

#include "anim/SceneTokenizer.h"

namespace {

constexpr int32_t kMotionKeyTail = 5; // frame, linear, tension, continuity, bias

// 1 when `keyCount` keys of `numbersPerKey` numbers can still be in the file.
int32_t fitsInFile(const SceneTokenizer& in, int32_t keyCount, int32_t numbersPerKey) {
    const int64_t needed = static_cast<int64_t>(keyCount) * numbersPerKey * 2;
    return needed <= in.remainingBytes() ? 1 : 0;
}

void readFloatInto(SceneTokenizer& in, double& field) {
    float value = 0.0f;
    if (in.readFloat(value)) {
        field = value;
    }
}

// frame, linear, tension, continuity, bias.
void readKeyTail(SceneTokenizer& in, MotionKey& key) {
    in.readInt(key.frame);
    in.readInt(key.linear);
    readFloatInto(in, key.tension);
    readFloatInto(in, key.continuity);
    readFloatInto(in, key.bias);
}

std::unique_ptr<MotionKey[]> allocateKeys(SceneTokenizer& in, int32_t keyCount,
                                          int32_t numbersPerKey, const char* what) {
    if (!fitsInFile(in, keyCount, numbersPerKey)) {
        char reason[128];
        std::snprintf(reason, sizeof(reason), "%s with more keys (%d) than the file holds", what,
                      keyCount);
        in.fail(reason);
        return nullptr;
    }
    std::unique_ptr<MotionKey[]> keys(new (std::nothrow) MotionKey[keyCount]);
    if (keys == nullptr) {
        in.fail("out of memory for keys");
    }
    return keys;
}

} // namespace

int32_t readMotion(SceneTokenizer& in, Motion& motion) {
    SceneWord name;
    in.readWord(name);
    int32_t channelCount = 0;
    int32_t keyCount = 0;
    in.readInt(channelCount);
    in.readInt(keyCount);
    if (in.failed() || channelCount != kMotionChannelCount || keyCount < 1) {
        return in.failed() ? 0 : 1;
    }

    if (keyCount == 1) {
        motion.positionIsConstant = 1;
        motion.rotationIsConstant = 1;
        motion.scaleIsConstant = 1;
        float* const position[] = {&motion.position.x, &motion.position.y, &motion.position.z};
        float* const rotation[] = {&motion.heading, &motion.pitch, &motion.bank};
        float* const scale[] = {&motion.scale.x, &motion.scale.y, &motion.scale.z};
        in.readFloats(position, 3);
        in.readFloats(rotation, 3);
        in.readFloats(scale, 3);
        motion.keys.reset();
        motion.keyCount = 0;
        return in.failed() ? 0 : 1;
    }

    std::unique_ptr<MotionKey[]> keys =
        allocateKeys(in, keyCount, kMotionChannelCount + kMotionKeyTail, "motion");
    if (keys == nullptr) {
        return 0;
    }
    int32_t constant[3] = {1, 1, 1}; // position, rotation, scale
    for (int32_t k = 0; k < keyCount; ++k) {
        MotionKey& key = keys[k];
        for (double& value : key.values) {
            readFloatInto(in, value);
        }
        readKeyTail(in, key);
        if (k > 0) {
            for (int32_t c = 0; c < kMotionChannelCount; ++c) {
                if (key.values[c] != keys[k - 1].values[c]) {
                    constant[c / 3] = 0;
                }
            }
        }
    }
    if (in.failed()) {
        return 0;
    }
    motion.positionIsConstant = constant[0];
    motion.rotationIsConstant = constant[1];
    motion.scaleIsConstant = constant[2];
    if (constant[0] == 1 && constant[1] == 1 && constant[2] == 1) {
        motion.setChannelValues(keys[0].values);
        motion.keys.reset();
        motion.keyCount = 0;
        return 1;
    }
    motion.keys = std::move(keys);
    motion.keyCount = keyCount;
    return 1;
}

int32_t readEnvelope(SceneTokenizer& in, Envelope& envelope) {
    int32_t channelCount = 0;
    int32_t keyCount = 0;
    in.readInt(channelCount);
    in.readInt(keyCount);
    if (in.failed()) {
        return 0;
    }
    if (channelCount < 1 || channelCount > kMotionChannelCount) {
        char reason[128];
        std::snprintf(reason, sizeof(reason), "envelope with %d channels (1 to 9 allowed)",
                      channelCount);
        in.fail(reason);
        return 0;
    }
    if (keyCount < 1) {
        envelope.keys.reset();
        envelope.keyCount = 0;
        return 1;
    }
    std::unique_ptr<MotionKey[]> keys =
        allocateKeys(in, keyCount, channelCount + kMotionKeyTail, "envelope");
    if (keys == nullptr) {
        return 0;
    }
    for (int32_t k = 0; k < keyCount; ++k) {
        for (int32_t c = 0; c < channelCount; ++c) {
            readFloatInto(in, keys[k].values[c]);
        }
        readKeyTail(in, keys[k]);
    }
    if (in.failed()) {
        return 0;
    }
    envelope.keys = std::move(keys);
    envelope.keyCount = keyCount;
    return 1;
}
