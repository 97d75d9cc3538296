// Placements composed in double precision must be the player's own (Matrix4's scale,
// bank, pitch, heading, move), and decomposing them must give back angles the player
// can interpolate frame to frame.
#include <gtest/gtest.h>

#include "content/ItemPlacement.h"
#include "math/Matrix4.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

ItemPose placement(double h, double p, double b, double sx = 1, double sy = 1, double sz = 1) {
    ItemPose pl;
    pl.heading = h;
    pl.pitch = p;
    pl.bank = b;
    pl.scale[0] = sx;
    pl.scale[1] = sy;
    pl.scale[2] = sz;
    pl.position[0] = 1.5;
    pl.position[1] = -2.0;
    pl.position[2] = 4.0;
    return pl;
}

} // namespace

TEST(ItemPlacement, ComposesAsThePlayerDoes) {
    const ItemPose p = placement(0.7, -0.4, 2.1, 2.0, 0.5, 1.25);
    const Affine a = placementMatrix(p);
    Matrix4 m;
    m.identity();
    m.scale(2.0f, 0.5f, 1.25f);
    const double toDegrees = 1.0 / static_cast<double>(kDegreesToRadians);
    m.rotateZ(static_cast<float>(p.bank * toDegrees));
    m.rotateX(static_cast<float>(p.pitch * toDegrees));
    m.rotateY(static_cast<float>(p.heading * toDegrees));
    m.translate(1.5f, -2.0f, 4.0f);
    for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 3; ++c) {
            EXPECT_NEAR(a.m[r][c], m.m[4 * r + c], 2e-6) << r << ", " << c;
        }
    }
}

TEST(ItemPlacement, DecomposingGivesThePlacementBack) {
    const ItemPose p = placement(2.5, 0.3, -1.2, 2.0, 3.0, -0.5);
    const ItemPose q = decompose(placementMatrix(p), nullptr);
    EXPECT_NEAR(q.heading, p.heading, 1e-9);
    EXPECT_NEAR(q.pitch, p.pitch, 1e-9);
    EXPECT_NEAR(q.bank, p.bank, 1e-9);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(q.scale[i], p.scale[i], 1e-12);
        EXPECT_NEAR(q.position[i], p.position[i], 1e-12);
    }
}

TEST(ItemPlacement, AnglesStayNearThePreviousFrame) {
    const struct {
        ItemPose pose, previous;
    } cases[] = {
        // Past straight up: the same rotation as (h + pi, pi - p, b + pi), which is farther.
        {placement(0.2, 1.7, 0.1), placement(0.21, 1.69, 0.11)},
        // Heading across the half turn continues instead of jumping by a full turn.
        {placement(3.2, 0.0, 0.0), placement(3.1, 0.0, 0.0)},
        // Straight up, where heading and bank mix: the previous bank is kept.
        {placement(0.9, kPi / 2, 0.3), placement(0.9, kPi / 2 - 0.01, 0.3)},
    };
    for (const auto& c : cases) {
        const ItemPose q = decompose(placementMatrix(c.pose), &c.previous);
        EXPECT_NEAR(q.heading, c.pose.heading, 1e-6);
        EXPECT_NEAR(q.pitch, c.pose.pitch, 1e-6);
        EXPECT_NEAR(q.bank, c.pose.bank, 1e-6);
    }
}

// Ordinary aiming is checked through the baked scenes (SceneBakingTest).
TEST(ItemPlacement, AimingStraightUpKeepsTheHeading) {
    double heading = 0.5;
    double pitch = 9.0;
    ASSERT_TRUE(aimAngles({0, 0, 0}, {0, 2, 0}, heading, pitch));
    EXPECT_EQ(heading, 0.5);
    EXPECT_NEAR(pitch, -kPi / 2, 1e-12) << "negative pitch looks up";
    EXPECT_FALSE(aimAngles({1, 1, 1}, {1, 1, 1}, heading, pitch));
}
