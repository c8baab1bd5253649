#include <gtest/gtest.h>

#include <cmath>

#include "math/Camera.h"
#include "tests/math/MathTestUtil.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

::testing::AssertionResult Orthonormal(const Camera& c, float tolerance)
{
    const float checks[] = {Length3(c.Right) - 1.0f, Length3(c.Up) - 1.0f, Length3(c.Look) - 1.0f,
                            Dot3(c.Right, c.Up),     Dot3(c.Up, c.Look),   Dot3(c.Look, c.Right)};
    for (float e : checks)
        if (!(std::fabs(e) <= tolerance))
            return ::testing::AssertionFailure() << "axes not orthonormal: right " << ToString(c.Right) << " up "
                                                 << ToString(c.Up) << " look " << ToString(c.Look);
    // Left-handed frame: right x up = look.
    return Near3(Cross3(c.Right, c.Up), c.Look, tolerance);
}

TEST(Camera, FreshCameraHasConstructionPoseLensAndIdentityView)
{
    Camera c;
    EXPECT_EQ(c.Position, (Float3{0, 0, 0}));
    EXPECT_EQ(c.Right, (Float3{1, 0, 0}));
    EXPECT_EQ(c.Up, (Float3{0, 1, 0}));
    EXPECT_EQ(c.Look, (Float3{0, 0, 1}));
    EXPECT_EQ(c.InitialLook, (Float3{0, 0, 1}));
    EXPECT_EQ(c.VerticalFov, 0.7853982f);
    EXPECT_EQ(c.Aspect, 1.0f);
    EXPECT_EQ(c.NearPlane, 1.0f);
    EXPECT_EQ(c.FarPlane, 1000.0f);
    EXPECT_NEAR(c.NearPlaneHeight, 0.8284271f, 1e-6f);  // 2 tan(22.5 deg)
    EXPECT_NEAR(c.FarPlaneHeight, 828.4271f, 1e-3f);
    EXPECT_EQ(c.Projection, PerspectiveFov(0.7853982f, 1.0f, 1.0f, 1000.0f));

    c.RebuildView();
    EXPECT_EQ(c.View, Identity());
    EXPECT_EQ(c.ViewProjection(), c.Projection);
}

TEST(Camera, TurnsMoveTheAxesInTheStatedDirections)
{
    struct Case {
        const char* name;
        float pitch;
        float yaw;
        Float3 right;
        Float3 up;
        Float3 look;
    };
    const Case cases[] = {
        {"pitch +pi/2 looks straight down", kHalfPi, 0.0f, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
        {"pitch -pi/2 looks straight up", -kHalfPi, 0.0f, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {"pitch pi rolls the frame over", kPi, 0.0f, {1, 0, 0}, {0, -1, 0}, {0, 0, -1}},
        {"yaw +pi/2 turns right", 0.0f, kHalfPi, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
        {"yaw -pi/2 turns left", 0.0f, -kHalfPi, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},
        {"pitch then yaw", kHalfPi, kHalfPi, {0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
    };
    for (const Case& k : cases) {
        Camera c;
        c.Pitch(k.pitch);
        c.RotateAboutWorldY(k.yaw);
        EXPECT_TRUE(Near3(c.Right, k.right, 1e-6f)) << k.name;
        EXPECT_TRUE(Near3(c.Up, k.up, 1e-6f)) << k.name;
        EXPECT_TRUE(Near3(c.Look, k.look, 1e-6f)) << k.name;
    }

    // Pitch leaves Right exactly as it was.
    Camera c;
    c.RotateAboutWorldY(0.3f);
    const Float3 right = c.Right;
    c.Pitch(0.9f);
    EXPECT_EQ(c.Right, right);

    // A small positive pitch of a level camera tips the view below the horizon.
    Camera level;
    level.Pitch(0.01f);
    EXPECT_LT(level.Look.y, 0.0f);
}

TEST(Camera, ResetToInitialRestoresThePoseWhateverHappenedAndReturnsTheCamera)
{
    Camera c;
    c.SetProjection(1.0f, 2.0f, 0.1f, 10.0f);
    c.Position = {5, -6, 7};
    c.Pitch(1.3f);
    c.RotateAboutWorldY(-2.2f);
    c.Look = c.Look * 3.0f;
    c.RebuildView();

    Camera& same = c.ResetToInitial();
    EXPECT_EQ(&same, &c);
    EXPECT_EQ(c.Position, (Float3{0, 0, 0}));
    EXPECT_EQ(c.Right, (Float3{1, 0, 0}));
    EXPECT_EQ(c.Up, (Float3{0, 1, 0}));
    EXPECT_EQ(c.Look, (Float3{0, 0, 1}));
    EXPECT_EQ(c.Aspect, 2.0f);  // the lens is not part of the pose
    c.RebuildView();
    EXPECT_EQ(c.View, Identity());
}

TEST(Camera, RebuildViewRestoresOrthonormalAxesAfterDriftAndKeepsLookDirection)
{
    Camera c;
    for (int i = 0; i < 20000; ++i) {
        c.Pitch(0.0021f * ((i % 7) - 3));
        c.RotateAboutWorldY(0.0013f * ((i % 5) - 1.5f));
    }
    // Make the drift unmistakable: stretch and skew the axes.
    c.Look = c.Look * 1.7f;
    c.Right = c.Right * 0.6f + c.Up * 0.2f;
    c.Up = c.Up * 1.3f;
    const Float3 lookDirection = Normalize3(c.Look);
    ASSERT_FALSE(Orthonormal(c, 1e-3f));

    c.RebuildView();
    EXPECT_TRUE(Orthonormal(c, 2e-6f));
    EXPECT_TRUE(Near3(c.Look, lookDirection, 1e-7f));
}

TEST(Camera, ViewMapsWorldIntoCameraSpace)
{
    Camera c;
    c.Position = {27, 11, -50};
    c.RotateAboutWorldY(2.9452431f);
    c.Pitch(-0.19634955f);
    c.RebuildView();

    const float tol = 2e-5f;
    EXPECT_TRUE(Near3(TransformPoint(c.Position, c.View), {0, 0, 0}, tol));
    EXPECT_TRUE(Near3(TransformPoint(c.Position + c.Look * 5.0f, c.View), {0, 0, 5}, tol));
    EXPECT_TRUE(Near3(TransformPoint(c.Position + c.Right * 2.0f, c.View), {2, 0, 0}, tol));
    EXPECT_TRUE(Near3(TransformPoint(c.Position - c.Up * 3.0f, c.View), {0, -3, 0}, tol));

    EXPECT_TRUE(NearMatrix(c.ViewProjection(), c.View * c.Projection, 0.0f));
    // A point straight ahead lands in the middle of the screen.
    const Float3 ahead = c.Position + c.Look * 100.0f;
    const Float4 clip = Transform({ahead.x, ahead.y, ahead.z, 1.0f}, c.ViewProjection());
    EXPECT_NEAR(clip.x / clip.w, 0.0f, 1e-5f);
    EXPECT_NEAR(clip.y / clip.w, 0.0f, 1e-5f);
    EXPECT_GT(clip.z / clip.w, 0.0f);
    EXPECT_LT(clip.z / clip.w, 1.0f);
}

}  // namespace
