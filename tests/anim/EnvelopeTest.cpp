#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "anim/Envelope.h"

namespace {

MotionKey key(int32_t frame, double value, int32_t linear = 0, double tension = 0.0,
              double continuity = 0.0, double bias = 0.0) {
    MotionKey k;
    k.frame = frame;
    k.values[0] = value;
    k.linear = linear;
    k.tension = tension;
    k.continuity = continuity;
    k.bias = bias;
    return k;
}

double at(const std::vector<MotionKey>& keys, double time) {
    double out = -12345.0;
    evaluateEnvelope(keys.data(), static_cast<int32_t>(keys.size()), time, 1, &out);
    return out;
}

} // namespace

TEST(EvaluateEnvelope, TwoKeySplineHitsKeysAndMidpointAndWrapsPastTheEnd) {
    const std::vector<MotionKey> keys = {key(0, 0.0), key(60, 10.0)};
    EXPECT_EQ(at(keys, 0.0), 0.0);
    EXPECT_EQ(at(keys, 30.0), 5.0);
    EXPECT_EQ(at(keys, 60.0), 10.0);
    EXPECT_EQ(at(keys, 90.0), 5.0);   // wraps to 30
    EXPECT_EQ(at(keys, 120.0), 10.0); // wraps to 60, not to 0
    EXPECT_EQ(at(keys, 600.0), 10.0);
    EXPECT_EQ(at(keys, 630.0), 5.0);
}

TEST(EvaluateEnvelope, ConstantTimeWrapEqualsRepeatedSubtraction) {
    const std::vector<MotionKey> keys = {key(0, 1.0), key(3, -2.0, 0, 0.3, -0.2, 0.1),
                                         key(7, 4.0, 0, -0.5, 0.4, 0.2)};
    const double times[] = {7.0,       7.0000001, 14.0,        21.0 + 1e-9, 99.99,
                            700000.25, 3.5e6,     4.9e6 + 0.5, 1234567.125, 7.0 * 81.0};
    for (double time : times) {
        double reference = time;
        while (reference > 7.0) {
            reference -= 7.0;
        }
        double wrapped = 0.0;
        double direct = 0.0;
        evaluateEnvelope(keys.data(), 3, reference, 1, &wrapped);
        evaluateEnvelope(keys.data(), 3, time, 1, &direct);
        EXPECT_EQ(direct, wrapped) << "time " << time;
    }
}

TEST(EvaluateEnvelope, LinearFlagOfTheEndingKeyDrawsAStraightLine) {
    const std::vector<MotionKey> keys = {key(0, 0.0), key(60, 10.0, 1)};
    for (double time : {0.0, 7.5, 15.0, 31.0, 60.0}) {
        EXPECT_EQ(at(keys, time), 0.0 + 10.0 * (time / 60.0)) << "time " << time;
    }
}

// Values worked out by hand from the Hermite weights (at t = 1/2: 1/2, 1/2, 1/8, -1/8).
TEST(EvaluateEnvelope, SplinesGiveTheHandWorkedValues) {
    const struct {
        const char* name;
        std::vector<MotionKey> keys;
        double time, expected;
    } cases[] = {
        // Segment 0..10 ends at key 1, which is not linear: cubic, and the track turns back
        // there, so its incoming tangent is flat.
        {"linear flag of the first key unused",
         {key(0, 0.0, 1), key(10, 10.0), key(20, 0.0)},
         5.0,
         6.25},
        {"before the first key, cubic", {key(10, 0.0), key(20, 10.0)}, 5.0, -5.0},
        {"before the first key, linear", {key(10, 0.0), key(20, 10.0, 1)}, 5.0, -5.0},
        {"on an inner key",
         {key(0, 3.0), key(10, 10.0, 0, 0.2, 0.5, -0.3), key(30, 5.0)},
         10.0,
         10.0},
        // Even keys without parameters: Catmull-Rom of 1, 4, 2, 7 at 0.3.
        {"Catmull-Rom", {key(0, 1.0), key(10, 4.0), key(20, 2.0), key(30, 7.0)}, 13.0, 3.547},
        // Keys at 0, 10, 30: the middle tangent, the average slope (40 over 30 frames), is
        // scaled by 10/30 into the first segment and 20/30 into the second.
        {"uneven spacing, first segment",
         {key(0, 0.0), key(10, 10.0), key(30, 40.0)},
         5.0,
         5.0 - 0.125 * 40.0 / 3.0 + 0.125 * 10.0},
        {"uneven spacing, second segment",
         {key(0, 0.0), key(10, 10.0), key(30, 40.0)},
         20.0,
         25.0 - 0.125 * 30.0 + 0.125 * 80.0 / 3.0},
        // Full tension: zero tangents, so 10 × h2(1/4).
        {"full tension", {key(0, 0.0, 0, 1.0), key(100, 10.0, 0, 1.0)}, 25.0, 1.5625},
        // Bias +1 at the middle key: its outgoing tangent follows the incoming side only,
        // (10 × 2) × 10/20 = 10.
        {"bias", {key(0, 0.0), key(10, 10.0, 0, 0.0, 0.0, 1.0), key(20, 10.0)}, 15.0, 11.25},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(at(c.keys, c.time), c.expected, 1e-12) << c.name;
    }
}

TEST(EvaluateEnvelope, NineChannelsShareOneSegmentAndOneKeyIgnoresTime) {
    MotionKey a = key(0, 0.0);
    MotionKey b = key(10, 0.0, 1);
    for (int c = 0; c < 9; ++c) {
        a.values[c] = c;
        b.values[c] = 10.0 * c;
    }
    const MotionKey keys[] = {a, b};
    double out[9];
    evaluateEnvelope(keys, 2, 5.0, 9, out);
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(out[c], 5.5 * c);
    }
    for (double time : {-100.0, 0.0, 1e9}) {
        evaluateEnvelope(&b, 1, time, 9, out);
        for (int c = 0; c < 9; ++c) {
            EXPECT_EQ(out[c], 10.0 * c) << time;
        }
    }
}

TEST(EvaluateEnvelopeGuards, NoKeysGiveZeros) {
    double out[3] = {7, 7, 7};
    evaluateEnvelope(nullptr, 0, 12.0, 3, out);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[2], 0.0);
    const MotionKey k = key(0, 5.0);
    evaluateEnvelope(&k, -4, 12.0, 1, out);
    EXPECT_EQ(out[0], 0.0);
}

TEST(EvaluateEnvelopeGuards, TrackEndingAtOrBeforeFrameZeroDoesNotWrap) {
    const std::vector<MotionKey> keys = {key(-10, 0.0), key(0, 10.0, 1)};
    EXPECT_EQ(at(keys, 5.0), 15.0); // the last segment extended, no endless wrap
    const std::vector<MotionKey> zeros = {key(0, 1.0), key(0, 2.0)};
    EXPECT_TRUE(std::isfinite(at(zeros, 1e6)));
}

TEST(EvaluateEnvelopeGuards, KeysOnOneFrameGiveTheLaterKey) {
    const std::vector<MotionKey> keys = {key(5, 1.0), key(5, 2.0), key(15, 4.0)};
    EXPECT_EQ(at(keys, 3.0), 2.0);
    EXPECT_EQ(at(keys, 5.0), 2.0);
    EXPECT_TRUE(std::isfinite(at(keys, 10.0)));
}

TEST(EvaluateEnvelopeGuards, NonFiniteTimesEndWithoutLooping) {
    const std::vector<MotionKey> keys = {key(0, 0.0), key(60, 10.0)};
    EXPECT_TRUE(std::isnan(at(keys, std::numeric_limits<double>::quiet_NaN())));
    const double inf = std::numeric_limits<double>::infinity();
    (void)at(keys, inf);
    (void)at(keys, -inf);
    EXPECT_TRUE(std::isfinite(at(keys, 1e300)));
}

TEST(EvaluateEnvelopeGuards, ChannelCountIsBounded) {
    const MotionKey k = key(0, 3.0);
    double out[12] = {};
    out[9] = 99.0;
    evaluateEnvelope(&k, 1, 0.0, 12, out);
    EXPECT_EQ(out[0], 3.0);
    EXPECT_EQ(out[9], 99.0); // never written past nine channels
    double untouched = 42.0;
    evaluateEnvelope(&k, 1, 0.0, 0, &untouched);
    EXPECT_EQ(untouched, 42.0);
}
