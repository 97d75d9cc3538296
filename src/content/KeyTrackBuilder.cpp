#include "content/KeyTrackBuilder.h"

#include <new>
#include <utility>

KeyTrackBuilder::KeyTrackBuilder(int32_t channelCount, KeyBudget& budget)
    : channelCount_(channelCount < 1                     ? 1
                    : channelCount > kMotionChannelCount ? kMotionChannelCount
                                                         : channelCount),
      budget_(budget) {}

bool KeyTrackBuilder::sameValues(const MotionKey& a, const double* values) const {
    for (int32_t c = 0; c < channelCount_; ++c) {
        if (a.values[c] != static_cast<double>(static_cast<float>(values[c]))) {
            return false;
        }
    }
    return true;
}

int32_t KeyTrackBuilder::append(int32_t frame, const double* values) {
    if (count_ > 0) {
        for (int32_t c = 0; c < channelCount_; ++c) {
            if (keys_[0].values[c] != static_cast<double>(static_cast<float>(values[c]))) {
                changed_ |= 1u << c;
            }
        }
    }
    // The last key between two equal neighbours says nothing: move it on instead.
    if (count_ >= 2 && sameValues(keys_[count_ - 1], values) &&
        sameValues(keys_[count_ - 2], values)) {
        keys_[count_ - 1].frame = frame;
        return 1;
    }
    if (count_ == capacity_) {
        if (budget_.remaining <= capacity_) {
            return 0;
        }
        int64_t grown = capacity_ < 16 ? 16 : static_cast<int64_t>(capacity_) * 2;
        if (grown > budget_.remaining) {
            grown = budget_.remaining;
        }
        std::unique_ptr<MotionKey[]> larger(new (std::nothrow) MotionKey[grown]);
        if (larger == nullptr) {
            return 0;
        }
        for (int32_t i = 0; i < count_; ++i) {
            larger[i] = keys_[i];
        }
        budget_.remaining -= grown - capacity_;
        keys_ = std::move(larger);
        capacity_ = static_cast<int32_t>(grown);
    }
    MotionKey& key = keys_[count_++];
    key = MotionKey{};
    key.frame = frame;
    key.linear = 1;
    for (int32_t c = 0; c < channelCount_; ++c) {
        key.values[c] = static_cast<float>(values[c]);
    }
    return 1;
}

bool KeyTrackBuilder::channelsConstant(int32_t first, int32_t count) const {
    for (int32_t c = first; c < first + count; ++c) {
        if ((changed_ >> c & 1u) != 0) {
            return false;
        }
    }
    return true;
}

void KeyTrackBuilder::replaceKeys(std::unique_ptr<MotionKey[]> keys, int32_t count) {
    keys_ = std::move(keys);
    count_ = count;
    capacity_ = count;
}

void KeyTrackBuilder::finish(Motion& motion) {
    motion.positionIsConstant = channelsConstant(0, 3) ? 1 : 0;
    motion.rotationIsConstant = channelsConstant(3, 3) ? 1 : 0;
    motion.scaleIsConstant = channelsConstant(6, 3) ? 1 : 0;
    static const MotionKey kNoKey;
    const MotionKey& first = count_ > 0 ? keys_[0] : kNoKey;
    motion.setChannelValues(first.values);
    if (changed_ == 0) {
        motion.keys.reset();
        motion.keyCount = 0;
        return;
    }
    motion.keys = std::move(keys_);
    motion.keyCount = count_;
    count_ = 0;
    capacity_ = 0;
}

void KeyTrackBuilder::finish(Envelope& envelope, float& value, int32_t& isConstant) {
    value = count_ > 0 ? static_cast<float>(keys_[0].values[0]) : 0.0f;
    if (changed_ == 0) {
        isConstant = 1;
        envelope.keys.reset();
        envelope.keyCount = 0;
        return;
    }
    isConstant = 0;
    envelope.keys = std::move(keys_);
    envelope.keyCount = count_;
    count_ = 0;
    capacity_ = 0;
}
