#pragma once
// Mouse look: dragging with the left button turns both cameras, a quarter of a degree per pixel;
// horizontal movement turns about the world's vertical axis, vertical movement pitches. Pointer
// capture stays with the window code. The views are rebuilt by the next frame update, not here.

#include "math/Camera.h"
#include "platform/win32/Win32.h"

// Degrees of turn per pixel of movement, and the float nearest pi / 180.
inline constexpr float kMouseDegreesPerPixel = 0.25f;
inline constexpr float kDegreesToRadians = 0.0174532924f;

// A button press: later moves measure from here.
void MouseLookDown(POINT& lastMousePos, int x, int y);

// A move with the buttons of the message (MK_ flags). With the left button held both cameras turn,
// camera first, each by Pitch then RotateAboutWorldY. The position is remembered in every case.
void MouseLookMove(WPARAM buttons, int x, int y, POINT& lastMousePos, Camera& camera, Camera& secondCamera);
