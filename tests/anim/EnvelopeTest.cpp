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

TEST(EvaluateEnvelope, LinearFlagOfTheFirstKeyIsNeverConsulted) {
    // Segment 0..10 ends at key 1, which is not linear: the curve is cubic and its
    // incoming tangent is flat (the track turns back), so the midpoint lies above 5.
    const std::vector<MotionKey> keys = {key(0, 0.0, 1), key(10, 10.0), key(20, 0.0)};
    EXPECT_EQ(at(keys, 5.0), 6.25);
}

TEST(EvaluateEnvelope, TimeBeforeTheFirstKeyExtendsTheFirstSegment) {
    const std::vector<MotionKey> cubic = {key(10, 0.0), key(20, 10.0)};
    EXPECT_DOUBLE_EQ(at(cubic, 5.0), -5.0);
    const std::vector<MotionKey> linear = {key(10, 0.0), key(20, 10.0, 1)};
    EXPECT_EQ(at(linear, 5.0), -5.0);
}

TEST(EvaluateEnvelope, TimeOnAnInnerKeyGivesThatKeysValue) {
    const std::vector<MotionKey> keys = {key(0, 3.0), key(10, 10.0, 0, 0.2, 0.5, -0.3),
                                         key(30, 5.0)};
    EXPECT_EQ(at(keys, 10.0), 10.0);
}

TEST(EvaluateEnvelope, EvenKeysWithZeroParametersGiveCatmullRom) {
    const std::vector<MotionKey> keys = {key(0, 1.0), key(10, 4.0), key(20, 2.0), key(30, 7.0)};
    const double p0 = 1, p1 = 4, p2 = 2, p3 = 7, t = 0.3;
    const double catmullRom =
        0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
               (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
    EXPECT_NEAR(at(keys, 13.0), catmullRom, 1e-12);
}

TEST(EvaluateEnvelope, UnevenKeySpacingScalesTheInnerTangents) {
    // Keys at 0, 10 and 30. The tangent at the middle key is the average slope
    // (40 over 30 frames) scaled by 10/30 for the first segment and 20/30 for the second.
    const std::vector<MotionKey> keys = {key(0, 0.0), key(10, 10.0), key(30, 40.0)};
    // First segment: outgoing 10 (end tangent), incoming (30 + 10) × 10/30.
    EXPECT_NEAR(at(keys, 5.0), 5.0 - 0.125 * 40.0 / 3.0 + 0.125 * 10.0, 1e-12);
    // Second segment: outgoing (10 + 30) × 20/30, incoming 30 (end tangent).
    EXPECT_NEAR(at(keys, 20.0), 25.0 - 0.125 * 30.0 + 0.125 * 80.0 / 3.0, 1e-12);
}

TEST(EvaluateEnvelope, FullTensionEasesInAndOut) {
    const std::vector<MotionKey> keys = {key(0, 0.0, 0, 1.0), key(100, 10.0, 0, 1.0)};
    // Zero tangents: value = 10 × h2(t), with h2(0.25) = 0.15625.
    EXPECT_EQ(at(keys, 25.0), 1.5625);
    EXPECT_EQ(at(keys, 50.0), 5.0);
}

TEST(EvaluateEnvelope, ContinuityAndBiasShapeTheTangents) {
    // Bias +1 at the middle key: the tangent follows only the incoming side (slope of
    // 0..10 is 10 per 10 frames, doubled by (1 + bias), halved by the 10/20 scaling).
    const std::vector<MotionKey> keys = {key(0, 0.0), key(10, 10.0, 0, 0.0, 0.0, 1.0),
                                         key(20, 10.0)};
    // Segment 10..20: outgoing = ((10 - 0) × 2 + 0 × 0) × 0.5 = 10, incoming end = 0.
    EXPECT_NEAR(at(keys, 15.0), 10.0 + 0.125 * 10.0, 1e-12);
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
