// Envelopes of later LightWave files: each key shape and each behaviour against values
// worked out by hand from the Hermite and Bezier formulas.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "content/ChannelEnvelope.h"

namespace {

// A key as a scene file writes it ("Key value time shape p1 .. p6"), so that the values
// below also check how the parameters are read: TCB keys carry tension, continuity and
// bias; Hermite and Bezier 1D keys their in and out tangents as p4 and p5; Bezier 2D keys
// their handles (in time, in value, out time, out value).
ChannelKey key(double time, double value, KeyShape shape = KeyShape::Tcb,
               const std::array<double, 6>& p = {}) {
    const double parameters[6] = {p[0], p[1], p[2], p[3], p[4], p[5]};
    return sceneChannelKey(value, time, static_cast<int32_t>(shape), parameters);
}

ChannelKey tcb(double time, double value, double t, double c, double b) {
    return key(time, value, KeyShape::Tcb, {t, c, b});
}

ChannelKey hermite(double time, double value, double in, double out,
                   KeyShape shape = KeyShape::Hermite) {
    return key(time, value, shape, {0, 0, 0, in, out});
}

ChannelKey bezier2D(double time, double value, double inTime, double inValue, double outTime,
                    double outValue) {
    return key(time, value, KeyShape::Bezier2D, {inTime, inValue, outTime, outValue});
}

ChannelEnvelope envelope(const std::vector<ChannelKey>& keys,
                         EnvelopeBehavior pre = EnvelopeBehavior::Constant,
                         EnvelopeBehavior post = EnvelopeBehavior::Constant) {
    ChannelEnvelope e;
    allocateChannelKeys(e, static_cast<int32_t>(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i) {
        e.keys[i] = keys[i];
    }
    e.pre = pre;
    e.post = post;
    return e;
}

struct ShapeCase {
    const char* name;
    std::vector<ChannelKey> keys;
    double time;
    double expected;
};

void PrintTo(const ShapeCase& c, std::ostream* out) {
    *out << c.name;
}

class KeyShapes : public testing::TestWithParam<ShapeCase> {};

// Keys (0, 0), (1, 3), (3, -1) unless said otherwise. At tau = 1/2 the Hermite weights are
// h1 = h2 = 1/2, h3 = 1/8, h4 = -1/8: v = (v0 + v1)/2 + (out - in)/8.
INSTANTIATE_TEST_SUITE_P(
    HandWorked, KeyShapes,
    testing::Values(
        // out0 = d = 3 (no key before); in1 = (1/3)·((-1 - 3) + 3) = -1/3: 3/2 + 3/8 + 1/24.
        ShapeCase{"TcbFirstSpan", {key(0, 0), key(1, 3), key(3, -1)}, 0.5, 23.0 / 12.0},
        // out1 = (2/3)·(3 + (-4)) = -2/3; in2 = d = -4: 1 - 1/12 + 1/2.
        ShapeCase{"UnknownShapesAreTcb",
                  {key(0, 0), key(1, 3, static_cast<KeyShape>(9)), key(3, -1)},
                  0.5,
                  23.0 / 12.0},
        ShapeCase{"TcbSecondSpan", {key(0, 0), key(1, 3), key(3, -1)}, 2.0, 17.0 / 12.0},
        // Tension 1 zeroes key 1's tangents: 3/2 + 3/8.
        ShapeCase{"TcbTension", {key(0, 0), tcb(1, 3, 1, 0, 0), key(3, -1)}, 0.5, 1.875},
        // Continuity 1/2: in1 = (1/3)·(1.5·(-4) + 0.5·3) = -1.5: 3/2 + 3/8 + 3/16.
        ShapeCase{"TcbContinuity", {key(0, 0), tcb(1, 3, 0, 0.5, 0), key(3, -1)}, 0.5, 2.0625},
        // Bias 1: in1 = (1/3)·(0·(-4) + 2·3) = 2: 3/2 + 3/8 - 1/4.
        ShapeCase{"TcbBias", {key(0, 0), tcb(1, 3, 0, 0, 1), key(3, -1)}, 0.5, 1.625},
        // End tangents unscaled: out0 = 1, in1 = 4: 1 + 1/8 - 1/2.
        ShapeCase{"Hermite", {hermite(0, 0, 0, 1), hermite(1, 2, 4, 0)}, 0.5, 0.625},
        ShapeCase{
            "Bezier1DIsHermite",
            {hermite(0, 0, 0, 1, KeyShape::Bezier1D), hermite(1, 2, 4, 0, KeyShape::Bezier1D)},
            0.5,
            0.625},
        // in1 = 4 · 1/(2 - 0) with a key after it: 1 + 1/8 - 1/4.
        ShapeCase{"HermiteScaledBySpans",
                  {hermite(0, 0, 0, 1), hermite(1, 2, 4, 0), key(2, 2)},
                  0.5,
                  0.875},
        ShapeCase{"Linear", {key(0, 0), key(2, 4, KeyShape::Linear)}, 0.5, 1.0},
        // A TCB span after linear keys leaves along their line: out1 = (1/2)·(1 + 2) = 1.5,
        // in2 = d = 2: 2 + 3/16 - 1/4.
        ShapeCase{"TcbAfterLinear",
                  {key(0, 0, KeyShape::Linear), key(1, 1, KeyShape::Linear), key(2, 3)},
                  1.5,
                  1.9375},
        ShapeCase{"SteppedHolds", {key(0, 1), key(1, 5, KeyShape::Stepped)}, 0.99, 1.0},
        ShapeCase{"SteppedLandsOnItsKey", {key(0, 1), key(1, 5, KeyShape::Stepped)}, 1.0, 5.0},
        // Time handles at 1/3 and 2/3 make time run evenly (s = t); values 0, 1, 3, 3 at
        // s = 1/2: (0 + 3 + 9 + 3)/8.
        ShapeCase{"Bezier2D",
                  {bezier2D(0, 0, 0, 0, 1.0 / 3, 1), bezier2D(1, 3, -1.0 / 3, 0, 0, 0)},
                  0.5,
                  1.875},
        // Handles at 1/2 in time: t(s) = 1.5s - 1.5s² + s³, so t = 0.296875 at s = 1/4;
        // values 0, 1, 3, 3 at s = 1/4: 27/64 + 9/64·3 + 3/64.
        ShapeCase{"Bezier2DUnevenTime",
                  {bezier2D(0, 0, 0, 0, 0.5, 1), bezier2D(1, 3, -0.5, 0, 0, 0)},
                  0.296875,
                  0.890625},
        // After a TCB key the first handle is (t0 + span/3, v0 + out0/3) = (1/3, 1).
        ShapeCase{"Bezier2DAfterTcb", {key(0, 0), bezier2D(1, 3, -1.0 / 3, 0, 0, 0)}, 0.5, 1.875},
        ShapeCase{"OnAKeyItsValue", {key(0, 0), key(1, 3), key(3, -1)}, 1.0, 3.0},
        ShapeCase{"KeysSharingATimeGiveTheFirst", {key(0, 0), key(1, 7), key(1, 9)}, 1.0, 7.0},
        ShapeCase{"NoKeys", {}, 4.0, 0.0}, ShapeCase{"OneKeyEverywhere", {key(2, 6)}, -50.0, 6.0}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

TEST_P(KeyShapes, GiveTheHandWorkedValue) {
    const ShapeCase& c = GetParam();
    EXPECT_NEAR(evaluateChannelEnvelope(envelope(c.keys), c.time), c.expected, 1e-9);
}

// Keys (1, 0) and (3, 4), TCB: both end tangents are d, so the curve is the straight line
// v = 2(t - 1); its first key lies after time 0, where a wrap about time 0 would go wrong.
TEST(EnvelopeBehaviors, ActBeforeAndAfterTheKeys) {
    struct Case {
        EnvelopeBehavior behavior;
        double time;
        double expected;
    };
    using B = EnvelopeBehavior;
    const Case cases[] = {
        {B::Reset, 0.0, 0.0},        {B::Reset, 4.0, 0.0},
        {B::Constant, 0.0, 0.0},     {B::Constant, 4.0, 4.0},
        {B::Repeat, 3.5, 1.0},       {B::Repeat, 0.5, 3.0},        // t' = 1.5, 2.5
        {B::Oscillate, 3.5, 3.0},    {B::Oscillate, 5.5, 1.0},     // mirrored 2.5; even 1.5
        {B::Oscillate, 0.5, 1.0},                                  // k = -1: mirrored 1.5
        {B::OffsetRepeat, 3.5, 5.0}, {B::OffsetRepeat, 0.5, -1.0}, // ± one rise of 4
        {B::Linear, 4.0, 6.0},       {B::Linear, 0.0, -2.0},       // slope 2 both ways
    };
    for (const Case& c : cases) {
        const ChannelEnvelope e = envelope({key(1, 0), key(3, 4)}, c.behavior, c.behavior);
        EXPECT_NEAR(evaluateChannelEnvelope(e, c.time), c.expected, 1e-9)
            << "behaviour " << static_cast<int>(c.behavior) << " at " << c.time;
    }
}

TEST(EnvelopeBehaviors, LinearFollowsTheEndKeysOwnSlope) {
    using B = EnvelopeBehavior;
    // A stepped end key has no slope; a Bezier 2D one the slope of its handle.
    const ChannelEnvelope stepped =
        envelope({key(0, 0), key(1, 2, KeyShape::Stepped)}, B::Linear, B::Linear);
    EXPECT_EQ(evaluateChannelEnvelope(stepped, 5.0), 2.0);
    const ChannelEnvelope handles = envelope(
        {bezier2D(0, 0, 0, 0, 0.25, 1), bezier2D(1, 2, -0.5, -0.25, 0, 0)}, B::Linear, B::Linear);
    EXPECT_NEAR(evaluateChannelEnvelope(handles, 2.0), 2.0 + 0.5, 1e-12);
    EXPECT_NEAR(evaluateChannelEnvelope(handles, -1.0), -4.0, 1e-12);
}

} // namespace
