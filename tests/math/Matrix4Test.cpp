#include <gtest/gtest.h>

#include "math/Matrix4.h"
#include "object/Mesh.h"

namespace {

// Row vector (x, y, z, w) × m, through the system's own point transform.
void transform(const Matrix4& m, float x, float y, float z, float w, float out[4]) {
    MeshPoint p;
    p.position[0] = x, p.position[1] = y, p.position[2] = z, p.position[3] = w;
    m.transformPoints(&p, 1);
    for (int c = 0; c < 4; ++c) {
        out[c] = p.viewPosition[c];
    }
}

Matrix4 identity() {
    Matrix4 m;
    m.identity();
    return m;
}

} // namespace

TEST(Matrix4, OperationsApplyInCallOrderAndCarryAllFourComponents) {
    Matrix4 m = identity();
    m.scale(2.0f, 2.0f, 2.0f);
    m.translate(1.0f, 0.0f, 0.0f);
    float out[4];
    transform(m, 1.0f, 1.0f, 1.0f, 1.0f, out);
    EXPECT_EQ(out[0], 3.0f);
    EXPECT_EQ(out[1], 2.0f);
    EXPECT_EQ(out[2], 2.0f);
    EXPECT_EQ(out[3], 1.0f);

    Matrix4 reversed = identity();
    reversed.translate(1.0f, 0.0f, 0.0f);
    reversed.scale(2.0f, 2.0f, 2.0f);
    transform(reversed, 1.0f, 1.0f, 1.0f, 1.0f, out);
    EXPECT_EQ(out[0], 4.0f);
    transform(reversed, 1.0f, 0.0f, 0.0f, 0.0f, out); // w = 0: a direction, not moved
    EXPECT_EQ(out[0], 2.0f);
    EXPECT_EQ(out[3], 0.0f);
}

TEST(Matrix4, RotationsTurnInTheirStatedDirections) {
    // Y turns +z towards +x, X turns +y towards +z, Z turns +x towards +y; the truncated
    // degree constant leaves the old axis not quite at 0.
    const struct {
        void (Matrix4::*rotate)(float);
        int from, to;
    } cases[] = {{&Matrix4::rotateY, 2, 0}, {&Matrix4::rotateX, 1, 2}, {&Matrix4::rotateZ, 0, 1}};
    for (const auto& c : cases) {
        Matrix4 m = identity();
        (m.*c.rotate)(90.0f);
        float in[3] = {}, out[4];
        in[c.from] = 1.0f;
        transform(m, in[0], in[1], in[2], 1.0f, out);
        EXPECT_NEAR(out[c.to], 1.0f, 1e-6f) << c.from;
        EXPECT_NEAR(out[c.from], 0.0f, 2e-6f) << c.from;
    }
}

TEST(Matrix4, MultiplyPostMultipliesAndMayTakeItselfAsOperand) {
    Matrix4 a = identity();
    a.translate(1.0f, 2.0f, 3.0f);
    Matrix4 b = identity();
    b.scale(2.0f, 3.0f, 4.0f);
    Matrix4 ab = a;
    ab.multiply(b); // translate, then scale
    float out[4];
    transform(ab, 0.0f, 0.0f, 0.0f, 1.0f, out);
    EXPECT_EQ(out[0], 2.0f);
    EXPECT_EQ(out[1], 6.0f);
    EXPECT_EQ(out[2], 12.0f);

    Matrix4 square = b;
    square.multiply(square);
    EXPECT_EQ(square.m[0], 4.0f);
    EXPECT_EQ(square.m[5], 9.0f);
    EXPECT_EQ(square.m[10], 16.0f);
}

TEST(Matrix4, NormalsIgnoreTranslationAndAreNotNormalised) {
    Matrix4 m = identity();
    m.scale(2.0f, 2.0f, 2.0f);
    m.translate(5.0f, 5.0f, 5.0f);
    MeshPoint p;
    p.normal[0] = 0.0f, p.normal[1] = 1.0f, p.normal[2] = 0.0f;
    m.transformNormals(&p, 1);
    EXPECT_EQ(p.viewNormal[0], 0.0f);
    EXPECT_EQ(p.viewNormal[1], 2.0f);
    EXPECT_EQ(p.viewNormal[2], 0.0f);
}
