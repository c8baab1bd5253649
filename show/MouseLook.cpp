#include "show/MouseLook.h"

namespace {

// A quarter degree per pixel, in radians; each product is rounded to a float.
float PixelsToRadians(long long pixels)
{
    const float degrees = kMouseDegreesPerPixel * static_cast<float>(pixels);
    return degrees * kDegreesToRadians;
}

void Turn(Camera& camera, float yaw, float pitch)
{
    camera.Pitch(pitch);
    camera.RotateAboutWorldY(yaw);
}

}  // namespace

void MouseLookDown(POINT& lastMousePos, int x, int y)
{
    lastMousePos.x = x;
    lastMousePos.y = y;
}

void MouseLookMove(WPARAM buttons, int x, int y, POINT& lastMousePos, Camera& camera, Camera& secondCamera)
{
    if ((buttons & MK_LBUTTON) != 0) {
        // In 64 bits, so no pair of coordinates can overflow the difference.
        const float yaw = PixelsToRadians(static_cast<long long>(x) - lastMousePos.x);
        const float pitch = PixelsToRadians(static_cast<long long>(y) - lastMousePos.y);
        Turn(camera, yaw, pitch);
        Turn(secondCamera, yaw, pitch);
    }
    lastMousePos.x = x;
    lastMousePos.y = y;
}
