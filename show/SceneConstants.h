#pragma once
// The fixed state of the scene: its lights, materials, constant world matrices, window caption and
// where the two cameras start. Nothing here changes while the show runs, except the position and
// direction of the two camera-bound spot lights, which the per-frame update rewrites.

#include <array>
#include <string_view>

#include "math/Camera.h"
#include "math/LightingRecords.h"
#include "math/MathHelper.h"

// Shown for the whole run; the frame statistics are appended after it.
inline constexpr std::wstring_view kMainWindowCaption = L"Now Loading... 1 minute 16 seconds";

// Three directional lights each, sent as one block.
std::array<DirectionalLight, 3> FirstSceneLights();
std::array<DirectionalLight, 3> SecondSceneLights();

// Spot lights as constructed. The first two follow a camera: their Position and Direction are
// written every frame, and start at zero.
SpotLight InitialSecondCameraSpot();
SpotLight InitialActiveCameraSpot();
// All colours zero: lights nothing. Placed at the origin, pointing along +z.
SpotLight DarkSpot();

Material SheepMaterial();
Material TextMaterial();
Material PodMaterial();
Material RoomMaterial();

Float4x4 Text2World();
Float4x4 Text3World();
Float4x4 PodWorld();
Float4x4 RoomWorld();

// Construction placement: camera at (45, 21, 0) turned and tipped towards the first scene,
// secondCamera at (10, 0, -5) with the construction axes. The lens is left as it is.
void PlaceInitialCameras(Camera& camera, Camera& secondCamera);
