#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "math/LightingRecords.h"
#include "math/MathHelper.h"
#include "tests/math/MathTestUtil.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

TEST(Normalize3, ZeroStaysZeroAndFiniteVectorsBecomeUnit)
{
    struct Case {
        Float3 input;
        Float3 expected;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {{-0.0f, 0.0f, -0.0f}, {0.0f, 0.0f, 0.0f}},
        {{3.0f, 4.0f, 0.0f}, {0.6f, 0.8f, 0.0f}},
        {{0.0f, -5.0f, 0.0f}, {0.0f, -1.0f, 0.0f}},
        {{2.0f, 2.0f, 1.0f}, {2.0f / 3.0f, 2.0f / 3.0f, 1.0f / 3.0f}},
        {{1e-25f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},  // squared length underflows to 0: no NaN
        {{1e-10f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        const Float3 n = Normalize3(c.input);
        EXPECT_TRUE(Near3(n, c.expected, 1e-6f)) << "input " << ToString(c.input);
        EXPECT_FALSE(std::isnan(n.x) || std::isnan(n.y) || std::isnan(n.z));
    }
}

TEST(Normalize3, InfiniteLengthGivesNaNInEveryComponent)
{
    const float inf = std::numeric_limits<float>::infinity();
    const Float3 inputs[] = {{inf, 0.0f, 0.0f}, {0.0f, -inf, 1.0f}, {1e20f, 0.0f, 0.0f}, {3e19f, 3e19f, 3e19f}};
    for (const Float3& v : inputs) {
        const Float3 n = Normalize3(v);
        EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z)) << ToString(v) << " -> " << ToString(n);
    }
}

TEST(VectorOps, CrossFollowsTheStatedFormula)
{
    EXPECT_EQ(Cross3({1, 0, 0}, {0, 1, 0}), (Float3{0, 0, 1}));
    EXPECT_EQ(Cross3({0, 0, 1}, {1, 0, 0}), (Float3{0, 1, 0}));
    EXPECT_EQ(Cross3({1, 2, 3}, {4, 5, 6}), (Float3{-3, 6, -3}));
    EXPECT_EQ(Dot3({1, 2, 3}, {4, -5, 6}), 12.0f);
}

// Row vectors: v' = v x M. Each case checks where basis vectors go.
TEST(Rotations, MoveVectorsInTheLeftHandedDirections)
{
    struct Case {
        const char* name;
        Float4x4 matrix;
        Float3 input;
        Float3 expected;
    };
    const Case cases[] = {
        {"RotationY(pi/2) x", RotationY(kHalfPi), {1, 0, 0}, {0, 0, -1}},
        {"RotationY(pi/2) z", RotationY(kHalfPi), {0, 0, 1}, {1, 0, 0}},
        {"RotationY(pi/2) y", RotationY(kHalfPi), {0, 1, 0}, {0, 1, 0}},
        {"RotationX(-pi/2) y", RotationX(-kHalfPi), {0, 1, 0}, {0, 0, -1}},
        {"RotationX(-pi/2) z", RotationX(-kHalfPi), {0, 0, 1}, {0, 1, 0}},
        {"RotationX(-pi/2) x", RotationX(-kHalfPi), {1, 0, 0}, {1, 0, 0}},
        {"RotationX(pi) y", RotationX(kPi), {0, 1, 0}, {0, -1, 0}},
        {"axis +x, pi/2, y", RotationAboutAxis({1, 0, 0}, kHalfPi), {0, 1, 0}, {0, 0, 1}},
        {"axis +z, pi/2, x", RotationAboutAxis({0, 0, 1}, kHalfPi), {1, 0, 0}, {0, 1, 0}},
        {"axis (1,1,1), 2pi/3, x", RotationAboutAxis({1, 1, 1}, 2.0943952f), {1, 0, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near3(TransformNormal(c.input, c.matrix), c.expected, 1e-6f)) << c.name;
}

TEST(Rotations, AxisRotationNormalisesItsAxisAndMatchesTheFixedAxisForms)
{
    for (float angle : {-2.5f, -0.3f, 0.0f, 0.7f, kHalfPi, 3.0f}) {
        EXPECT_TRUE(NearMatrix(RotationAboutAxis({0, 7, 0}, angle), RotationY(angle), 1e-6f)) << angle;
        EXPECT_TRUE(NearMatrix(RotationAboutAxis({0.5f, 0, 0}, angle), RotationX(angle), 1e-6f)) << angle;
        const Float4x4 r = RotationAboutAxis({1, -2, 3}, angle);
        // Orthonormal with determinant 1: a pure rotation, no scaling by the axis length.
        EXPECT_TRUE(NearMatrix(r * Transpose(r), Identity(), 1e-6f)) << angle;
        float det = 0.0f;
        MatrixInverse(r, &det);
        EXPECT_NEAR(det, 1.0f, 1e-5f);
    }
}

TEST(MatrixBuilders, ScalingTranslationAndPerspectiveRows)
{
    EXPECT_EQ(Scaling(2, 3, 4), MatrixFromRows({{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}}));
    EXPECT_EQ(Translation(5, -6, 7), MatrixFromRows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, -6, 7, 1}}));
    EXPECT_EQ(Transpose(Translation(5, -6, 7)),
              MatrixFromRows({{1, 0, 0, 5}, {0, 1, 0, -6}, {0, 0, 1, 7}, {0, 0, 0, 1}}));

    // 45 degrees, 16:9, near 1, far 1000: h = cot(22.5 deg), w = h / aspect, r = 1000 / 999.
    const Float4x4 p = PerspectiveFov(0.7853982f, 16.0f / 9.0f, 1.0f, 1000.0f);
    EXPECT_TRUE(NearMatrix(
        p, MatrixFromRows({{1.3579951f, 0, 0, 0}, {0, 2.4142137f, 0, 0}, {0, 0, 1.001001f, 1}, {0, 0, -1.001001f, 0}}),
        2e-6f));

    // Depth runs from 0 at the near plane to 1 at the far plane, after the divide by w.
    const Float4x4 q = PerspectiveFov(1.0f, 1.5f, 2.0f, 50.0f);
    const Float4 nearPoint = Transform({0, 0, 2, 1}, q);
    const Float4 farPoint = Transform({0, 0, 50, 1}, q);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-6f);
}

TEST(MatrixProduct, ComposesLeftToRight)
{
    // Scale first, then translate, then rotate: (1,0,0) -> (2,0,0) -> (3,0,0) -> (0,0,-3).
    const Float4x4 world = Scaling(2, 2, 2) * Translation(1, 0, 0) * RotationY(kHalfPi);
    EXPECT_TRUE(Near3(TransformPoint({1, 0, 0}, world), {0, 0, -3}, 1e-6f));
    // Translation applied after the rotation leaves the offset unrotated.
    const Float4x4 other = Scaling(2, 2, 2) * RotationY(kHalfPi) * Translation(1, 0, 0);
    EXPECT_TRUE(Near3(TransformPoint({1, 0, 0}, other), {1, 0, -2}, 1e-6f));

    const Float4x4 a = MatrixFromRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
    const Float4x4 b = MatrixFromRows({{2, 0, 0, 1}, {0, 1, 0, 0}, {1, 0, 3, 0}, {0, 0, 0, 1}});
    EXPECT_EQ(a * b, MatrixFromRows({{5, 2, 9, 5}, {17, 6, 21, 13}, {29, 10, 33, 21}, {41, 14, 45, 29}}));
    EXPECT_EQ(a * Identity(), a);
    EXPECT_EQ(Identity() * a, a);
}

TEST(MatrixProduct, TransformNormalIgnoresTranslationAndTransformPointUsesIt)
{
    const Float4x4 m = Scaling(2, 3, 4) * Translation(10, 20, 30);
    EXPECT_EQ(TransformNormal({1, 1, 1}, m), (Float3{2, 3, 4}));
    EXPECT_EQ(TransformPoint({1, 1, 1}, m), (Float3{12, 23, 34}));
    const Float4 w = Transform({1, 1, 1, 0}, m);
    EXPECT_EQ(w.w, 0.0f);
    EXPECT_EQ((Float3{w.x, w.y, w.z}), (Float3{2, 3, 4}));
}

TEST(MatrixInverse, InvertsWellConditionedMatricesAndReportsTheDeterminant)
{
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> element(-1.0f, 1.0f);
    for (int trial = 0; trial < 50; ++trial) {
        Float4x4 m;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m.m[r][c] = element(rng) + (r == c ? 4.0f : 0.0f);  // diagonally dominant
        float det = 0.0f;
        const Float4x4 inv = MatrixInverse(m, &det);
        EXPECT_GT(std::fabs(det), 1.0f);
        EXPECT_TRUE(NearMatrix(inv * m, Identity(), 1e-5f)) << "trial " << trial;
        EXPECT_TRUE(NearMatrix(m * inv, Identity(), 1e-5f)) << "trial " << trial;
    }

    float det = 0.0f;
    const Float4x4 world = Scaling(2, 3, 4) * RotationY(0.6f) * Translation(7, -8, 9);
    const Float4x4 inv = MatrixInverse(world, &det);
    EXPECT_NEAR(det, 24.0f, 1e-4f);
    EXPECT_TRUE(Near3(TransformPoint(TransformPoint({1, 2, 3}, world), inv), {1, 2, 3}, 1e-5f));
    EXPECT_EQ(MatrixInverse(Identity()), Identity());
}

TEST(MatrixInverse, SingularMatrixGivesZeroDeterminantAndNonFiniteElements)
{
    float det = -1.0f;
    const Float4x4 inv = MatrixInverse(Scaling(1, 0, 1), &det);
    EXPECT_EQ(det, 0.0f);
    bool anyNonFinite = false;
    for (int i = 0; i < 16; ++i)
        anyNonFinite = anyNonFinite || !std::isfinite(inv.Data()[i]);
    EXPECT_TRUE(anyNonFinite);
}

TEST(InverseTranspose, DropsTranslationAndInvertsScale)
{
    EXPECT_EQ(InverseTranspose(Translation(3, -4, 5)), Identity());
    EXPECT_TRUE(
        NearMatrix(InverseTranspose(Scaling(2, 4, 8) * Translation(1, 2, 3)), Scaling(0.5f, 0.25f, 0.125f), 1e-7f));
    // A rotation is its own inverse transpose.
    const Float4x4 r = RotationX(0.4f) * RotationY(-1.1f);
    EXPECT_TRUE(NearMatrix(InverseTranspose(r * Translation(9, 9, 9)), r, 1e-6f));

    // Under a non-uniform scale the transformed normal stays perpendicular to a transformed surface tangent.
    const Float4x4 world = Scaling(1, 5, 1) * RotationY(0.3f) * Translation(2, 0, 0);
    const Float3 tangent{1, -1, 0};
    const Float3 normal{1, 1, 0};
    EXPECT_NEAR(Dot3(TransformNormal(tangent, world), TransformNormal(normal, InverseTranspose(world))), 0.0f, 1e-5f);
}

TEST(LightingRecords, DefaultRecordsAreAllZeroBytes)
{
    // The pads and unset fields reach the effects as raw bytes; they must not be garbage.
    const DirectionalLight light;
    const SpotLight spot;
    const Material material;
    const unsigned char zeros[96] = {};
    EXPECT_EQ(std::memcmp(&light, zeros, sizeof light), 0);
    EXPECT_EQ(std::memcmp(&spot, zeros, sizeof spot), 0);
    EXPECT_EQ(std::memcmp(&material, zeros, sizeof material), 0);
}

}  // namespace
