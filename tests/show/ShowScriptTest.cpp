#include "show/ShowScript.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "show/MouseLook.h"
#include "tests/math/MathTestUtil.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

// The beat as the show measures it: the float time divided by the float beat length, in double.
float Beat(float t)
{
    return static_cast<float>(static_cast<double>(t) / static_cast<double>(0.46153843f));
}

// The earliest float time whose beat is at least beat.
float TimeAtBeat(float beat)
{
    float t = static_cast<float>(beat * static_cast<double>(0.46153843f));
    while (Beat(t) < beat) {
        t = std::nextafter(t, std::numeric_limits<float>::infinity());
    }
    while (Beat(std::nextafter(t, -std::numeric_limits<float>::infinity())) >= beat) {
        t = std::nextafter(t, -std::numeric_limits<float>::infinity());
    }
    return t;
}

// Look of a construction-pose camera turned by yaw about world y, then pitched (positive = down).
Float3 LookFor(float yaw, float pitch)
{
    return {std::sin(yaw) * std::cos(pitch), -std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
}

bool Update(ShowState& state, float t)
{
    return UpdateShow(t, 8000, 1, state);
}

// The camera script restated as poses, speeds and turn rates rather than as the update's formulas:
// each segment starts at a beat from a pose and moves at a constant velocity while turning at a
// constant rate.
constexpr double kBeatLength = 0.46153843;  // seconds
constexpr double kPiD = 3.14159265358979;

struct Segment {
    float fromBeat;
    float toBeat;
    bool secondScene;
    Float3 start;      // position at fromBeat
    double velocityZ;  // units per second, along z
    double yaw;        // at fromBeat
    double yawRate;    // radians per second
    double pitch;
};

const Segment kSegments[] = {
    {0, 16, false, {27, 11, -50}, 0, 2.9452431, 0, -0.19634955},
    {16, 32, false, {28, 15, -40}, 0, kPiD, 0, kPiD / 2},
    {32, 48, false, {45, 21, 0}, 0, -2.0943952, 0, 0.3926991},
    // The corridor: backwards along it at 1.4 units a second, then forwards at 1, then at 21 (1 + 20)
    // while turning from facing -x at an eighth of a half turn a second, then forwards at 1 again.
    {48, 64, true, {12.5f, -2, 27.5f}, -1.4, 1.3744469, 0, -0.3926991},
    {64, 80, true, {10, -1, -5}, 1.0, -kPiD / 2, 0, -0.19634955},
    // (it starts where the segment before has got to after its 16 beats)
    {80, 96, true, {10, -1, static_cast<float>(-5 + 16 * kBeatLength)}, 21.0, -kPiD / 2, kPiD / 8, -0.19634955},
    {96, 112, true, {10, 0, -5}, 1.0, 0, 0, 0},
};

struct Pose {
    Float3 position;
    Float3 look;
};

Pose ExpectedPose(const Segment& segment, double t)
{
    const double since = t - segment.fromBeat * kBeatLength;
    double z = segment.start.z + segment.velocityZ * since;
    if (segment.secondScene && z > 43.0) {
        z -= 43.0;  // the corridor repeats every 43 units; one step back
    }
    const double yaw = segment.yaw + segment.yawRate * since;
    return {{segment.start.x, segment.start.y, static_cast<float>(z)},
            LookFor(static_cast<float>(yaw), static_cast<float>(segment.pitch))};
}

TEST(ShowScript, BoundaryTimes)
{
    // Most boundaries are hit exactly by some float time. At 80 and 112 a step of one unit in the
    // time's last place is larger than one in the beat's, so the first beat reached is the float
    // just above the boundary; either way the time before is still in the segment below.
    struct Case {
        float beat;
        bool exact;
    };
    const Case cases[] = {{16, true}, {32, true}, {48, true}, {64, true}, {80, false}, {96, true}, {112, false}};
    for (const Case& c : cases) {
        const float t = TimeAtBeat(c.beat);
        const float expected = c.exact ? c.beat : std::nextafter(c.beat, 1000.0f);
        EXPECT_EQ(BeatAt(t), expected) << c.beat;
        EXPECT_LT(BeatAt(std::nextafter(t, 0.0f)), c.beat) << c.beat;
    }
}

TEST(ShowScript, TimelineAndCameraPlacementThroughTheShow)
{
    enum class Placed { first, second };
    struct Row {
        float beat;
        bool justBelow;  // the last float time before the beat
        int sceneMode;
        int textMode;
        Placed placed;
        Float3 position;  // z comes from the segment's motion for the moving rows
        Float3 look;
    };
    const Float3 level{0, 0, 1};
    const Row rows[] = {
        {0.0f, false, 0, 0, Placed::first, {27, 11, -50}, LookFor(2.9452431f, -0.19634955f)},
        {15.99f, false, 0, 0, Placed::first, {27, 11, -50}, LookFor(2.9452431f, -0.19634955f)},
        {16.0f, true, 0, 0, Placed::first, {27, 11, -50}, LookFor(2.9452431f, -0.19634955f)},
        {16.0f, false, 0, 1, Placed::first, {28, 15, -40}, LookFor(kPi, kHalfPi)},
        {32.0f, false, 0, 1, Placed::first, {45, 21, 0}, LookFor(-2.0943952f, 0.3926991f)},
        {48.0f, false, 1, 1, Placed::second, {12.5f, -2, 0}, LookFor(1.3744469f, -0.3926991f)},
        {64.0f, false, 1, 1, Placed::second, {10, -1, 0}, LookFor(-kHalfPi, -0.19634955f)},
        {80.0f, false, 1, 1, Placed::second, {10, -1, 0}, LookFor(-kHalfPi, -0.19634955f)},
        {96.0f, false, 1, 2, Placed::second, {10, 0, 0}, level},
        {111.99f, false, 1, 2, Placed::second, {10, 0, 0}, level},
    };

    ShowState state;
    for (const Row& row : rows) {
        float t = TimeAtBeat(row.beat);
        if (row.justBelow) {
            t = std::nextafter(t, 0.0f);
        }
        SCOPED_TRACE(::testing::Message()
                     << "beat " << row.beat << (row.justBelow ? " (just below)" : "") << ", t = " << t);
        EXPECT_FALSE(Update(state, t));
        EXPECT_EQ(state.sceneMode, row.sceneMode);
        EXPECT_EQ(state.textMode, row.textMode);

        Float3 expected = row.position;
        if (row.beat >= 48.0f) {
            for (const Segment& segment : kSegments) {
                if (row.beat >= segment.fromBeat && row.beat < segment.toBeat) {
                    expected.z = ExpectedPose(segment, t).position.z;
                }
            }
        }
        const Camera& placed = row.placed == Placed::first ? state.camera : state.secondCamera;
        EXPECT_TRUE(Near3(placed.Position, expected, 1e-4f));
        EXPECT_TRUE(Near3(placed.Look, row.look, 1e-5f));
        // The view is rebuilt from the placement.
        EXPECT_TRUE(Near3(TransformPoint(placed.Position, placed.View), {0, 0, 0}, 1e-3f));
    }

    // Beat 112: over. The first camera keeps its closing view, the second only moves.
    const Float3 secondLook = state.secondCamera.Look;
    EXPECT_TRUE(Update(state, TimeAtBeat(112.0f)));
    EXPECT_EQ(state.sceneMode, 1);
    EXPECT_EQ(state.textMode, 2);
    EXPECT_EQ(state.camera.Position, (Float3{45, 21, 0}));
    EXPECT_TRUE(Near3(state.camera.Look, LookFor(-2.0943952f, 0.3926991f), 1e-5f));
    EXPECT_EQ(state.secondCamera.Position, (Float3{0, 0, -5}));
    EXPECT_TRUE(Near3(state.secondCamera.Look, secondLook, 1e-6f));
    // And it keeps asking.
    EXPECT_TRUE(Update(state, 60.0f));
}

TEST(ShowScript, EverySegmentMovesAtItsSpeedAndTurnRateToItsEnd)
{
    // At a segment's first beat a wrong speed or turn rate has not shown yet; its middle and its
    // last frame show both. The first scene's cameras stand still while the sheep walks, the cloud
    // turns and the first text swings; those are checked in every sample too.
    for (const Segment& segment : kSegments) {
        const float start = TimeAtBeat(segment.fromBeat);
        const float middle = TimeAtBeat((segment.fromBeat + segment.toBeat) / 2);
        const float end = std::nextafter(TimeAtBeat(segment.toBeat), 0.0f);
        for (const float t : {start, middle, end}) {
            SCOPED_TRACE(::testing::Message() << "segment " << segment.fromBeat << " to " << segment.toBeat << ", beat "
                                              << Beat(t) << ", t = " << t);
            ShowState state;
            ASSERT_FALSE(Update(state, t));
            ASSERT_EQ(state.sceneMode, segment.secondScene ? 1 : 0);
            const Camera& placed = segment.secondScene ? state.secondCamera : state.camera;
            const Pose expected = ExpectedPose(segment, t);
            EXPECT_TRUE(Near3(placed.Position, expected.position, 1e-3f));
            EXPECT_TRUE(Near3(placed.Look, expected.look, 1e-4f));

            // The sheep walks along +z at 2.8 units a second from z = -80.
            EXPECT_TRUE(Near3(TransformPoint({0, 0, 0}, state.sheepWorld),
                              {25, 10, static_cast<float>(-80 + 2.8 * double(t))}, 1e-3f));
            // The cloud turns at 2 radians a second, clockwise seen from above.
            const double cloud = -2.0 * t;
            EXPECT_TRUE(Near3(TransformNormal({0, 0, 1}, state.sphereCloudWorld),
                              {static_cast<float>(std::sin(cloud)), 0, static_cast<float>(std::cos(cloud))}, 1e-4f));
            // The first text swings 4.5 units out from its pivot at (31, 13, -61), by pi / (t + 1.5) - pi / 4.
            const double swing = kPiD / (t + 1.5) - kPiD / 4;
            EXPECT_TRUE(Near3(
                TransformPoint({0, 0, 0}, state.text1World),
                {static_cast<float>(31 + 4.5 * std::cos(swing)), 13, static_cast<float>(-61 - 4.5 * std::sin(swing))},
                1e-4f));
        }
    }
}

TEST(ShowScript, TimesOutsideTheScriptAskToClose)
{
    for (float t :
         {-1.0f, -0.0001f, 1000.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        ShowState state;
        EXPECT_TRUE(Update(state, t)) << t;
        EXPECT_EQ(state.sceneMode, 0) << t;  // nothing is switched on the way out
        EXPECT_EQ(state.secondCamera.Position, (Float3{0, 0, -5})) << t;
    }
    ShowState state;
    EXPECT_FALSE(Update(state, 0.0f));
    EXPECT_FALSE(Update(state, -0.0f));
}

TEST(ShowScript, CorridorWrapsOnce)
{
    // In beats 80 to 96 the camera runs at 21 units a second; its raw z passes 43 and later 86.
    ShowState state;
    int wrapped = 0;
    int stillBeyond = 0;
    for (float t = TimeAtBeat(80.0f); Beat(t) < 96.0f; t += 0.05f) {
        ASSERT_FALSE(Update(state, t));
        const double raw = kSegments[5].start.z + 21.0 * (t - 80 * kBeatLength);
        const double expected = raw > 43.0 ? raw - 43.0 : raw;
        ASSERT_NEAR(state.secondCamera.Position.z, expected, 2e-3) << "t = " << t;
        wrapped += raw > 43.0;
        stillBeyond += raw > 86.0;
        if (raw > 86.0) {
            EXPECT_GT(state.secondCamera.Position.z, 43.0f) << "t = " << t;
        }
    }
    EXPECT_GT(wrapped, 0);
    EXPECT_GT(stillBeyond, 0);

    // The wrap applies to the second camera's position wherever the script puts it, and only above 43.
    EXPECT_FALSE(Update(state, TimeAtBeat(96.0f)));
    EXPECT_LT(state.secondCamera.Position.z, 43.0f);
}

TEST(ShowScript, SecondCameraRestsInTheFirstSceneWhileItsSpotFollows)
{
    ShowState state;
    // A turn by mouse look moves it off its construction axes; the script does not put it back.
    POINT last{0, 0};
    MouseLookMove(MK_LBUTTON, 8, 0, last, state.camera, state.secondCamera);
    const Float3 turnedLook = state.secondCamera.Look;
    for (float beat : {0.0f, 20.0f, 47.9f}) {
        EXPECT_FALSE(Update(state, TimeAtBeat(beat)));
        EXPECT_EQ(state.secondCamera.Position, (Float3{10, 0, -5})) << beat;
        EXPECT_TRUE(Near3(state.secondCamera.Look, turnedLook, 1e-6f)) << beat;
        EXPECT_EQ(state.secondCameraSpot.Position, state.secondCamera.Position);
        EXPECT_EQ(state.secondCameraSpot.Direction, state.secondCamera.Look);
        // The active spot rides with the drawn camera.
        EXPECT_EQ(state.activeCameraSpot.Position, state.camera.Position);
        EXPECT_EQ(state.activeCameraSpot.Direction, state.camera.Look);
    }
    EXPECT_FALSE(Update(state, TimeAtBeat(50.0f)));
    EXPECT_EQ(state.activeCameraSpot.Position, state.secondCamera.Position);
    EXPECT_EQ(state.activeCameraSpot.Direction, state.secondCamera.Look);
    // Only position and direction change; the rest of the lights is constant.
    EXPECT_EQ(state.activeCameraSpot.SpotPower, 12.0f);
    EXPECT_EQ(state.secondCameraSpot.SpotPower, 24.0f);
}

TEST(ShowScript, MouseTurnsAreOverwrittenUntilTheEnd)
{
    for (float beat : {8.0f, 24.0f, 40.0f, 56.0f, 72.0f, 88.0f, 104.0f}) {
        ShowState state;
        const float t = TimeAtBeat(beat);
        EXPECT_FALSE(Update(state, t));
        Camera& drawn = state.sceneMode == 0 ? state.camera : state.secondCamera;
        const Float3 look = drawn.Look;
        POINT last{100, 100};
        MouseLookMove(MK_LBUTTON, 140, 120, last, state.camera, state.secondCamera);
        ASSERT_FALSE(Near3(drawn.Look, look, 1e-3f)) << beat;
        EXPECT_FALSE(Update(state, t));
        EXPECT_EQ(drawn.Look, look) << beat;
    }

    // After the end only the second camera's position is set, so its turns stay.
    ShowState state;
    EXPECT_TRUE(Update(state, TimeAtBeat(112.0f)));
    POINT last{0, 0};
    MouseLookMove(MK_LBUTTON, 40, 0, last, state.camera, state.secondCamera);
    EXPECT_TRUE(Update(state, TimeAtBeat(112.0f)));
    EXPECT_TRUE(Near3(state.secondCamera.Look, LookFor(40 * 0.25f * 0.0174532924f, 0.0f), 1e-6f));
}

TEST(ShowScript, MovingObjectsFollowTheTime)
{
    ShowState state;
    EXPECT_FALSE(Update(state, 0.0f));
    EXPECT_TRUE(Near3(TransformPoint({0, 0, 0}, state.sheepWorld), {25, 10, -80}, 0.0f));
    // The first text starts 75 degrees out and passes 0 at 2.5 s.
    EXPECT_TRUE(Near3(TransformNormal({1, 0, 0}, state.text1World), LookFor(kHalfPi + 75 * kPi / 180, 0), 1e-5f));
    EXPECT_TRUE(Near3(TransformPoint({0, 1, 0}, state.bigSphereWorld), {0, 0, 0}, 0.0f));
    EXPECT_EQ(state.visibleSphereCount, 8000);
    EXPECT_EQ(state.bigSphereCount, 1);

    EXPECT_FALSE(Update(state, 2.5f));
    EXPECT_TRUE(Near3(TransformPoint({0, 0, 0}, state.text1World), {35.5f, 13, -61}, 1e-5f));
    EXPECT_TRUE(Near3(TransformPoint({0, 0, 0}, state.sheepWorld), {25, 10, -73}, 1e-5f));
    // The cloud turns at 2 radians a second, clockwise seen from above.
    EXPECT_TRUE(Near3(TransformNormal({0, 0, 1}, state.sphereCloudWorld), LookFor(-5.0f, 0), 1e-5f));
}

TEST(MouseLook, LeftDragTurnsBothCameras)
{
    const float oneDegree = 0.017453292f;
    struct Case {
        const char* name;
        int fromX, fromY, toX, toY;
        Float3 look;
    };
    const Case cases[] = {
        {"4 px right: 1 degree right", 10, 10, 14, 10, LookFor(oneDegree, 0)},
        {"4 px down: 1 degree down", 10, 10, 10, 14, LookFor(0, oneDegree)},
        {"outside the window, leftwards", 10, 10, -30, 10, LookFor(-10 * oneDegree, 0)},
    };
    for (const Case& c : cases) {
        Camera camera;
        Camera secondCamera;
        POINT last{};
        MouseLookDown(last, c.fromX, c.fromY);
        MouseLookMove(MK_LBUTTON | MK_SHIFT, c.toX, c.toY, last, camera, secondCamera);
        EXPECT_TRUE(Near3(camera.Look, c.look, 1e-6f)) << c.name;
        EXPECT_TRUE(Near3(secondCamera.Look, c.look, 1e-6f)) << c.name;
        EXPECT_EQ(last.x, c.toX);
        EXPECT_EQ(last.y, c.toY);
    }
}

TEST(MouseLook, OtherButtonsOnlyTrackThePointer)
{
    Camera camera;
    Camera secondCamera;
    POINT last{};
    for (WPARAM buttons : {WPARAM{0}, MK_RBUTTON, MK_MBUTTON, MK_RBUTTON | MK_MBUTTON | MK_CONTROL}) {
        MouseLookMove(buttons, 50 + static_cast<int>(buttons), 7, last, camera, secondCamera);
        EXPECT_EQ(last.x, 50 + static_cast<int>(buttons));
        EXPECT_EQ(last.y, 7);
    }
    EXPECT_EQ(camera.Look, (Float3{0, 0, 1}));
    EXPECT_EQ(secondCamera.Up, (Float3{0, 1, 0}));

    // A press resets the origin: the next drag measures from it, not from the last move.
    MouseLookDown(last, 200, 200);
    MouseLookMove(MK_LBUTTON, 204, 200, last, camera, secondCamera);
    EXPECT_TRUE(Near3(camera.Look, LookFor(0.017453292f, 0), 1e-6f));
}

}  // namespace
