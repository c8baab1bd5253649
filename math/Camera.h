#pragma once
// First-person camera: a position, three axes and a perspective lens, with cached view and
// projection matrices. It has no movement logic; the owner writes Position directly, turns it
// with Pitch and RotateAboutWorldY, and calls RebuildView once after all changes of a frame.

#include "math/MathHelper.h"

class Camera {
public:
    Camera();

    // Stores the lens and rebuilds NearPlaneHeight, FarPlaneHeight and Projection.
    void SetProjection(float fovY, float aspect, float nearZ, float farZ);

    // Turns Up and Look about Right; a positive angle tips a level view downwards.
    void Pitch(float angle);
    // Turns all three axes about the world y axis; a positive angle turns the view to the right.
    void RotateAboutWorldY(float angle);

    // Back to the construction pose (origin, looking along +z with +y up). The lens is kept.
    Camera& ResetToInitial();

    // Re-orthonormalises the axes (Look keeps its direction) and rebuilds View from them.
    void RebuildView();

    Float4x4 ViewProjection() const;

    // Read and written directly by the application.
    Float3 Position;
    Float3 InitialPosition;
    Float3 Right;
    Float3 InitialRight;
    Float3 Up;
    Float3 InitialUp;
    Float3 Look;
    Float3 InitialLook;

    float NearPlane = 0.0f;
    float FarPlane = 0.0f;
    float Aspect = 0.0f;
    float VerticalFov = 0.0f;
    float NearPlaneHeight = 0.0f;
    float FarPlaneHeight = 0.0f;

    // Stale between a turn or a move and the next RebuildView.
    Float4x4 View;
    Float4x4 Projection;
};
