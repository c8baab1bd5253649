#pragma once
// The show's timeline: everything the per-frame update derives from the running time. The show is a
// pure function of the timer's total time (measured in beats of the music), so the frame rate does
// not change its speed and a stopped timer holds it still.
//
// Timeline state (sceneMode, textMode), set and never cleared:
//   beats   0..16  (0, 0)   first scene, first text
//   beats  16..48  (0, 1)   first scene, second text
//   beats  48..96  (1, 1)   second scene (corridor), no text
//   beats  96..112 (1, 2)   second scene, third text
//   beat 112 on, or a negative time: the script is over and the program asks to close.
// A beat exactly on a boundary belongs to the segment that starts there.

#include <cstddef>

#include "math/Camera.h"
#include "math/LightingRecords.h"
#include "math/MathHelper.h"

// Length of one beat in seconds (about 130 beats per minute).
inline constexpr float kBeatSeconds = 0.46153843f;
// The beat at which the script ends.
inline constexpr float kShowEndBeat = 112.0f;
// The corridor of rooms and pods repeats every this many units along z.
inline constexpr float kCorridorLength = 43.0f;

// What the per-frame update writes, with the values the application starts with.
struct ShowState {
    ShowState();

    float beat = 0.0f;
    int sceneMode = 0;  // 0 = first scene, 1 = second scene
    int textMode = 0;   // which text model is drawn: 0, 1 or 2

    Float4x4 sheepWorld;
    Float4x4 text1World;
    Float4x4 sphereCloudWorld;
    Float4x4 bigSphereWorld;

    Camera camera;        // draws the first scene
    Camera secondCamera;  // draws the second scene

    int visibleSphereCount = 0;
    int bigSphereCount = 0;

    // Position and Direction follow a camera every frame; the rest is constant.
    SpotLight secondCameraSpot;
    SpotLight activeCameraSpot;
};

// The beat of a running time in seconds: divided in double precision, kept as a float.
float BeatAt(float totalTime);

// One update at running time totalTime (seconds): animates the moving objects, places the cameras by
// the script, wraps the corridor, rebuilds both views, sets the instance counts and moves the two
// camera-bound spot lights. Returns true when the script is over and the window should be asked to
// close; that repeats on every later call. Escape is the caller's business.
bool UpdateShow(float totalTime, size_t sphereInstanceCount, size_t bigSphereInstanceCount, ShowState& state);
