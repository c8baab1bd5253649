#include "math/Camera.h"

#include <cmath>

namespace {
// 45 degrees vertically, square view, clip planes at 1 and 1000: replaced on the first resize.
constexpr float kDefaultFovY = 0.7853982f;
constexpr float kDefaultAspect = 1.0f;
constexpr float kDefaultNear = 1.0f;
constexpr float kDefaultFar = 1000.0f;
}  // namespace

Camera::Camera()
    : Position{0.0f, 0.0f, 0.0f},
      InitialPosition{0.0f, 0.0f, 0.0f},
      Right{1.0f, 0.0f, 0.0f},
      InitialRight{1.0f, 0.0f, 0.0f},
      Up{0.0f, 1.0f, 0.0f},
      InitialUp{0.0f, 1.0f, 0.0f},
      Look{0.0f, 0.0f, 1.0f},
      InitialLook{0.0f, 0.0f, 1.0f},
      // The view a fresh camera gets on its first RebuildView, so it is never garbage before.
      View(Identity())
{
    SetProjection(kDefaultFovY, kDefaultAspect, kDefaultNear, kDefaultFar);
}

void Camera::SetProjection(float fovY, float aspect, float nearZ, float farZ)
{
    VerticalFov = fovY;
    Aspect = aspect;
    NearPlane = nearZ;
    FarPlane = farZ;
    const float halfHeightSlope = std::tan(0.5f * fovY);
    NearPlaneHeight = 2.0f * nearZ * halfHeightSlope;
    FarPlaneHeight = 2.0f * farZ * halfHeightSlope;
    Projection = PerspectiveFov(fovY, aspect, nearZ, farZ);
}

void Camera::Pitch(float angle)
{
    const Float4x4 r = RotationAboutAxis(Right, angle);
    Up = TransformNormal(Up, r);
    Look = TransformNormal(Look, r);
}

void Camera::RotateAboutWorldY(float angle)
{
    const Float4x4 r = RotationY(angle);
    Right = TransformNormal(Right, r);
    Up = TransformNormal(Up, r);
    Look = TransformNormal(Look, r);
}

Camera& Camera::ResetToInitial()
{
    Position = InitialPosition;
    Right = InitialRight;
    Up = InitialUp;
    Look = InitialLook;
    return *this;
}

void Camera::RebuildView()
{
    // Look is trusted for direction; Up and Right are rebuilt from it so rounding drift
    // from many small turns never skews the frame.
    const Float3 l = Normalize3(Look);
    const Float3 u = Normalize3(Cross3(l, Right));
    const Float3 r = Cross3(u, l);

    const float x = -Dot3(Position, r);
    const float y = -Dot3(Position, u);
    const float z = -Dot3(Position, l);

    Right = r;
    Up = u;
    Look = l;

    View = Float4x4{};
    View.m[0][0] = r.x;
    View.m[1][0] = r.y;
    View.m[2][0] = r.z;
    View.m[3][0] = x;
    View.m[0][1] = u.x;
    View.m[1][1] = u.y;
    View.m[2][1] = u.z;
    View.m[3][1] = y;
    View.m[0][2] = l.x;
    View.m[1][2] = l.y;
    View.m[2][2] = l.z;
    View.m[3][2] = z;
    View.m[3][3] = 1.0f;
}

Float4x4 Camera::ViewProjection() const
{
    return View * Projection;
}
