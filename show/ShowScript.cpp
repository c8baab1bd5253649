#include "show/ShowScript.h"

#include <limits>

#include "show/SceneConstants.h"

namespace {

// Start times in seconds of the segments at beats 48, 64, 80 and 96.
constexpr float kBeat48Time = 22.153845f;
constexpr float kBeat64Time = 29.53846f;
constexpr float kBeat80Time = 36.923073f;
constexpr float kBeat96Time = 44.30769f;

// Back to the construction pose, then moved and turned: yaw about the world's vertical axis first,
// then pitch about the turned right axis.
void PlaceCamera(Camera& camera, Float3 position, float yaw, float pitch)
{
    camera.ResetToInitial();
    camera.Position = position;
    camera.RotateAboutWorldY(yaw);
    camera.Pitch(pitch);
}

// The closing view of the first scene, also kept once the script is over.
void PlaceFirstSceneFinalView(Camera& camera)
{
    PlaceCamera(camera, {45.0f, 21.0f, 0.0f}, -2.0943952f, 0.3926991f);
}

int CountOf(size_t size)
{
    return size > static_cast<size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                       : static_cast<int>(size);
}

// Places the camera for the beat; false when no segment holds it (the script is over).
bool RunCameraScript(float beat, float t, ShowState& state)
{
    if (beat >= 0.0f && beat < 16.0f) {
        PlaceCamera(state.camera, {27.0f, 11.0f, -50.0f}, 2.9452431f, -0.19634955f);
    } else if (beat >= 16.0f && beat < 32.0f) {
        state.textMode = 1;
        PlaceCamera(state.camera, {28.0f, 15.0f, -40.0f}, kPi, 1.5707964f);
    } else if (beat >= 32.0f && beat < 48.0f) {
        PlaceFirstSceneFinalView(state.camera);
    } else if (beat >= 48.0f && beat < 64.0f) {
        state.sceneMode = 1;
        const float a = (t - kBeat48Time) * 1.4f;
        PlaceCamera(state.secondCamera, {12.5f, -2.0f, 27.5f - a}, 1.3744469f, -0.3926991f);
    } else if (beat >= 64.0f && beat < 80.0f) {
        state.sceneMode = 1;
        const float b = t - kBeat64Time;
        PlaceCamera(state.secondCamera, {10.0f, -1.0f, b - 5.0f}, -1.5707964f, -0.19634955f);
    } else if (beat >= 80.0f && beat < 96.0f) {
        state.sceneMode = 1;
        const float b = t - kBeat64Time;
        const float c = t - kBeat80Time;
        // Speeds up to 21 units a second while turning from facing -x towards +x.
        const float z = (b - 5.0f) + 20.0f * c;
        const float yaw = (c * 0.125f) * kPi - kPi / 2.0f;
        PlaceCamera(state.secondCamera, {10.0f, -1.0f, z}, yaw, -0.19634955f);
    } else if (beat >= 96.0f && beat < kShowEndBeat) {
        state.sceneMode = 1;
        state.textMode = 2;
        const float d = t - kBeat96Time;
        state.secondCamera.ResetToInitial();
        state.secondCamera.Position = {10.0f, 0.0f, d - 5.0f};
    } else {
        // Over (or a time before the start): only the position of the second camera is set, so
        // its orientation is whatever it was.
        state.secondCamera.Position = {0.0f, 0.0f, -5.0f};
        PlaceFirstSceneFinalView(state.camera);
        return false;
    }
    return true;
}

void FollowCamera(SpotLight& spot, const Camera& camera)
{
    spot.Position = camera.Position;
    spot.Direction = camera.Look;
}

}  // namespace

ShowState::ShowState()
    : sheepWorld(Identity()),
      text1World(Identity()),
      sphereCloudWorld(Identity()),
      bigSphereWorld(Identity()),
      secondCameraSpot(InitialSecondCameraSpot()),
      activeCameraSpot(InitialActiveCameraSpot())
{
    PlaceInitialCameras(camera, secondCamera);
}

float BeatAt(float totalTime)
{
    return static_cast<float>(static_cast<double>(totalTime) / static_cast<double>(kBeatSeconds));
}

bool UpdateShow(float totalTime, size_t sphereInstanceCount, size_t bigSphereInstanceCount, ShowState& state)
{
    const float t = totalTime;
    state.beat = BeatAt(t);

    // The sheep walks along +z at 2.8 units a second.
    state.sheepWorld = Scaling(8.0f, 8.0f, 8.0f) * Translation(25.0f, 10.0f, t * 2.8f - 80.0f);
    // The first text swings about a vertical axis 4.5 units from its origin, from 75 degrees
    // towards -45 degrees.
    const float theta = kPi / (t + 1.5f) - kPi / 4.0f;
    state.text1World = RotationX(-kPi / 2.0f) * Translation(4.5f, 0.0f, 0.0f) * RotationY(theta) *
                       Translation(31.0f, 13.0f, -61.0f);
    state.sphereCloudWorld = RotationY(-2.0f * t);
    state.bigSphereWorld = Scaling(10.0f, 10.0f, 10.0f) * Translation(0.0f, -10.0f, 0.0f);

    const bool running = RunCameraScript(state.beat, t, state);

    // The corridor repeats every 43 units: step back by one length, once. A camera more than two
    // lengths along stays beyond the first length.
    if (state.secondCamera.Position.z > kCorridorLength) {
        state.secondCamera.Position.z -= kCorridorLength;
    }

    state.camera.RebuildView();
    state.secondCamera.RebuildView();

    state.visibleSphereCount = CountOf(sphereInstanceCount);
    state.bigSphereCount = CountOf(bigSphereInstanceCount);

    FollowCamera(state.secondCameraSpot, state.secondCamera);
    FollowCamera(state.activeCameraSpot, state.sceneMode == 0 ? state.camera : state.secondCamera);

    return !running;
}
