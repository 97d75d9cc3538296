#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "anim/Morph.h"
#include "player/SceneObject.h"

namespace {

// Gives `object` `count` points; point i sits at (base + i, 2 × base, -base) with the
// normal (0, base, 1), and the box of those points.
void giveShape(SceneObject& object, int32_t count, float base) {
    object.mesh.pointCount = count;
    object.mesh.points = std::make_unique<MeshPoint[]>(count);
    object.mesh.polygonCount = 1;
    object.mesh.polygons = std::make_unique<MeshPolygon[]>(1);
    for (int32_t i = 0; i < count; ++i) {
        MeshPoint& p = object.mesh.points[i];
        p.position[0] = base + static_cast<float>(i);
        p.position[1] = 2.0f * base;
        p.position[2] = -base;
        p.position[3] = 1.0f;
        p.normal[1] = base;
        p.normal[2] = 1.0f;
    }
    const float lo[3] = {base, 2.0f * base, -base};
    const float hi[3] = {base + static_cast<float>(count - 1), 2.0f * base, -base};
    for (int c = 0; c < 8; ++c) {
        object.boundingBox[c][0] = (c == 0 || c == 3 || c == 4 || c == 7) ? hi[0] : lo[0];
        object.boundingBox[c][1] = (c == 0 || c == 1 || c == 4 || c == 5) ? hi[1] : lo[1];
        object.boundingBox[c][2] = c < 4 ? hi[2] : lo[2];
        object.boundingBox[c][3] = 1.0f;
    }
}

class MorphTest : public ::testing::Test {
protected:
    // A chain 0 -> 1 (-> 2) of `members` objects with shapes at bases 0, 10, 30.
    void buildChain(int32_t members, int32_t mode, int32_t points = 3) {
        const float bases[] = {0.0f, 10.0f, 30.0f};
        for (int32_t k = 0; k < members; ++k) {
            giveShape(objects_[k], points, bases[k]);
        }
        for (int32_t k = 0; k + 1 < members; ++k) {
            objects_[k].hasMorph = 1;
            objects_[k].morphTarget = k + 1;
            objects_[k].morphMode = mode;
        }
        count_ = members;
        ASSERT_EQ(prepareMorphChains(objects_, count_, problem_, sizeof(problem_)), 1) << problem_;
    }
    // x of point 0 of the head after blending at `amount`.
    float headXAt(float amount) {
        objects_[0].morphAmount = amount;
        objects_[0].applyMorph();
        return objects_[0].mesh.points[0].position[0];
    }

    SceneObject objects_[4];
    int32_t count_ = 0;
    char problem_[256] = {};
};

} // namespace

TEST_F(MorphTest, TwoMembersBlendInAStraightLineInBothModes) {
    for (const int32_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        for (SceneObject& o : objects_) {
            o = SceneObject{};
        }
        buildChain(2, mode);
        EXPECT_EQ(objects_[0].morphChainLength, 2);
        EXPECT_EQ(headXAt(0.0f), 0.0f);
        EXPECT_EQ(headXAt(0.5f), 5.0f);
        EXPECT_EQ(objects_[0].mesh.points[2].position[0], 7.0f);
        EXPECT_EQ(objects_[0].mesh.points[2].normal[1], 5.0f);
        EXPECT_EQ(objects_[0].mesh.points[2].position[3], 1.0f); // w untouched
        EXPECT_EQ(headXAt(1.0f), 10.0f);
        EXPECT_EQ(headXAt(1.7f), 10.0f);
        EXPECT_EQ(objects_[0].mesh.points[1].position[1], 20.0f);
        // 0.999 stays in the first segment.
        EXPECT_NEAR(headXAt(0.999f), 9.99f, 1e-4f);
    }
}

TEST_F(MorphTest, ThreeMembersFollowTheChainAndEndOnTheLastShape) {
    buildChain(3, 1);
    objects_[1].morphAmount = 0.9f; // a target's own amount plays no part
    EXPECT_EQ(objects_[0].morphChainLength, 3);
    EXPECT_EQ(headXAt(1.0f), 10.0f);
    EXPECT_EQ(headXAt(1.5f), 20.0f);
    EXPECT_EQ(headXAt(2.0f), 30.0f);
    EXPECT_EQ(headXAt(1000.0f), 30.0f);
    EXPECT_EQ(headXAt(INFINITY), 30.0f);
}

TEST_F(MorphTest, CubicBlendUsesTheNeighboursForInnerTangents) {
    buildChain(3, 0);
    // Shapes at 0, 10, 30: the inner tangent at 10 is ((10 - 0) + (30 - 10)) / 2 = 15, the
    // end tangents the straight differences 10 and 20. Hermite weights at f = 0.5 are
    // (0.5, 0.5, 0.125, -0.125).
    EXPECT_EQ(headXAt(1.5f), 19.375f); // 5 + 15 + 1.875 - 2.5
    EXPECT_EQ(headXAt(0.5f), 4.375f);  // 0 + 5 + 1.25 - 1.875
    EXPECT_EQ(headXAt(0.0f), 0.0f);
}

TEST_F(MorphTest, PreparationMovesTheShapesIntoTheHead) {
    buildChain(3, 1);
    for (int32_t k = 1; k < 3; ++k) {
        EXPECT_EQ(objects_[k].isMorphTarget, 1);
        EXPECT_EQ(objects_[k].mesh.pointCount, 0);
        EXPECT_EQ(objects_[k].mesh.polygonCount, 0);
    }
    EXPECT_EQ(objects_[0].isMorphTarget, 0);
    EXPECT_EQ(objects_[0].mesh.pointCount, 3);
    EXPECT_EQ(objects_[0].morphPositions[2][1].x, 31.0f);
    EXPECT_EQ(objects_[0].morphNormals[1][0].y, 10.0f);
    // The box runs from the head's smallest to the last member's largest values.
    const float(&box)[8][4] = objects_[0].boundingBox;
    EXPECT_EQ((std::vector<float>{box[0][0], box[0][1], box[0][2]}),
              (std::vector<float>{32, 60, 0})); // max
    EXPECT_EQ((std::vector<float>{box[6][0], box[6][1], box[6][2]}),
              (std::vector<float>{0, 0, -30})); // min
}

TEST_F(MorphTest, NegativeAmountsExtrapolateTheFirstSegmentDownToMinusOne) {
    buildChain(2, 1);
    EXPECT_EQ(headXAt(-0.5f), -5.0f);
    EXPECT_EQ(headXAt(-1.0f), -10.0f);
    EXPECT_EQ(headXAt(-7.0f), -10.0f);
    EXPECT_EQ(headXAt(-INFINITY), -10.0f);
    EXPECT_EQ(headXAt(NAN), 0.0f);
    buildChain(3, 0);
    EXPECT_TRUE(std::isfinite(headXAt(-1.0f)));
}

TEST_F(MorphTest, BrokenChainsAreRefusedAndNothingChanges) {
    struct Case {
        int32_t firstTarget;
        int32_t secondTarget; // -2: the second object does not morph
        const char* message;
    };
    const Case cases[] = {
        {5, -2, "morph target 6 of object 1 is not an object of the scene"},
        {-1, -2, "morph target 0 of object 1 is not an object of the scene"},
        {1, 1, "morph chain of object 1 loops"},
        {1, 2, "morph chain of object 1 loops"}, // 1 -> 2 -> 3 -> 2 ...
    };
    for (const Case& c : cases) {
        SceneObject objects[3];
        giveShape(objects[0], 3, 0.0f);
        giveShape(objects[1], 3, 1.0f);
        giveShape(objects[2], 3, 2.0f);
        objects[0].hasMorph = 1;
        objects[0].morphTarget = c.firstTarget;
        if (c.secondTarget != -2) {
            objects[1].hasMorph = 1;
            objects[1].morphTarget = c.secondTarget;
            objects[2].hasMorph = 1;
            objects[2].morphTarget = 1;
        }
        char problem[256] = {};
        EXPECT_EQ(prepareMorphChains(objects, 3, problem, sizeof(problem)), 0);
        EXPECT_STREQ(problem, c.message);
        for (const SceneObject& o : objects) {
            EXPECT_EQ(o.isMorphTarget, 0);
            EXPECT_EQ(o.mesh.pointCount, 3);
            EXPECT_EQ(o.morphPositions, nullptr);
        }
    }
}

TEST_F(MorphTest, ObjectsNamingEachOtherWithoutAHeadBecomeHiddenTargets) {
    giveShape(objects_[0], 3, 0.0f); // names itself: "Metamorph" with no "MorphTarget"
    giveShape(objects_[1], 3, 1.0f); // 2 and 3 name each other
    giveShape(objects_[2], 2, 2.0f);
    giveShape(objects_[3], 3, 3.0f); // untouched
    objects_[0].hasMorph = 1;
    objects_[1].hasMorph = 1;
    objects_[1].morphTarget = 2;
    objects_[2].hasMorph = 1;
    objects_[2].morphTarget = 1;
    ASSERT_EQ(prepareMorphChains(objects_, 4, problem_, sizeof(problem_)), 1) << problem_;
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(objects_[i].isMorphTarget, 1) << i;
        EXPECT_EQ(objects_[i].mesh.pointCount, 0) << i;
        EXPECT_EQ(objects_[i].morphPositions, nullptr) << i;
    }
    EXPECT_EQ(objects_[3].isMorphTarget, 0);
    EXPECT_EQ(objects_[3].mesh.pointCount, 3);
}

TEST_F(MorphTest, MembersWithFewerPointsThanTheHeadAreRefused) {
    giveShape(objects_[0], 4, 0.0f);
    giveShape(objects_[1], 5, 1.0f); // more points are fine
    giveShape(objects_[2], 3, 2.0f);
    objects_[0].hasMorph = 1;
    objects_[0].morphTarget = 1;
    objects_[1].hasMorph = 1;
    objects_[1].morphTarget = 2;
    EXPECT_EQ(prepareMorphChains(objects_, 3, problem_, sizeof(problem_)), 0);
    EXPECT_STREQ(problem_, "morph target object 3 has fewer points (3) than object 1 (4)");
    objects_[1].hasMorph = 0;
    EXPECT_EQ(prepareMorphChains(objects_, 3, problem_, sizeof(problem_)), 1);
    EXPECT_EQ(objects_[0].morphChainLength, 2);
}

TEST_F(MorphTest, UnpreparedObjectsAreLeftAlone) {
    giveShape(objects_[0], 2, 4.0f);
    objects_[0].hasMorph = 1;
    objects_[0].morphAmount = 0.5f;
    objects_[0].applyMorph(); // no chain was prepared
    EXPECT_EQ(objects_[0].mesh.points[0].position[0], 4.0f);
}
